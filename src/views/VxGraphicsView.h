#pragma once
// The window in which an image document is shown and edited: a scroll view
// whose bottom object paints the image at the current zoom and above which
// every tool keeps an input object. The view turns window input into calls
// on those objects, reports the pointer's image position and colour, and
// writes the mouse actions on the image while a demonstration is recorded.

#include <QPoint>
#include <QString>
#include <array>
#include <cstdint>

#include "demo/VxDemoWords.h"
#include "documents/VxEditor.h"
#include "documents/VxGraphicsDocument.h"
#include "views/VxViewControls.h"

class IVxDemoRecorder;

// The object that paints the document's image.
class TVxGraphicDocumentView : public TVxViewObject {
 public:
  static constexpr uint8_t InitialFlags = ViewObjectVisible | ViewObjectBody | ViewObjectPaintable;

  explicit TVxGraphicDocumentView(TVxGraphicsDocument *document);

  TVxGraphicsDocument *Document;

  // Bounds = the image bounds.
  void UpdateBounds();
  void PaintBody(TVxViewCanvas &canvas) override;
};

// One step of the zoom table: device pixels per image pixel as a ratio.
struct TVxZoom {
  int32_t Numerator = 1;
  int32_t Denominator = 1;
  friend bool operator==(const TVxZoom &, const TVxZoom &) = default;
};

// 1:16 up to 16:1, ascending.
extern const std::array<TVxZoom, 21> ZoomSteps;
// The first step above the zoom devExt:logExt, or the largest.
TVxZoom ZoomInStep(int32_t devExt, int32_t logExt);
// The last step below it, or the smallest.
TVxZoom ZoomOutStep(int32_t devExt, int32_t logExt);

// Where the pointer is in the image and what colour lies under it.
struct TVxPointerStatus {
  int32_t X = 0;
  int32_t Y = 0;
  uint8_t R = 0;
  uint8_t G = 0;
  uint8_t B = 0;
};

// The status bar's pointer fields (X, Y, R, G, B), shown by the image editor.
class IVxPointerStatusSink {
 public:
  virtual void ShowPointerStatus(const TVxPointerStatus &status) = 0;

 protected:
  IVxPointerStatusSink() = default;
  IVxPointerStatusSink(const IVxPointerStatusSink &) = default;
  IVxPointerStatusSink &operator=(const IVxPointerStatusSink &) = default;
  ~IVxPointerStatusSink() = default;
};

class TVxGraphicsView : public TVxScrollViewControl,
                        public IVxGraphicsDocumentView,
                        public IVxDocumentListener {
  Q_OBJECT
 public:
  explicit TVxGraphicsView(TVxGraphicsDocument *document, QWidget *parent = nullptr);
  ~TVxGraphicsView() override;

  TVxGraphicsDocument *Document() const { return FDocument; }
  // First in Objects; hidden until the editor attaches the view.
  TVxGraphicDocumentView *DocumentView() const { return FDocumentView; }
  bool MouseInside() const { return FMouseInside; }
  bool RecordButtonDown() const { return FRecordButtonDown; }
  TVxPoint RecordPoint() const { return FRecordPoint; }

  // The view's word: "Image", x, y names an image pixel a script moves to;
  // the editor resolves it through the current view.
  static constexpr std::string_view ImageWord = "Image";
  static const TVxDemoWordTable<TVxGraphicsView> &DemoWords();

  // Receives the pointer fields; none by default.
  void SetStatusSink(IVxPointerStatusSink *sink) { StatusSink = sink; }
  // Blue, green, red of the image pixel; zeros outside the image.
  std::array<uint8_t, 3> PixelAt(const TVxPoint &point) const;

  // Zoom numerator:denominator keeping the image point in the middle.
  void SetZoom(int32_t numerator, int32_t denominator);
  TVxZoom Zoom() const;
  // Asks the input objects for the pointer shape at the pointer's position.
  void UpdateCursor();

  // Wheel input, also that of another window (the image editor forwards the
  // main window's); delta as the toolkit reports it, in eighths of a degree.
  // Deltas add up, and every whole notch of 120 is offered to the input
  // objects first; otherwise it scrolls or, with Ctrl, zooms.
  bool MouseWheelHandler(TVxShiftState shift, int delta, const QPoint &screenPoint);

  using TVxViewControl::MapMode;
  // What the document needs of its view.
  QWidget *Widget() override { return this; }
  const TVxMapMode &MapMode() const override { return TVxViewControl::MapMode(); }
  void InvalidateDeviceRect(const TVxRect &rect) override { InvalidateRect(rect); }
  void SetDocumentBounds(const TVxRect &bounds) override;
  void UpdateScrollRange() override { TVxScrollViewControl::UpdateScrollRange(); }

  void DocumentChanged(TVxDocument *document) override;
  void DocumentClosing(TVxDocument *) override {}

 protected:
  bool event(QEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void keyReleaseEvent(QKeyEvent *event) override;
  void leaveEvent(QEvent *event) override;

 private:
  // Offers an event to the input objects from the topmost down; true when one
  // took it. An object that throws ends the offer.
  template <class F>
  bool Offer(F &&f);
  template <class F>
  void TellAll(F &&f);

  IVxDemoRecorder *Recorder() const;
  // One mouse action at image point p, e.g. "MouseDown Image, 10, 20".
  void RecordPointLine(std::string_view command, const TVxPoint &p);
  // One notch (+1 or -1) at client point p.
  void WheelNotch(TVxShiftState shift, int notch, const QPoint &p);
  void MouseDown(TVxMouseButton button, TVxShiftState shift, const TVxPoint &point);
  void MouseMove(TVxShiftState shift, const TVxPoint &point);
  void MouseUp(TVxMouseButton button, TVxShiftState shift, const TVxPoint &point);
  void EnterSequence();
  void LeaveSequence();
  void KeyEvent(QKeyEvent *event, bool down);
  void QueryCursor(TVxShiftState shift, const TVxPoint &point);
  void ShowStatus(const TVxPoint &client);

  TVxGraphicsDocument *FDocument;
  TVxGraphicDocumentView *FDocumentView = nullptr;
  IVxPointerStatusSink *StatusSink = nullptr;
  bool FRecordButtonDown = false;
  TVxPoint FRecordPoint;
  bool FMouseInside = false;
  // Wheel angle received but not yet a whole notch (120 units).
  int WheelRest = 0;
};
