#pragma once
// Demonstration words as data. Every client (the editor, the image view,
// every tool) declares the words scripts may use with it once, in a table:
// the word, the kind of its arguments, what runs it and the control a script
// moves to for it. The same table runs the words (ExecuteDemoCommand), finds
// their points (GetDemoCommandPoint), lists them for the registry and records
// them, so a word cannot be run under one spelling and recorded under another.

#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "demo/VxDemoLine.h"

class IVxDemoRecorder;
class TVxProperties;

// What follows a word in a script line.
enum class TVxDemoArgs {
  None,     // nothing
  Bool,     // true or false
  Integer,  // one integer
  Colour,   // one colour, 0x00RRGGBB
  Point,    // two integers: a point, or a width and a height
  File,     // a file name, optionally followed by a width and a height
};

// What a word's handler is given.
struct TVxDemoCall {
  IVxDemoRecorder *Playback = nullptr;
  const TVxProperties &Params;
  // The playback runs the word as if the user had clicked.
  bool UserAction = false;
};

template <class TOwner>
struct TVxDemoWord {
  // As scripts write it. A tool's words follow its ToolName, so a tool's own
  // word is the empty one.
  const char *Word = "";
  TVxDemoArgs Args = TVxDemoArgs::None;
  // Runs the word; null for a word that only names a control.
  void (*Run)(TOwner &owner, const TVxDemoCall &call) = nullptr;
  // The control a script moves to for the word; null when there is none.
  QObject *(*Control)(const TOwner &owner) = nullptr;
  // A point computed from the arguments instead of a control ("Image", x, y);
  // false when there is none.
  bool (*Point)(const TOwner &owner, const TVxProperties &params, QPoint &screen) = nullptr;
  // Where a recording of the word moves first and what it says there; null:
  // the word itself.
  const char *Target = nullptr;
  const char *Message = nullptr;
  // The message is recorded even while the recording shows no messages
  // (a tool's button names the tool).
  bool MessageAlways = false;
};

// One word as the registry sees it.
struct TVxDemoWordInfo {
  QString Word;
  TVxDemoArgs Args = TVxDemoArgs::None;
  QObject *Control = nullptr;
  // Runs the word on its client, which must outlive it; empty for a word
  // that only names a control.
  std::function<void(const TVxDemoCall &)> Run;
};
using TVxDemoWordVisitor = std::function<void(const TVxDemoWordInfo &)>;

// A script argument by position as text (numbers written out); empty when absent.
QString DemoParamText(const TVxProperties &params, int32_t index);
// A numeric script argument, reals rounded; false when it is not a number.
bool DemoParamNumber(const TVxProperties &params, int32_t index, int32_t &number);

// Whether params are what a word of kind args needs to run. Only the two
// integers of a point are required; other kinds fall back to defaults.
bool DemoArgsFit(TVxDemoArgs args, const TVxProperties &params);
// The screen centre of a widget, or of the toolbar button of an action.
bool DemoControlPoint(const QObject *control, QPoint &screen);
// Whether a script's word is prefix + word, letter case aside.
bool IsDemoWord(const QString &scriptWord, const QString &prefix, std::string_view word);

// The one way lines reach a recording. Both do nothing unless the recorder
// records; lines that cannot be written (a text with both kinds of quotation
// marks) are not recorded, and the recorder is told so.
// A single line, e.g. "MouseDown Image, 10, 20".
void RecordDemoLine(IVxDemoRecorder *recorder, std::string_view word,
                    std::span<const TVxDemoArgument> arguments);
inline void RecordDemoLine(IVxDemoRecorder *recorder, std::string_view word,
                           std::initializer_list<TVxDemoArgument> arguments = {}) {
  RecordDemoLine(recorder, word, std::span(arguments.begin(), arguments.size()));
}
// The lines of a command given through a control: the move to target, the
// message (while the recording shows messages, or always) and the command
// line; all of them or, when one cannot be written, none.
enum class TVxDemoMessage { WhenShown, Always };
void RecordDemoCommand(IVxDemoRecorder *recorder, const QString &target, const QString &message,
                       TVxDemoMessage when, const QString &word,
                       std::span<const TVxDemoArgument> arguments);

// A word that is its owner's field, for the Control column.
template <class TOwner, auto Field>
QObject *DemoControlOf(const TOwner &owner) {
  return owner.*Field;
}

template <class TOwner>
class TVxDemoWordTable {
 public:
  using TWord = TVxDemoWord<TOwner>;

  explicit TVxDemoWordTable(std::span<const TWord> words) : Words(words) {}

  std::span<const TWord> Entries() const { return Words; }

  // The entry for the script's upper-case word, taken after prefix; null when none.
  const TWord *Find(const QString &prefix, const QString &scriptWord) const {
    for (const TWord &entry : Words)
      if (IsDemoWord(scriptWord, prefix, entry.Word)) return &entry;
    return nullptr;
  }

  // Runs the word when the table has it with a handler and the arguments fit.
  bool Execute(TOwner &owner, const QString &prefix, const QString &scriptWord,
               const TVxDemoCall &call) const {
    const TWord *entry = Find(prefix, scriptWord);
    if (!entry || !entry->Run || !DemoArgsFit(entry->Args, call.Params)) return false;
    entry->Run(owner, call);
    return true;
  }

  // The screen point of what the first parameter names; false when the
  // table does not name it or its control is not on screen.
  bool CommandPoint(const TOwner &owner, const QString &prefix, const TVxProperties &params,
                    QPoint &screen) const;

  void List(TOwner &owner, const QString &prefix, const TVxDemoWordVisitor &visit) const {
    for (const TWord &entry : Words) {
      TVxDemoWordInfo info{prefix + QLatin1String(entry.Word),
                           entry.Args,
                           entry.Control ? entry.Control(owner) : nullptr,
                           {}};
      if (entry.Run)
        info.Run = [&owner, run = entry.Run](const TVxDemoCall &call) { run(owner, call); };
      visit(info);
    }
  }

  // The user gave word (one of the table's) through its control.
  void Record(IVxDemoRecorder *recorder, const QString &prefix, std::string_view word,
              std::span<const TVxDemoArgument> arguments = {}) const {
    const QString full = prefix + QLatin1String(word);
    const TWord *entry = Find(prefix, full.toUpper());
    if (!entry) return;
    RecordDemoCommand(recorder, entry->Target ? QLatin1String(entry->Target) : full,
                      entry->Message ? QLatin1String(entry->Message) : full,
                      entry->MessageAlways ? TVxDemoMessage::Always : TVxDemoMessage::WhenShown,
                      full, arguments);
  }
  void Record(IVxDemoRecorder *recorder, const QString &prefix, std::string_view word,
              std::initializer_list<TVxDemoArgument> arguments) const {
    Record(recorder, prefix, word, std::span(arguments.begin(), arguments.size()));
  }

  // One line of command (a mouse action) at the point word names.
  void RecordAt(IVxDemoRecorder *recorder, std::string_view command, const QString &prefix,
                std::string_view word, std::initializer_list<int32_t> arguments = {}) const;

 private:
  std::span<const TWord> Words;
};

template <class TOwner>
bool TVxDemoWordTable<TOwner>::CommandPoint(const TOwner &owner, const QString &prefix,
                                            const TVxProperties &params, QPoint &screen) const {
  const TWord *entry = Find(prefix, DemoParamText(params, 0).toUpper());
  if (!entry) return false;
  if (entry->Point) return entry->Point(owner, params, screen);
  return entry->Control && DemoControlPoint(entry->Control(owner), screen);
}

template <class TOwner>
void TVxDemoWordTable<TOwner>::RecordAt(IVxDemoRecorder *recorder, std::string_view command,
                                        const QString &prefix, std::string_view word,
                                        std::initializer_list<int32_t> arguments) const {
  const QString full = prefix + QLatin1String(word);
  if (!Find(prefix, full.toUpper())) return;
  std::vector<TVxDemoArgument> line{TVxDemoName{full.toStdString()}};
  for (int32_t value : arguments) line.emplace_back(value);
  RecordDemoLine(recorder, command, line);
}
