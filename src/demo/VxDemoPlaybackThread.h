#pragma once
// Times a playing demonstration: a thread that wakes about every 10 ms and
// hands one Tick to the interface thread, waiting until it has run, so that
// every action and every event runs on the interface thread. While the
// demonstration plays it also watches the program: in the background the
// playback pauses, and a key of the stop set asks whether to stop.

#include <QObject>
#include <QSemaphore>
#include <QThread>
#include <atomic>

class TVxDemoPlayback;
class TVxDemoDesktop;

class TVxDemoPlaybackThread : public QObject {
  Q_OBJECT
 public:
  TVxDemoPlaybackThread(TVxDemoPlayback &playback, TVxDemoDesktop &desktop, QObject *owner);
  ~TVxDemoPlaybackThread() override;

  // The ticks begin (the playback started) / the program's handlers go back.
  void Begin();
  void End();
  bool IsRunning() const { return Timer && Timer->isRunning(); }

  // Whether a virtual key asks a playing demonstration to stop: tab, enter,
  // shift, control, alt, pause, caps lock, escape, space, end, home, the
  // arrows, print screen, insert, delete, help, digits, letters, the system
  // keys, the numeric pad, the function keys, num lock and scroll lock.
  static bool IsStopKey(int virtualKey);

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void RunTick();
  void ApplicationStateChanged(Qt::ApplicationState state);
  void Join();

  TVxDemoPlayback &Playback;
  TVxDemoDesktop &Desktop;
  QThread *Timer = nullptr;
  QSemaphore Done;
  std::atomic<bool> Quit{false};
  std::atomic<bool> More{true};
  bool Watching = false;
  // The playback paused because the program went to the background.
  bool BackgroundPause = false;
};
