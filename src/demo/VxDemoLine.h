#pragma once
// One demonstration script line as text: what recorders write and what the
// playback reads. Writing and reading live side by side so that every line a
// recording writes reads back as the same word and the same arguments.
//
// A line is a command word and an optional argument text. Arguments are
// separated by commas: numbers ("120", "2.5", "1E-3"), strings in double or
// single quotes (no escape for the quote itself; backslash + n is a line
// feed), the words true and false, and bare words such as Image or &392.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/VxProperties.h"

// A bare word, written without quotes: a point or control name such as Image.
struct TVxDemoName {
  std::string Text;
};

// One argument of a line to be written. A string is always written in quotes.
using TVxDemoArgument = std::variant<bool, int32_t, double, std::string, TVxDemoName>;

// text in the quotes that give it back unchanged when read: double quotes,
// or single quotes when text has a double quote; a line feed becomes
// backslash + n. Nothing when no quoting gives text back: it holds both
// quote characters, a backslash followed by n, or a control character other
// than tab and line feed (a carriage return would end the line).
std::optional<std::string> QuoteDemoText(std::string_view text);

// word, a space and the arguments separated by ", "; word alone without
// arguments. Nothing when the line would not read back as written: a word
// that is empty, has a blank or "(", or starts like a comment; a string that
// QuoteDemoText refuses; a number that is not finite; a name that is empty,
// contains a blank or a comma, or starts like a number, a quote, true or false.
std::optional<std::string> FormatDemoLine(std::string_view word,
                                          std::span<const TVxDemoArgument> arguments = {});

// The lines of one command a user gave through a control while a recording
// runs: the move to the control, the Message line when message is given, and
// the command itself. All or nothing: empty when any of them cannot be written.
std::vector<std::string> DemoCommandLines(std::string_view control,
                                          const std::optional<std::string> &message,
                                          std::string_view word,
                                          std::span<const TVxDemoArgument> arguments = {});

// The arguments of an argument text, stored with the identifiers 0, 1, 2 ...
// in order: integers, floats ("." or "E" in the number) and strings. A number
// that does not convert (1-2, 1.2.3) is kept as the string scanned; an integer
// beyond 32 bits becomes a float.
void ParseDemoArguments(std::string_view text, TVxProperties &arguments);

// A script line taken apart.
struct TVxDemoLine {
  // Upper case (ASCII letters only).
  std::string Word;
  // Null when nothing followed the word.
  std::unique_ptr<TVxProperties> Arguments;
};

// Nothing for a comment: a line whose word is empty or starts with "#", "*",
// "/" or ";". The word ends at a tab, a space or "(" (which then starts the
// argument text); the line ends at a NUL.
std::optional<TVxDemoLine> ParseLine(std::string_view line);
