#include "demo/VxDemoWords.h"

#include <QAction>
#include <QToolBar>
#include <QWidget>
#include <cmath>
#include <variant>

#include "base/VxProperties.h"
#include "base/VxTypes.h"
#include "demo/VxDemoRecorder.h"
#include "framework/VxText.h"

namespace {

bool IsNumber(const TVxProperties &params, int32_t index) {
  const TVxVariant value = params.GetVariant(index);
  return std::holds_alternative<int32_t>(value) || std::holds_alternative<double>(value);
}

void RecordLines(IVxDemoRecorder *recorder, const std::vector<std::string> &lines) {
  // A step that cannot be written would replay as something else.
  if (lines.empty()) return recorder->ReportError(Text(5420));
  for (const std::string &line : lines) recorder->RecordLine(QString::fromStdString(line));
}

}  // namespace

QString DemoParamText(const TVxProperties &params, int32_t index) {
  const TVxVariant value = params.GetVariant(index);
  if (const auto *text = std::get_if<std::string>(&value)) return QString::fromStdString(*text);
  if (const auto *number = std::get_if<int32_t>(&value)) return QString::number(*number);
  if (const auto *real = std::get_if<double>(&value)) return QString::number(*real);
  return {};
}

bool DemoParamNumber(const TVxProperties &params, int32_t index, int32_t &number) {
  const TVxVariant value = params.GetVariant(index);
  if (const auto *integer = std::get_if<int32_t>(&value)) {
    number = *integer;
    return true;
  }
  if (const auto *real = std::get_if<double>(&value); real && std::isfinite(*real)) {
    number = static_cast<int32_t>(RoundHalfEven(*real));
    return true;
  }
  return false;
}

bool DemoArgsFit(TVxDemoArgs args, const TVxProperties &params) {
  return args != TVxDemoArgs::Point || (IsNumber(params, 0) && IsNumber(params, 1));
}

bool DemoControlPoint(const QObject *control, QPoint &screen) {
  const QWidget *widget = qobject_cast<const QWidget *>(control);
  if (const auto *action = qobject_cast<const QAction *>(control)) {
    for (const QObject *owner : action->associatedObjects())
      if (const auto *toolbar = qobject_cast<const QToolBar *>(owner))
        if ((widget = toolbar->widgetForAction(const_cast<QAction *>(action)))) break;
  }
  if (!widget) return false;
  screen = widget->mapToGlobal(widget->rect().center());
  return true;
}

bool IsDemoWord(const QString &scriptWord, const QString &prefix, std::string_view word) {
  const auto size = static_cast<qsizetype>(word.size());
  return scriptWord.size() == prefix.size() + size &&
         scriptWord.startsWith(prefix, Qt::CaseInsensitive) &&
         QStringView(scriptWord)
                 .sliced(prefix.size())
                 .compare(QLatin1String(word.data(), size), Qt::CaseInsensitive) == 0;
}

void RecordDemoLine(IVxDemoRecorder *recorder, std::string_view word,
                    std::span<const TVxDemoArgument> arguments) {
  if (!recorder || !recorder->IsRecording()) return;
  const std::optional<std::string> line = FormatDemoLine(word, arguments);
  RecordLines(recorder, line ? std::vector{*line} : std::vector<std::string>{});
}

void RecordDemoCommand(IVxDemoRecorder *recorder, const QString &target, const QString &message,
                       TVxDemoMessage when, const QString &word,
                       std::span<const TVxDemoArgument> arguments) {
  if (!recorder || !recorder->IsRecording()) return;
  std::optional<std::string> said;
  if (when == TVxDemoMessage::Always || recorder->ShowMessages()) said = message.toStdString();
  RecordLines(recorder,
              DemoCommandLines(target.toStdString(), said, word.toStdString(), arguments));
}
