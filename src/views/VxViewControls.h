#pragma once
// Windows that show a stack of view objects: the flicker-free paint cycle,
// and a scrolling window that centres content smaller than itself and keeps
// the scroll position inside the content when it is larger.

#include <QWidget>
#include <cstdint>

#include "views/VxViewCanvas.h"
#include "views/VxViewObjects.h"

class QScrollBar;

class TVxViewControl : public QWidget {
  Q_OBJECT
 public:
  explicit TVxViewControl(QWidget *parent = nullptr);
  ~TVxViewControl() override;

  TVxViewObjectList &Objects() { return FObjects; }
  TVxViewCanvas &ViewCanvas() { return FViewCanvas; }
  TVxMapMode &MapMode() { return FViewCanvas.MapMode(); }
  const TVxMapMode &MapMode() const { return FViewCanvas.MapMode(); }

  // The whole paint cycle for one update region (client coordinates),
  // delivered to `target`; the paint event runs it with the window.
  void PaintRegion(QPaintDevice *target, const QRegion &updateRegion);
  // Repaints a device rectangle at the next paint, without erasing.
  void InvalidateRect(const TVxRect &rect);

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  void PaintObjects();

  TVxViewObjectList FObjects;
  TVxViewCanvas FViewCanvas;
};

class TVxScrollViewControl : public TVxViewControl {
  Q_OBJECT
 public:
  static constexpr int32_t DefaultLineStep = 10;

  explicit TVxScrollViewControl(QWidget *parent = nullptr);

  int32_t LineStep = DefaultLineStep;
  bool IsScrolling() const { return Scrolling; }

  // The device rectangle of everything that may be scrolled to; it always
  // holds the device position of logical (0, 0).
  virtual TVxRect GetContentRect();
  // Brings the origin back into range, fits the scroll bars and repaints.
  virtual void UpdateScrollRange();
  // The origin correction (dx, dy) that centres or pulls back the content,
  // and the scroll ranges once the scroll bars took their space.
  virtual void ComputeScroll(int32_t &dx, int32_t &dy, int32_t &rangeY, int32_t &rangeX);
  virtual void SetScrollBars(int32_t rangeX, int32_t rangeY);

  // Moves the content by (dx, dy) device pixels; callers clamp first.
  void ScrollBy(int32_t dx, int32_t dy);
  // Limits a scroll by (dx, dy) to what keeps the content in range.
  void ClampScroll(int32_t &dx, int32_t &dy);
  // Puts a logical point in the middle of the client area, then corrects.
  void CentreOn(const TVxPoint &logical);
  // Moves the device origin without repainting.
  void ShiftOrigin(int32_t dx, int32_t dy);
  // Scrolls by wheel notches (positive: away from the user, which brings the
  // top or left of the content into view), three lines a notch, within range.
  void WheelScroll(int notches, bool horizontal);
  // UpdateScrollRange, then a repaint.
  void Update();

  // The area the content shows in: the window less the visible scroll bars.
  TVxRect ClientRect() const;
  QScrollBar *HorizontalScrollBar() const { return HorzBar; }
  QScrollBar *VerticalScrollBar() const { return VertBar; }

 protected:
  void resizeEvent(QResizeEvent *event) override;

 private:
  void BarAction(QScrollBar *bar, int action);
  void BarMoved(QScrollBar *bar, int value);
  void ScrollContents(int32_t dx, int32_t dy);
  void PlaceBars();
  int32_t VertBarWidth() const;
  int32_t HorzBarHeight() const;

  QScrollBar *HorzBar = nullptr;
  QScrollBar *VertBar = nullptr;
  QWidget *Corner = nullptr;
  bool Scrolling = false;
  bool SettingBars = false;
};
