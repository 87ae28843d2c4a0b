#pragma once
// A demonstration recording that keeps what it is given, for tests of the
// editor, the views and the tools.

#include <QString>
#include <QStringList>

#include "demo/VxDemoRecorder.h"

namespace uitest {

class TFakeRecorder : public IVxDemoRecorder {
 public:
  void RecordLine(const QString &line) override { Lines << line; }
  bool IsRecording() const override { return Recording; }
  bool ShowMessages() const override { return Messages; }
  QString MessageText() const override { return Message; }
  void ReportError(const QString &message) override { Errors << message; }

  bool Recording = true;
  bool Messages = true;
  QString Message;
  QStringList Lines;
  QStringList Errors;
};

}  // namespace uitest
