#pragma once
// The off-screen canvas of one paint: the bounding box of the update region
// is rendered into one 32-bit image, then copied to the window once. Objects
// draw through the painter (which follows the clip region) or write the
// pixel surface directly, clipping themselves with ForEachClipRect.

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/VxTypes.h"
#include "imaging/VxMapMode.h"
#include "imaging/VxPixels.h"

class QPaintDevice;
class TVxViewObject;

// The canvas rows are QImage::Format_RGB32: bytes blue, green, red and a
// fourth byte that must stay 0xFF. That is the layout of PixelFormat32Alpha
// with an opaque alpha, which the display bitmap's Draw writes, so the code
// is shared.
constexpr int32_t CanvasPixelFormat = PixelFormat32Alpha;

// The canvas image as a pixel surface; addressed in client coordinates.
class TVxCanvasPixels : public TVxForeignPixels {
 public:
  void Attach(const TVxRect &bounds, uint8_t *memory, int32_t stride) {
    Init(bounds, memory, CanvasPixelFormat, stride);
  }
  void Detach() {
    Bits = nullptr;
    Left = Top = Width = Height = Stride = 0;
  }
};

// An object whose overlay is pending and the clip it met in the first pass.
struct TVxViewState {
  TVxViewObject *ViewObject = nullptr;
  QRegion ClipRegion;
};

// How a line or an ellipse outline combines with the canvas.
enum class TVxRasterOp {
  Copy,    // the pen colour
  Invert,  // not destination; the colour is ignored
  Xor,     // pen xor destination
  NotXor,  // not (pen xor destination): a black pen inverts
};

class TVxViewCanvas {
 public:
  static constexpr uint32_t DefaultBackgroundColour = 0x404040;

  TVxViewCanvas() = default;
  TVxViewCanvas(const TVxViewCanvas &) = delete;
  TVxViewCanvas &operator=(const TVxViewCanvas &) = delete;
  ~TVxViewCanvas();

  uint32_t BackgroundColour = DefaultBackgroundColour;  // 0x00RRGGBB

  TVxMapMode &MapMode() { return FMapMode; }
  const TVxMapMode &MapMode() const { return FMapMode; }

  // Prepares the off-screen image for the bounding box of `updateRegion`
  // (client coordinates) with the region as clip. False, with nothing
  // prepared, when the region is empty. `target` (the window inside its paint
  // event, any paint device, or null) receives the image at EndPaint.
  bool BeginPaint(QPaintDevice *target, const QRegion &updateRegion);
  // Copies the update box to the target, inside the update region only.
  void EndPaint();
  bool IsPainting() const { return Painting; }

  // Valid between BeginPaint and EndPaint.
  TVxCanvasPixels &Pixels() { return FPixels; }
  QPainter &Canvas() { return *Painter; }
  const QImage &Image() const { return FImage; }
  TVxRect UpdateBox() const { return FUpdateBox; }
  const QRegion &UpdateRegion() const { return FUpdateRegion; }

  void PushState(TVxViewObject *object);
  // False at depth 0; else the object pushed last, with its clip restored.
  bool PopState(TVxViewObject *&object);
  int StateDepth() const { return FStateDepth; }

  // The clip region, client coordinates.
  const QRegion &ClipRegion() const { return Clip; }
  void SetClipRegion(const QRegion &region);
  TVxRect ClipBox() const;
  bool RectVisible(const TVxRect &rect) const;
  void ExcludeClipRect(const TVxRect &rect);
  // Calls f(part) for every part of rect inside the clip and the canvas.
  template <class F>
  void ForEachClipRect(const TVxRect &rect, F f) const {
    const TVxRect limit = IntersectRect(rect, FUpdateBox);
    if (limit.IsEmpty()) return;
    for (const QRect &r : Clip) {
      const TVxRect part =
          IntersectRect(limit, {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
      if (!part.IsEmpty()) f(part);
    }
  }

  // Drawing inside the clip. Colours are 0x00RRGGBB.
  void FillRect(const TVxRect &rect, uint32_t colour);
  void InvertRect(const TVxRect &rect);
  // Every channel c becomes c - ((c * amount) >> 8).
  void DarkenRect(const TVxRect &rect, int32_t amount);
  // The dotted inverting frame of a focused rectangle; drawing it twice
  // restores the pixels.
  void DrawFocusRect(const TVxRect &rect);
  void DrawLine(const TVxPoint &from, const TVxPoint &to, TVxRasterOp op, int32_t width = 1,
                uint32_t colour = 0);
  // The outline of the ellipse inside rect (right and bottom exclusive).
  void DrawEllipse(const TVxRect &rect, TVxRasterOp op, int32_t width = 1, uint32_t colour = 0);

 private:
  void ApplyClip();
  void PreparePen(TVxRasterOp op, int32_t width, uint32_t colour);

  TVxMapMode FMapMode;
  TVxCanvasPixels FPixels;
  std::unique_ptr<QPainter> Painter;
  std::vector<TVxViewState> States;
  int FStateDepth = 0;
  QPaintDevice *Target = nullptr;
  QRegion FUpdateRegion;
  TVxRect FUpdateBox;
  QRegion Clip;
  QImage FImage;
  std::vector<uint32_t> Memory;  // reused between paints
  bool Painting = false;
};
