#include "views/VxViewCanvas.h"

#include <QPaintDevice>
#include <QPen>

namespace {

QRect ToQRect(const TVxRect &rect) { return {rect.Left, rect.Top, rect.Width(), rect.Height()}; }

TVxRect ToVxRect(const QRect &rect) {
  return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

constexpr uint32_t Opaque = 0xFF000000u;

uint32_t *RowAt(TVxCanvasPixels &pixels, int32_t x, int32_t y) {
  return reinterpret_cast<uint32_t *>(pixels.PixelAddress(x, y));
}

}  // namespace

TVxViewCanvas::~TVxViewCanvas() {
  if (Painting) EndPaint();
}

bool TVxViewCanvas::BeginPaint(QPaintDevice *target, const QRegion &updateRegion) {
  if (Painting) EndPaint();
  if (updateRegion.isEmpty()) return false;
  FUpdateRegion = updateRegion;
  FUpdateBox = ToVxRect(updateRegion.boundingRect());
  const int32_t width = FUpdateBox.Width();
  const int32_t height = FUpdateBox.Height();
  const size_t words = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (Memory.size() < words) Memory.resize(words);
  auto *bits = reinterpret_cast<uint8_t *>(Memory.data());
  const int32_t stride = width * 4;
  FImage = QImage(bits, width, height, stride, QImage::Format_RGB32);
  FPixels.Attach(FUpdateBox, bits, stride);
  Painter = std::make_unique<QPainter>(&FImage);
  // Client coordinates address the image directly.
  Painter->translate(-FUpdateBox.Left, -FUpdateBox.Top);
  Target = target;
  Painting = true;
  SetClipRegion(updateRegion);
  return true;
}

void TVxViewCanvas::EndPaint() {
  if (!Painting) return;
  Painter.reset();
  if (Target != nullptr) {
    QPainter window(Target);
    window.setClipRegion(FUpdateRegion);
    window.drawImage(QPoint(FUpdateBox.Left, FUpdateBox.Top), FImage);
  }
  FImage = QImage();
  FPixels.Detach();
  FUpdateRegion = QRegion();
  Clip = QRegion();
  Target = nullptr;
  // States left on the stack by an interrupted paint are dropped.
  for (int i = 0; i < FStateDepth; ++i) States[static_cast<size_t>(i)].ClipRegion = QRegion();
  FStateDepth = 0;
  Painting = false;
}

void TVxViewCanvas::PushState(TVxViewObject *object) {
  if (static_cast<size_t>(FStateDepth) == States.size()) States.emplace_back();
  TVxViewState &state = States[static_cast<size_t>(FStateDepth)];
  state.ViewObject = object;
  state.ClipRegion = Clip;
  ++FStateDepth;
}

bool TVxViewCanvas::PopState(TVxViewObject *&object) {
  if (FStateDepth == 0) return false;
  --FStateDepth;
  TVxViewState &state = States[static_cast<size_t>(FStateDepth)];
  SetClipRegion(state.ClipRegion);
  state.ClipRegion = QRegion();
  object = state.ViewObject;
  return true;
}

void TVxViewCanvas::SetClipRegion(const QRegion &region) {
  Clip = region;
  ApplyClip();
}

void TVxViewCanvas::ApplyClip() {
  if (Painter) Painter->setClipRegion(Clip);
}

TVxRect TVxViewCanvas::ClipBox() const { return ToVxRect(Clip.boundingRect()); }

bool TVxViewCanvas::RectVisible(const TVxRect &rect) const {
  return !rect.IsEmpty() && Clip.intersects(ToQRect(rect));
}

void TVxViewCanvas::ExcludeClipRect(const TVxRect &rect) {
  if (rect.IsEmpty()) return;
  SetClipRegion(Clip.subtracted(QRegion(ToQRect(rect))));
}

void TVxViewCanvas::FillRect(const TVxRect &rect, uint32_t colour) {
  const uint32_t value = colour | Opaque;
  ForEachClipRect(rect, [&](const TVxRect &part) {
    for (int32_t y = part.Top; y < part.Bottom; ++y)
      std::fill_n(RowAt(FPixels, part.Left, y), part.Width(), value);
  });
}

void TVxViewCanvas::InvertRect(const TVxRect &rect) {
  ForEachClipRect(rect, [&](const TVxRect &part) {
    for (int32_t y = part.Top; y < part.Bottom; ++y) {
      uint32_t *row = RowAt(FPixels, part.Left, y);
      for (int32_t x = 0; x < part.Width(); ++x) row[x] ^= 0x00FFFFFFu;
    }
  });
}

void TVxViewCanvas::DarkenRect(const TVxRect &rect, int32_t amount) {
  ForEachClipRect(rect, [&](const TVxRect &part) {
    for (int32_t y = part.Top; y < part.Bottom; ++y) {
      uint8_t *p = FPixels.PixelAddress(part.Left, y);
      for (int32_t x = 0; x < part.Width(); ++x, p += 4)
        for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(p[c] - ((p[c] * amount) >> 8));
    }
  });
}

void TVxViewCanvas::DrawFocusRect(const TVxRect &rect) {
  if (rect.IsEmpty()) return;
  // Every other pixel along the frame, by absolute position, so a frame drawn
  // again at the same place takes the same pixels back.
  auto dot = [&](int32_t x, int32_t y) {
    if (((x + y) & 1) != 0) return;
    ForEachClipRect({x, y, x + 1, y + 1},
                    [&](const TVxRect &) { *RowAt(FPixels, x, y) ^= 0x00FFFFFFu; });
  };
  for (int32_t x = rect.Left; x < rect.Right; ++x) {
    dot(x, rect.Top);
    if (rect.Bottom - 1 > rect.Top) dot(x, rect.Bottom - 1);
  }
  for (int32_t y = rect.Top + 1; y < rect.Bottom - 1; ++y) {
    dot(rect.Left, y);
    if (rect.Right - 1 > rect.Left) dot(rect.Right - 1, y);
  }
}

void TVxViewCanvas::PreparePen(TVxRasterOp op, int32_t width, uint32_t colour) {
  QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
  switch (op) {
    case TVxRasterOp::Copy:
      mode = QPainter::CompositionMode_Source;
      break;
    case TVxRasterOp::Invert:
      mode = QPainter::RasterOp_NotDestination;
      break;
    case TVxRasterOp::Xor:
      mode = QPainter::RasterOp_SourceXorDestination;
      break;
    case TVxRasterOp::NotXor:
      mode = QPainter::RasterOp_NotSourceXorDestination;
      break;
  }
  Painter->setRenderHint(QPainter::Antialiasing, false);
  Painter->setCompositionMode(mode);
  QPen pen(QColor::fromRgb(colour | Opaque));
  pen.setWidth(width);
  Painter->setPen(pen);
  Painter->setBrush(Qt::NoBrush);
}

void TVxViewCanvas::DrawLine(const TVxPoint &from, const TVxPoint &to, TVxRasterOp op,
                             int32_t width, uint32_t colour) {
  if (!Painter) return;
  Painter->save();
  PreparePen(op, width, colour);
  Painter->drawLine(QPoint(from.X, from.Y), QPoint(to.X, to.Y));
  Painter->restore();
}

void TVxViewCanvas::DrawEllipse(const TVxRect &rect, TVxRasterOp op, int32_t width,
                                uint32_t colour) {
  if (!Painter || rect.IsEmpty()) return;
  Painter->save();
  PreparePen(op, width, colour);
  Painter->drawEllipse(QRect(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1));
  Painter->restore();
}
