#pragma once
// The machine a demonstration plays on: the clock, the pointer, the mouse
// buttons, the balloon and the program's tooltips. On an X11 display the
// real pointer moves and real buttons are pressed through the XTEST
// extension, so the whole desktop sees what the program sees. Where the
// pointer cannot be moved (Wayland, offscreen) the same moves and presses
// reach the program's own windows as synthesised mouse events.

#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "demo/VxDemoDevice.h"

class TVxBalloon;

class TVxDemoDesktop : public QObject, public IVxDemoDevice {
  Q_OBJECT
 public:
  explicit TVxDemoDesktop(QObject *owner);
  ~TVxDemoDesktop() override;

  // Time runs this many times faster for the demonstration (tests).
  void SetSpeedFactor(double factor);
  double SpeedFactor() const { return Factor; }
  // Whether the real pointer moves (XTEST), else synthesised events.
  bool MovesRealPointer() const { return XDisplay != nullptr; }
  bool TooltipsEnabled() const { return Tooltips; }
  TVxBalloon *Balloon() const { return FBalloon.get(); }

  uint32_t TickCount() override;
  TVxPoint PointerPosition() override;
  void MovePointer(TVxPoint screen) override;
  void SendButton(TVxDemoButton button, bool down) override;
  bool ButtonsSwapped() override;
  void ShowPointer(bool shown) override;
  void EnableTooltips(bool enabled) override;
  void ShowBalloon(TVxPoint point, int32_t corner, const std::u16string &text) override;
  void HideBalloon() override;
  std::u16string LanguageString(int32_t number) override;
  void BeginPlaying() override;
  void EndPlaying() override;

  // Told when playing begins and when the program's handlers go back.
  std::function<void()> OnBegin, OnEnd;

 private:
  QWidget *WidgetAt(const QPoint &screen) const;
  void SendMouse(QEvent::Type type, Qt::MouseButton button);

  void *XDisplay = nullptr;
  QElapsedTimer Clock;
  double Factor = 1;
  double Offset = 0;  // time before the last change of factor, in demonstration milliseconds
  bool Tooltips = true;
  int HiddenCount = 0;
  std::unique_ptr<TVxBalloon> FBalloon;
  // The synthesised pointer: where it is, what it holds, and who receives
  // the moves while a button is held.
  QPoint Pointer;
  Qt::MouseButtons Held;
  QPointer<QWidget> Grabber;
};
