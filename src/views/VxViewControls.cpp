#include "views/VxViewControls.h"

#include <QPaintEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>

namespace {

QRect ToQRect(const TVxRect &rect) { return {rect.Left, rect.Top, rect.Width(), rect.Height()}; }

// The origin correction on one axis: centre content narrower than the window,
// else pull an origin that went past either end back to it.
int32_t Correction(int32_t range, int32_t origin) {
  if (range < 0) return (-range) / 2 - origin;
  if (origin < -range) return -range - origin;
  if (origin > 0) return -origin;
  return 0;
}

void ClampAxis(int32_t &delta, int32_t origin, int32_t range) {
  if (delta == 0) return;
  if (range <= 0) {
    delta = 0;
  } else if (delta < 0) {
    // Never turns a drag round when the origin already lies past the end.
    delta = std::max(delta, std::min(0, -range - origin));
  } else {
    delta = std::min(delta, std::max(0, -origin));
  }
}

void ConfigureBar(QScrollBar *bar, int32_t range, int32_t page, int32_t position,
                  int32_t lineStep) {
  bar->setRange(0, std::max(0, range));
  bar->setPageStep(std::max(1, page));
  bar->setSingleStep(lineStep);
  bar->setValue(position);
  bar->setHidden(range <= 0);
}

}  // namespace

TVxViewControl::TVxViewControl(QWidget *parent) : QWidget(parent) {
  // Every pixel comes from the off-screen image: nothing to erase first, and
  // a resize repaints only what became visible.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setAttribute(Qt::WA_StaticContents);
  setAutoFillBackground(false);
}

TVxViewControl::~TVxViewControl() {
  // Objects may still call on the view while they go.
  FObjects.Clear();
}

void TVxViewControl::paintEvent(QPaintEvent *event) { PaintRegion(this, event->region()); }

void TVxViewControl::InvalidateRect(const TVxRect &rect) {
  if (!rect.IsEmpty()) update(ToQRect(rect));
}

void TVxViewControl::PaintRegion(QPaintDevice *target, const QRegion &updateRegion) {
  if (!FViewCanvas.BeginPaint(target, updateRegion)) return;
  PaintObjects();
  FViewCanvas.EndPaint();
}

void TVxViewControl::PaintObjects() {
  TVxViewCanvas &canvas = FViewCanvas;
  const TVxMapMode &map = canvas.MapMode();
  // Bodies from the top down; each keeps the clip it met for its overlay.
  for (size_t i = FObjects.Count(); i-- > 0;) {
    TVxViewObject *object = FObjects[i];
    if (object == nullptr || !object->IsVisible()) continue;
    if (!canvas.RectVisible(object->GetUpdateRect(map))) continue;
    if (!object->CanPaint(canvas)) continue;
    bool pushed = false;
    if (object->HasFlag(ViewObjectOverlay) && canvas.RectVisible(object->GetOverlayRect(map))) {
      canvas.PushState(object);
      pushed = true;
    }
    if (object->HasFlag(ViewObjectBody) && canvas.RectVisible(object->GetBodyRect(map)))
      object->PaintBody(canvas);
    if (!pushed) object->PaintDone();
  }
  if (!canvas.ClipRegion().isEmpty()) canvas.FillRect(canvas.ClipBox(), canvas.BackgroundColour);
  // Overlays from the bottom up.
  TVxViewObject *object = nullptr;
  while (canvas.PopState(object)) {
    object->PaintOverlay(canvas);
    object->PaintDone();
  }
}

TVxScrollViewControl::TVxScrollViewControl(QWidget *parent) : TVxViewControl(parent) {
  HorzBar = new QScrollBar(Qt::Horizontal, this);
  VertBar = new QScrollBar(Qt::Vertical, this);
  Corner = new QWidget(this);
  Corner->setAutoFillBackground(true);
  for (QScrollBar *bar : {HorzBar, VertBar}) {
    bar->hide();
    // Opaque bars spare the view painting what lies under them.
    bar->setAutoFillBackground(true);
    bar->setFocusPolicy(Qt::NoFocus);
    connect(bar, &QAbstractSlider::actionTriggered, this,
            [this, bar](int action) { BarAction(bar, action); });
    connect(bar, &QAbstractSlider::valueChanged, this,
            [this, bar](int value) { BarMoved(bar, value); });
  }
  Corner->hide();
}

int32_t TVxScrollViewControl::VertBarWidth() const { return VertBar->sizeHint().width(); }

int32_t TVxScrollViewControl::HorzBarHeight() const { return HorzBar->sizeHint().height(); }

TVxRect TVxScrollViewControl::ClientRect() const {
  return {0, 0, width() - (VertBar->isHidden() ? 0 : VertBarWidth()),
          height() - (HorzBar->isHidden() ? 0 : HorzBarHeight())};
}

TVxRect TVxScrollViewControl::GetContentRect() {
  const TVxMapMode &map = MapMode();
  const TVxPoint origin = map.LogicalToDevice({0, 0});
  TVxRect content{origin.X, origin.Y, origin.X, origin.Y};
  for (size_t i = 0; i < Objects().Count(); ++i) {
    const TVxViewObject *object = Objects()[i];
    if (!object->IsVisible() || object->HasFlag(ViewObjectNoExtent)) continue;
    const TVxRect rect = object->GetUpdateRect(map);
    if (rect.IsEmpty()) continue;
    content = {std::min(content.Left, rect.Left), std::min(content.Top, rect.Top),
               std::max(content.Right, rect.Right), std::max(content.Bottom, rect.Bottom)};
  }
  return content;
}

void TVxScrollViewControl::ComputeScroll(int32_t &dx, int32_t &dy, int32_t &rangeY,
                                         int32_t &rangeX) {
  const TVxRect content = GetContentRect();
  rangeX = content.Width() - width();
  rangeY = content.Height() - height();
  // A scroll bar takes client space, which can make the other one needed.
  if (rangeY > 0) {
    rangeX += VertBarWidth();
    if (rangeX > 0) rangeY += HorzBarHeight();
  } else if (rangeX > 0) {
    rangeY += HorzBarHeight();
    if (rangeY > 0) rangeX += VertBarWidth();
  }
  dx = Correction(rangeX, MapMode().DevOrgX);
  dy = Correction(rangeY, MapMode().DevOrgY);
}

void TVxScrollViewControl::UpdateScrollRange() {
  int32_t dx = 0, dy = 0, rangeX = 0, rangeY = 0;
  ComputeScroll(dx, dy, rangeY, rangeX);
  if (dx != 0 || dy != 0) ShiftOrigin(dx, dy);
  SetScrollBars(rangeX, rangeY);
  update();
}

void TVxScrollViewControl::SetScrollBars(int32_t rangeX, int32_t rangeY) {
  if (width() < 1 || height() < 1) return;
  SettingBars = true;
  const int32_t pageX = width() - (rangeY > 0 ? VertBarWidth() : 0);
  const int32_t pageY = height() - (rangeX > 0 ? HorzBarHeight() : 0);
  ConfigureBar(HorzBar, rangeX, pageX, -MapMode().DevOrgX, LineStep);
  ConfigureBar(VertBar, rangeY, pageY, -MapMode().DevOrgY, LineStep);
  SettingBars = false;
  PlaceBars();
}

void TVxScrollViewControl::PlaceBars() {
  const bool horz = !HorzBar->isHidden();
  const bool vert = !VertBar->isHidden();
  const int32_t barW = VertBarWidth();
  const int32_t barH = HorzBarHeight();
  HorzBar->setGeometry(0, height() - barH, width() - (vert ? barW : 0), barH);
  VertBar->setGeometry(width() - barW, 0, barW, height() - (horz ? barH : 0));
  Corner->setGeometry(width() - barW, height() - barH, barW, barH);
  Corner->setVisible(horz && vert);
}

void TVxScrollViewControl::BarAction(QScrollBar *bar, int action) {
  const int32_t position = bar->value();
  int32_t delta = 0;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      delta = -LineStep;
      break;
    case QAbstractSlider::SliderSingleStepAdd:
      delta = LineStep;
      break;
    case QAbstractSlider::SliderPageStepSub:
      delta = -MulDiv(bar->pageStep(), 3, 4);
      break;
    case QAbstractSlider::SliderPageStepAdd:
      delta = MulDiv(bar->pageStep(), 3, 4);
      break;
    case QAbstractSlider::SliderMove:
      delta = bar->sliderPosition() - position;
      break;
    default:
      break;
  }
  if (position + delta < bar->minimum())
    delta = bar->minimum() - position;
  else if (position + delta > bar->maximum())
    delta = bar->maximum() - position;
  // The bar then takes this position as its value, which scrolls the view.
  bar->setSliderPosition(position + delta);
}

void TVxScrollViewControl::BarMoved(QScrollBar *bar, int value) {
  if (SettingBars) return;
  const bool horizontal = bar == HorzBar;
  const int32_t current = horizontal ? -MapMode().DevOrgX : -MapMode().DevOrgY;
  const int32_t delta = value - current;
  if (delta == 0) return;
  Scrolling = true;
  const int32_t dx = horizontal ? -delta : 0;
  const int32_t dy = horizontal ? 0 : -delta;
  ShiftOrigin(dx, dy);
  ScrollContents(dx, dy);
  Scrolling = false;
}

void TVxScrollViewControl::ShiftOrigin(int32_t dx, int32_t dy) {
  MapMode().DevOrgX += dx;
  MapMode().DevOrgY += dy;
}

void TVxScrollViewControl::ScrollContents(int32_t dx, int32_t dy) {
  if (dx != 0 || dy != 0) scroll(dx, dy, ToQRect(ClientRect()));
}

void TVxScrollViewControl::ScrollBy(int32_t dx, int32_t dy) {
  int32_t cdx = 0, cdy = 0, rangeX = 0, rangeY = 0;
  ComputeScroll(cdx, cdy, rangeY, rangeX);
  ShiftOrigin(dx, dy);
  ScrollContents(dx, dy);
  SetScrollBars(rangeX, rangeY);
}

void TVxScrollViewControl::ClampScroll(int32_t &dx, int32_t &dy) {
  int32_t cdx = 0, cdy = 0, rangeX = 0, rangeY = 0;
  ComputeScroll(cdx, cdy, rangeY, rangeX);
  ClampAxis(dx, MapMode().DevOrgX, rangeX);
  ClampAxis(dy, MapMode().DevOrgY, rangeY);
}

void TVxScrollViewControl::WheelScroll(int notches, bool horizontal) {
  const int32_t step = 3 * LineStep * notches;
  int32_t dx = horizontal ? step : 0, dy = horizontal ? 0 : step;
  ClampScroll(dx, dy);
  if (dx != 0 || dy != 0) ScrollBy(dx, dy);
}

void TVxScrollViewControl::CentreOn(const TVxPoint &logical) {
  const TVxPoint device = MapMode().LogicalToDevice(logical);
  const TVxRect client = ClientRect();
  ShiftOrigin(client.Width() / 2 - device.X, client.Height() / 2 - device.Y);
  int32_t dx = 0, dy = 0, rangeX = 0, rangeY = 0;
  ComputeScroll(dx, dy, rangeY, rangeX);
  ShiftOrigin(dx, dy);
  SetScrollBars(rangeX, rangeY);
  update();
}

void TVxScrollViewControl::Update() {
  UpdateScrollRange();
  update();
}

void TVxScrollViewControl::resizeEvent(QResizeEvent *event) {
  TVxViewControl::resizeEvent(event);
  PlaceBars();
  int32_t dx = 0, dy = 0, rangeX = 0, rangeY = 0;
  ComputeScroll(dx, dy, rangeY, rangeX);
  if (dx != 0 || dy != 0) {
    ShiftOrigin(dx, dy);
    ScrollContents(dx, dy);
  }
  SetScrollBars(rangeX, rangeY);
}
