#include "demo/VxDemoPlaybackThread.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>

#include "demo/VxDemoDesktop.h"
#include "demo/VxDemoPlayback.h"
#include "platform/VirtualKeys.h"

TVxDemoPlaybackThread::TVxDemoPlaybackThread(TVxDemoPlayback &playback, TVxDemoDesktop &desktop,
                                             QObject *owner)
    : QObject(owner), Playback(playback), Desktop(desktop) {
  setObjectName(QStringLiteral("DemoPlaybackThread"));
}

TVxDemoPlaybackThread::~TVxDemoPlaybackThread() {
  End();
  Join();
}

bool TVxDemoPlaybackThread::IsStopKey(int key) {
  return key == 9 || (key >= 13 && key <= 20) || key == 27 || key == 32 ||
         (key >= 35 && key <= 40) || (key >= 44 && key <= 57) || (key >= 65 && key <= 92) ||
         (key >= 95 && key <= 145);
}

void TVxDemoPlaybackThread::Join() {
  if (!Timer) return;
  Quit = true;
  Timer->wait();
  delete Timer;
  Timer = nullptr;
}

void TVxDemoPlaybackThread::Begin() {
  Join();
  // A tick handed over just before the last run ended leaves its permit behind.
  Done.tryAcquire(Done.available());
  Quit = false;
  More = true;
  if (!Watching) {
    qApp->installEventFilter(this);
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            &TVxDemoPlaybackThread::ApplicationStateChanged);
    Watching = true;
  }
  BackgroundPause = false;
  Timer = QThread::create([this] {
    while (!Quit) {
      QMetaObject::invokeMethod(this, &TVxDemoPlaybackThread::RunTick, Qt::QueuedConnection);
      // The interface thread may sit in a message box for long; a program
      // that ends meanwhile tells us through Quit.
      while (!Done.tryAcquire(1, 50))
        if (Quit) return;
      if (!More) return;
      QThread::msleep(10);
    }
  });
  Timer->start();
}

void TVxDemoPlaybackThread::End() {
  if (!Watching) return;
  Watching = false;
  if (qApp) qApp->removeEventFilter(this);
  if (qGuiApp)
    disconnect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
               &TVxDemoPlaybackThread::ApplicationStateChanged);
}

void TVxDemoPlaybackThread::RunTick() {
  More = Playback.Tick();
  Done.release();
}

void TVxDemoPlaybackThread::ApplicationStateChanged(Qt::ApplicationState state) {
  if (!Playback.IsPlaying()) return;
  if (state == Qt::ApplicationActive) {
    if (BackgroundPause) {
      BackgroundPause = false;
      Playback.Resume();
    }
  } else if (!BackgroundPause) {
    BackgroundPause = true;
    Playback.Pause();
  }
}

bool TVxDemoPlaybackThread::eventFilter(QObject *watched, QEvent *event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::ToolTip && !Desktop.TooltipsEnabled()) return true;
  if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) &&
      Playback.State() == TVxDemoState::Playing) {
    const auto *key = static_cast<QKeyEvent *>(event);
    if (IsStopKey(platform::VirtualKeyFromQt(key->key(), key->modifiers()))) {
      if (type == QEvent::KeyPress && !key->isAutoRepeat()) Playback.UserAbort();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}
