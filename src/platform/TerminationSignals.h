#pragma once
// Turns SIGTERM and SIGINT into a Qt signal on the main thread, so a session
// logout or Ctrl+C runs the same orderly shutdown as closing the window.

#include <QObject>

class QSocketNotifier;

namespace platform {

class TerminationSignals : public QObject {
  Q_OBJECT
 public:
  // Installs the handlers; only one instance may exist at a time. The
  // previous handlers come back when it is destroyed.
  explicit TerminationSignals(QObject *parent = nullptr);
  ~TerminationSignals() override;

 signals:
  void Received(int signalNumber);

 private:
  void Drain();
  QSocketNotifier *Notifier = nullptr;
};

}  // namespace platform
