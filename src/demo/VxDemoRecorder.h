#pragma once
// What the editor and the tools need of a running demonstration recording.

#include <QString>

class IVxDemoRecorder {
 public:
  // Callers check IsRecording first.
  virtual void RecordLine(const QString &line) = 0;
  virtual bool IsRecording() const = 0;
  // Whether recorded steps also get their explanatory "Message" lines.
  virtual bool ShowMessages() const = 0;
  // The text of the message the recording shows at present, for a "Message"
  // line written before a recorded mouse action.
  virtual QString MessageText() const { return {}; }
  // A script error, e.g. a command that could not be carried out.
  virtual void ReportError(const QString &message) = 0;

 protected:
  IVxDemoRecorder() = default;
  IVxDemoRecorder(const IVxDemoRecorder &) = default;
  IVxDemoRecorder &operator=(const IVxDemoRecorder &) = default;
  ~IVxDemoRecorder() = default;
};
