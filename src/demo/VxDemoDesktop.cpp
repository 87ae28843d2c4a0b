#include "demo/VxDemoDesktop.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <QtGui/qguiapplication_platform.h>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>

#include "demo/VxBalloon.h"
#include "settings/VxLocalizer.h"

// Xlib's macros collide with Qt's names.
#undef None
#undef KeyPress
#undef KeyRelease

namespace {

Display *X11Display() {
  auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->display()) return nullptr;
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(x11->display(), &event, &error, &major, &minor)) return nullptr;
  return x11->display();
}

}  // namespace

TVxDemoDesktop::TVxDemoDesktop(QObject *owner)
    : QObject(owner), XDisplay(X11Display()), FBalloon(std::make_unique<TVxBalloon>()) {
  setObjectName(QStringLiteral("DemoDesktop"));
  Clock.start();
  if (!XDisplay)
    qInfo(
        "velora: the pointer cannot be moved on this display; demonstrations send their "
        "mouse events to the program's windows instead");
  Pointer = QCursor::pos();
}

TVxDemoDesktop::~TVxDemoDesktop() {
  while (HiddenCount > 0) ShowPointer(true);
}

void TVxDemoDesktop::SetSpeedFactor(double factor) {
  if (!(factor > 0)) return;
  Offset += static_cast<double>(Clock.restart()) * Factor;
  Factor = factor;
}

uint32_t TVxDemoDesktop::TickCount() {
  const double ms = Offset + static_cast<double>(Clock.elapsed()) * Factor;
  return static_cast<uint32_t>(static_cast<uint64_t>(ms) & 0xFFFFFFFF);
}

TVxPoint TVxDemoDesktop::PointerPosition() {
  const QPoint at = XDisplay ? QCursor::pos() : Pointer;
  return {at.x(), at.y()};
}

void TVxDemoDesktop::MovePointer(TVxPoint screen) {
  const QPoint to(screen.X, screen.Y);
  if (XDisplay) {
    auto *display = static_cast<Display *>(XDisplay);
    XTestFakeMotionEvent(display, -1, to.x(), to.y(), CurrentTime);
    XFlush(display);
    return;
  }
  if (to == Pointer) return;
  Pointer = to;
  SendMouse(QEvent::MouseMove, Qt::NoButton);
}

void TVxDemoDesktop::SendButton(TVxDemoButton button, bool down) {
  if (XDisplay) {
    auto *display = static_cast<Display *>(XDisplay);
    XTestFakeButtonEvent(display, button == TVxDemoButton::Left ? 1 : 3, down ? True : False,
                         CurrentTime);
    XFlush(display);
    return;
  }
  const Qt::MouseButton which = button == TVxDemoButton::Left ? Qt::LeftButton : Qt::RightButton;
  SendMouse(down ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, which);
}

bool TVxDemoDesktop::ButtonsSwapped() {
  if (!XDisplay) return false;
  unsigned char map[8] = {};
  const int count = XGetPointerMapping(static_cast<Display *>(XDisplay), map, 8);
  return count >= 3 && map[0] == 3;
}

QWidget *TVxDemoDesktop::WidgetAt(const QPoint &screen) const {
  QWidget *widget = QApplication::widgetAt(screen);
  return widget == FBalloon.get() ? nullptr : widget;
}

void TVxDemoDesktop::SendMouse(QEvent::Type type, Qt::MouseButton button) {
  QWidget *target = Grabber ? Grabber.data() : WidgetAt(Pointer);
  if (type == QEvent::MouseButtonPress) {
    Held |= button;
    Grabber = target;
  } else if (type == QEvent::MouseButtonRelease) {
    Held &= ~Qt::MouseButtons(button);
    if (!Held) Grabber = nullptr;
  }
  if (!target) return;
  const QPointF local = target->mapFromGlobal(QPointF(Pointer));
  const QPointF inWindow = target->window()->mapFromGlobal(QPointF(Pointer));
  QMouseEvent event(type, local, inWindow, QPointF(Pointer), button, Held, Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

void TVxDemoDesktop::ShowPointer(bool shown) {
  if (!shown) {
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    ++HiddenCount;
  } else if (HiddenCount > 0) {
    QGuiApplication::restoreOverrideCursor();
    --HiddenCount;
  }
}

void TVxDemoDesktop::EnableTooltips(bool enabled) { Tooltips = enabled; }

void TVxDemoDesktop::ShowBalloon(TVxPoint point, int32_t corner, const std::u16string &text) {
  FBalloon->ShowAt(point.X, point.Y, corner, QString::fromStdU16String(text));
}

void TVxDemoDesktop::HideBalloon() { FBalloon->Hide(); }

std::u16string TVxDemoDesktop::LanguageString(int32_t number) {
  return Localizer().LocalizedString(number);
}

void TVxDemoDesktop::BeginPlaying() {
  if (OnBegin) OnBegin();
}

void TVxDemoDesktop::EndPlaying() {
  if (OnEnd) OnEnd();
}
