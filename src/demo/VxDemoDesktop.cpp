#include "demo/VxDemoDesktop.h"

#include <QtGui/qguiapplication_platform.h>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>

#include "demo/VxBalloon.h"
#include "demo/VxDemoXTest.h"
#include "settings/VxLocalizer.h"

namespace {

void *X11Display() {
  auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  void *display = x11 ? x11->display() : nullptr;
  return demoxtest::Usable(display) ? display : nullptr;
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
    demoxtest::MovePointer(XDisplay, to.x(), to.y());
    return;
  }
  if (to == Pointer) return;
  Pointer = to;
  SendMouse(QEvent::MouseMove, Qt::NoButton);
}

void TVxDemoDesktop::SendButton(TVxDemoButton button, bool down) {
  if (XDisplay) {
    demoxtest::Button(XDisplay, button == TVxDemoButton::Left ? 1 : 3, down);
    return;
  }
  const Qt::MouseButton which = button == TVxDemoButton::Left ? Qt::LeftButton : Qt::RightButton;
  SendMouse(down ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, which);
}

bool TVxDemoDesktop::ButtonsSwapped() { return XDisplay && demoxtest::ButtonsSwapped(XDisplay); }

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
