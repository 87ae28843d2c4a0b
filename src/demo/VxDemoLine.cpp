#include "demo/VxDemoLine.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace {

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20; }

bool IsLineBlank(char c) { return c == '\t' || c == ' '; }

bool IsArgumentBlank(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsNumberStart(char c) { return c == '+' || c == '-' || IsDigit(c); }

bool IsNumberPart(char c) { return IsNumberStart(c) || c == '.' || c == 'E'; }

// A bare word ends at these.
bool EndsBareWord(char c) { return c == '\0' || IsArgumentBlank(c) || c == ','; }

bool IsCommentStart(char c) { return c == '#' || c == '*' || c == '/' || c == ';'; }

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool ValidWord(std::string_view word) {
  if (word.empty() || IsCommentStart(word.front())) return false;
  for (char c : word)
    if (IsControl(c) || c == ' ' || c == '(') return false;
  return true;
}

// A name must come back as the same bare word, not as a number, a quoted
// string or a truth value.
bool ValidName(std::string_view name) {
  if (name.empty() || IsNumberStart(name.front()) || name.front() == '"' || name.front() == '\'')
    return false;
  if (name.starts_with("true") || name.starts_with("false")) return false;
  for (char c : name)
    if (IsControl(c) || EndsBareWord(c)) return false;
  return true;
}

// The shortest text that reads back as the same double, always with a "." or
// an "E" so that it is read as a float; the reader knows the capital E only.
std::optional<std::string> FormatReal(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (error != std::errc()) return std::nullopt;
  std::string text(buffer, end);
  for (char &c : text)
    if (c == 'e') c = 'E';
  if (text.find_first_of(".E") == std::string::npos) text += ".0";
  return text;
}

std::optional<std::string> FormatArgument(const TVxDemoArgument &argument) {
  if (const auto *flag = std::get_if<bool>(&argument)) return *flag ? "true" : "false";
  if (const auto *integer = std::get_if<int32_t>(&argument)) return std::to_string(*integer);
  if (const auto *real = std::get_if<double>(&argument)) return FormatReal(*real);
  if (const auto *text = std::get_if<std::string>(&argument)) return QuoteDemoText(*text);
  const std::string &name = std::get<TVxDemoName>(argument).Text;
  if (!ValidName(name)) return std::nullopt;
  return name;
}

// Every backslash + n of a quoted string is a line feed.
std::string Unescaped(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      result += '\n';
      ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

template <class T>
bool Convert(std::string_view text, T &value) {
  // from_chars takes no plus sign; the script may write one.
  if (text.size() > 1 && text.front() == '+' && text[1] != '+' && text[1] != '-')
    text.remove_prefix(1);
  const char *end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end;
}

void StoreNumber(std::string_view run, int32_t id, TVxProperties &arguments) {
  double real = 0;
  if (run.find_first_of(".E") == std::string_view::npos) {
    int32_t integer = 0;
    if (Convert(run, integer)) return arguments.SetInteger(id, integer);
  }
  if (Convert(run, real)) return arguments.SetFloat(id, real);
  arguments.SetString(id, run);
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<std::string> QuoteDemoText(std::string_view text) {
  const bool hasDouble = text.find('"') != std::string_view::npos;
  if (hasDouble && text.find('\'') != std::string_view::npos) return std::nullopt;
  // The reader turns it into a line feed, and there is no escape for it.
  if (text.find("\\n") != std::string_view::npos) return std::nullopt;
  const char quote = hasDouble ? '\'' : '"';
  std::string quoted(1, quote);
  for (char c : text) {
    if (c == '\n') {
      quoted += "\\n";
      continue;
    }
    if (IsControl(c) && c != '\t') return std::nullopt;
    quoted += c;
  }
  quoted += quote;
  return quoted;
}

std::optional<std::string> FormatDemoLine(std::string_view word,
                                          std::span<const TVxDemoArgument> arguments) {
  if (!ValidWord(word)) return std::nullopt;
  std::string line(word);
  const char *separator = " ";
  for (const TVxDemoArgument &argument : arguments) {
    const std::optional<std::string> text = FormatArgument(argument);
    if (!text) return std::nullopt;
    line += separator;
    line += *text;
    separator = ", ";
  }
  return line;
}

std::vector<std::string> DemoCommandLines(std::string_view control,
                                          const std::optional<std::string> &message,
                                          std::string_view word,
                                          std::span<const TVxDemoArgument> arguments) {
  const TVxDemoArgument target[] = {TVxDemoName{std::string(control)}};
  std::vector<std::optional<std::string>> lines{FormatDemoLine("MouseCurvedMove", target)};
  if (message) {
    const TVxDemoArgument text[] = {*message};
    lines.push_back(FormatDemoLine("Message", text));
  }
  lines.push_back(FormatDemoLine(word, arguments));
  std::vector<std::string> result;
  for (std::optional<std::string> &line : lines) {
    if (!line) return {};
    result.push_back(std::move(*line));
  }
  return result;
}

void ParseDemoArguments(std::string_view text, TVxProperties &arguments) {
  text = Trimmed(text);
  size_t i = 0;
  const auto skipBlanks = [&] {
    while (i < text.size() && IsArgumentBlank(text[i])) ++i;
  };
  for (int32_t id = 0;; ++id) {
    skipBlanks();
    const char first = i < text.size() ? text[i] : '\0';
    if (first == '"' || first == '\'') {
      const size_t close = text.find(first, i + 1);
      // Unterminated: the rest is the string, and the list ends with it.
      if (close == std::string_view::npos)
        return arguments.SetString(id, Unescaped(text.substr(i + 1)));
      arguments.SetString(id, Unescaped(text.substr(i + 1, close - i - 1)));
      i = close + 1;
    } else if (IsNumberStart(first)) {
      size_t end = i;
      while (end < text.size() && IsNumberPart(text[end])) ++end;
      StoreNumber(text.substr(i, end - i), id, arguments);
      i = end;
    } else if (text.substr(i).starts_with("false")) {
      arguments.SetInteger(id, 0);
      i += 5;
    } else if (text.substr(i).starts_with("true")) {
      arguments.SetInteger(id, -1);
      i += 4;
    } else {
      size_t end = i;
      while (end < text.size() && !EndsBareWord(text[end])) ++end;
      arguments.SetString(id, text.substr(i, end - i));
      i = end;
    }
    skipBlanks();
    if (i >= text.size() || text[i] != ',') return;
    ++i;
  }
}

std::optional<TVxDemoLine> ParseLine(std::string_view line) {
  line = line.substr(0, line.find('\0'));
  size_t i = 0;
  while (i < line.size() && IsLineBlank(line[i])) ++i;
  size_t end = i;
  while (end < line.size() && !IsLineBlank(line[end]) && line[end] != '(') ++end;
  if (end == i || IsCommentStart(line[i])) return std::nullopt;
  TVxDemoLine parsed;
  for (size_t k = i; k < end; ++k) parsed.Word += UpperAscii(line[k]);
  if (end < line.size()) {
    while (end < line.size() && IsLineBlank(line[end])) ++end;
    parsed.Arguments = std::make_unique<TVxProperties>();
    ParseDemoArguments(line.substr(end), *parsed.Arguments);
  }
  return parsed;
}
