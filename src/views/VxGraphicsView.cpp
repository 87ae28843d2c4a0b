#include "views/VxGraphicsView.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

#include "demo/VxDemoRecorder.h"
#include "framework/VxCursors.h"
#include "platform/VirtualKeys.h"

const std::array<TVxZoom, 21> ZoomSteps = {{
    {1, 16}, {1, 12}, {1, 8}, {1, 7}, {1, 6}, {1, 5}, {1, 4}, {1, 3}, {1, 2},  {3, 4},  {1, 1},
    {3, 2},  {2, 1},  {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 1}, {12, 1}, {16, 1},
}};

namespace {

int32_t PerMille(int32_t numerator, int32_t denominator) {
  return MulDiv(1000, numerator, denominator);
}

TVxShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  TVxShiftState shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= ShiftKey;
  if (modifiers & Qt::AltModifier) shift |= AltKey;
  if (modifiers & Qt::ControlModifier) shift |= CtrlKey;
  if (buttons & Qt::LeftButton) shift |= LeftButtonDown;
  if (buttons & Qt::RightButton) shift |= RightButtonDown;
  if (buttons & Qt::MiddleButton) shift |= MiddleButtonDown;
  return shift;
}

TVxShiftState ShiftStateOf(const QInputEvent *event, Qt::MouseButtons buttons) {
  return ShiftStateOf(event->modifiers(), buttons);
}

bool ButtonOf(Qt::MouseButton qtButton, TVxMouseButton &button) {
  switch (qtButton) {
    case Qt::LeftButton:
      button = TVxMouseButton::Left;
      return true;
    case Qt::RightButton:
      button = TVxMouseButton::Right;
      return true;
    case Qt::MiddleButton:
      button = TVxMouseButton::Middle;
      return true;
    default:
      return false;
  }
}

TVxPoint ClientPoint(const QMouseEvent *event) {
  const QPoint p = event->position().toPoint();
  return {p.x(), p.y()};
}

// Keys the tools keep for themselves instead of letting them move the focus
// or trigger the window's default buttons.
bool IsClaimedKey(int virtualKey) {
  switch (virtualKey) {
    case platform::VkCancel:
    case platform::VkReturn:
    case platform::VkEscape:
    case platform::VkLeft:
    case platform::VkUp:
    case platform::VkRight:
    case platform::VkDown:
    case platform::VkExecute:
      return true;
    default:
      return false;
  }
}

}  // namespace

TVxZoom ZoomInStep(int32_t devExt, int32_t logExt) {
  const int32_t current = PerMille(devExt, logExt);
  for (const TVxZoom &step : ZoomSteps)
    if (PerMille(step.Numerator, step.Denominator) > current) return step;
  return ZoomSteps.back();
}

TVxZoom ZoomOutStep(int32_t devExt, int32_t logExt) {
  const int32_t current = PerMille(devExt, logExt);
  for (size_t i = ZoomSteps.size(); i-- > 0;)
    if (PerMille(ZoomSteps[i].Numerator, ZoomSteps[i].Denominator) < current) return ZoomSteps[i];
  return ZoomSteps.front();
}

TVxGraphicDocumentView::TVxGraphicDocumentView(TVxGraphicsDocument *document)
    : TVxViewObject(InitialFlags), Document(document) {
  UpdateBounds();
}

void TVxGraphicDocumentView::UpdateBounds() {
  Bounds = Document ? Document->Image.BoundsRect() : TVxRect{};
}

void TVxGraphicDocumentView::PaintBody(TVxViewCanvas &canvas) {
  if (!Document) return;
  const TVxRect source = Document->Image.BoundsRect();
  const TVxRect dest = canvas.MapMode().LogicalToDeviceRect(source);
  // The surface is written directly, so each part of the clip region is
  // drawn on its own: a body above may have cut a hole in it.
  canvas.ForEachClipRect(dest, [&](const TVxRect &part) {
    Document->Image.Draw(canvas.Pixels(), dest, &source, &part);
  });
  canvas.ExcludeClipRect(dest);
}

TVxGraphicsView::TVxGraphicsView(TVxGraphicsDocument *document, QWidget *parent)
    : TVxScrollViewControl(parent), FDocument(document) {
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  if (FDocument) FDocument->AddListener(this);
  FDocumentView = Objects().Add(std::make_unique<TVxGraphicDocumentView>(FDocument));
  FDocumentView->SetVisible(false);
  // Over a scroll bar the pointer has left the image.
  HorizontalScrollBar()->installEventFilter(this);
  VerticalScrollBar()->installEventFilter(this);
}

TVxGraphicsView::~TVxGraphicsView() {
  if (FDocument) FDocument->RemoveListener(this);
  Objects().Clear();
}

std::array<uint8_t, 3> TVxGraphicsView::PixelAt(const TVxPoint &point) const {
  const TVxPixels *pixels = FDocument ? FDocument->ImagePixels() : nullptr;
  if (pixels == nullptr || pixels->Format != PixelFormat24 ||
      !pixels->GetBounds().Contains(point.X, point.Y))
    return {0, 0, 0};
  const uint8_t *p = pixels->PixelAddress(point.X, point.Y);
  return {p[0], p[1], p[2]};
}

void TVxGraphicsView::SetDocumentBounds(const TVxRect &bounds) { FDocumentView->SetBounds(bounds); }

void TVxGraphicsView::DocumentChanged(TVxDocument *) { UpdateScrollRange(); }

TVxZoom TVxGraphicsView::Zoom() const { return {MapMode().DevExtX, MapMode().LogExtX}; }

void TVxGraphicsView::SetZoom(int32_t numerator, int32_t denominator) {
  if (numerator <= 0 || denominator <= 0) return;
  const TVxRect client = ClientRect();
  const TVxPoint centre = MapMode().DeviceToLogical({client.Width() / 2, client.Height() / 2});
  MapMode().DevExtX = MapMode().DevExtY = numerator;
  MapMode().LogExtX = MapMode().LogExtY = denominator;
  CentreOn(centre);
  // The tools see a move at the new zoom, as if the pointer had moved.
  if (FMouseInside) {
    const QPoint p = mapFromGlobal(QCursor::pos());
    MouseMove(ShiftStateOf(QApplication::keyboardModifiers(), QApplication::mouseButtons()),
              {p.x(), p.y()});
  }
  UpdateCursor();
}

template <class F>
bool TVxGraphicsView::Offer(F &&f) {
  for (size_t i = Objects().Count(); i-- > 0;) {
    auto *input = dynamic_cast<TVxInputViewObject *>(Objects()[i]);
    if (input == nullptr) continue;
    try {
      if (f(*input)) return true;
    } catch (...) {
      // An object that failed has had its say; nobody below hears of it.
      return true;
    }
  }
  return false;
}

template <class F>
void TVxGraphicsView::TellAll(F &&f) {
  for (size_t i = Objects().Count(); i-- > 0;) {
    if (i >= Objects().Count()) continue;  // an object went while it was told
    if (auto *input = dynamic_cast<TVxInputViewObject *>(Objects()[i])) f(*input);
  }
}

IVxDemoRecorder *TVxGraphicsView::Recorder() const {
  TVxEditor *editor = FDocument ? FDocument->Editor() : nullptr;
  IVxDemoRecorder *recorder = editor ? editor->DemoRecorder() : nullptr;
  return recorder && recorder->IsRecording() ? recorder : nullptr;
}

const TVxDemoWordTable<TVxGraphicsView> &TVxGraphicsView::DemoWords() {
  using TWord = TVxDemoWord<TVxGraphicsView>;
  static const TWord words[] = {
      {.Word = ImageWord.data(),
       .Args = TVxDemoArgs::Point,
       .Point =
           [](const TVxGraphicsView &view, const TVxProperties &params, QPoint &screen) {
             int32_t x = 0, y = 0;
             if (!DemoParamNumber(params, 1, x) || !DemoParamNumber(params, 2, y)) return false;
             const TVxPoint p = view.MapMode().LogicalToDevice({x, y});
             screen = view.mapToGlobal(QPoint(p.X, p.Y));
             return true;
           }},
  };
  static const TVxDemoWordTable<TVxGraphicsView> table(words);
  return table;
}

void TVxGraphicsView::RecordPointLine(std::string_view command, const TVxPoint &p) {
  DemoWords().RecordAt(Recorder(), command, {}, ImageWord, {p.X, p.Y});
}

void TVxGraphicsView::MouseDown(TVxMouseButton button, TVxShiftState shift, const TVxPoint &point) {
  if (IVxDemoRecorder *recorder = Recorder()) {
    const TVxPoint p = MapMode().DeviceToLogical(point);
    FRecordPoint = p;
    RecordPointLine(FRecordButtonDown ? "MouseMove" : "MouseCurvedMove", p);
    if (recorder->ShowMessages())
      RecordDemoLine(recorder, "Message", {recorder->MessageText().toStdString()});
    if (button == TVxMouseButton::Left || button == TVxMouseButton::Right) {
      RecordPointLine(button == TVxMouseButton::Left ? "MouseDown" : "MouseRightDown", p);
      FRecordButtonDown = true;
    }
  }
  Offer([&](TVxInputViewObject &o) { return o.MouseDown(button, shift, point); });
  QueryCursor(shift, point);
}

void TVxGraphicsView::MouseMove(TVxShiftState shift, const TVxPoint &point) {
  if (Recorder() && FRecordButtonDown) {
    const TVxPoint p = MapMode().DeviceToLogical(point);
    if (p != FRecordPoint) {
      FRecordPoint = p;
      RecordPointLine("MouseTo", p);
    }
  }
  if (!FMouseInside) EnterSequence();
  ShowStatus(point);
  Offer([&](TVxInputViewObject &o) { return o.MouseMove(shift, point); });
  QueryCursor(shift, point);
}

void TVxGraphicsView::MouseUp(TVxMouseButton button, TVxShiftState shift, const TVxPoint &point) {
  if (Recorder()) {
    const TVxPoint p = MapMode().DeviceToLogical(point);
    FRecordPoint = p;
    if (button == TVxMouseButton::Left || button == TVxMouseButton::Right) {
      RecordPointLine(button == TVxMouseButton::Left ? "MouseUp" : "MouseRightUp", p);
      FRecordButtonDown = false;
    }
    RecordDemoLine(Recorder(), "Pause", {0.5});
  }
  Offer([&](TVxInputViewObject &o) { return o.MouseUp(button, shift, point); });
  QueryCursor(shift, point);
}

void TVxGraphicsView::EnterSequence() {
  FMouseInside = true;
  TellAll([](TVxInputViewObject &o) { o.MouseEnter(); });
  if (window()->isActiveWindow() && !hasFocus()) setFocus(Qt::MouseFocusReason);
}

void TVxGraphicsView::LeaveSequence() {
  if (!FMouseInside) return;
  FMouseInside = false;
  TellAll([](TVxInputViewObject &o) { o.MouseLeave(); });
}

void TVxGraphicsView::ShowStatus(const TVxPoint &client) {
  if (StatusSink == nullptr) return;
  const TVxPoint p = MapMode().DeviceToLogical(client);
  const std::array<uint8_t, 3> bgr = PixelAt(p);
  StatusSink->ShowPointerStatus({p.X, p.Y, bgr[2], bgr[1], bgr[0]});
}

void TVxGraphicsView::QueryCursor(TVxShiftState shift, const TVxPoint &point) {
  int cursor = CursorDefault;
  Offer([&](TVxInputViewObject &o) { return o.GetCursor(shift, point, cursor); });
  setCursor(ScreenCursor(cursor));
}

void TVxGraphicsView::UpdateCursor() {
  const QPoint p = mapFromGlobal(QCursor::pos());
  QueryCursor(ShiftStateOf(QApplication::keyboardModifiers(), QApplication::mouseButtons()),
              {p.x(), p.y()});
}

bool TVxGraphicsView::MouseWheelHandler(TVxShiftState shift, int delta, const QPoint &screenPoint) {
  // High-resolution wheels and touch pads send parts of a notch. The parts
  // add up until they make one; turning back starts afresh. A burst of many
  // notches in one event is held to what a hand can turn.
  constexpr int Notch = 120, MostNotches = 16;
  if ((WheelRest < 0 && delta > 0) || (WheelRest > 0 && delta < 0)) WheelRest = 0;
  WheelRest += std::clamp(delta, -Notch * MostNotches, Notch * MostNotches);
  const int notches = WheelRest / Notch;
  WheelRest -= notches * Notch;
  const QPoint p = mapFromGlobal(screenPoint);
  for (int i = 0; i < std::abs(notches); ++i) WheelNotch(shift, notches > 0 ? 1 : -1, p);
  return true;
}

void TVxGraphicsView::WheelNotch(TVxShiftState shift, int notch, const QPoint &p) {
  if (Offer([&](TVxInputViewObject &o) { return o.MouseWheel(shift, notch, {p.x(), p.y()}); }))
    return;
  // No tool wants the wheel: Ctrl zooms a step, Shift scrolls sideways, and
  // so does a plain wheel when only the width overflows.
  if (shift & CtrlKey) {
    const TVxZoom zoom = Zoom();
    const TVxZoom step = notch > 0 ? ZoomInStep(zoom.Numerator, zoom.Denominator)
                                   : ZoomOutStep(zoom.Numerator, zoom.Denominator);
    SetZoom(step.Numerator, step.Denominator);
  } else {
    WheelScroll(notch, (shift & ShiftKey) != 0 || VerticalScrollBar()->isHidden());
  }
}

void TVxGraphicsView::mousePressEvent(QMouseEvent *event) {
  TVxMouseButton button;
  if (!ButtonOf(event->button(), button)) return;
  event->accept();
  MouseDown(button, ShiftStateOf(event, event->buttons()), ClientPoint(event));
}

void TVxGraphicsView::mouseDoubleClickEvent(QMouseEvent *event) {
  // The second press of a double click is a press like any other, marked.
  TVxMouseButton button;
  if (!ButtonOf(event->button(), button)) return;
  event->accept();
  MouseDown(button, ShiftStateOf(event, event->buttons()) | DoubleClick, ClientPoint(event));
}

void TVxGraphicsView::mouseMoveEvent(QMouseEvent *event) {
  event->accept();
  MouseMove(ShiftStateOf(event, event->buttons()), ClientPoint(event));
}

void TVxGraphicsView::mouseReleaseEvent(QMouseEvent *event) {
  TVxMouseButton button;
  if (!ButtonOf(event->button(), button)) return;
  event->accept();
  MouseUp(button, ShiftStateOf(event, event->buttons()), ClientPoint(event));
}

void TVxGraphicsView::wheelEvent(QWheelEvent *event) {
  const QPoint angle = event->angleDelta();
  const int delta = angle.y() != 0 ? angle.y() : angle.x();
  // Touch pads report phases without movement: no notch at all.
  if (delta != 0 && MouseWheelHandler(ShiftStateOf(event, event->buttons()), delta,
                                      event->globalPosition().toPoint())) {
    event->accept();
    return;
  }
  event->ignore();
}

void TVxGraphicsView::keyPressEvent(QKeyEvent *event) { KeyEvent(event, true); }

void TVxGraphicsView::keyReleaseEvent(QKeyEvent *event) {
  // An auto-repeated key stays down: only the final release is a key up.
  if (event->isAutoRepeat()) {
    event->accept();
    return;
  }
  KeyEvent(event, false);
}

void TVxGraphicsView::KeyEvent(QKeyEvent *event, bool down) {
  const int key = platform::VirtualKeyFromQt(event->key(), event->modifiers());
  const TVxShiftState shift = ShiftStateOf(event, QApplication::mouseButtons());
  const bool handled = key != 0 && Offer([&](TVxInputViewObject &o) {
                         return down ? o.KeyDown(key, shift) : o.KeyUp(key, shift);
                       });
  if (handled || IsClaimedKey(key))
    event->accept();
  else
    event->ignore();
  UpdateCursor();
}

bool TVxGraphicsView::event(QEvent *event) {
  if (event->type() == QEvent::ShortcutOverride) {
    auto *key = static_cast<QKeyEvent *>(event);
    if (IsClaimedKey(platform::VirtualKeyFromQt(key->key(), key->modifiers()))) {
      event->accept();
      return true;
    }
  }
  return TVxScrollViewControl::event(event);
}

bool TVxGraphicsView::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::Enter) LeaveSequence();
  return TVxScrollViewControl::eventFilter(watched, event);
}

void TVxGraphicsView::leaveEvent(QEvent *event) {
  LeaveSequence();
  TVxScrollViewControl::leaveEvent(event);
}
