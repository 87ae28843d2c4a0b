#include "retouch/VxBlurredColours.h"

#include "retouch/VxBrushMasks.h"

namespace {

// sum / n rounded to nearest, halves to even, in integers.
uint8_t RoundedMean(int64_t sum, int64_t n) {
  int64_t q = sum / n;
  int64_t twice = 2 * (sum - q * n);
  if (twice > n || (twice == n && (q & 1) != 0)) ++q;
  return static_cast<uint8_t>(q);
}

}  // namespace

void TVxBlurredColours::SetSmoothing(int32_t diameter) {
  Smoothing = diameter;
  HardDisc(SmoothingMask, diameter, 255);
  int32_t c = SmoothingMask.Width / 2;
  // A pixel's own colour never enters its average.
  SmoothingMask.Data[c * SmoothingMask.Width + c] = 0;
}

void TVxBlurredColours::BeginStroke(const TVxRect &bounds) {
  BlurCache.Clear();
  BlurCache.SetFormatAndBounds(PixelFormat32Alpha, bounds);
}

TVxBGR TVxBlurredColours::ColourAt(const TVxPixels &backup, int32_t x, int32_t y) {
  uint8_t *entry = nullptr;
  if (BlurCache.Bits != nullptr && BlurCache.GetBounds().Contains(x, y)) {
    entry = BlurCache.PixelAddress(x, y);
    if (entry[3] != 0) return {entry[0], entry[1], entry[2]};
  }
  bool found = false;
  TVxBGR colour = Average(backup, x, y, found);
  if (found && entry != nullptr) {
    entry[0] = colour.Blue;
    entry[1] = colour.Green;
    entry[2] = colour.Red;
    entry[3] = 255;
  }
  return colour;
}

TVxBGR TVxBlurredColours::Average(const TVxPixels &backup, int32_t x, int32_t y,
                                  bool &found) const {
  found = false;
  if (backup.Bits == nullptr || backup.BytesPerPixel < 3) return {};
  TVxRect disc = BrushRect({x, y}, Smoothing);
  TVxRect area = IntersectRect(disc, backup.GetBounds());
  int64_t sum[3] = {0, 0, 0};
  int64_t n = 0;
  for (int32_t py = area.Top; py < area.Bottom; ++py) {
    const uint8_t *m =
        SmoothingMask.Data + (py - disc.Top) * SmoothingMask.Width + (area.Left - disc.Left);
    const uint8_t *p = backup.PixelAddress(area.Left, py);
    for (int32_t px = area.Left; px < area.Right; ++px, ++m, p += backup.BytesPerPixel) {
      if (*m == 0) continue;
      sum[0] += p[0];
      sum[1] += p[1];
      sum[2] += p[2];
      ++n;
    }
  }
  found = n > 0;
  if (!found) {
    if (!backup.GetBounds().Contains(x, y)) return {};
    const uint8_t *own = backup.PixelAddress(x, y);
    return {own[0], own[1], own[2]};
  }
  return {RoundedMean(sum[0], n), RoundedMean(sum[1], n), RoundedMean(sum[2], n)};
}
