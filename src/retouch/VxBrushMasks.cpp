#include "retouch/VxBrushMasks.h"

#include <algorithm>
#include <cmath>

namespace {

// Sizes the mask to the diameter's square, zero-filled, and gives its centre index.
int32_t PrepareMask(TVxPixelMask &mask, int32_t diameter) {
  int32_t w = BrushMaskWidth(diameter);
  mask.SetBounds(0, 0, w, w);
  return w / 2;
}

// Writes value to the four pixels mirrored about the centre c.
void PutMirrored(TVxPixelMask &mask, int32_t c, int32_t dx, int32_t dy, uint8_t value) {
  int32_t w = mask.Width;
  uint8_t *data = mask.Data;
  data[(c + dy) * w + c + dx] = value;
  data[(c + dy) * w + c - dx] = value;
  data[(c - dy) * w + c + dx] = value;
  data[(c - dy) * w + c - dx] = value;
}

double Distance(int32_t dx, int32_t dy) {
  return std::sqrt(static_cast<double>(dx * dx + dy * dy));
}

}  // namespace

int32_t BrushMaskWidth(int32_t diameter) { return 2 * (std::max(diameter, 0) / 2) + 1; }

TVxRect BrushRect(TVxPoint p, int32_t diameter) {
  int32_t h = BrushMaskWidth(diameter) / 2;
  return {p.X - h, p.Y - h, p.X + h + 1, p.Y + h + 1};
}

void HardDisc(TVxPixelMask &mask, int32_t diameter, uint8_t value) {
  int32_t c = PrepareMask(mask, diameter);
  double reach = static_cast<double>(diameter) / 2.0 + 0.1;
  int64_t limit = RoundHalfEven(reach * reach);
  for (int32_t dy = 0; dy <= c; ++dy) {
    for (int32_t dx = 0; dx <= c; ++dx) {
      if (dy == 0 || dx * dx + dy * dy <= limit) PutMirrored(mask, c, dx, dy, value);
    }
  }
}

void BrushProfile(TVxPixelMask &mask, int32_t diameter, uint8_t amplitude, int32_t hardness) {
  int32_t c = PrepareMask(mask, diameter);
  if (c == 0) {
    mask.Data[0] = amplitude;
    return;
  }
  double e = static_cast<double>(diameter) / 2.0;
  double outer = e + 0.5;
  double inner = e * static_cast<double>(hardness) / 255.0 - 0.5;
  double span = outer - inner;
  for (int32_t dy = 0; dy <= c; ++dy) {
    for (int32_t dx = 0; dx <= c; ++dx) {
      double r = Distance(dx, dy);
      if (r > outer) break;  // the rest of the row lies further out
      uint8_t value = r < inner ? amplitude : ClampToByte((outer - r) / span * amplitude);
      PutMirrored(mask, c, dx, dy, value);
    }
  }
}

void PowerProfile(TVxPixelMask &mask, int32_t diameter, uint8_t amplitude, int32_t exponent16) {
  int32_t c = PrepareMask(mask, diameter);
  if (c == 0) {
    mask.Data[0] = amplitude;
    return;
  }
  double exponent = static_cast<double>(exponent16) / 16.0;
  for (int32_t dy = 0; dy <= c; ++dy) {
    for (int32_t dx = 0; dx <= c; ++dx) {
      double q = 2.0 * Distance(dx, dy) / static_cast<double>(diameter);
      if (q >= 1.0) continue;
      PutMirrored(mask, c, dx, dy, ClampToByte((1.0 - std::pow(q, exponent)) * amplitude));
    }
  }
}

void BlendColourThroughMask(const TVxPixelMask &mask, const TVxPixels &source, uint32_t colour,
                            const TVxRect &rect, const TVxPixels &destination) {
  if (mask.Data == nullptr || source.Bits == nullptr || destination.Bits == nullptr) return;
  if (source.BytesPerPixel < 3 || destination.BytesPerPixel < 3) return;
  TVxRect area = IntersectRect(IntersectRect(rect, mask.GetBounds()),
                               IntersectRect(source.GetBounds(), destination.GetBounds()));
  const int32_t target[3] = {static_cast<int32_t>(colour & 0xFF),
                             static_cast<int32_t>((colour >> 8) & 0xFF),
                             static_cast<int32_t>((colour >> 16) & 0xFF)};
  for (int32_t y = area.Top; y < area.Bottom; ++y) {
    const uint8_t *m = mask.ByteAt(area.Left, y);
    const uint8_t *s = source.PixelAddress(area.Left, y);
    uint8_t *d = destination.PixelAddress(area.Left, y);
    for (int32_t x = area.Left; x < area.Right;
         ++x, ++m, s += source.BytesPerPixel, d += destination.BytesPerPixel) {
      int32_t a = *m;
      if (a == 0) continue;
      for (int32_t ch = 0; ch < 3; ++ch) {
        d[ch] = a == 255 ? static_cast<uint8_t>(target[ch])
                         : static_cast<uint8_t>(s[ch] + ((a * (target[ch] - s[ch])) >> 8));
      }
    }
  }
}

void AccumulateDab(TVxPixelMask &stroke, TVxPixelMask &brush, TVxPoint topLeft) {
  brush.Left = topLeft.X;
  brush.Top = topLeft.Y;
  stroke.MaxWith(brush);
  brush.Left = 0;
  brush.Top = 0;
}
