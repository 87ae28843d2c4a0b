#include "retouch/VxBlurredColours.h"

#include <vector>

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

void TVxBlurredColours::Prepare(const TVxPixels &backup, const TVxRect &rect) {
  if (backup.Bits == nullptr || backup.BytesPerPixel < 3 || BlurCache.Bits == nullptr) return;
  const TVxRect image = backup.GetBounds();
  const TVxRect area = IntersectRect(rect, IntersectRect(image, BlurCache.GetBounds()));
  if (area.IsEmpty()) return;
  const int32_t w = SmoothingMask.Width;
  const int32_t h = w / 2;
  // The disc is a run of columns -span[dy] .. span[dy] in every row (-1: none).
  std::vector<int32_t> span(static_cast<size_t>(w), -1);
  for (int32_t row = 0; row < w; ++row) {
    for (int32_t col = 0; col < w; ++col) {
      if (SmoothingMask.Data[row * w + col] != 0 || (row == h && col == h)) {
        span[static_cast<size_t>(row)] = std::max(span[static_cast<size_t>(row)], col - h);
      }
    }
  }
  // Column prefix sums of every row the discs of area reach.
  const TVxRect reach =
      IntersectRect({area.Left - h, area.Top - h, area.Right + h, area.Bottom + h}, image);
  const size_t cols = static_cast<size_t>(reach.Width()) + 1;
  std::vector<int32_t> prefix(cols * 3 * static_cast<size_t>(reach.Height()));
  for (int32_t y = reach.Top; y < reach.Bottom; ++y) {
    int32_t *row = prefix.data() + static_cast<size_t>(y - reach.Top) * cols * 3;
    const uint8_t *p = backup.PixelAddress(reach.Left, y);
    for (size_t i = 1; i < cols; ++i, p += backup.BytesPerPixel) {
      for (size_t ch = 0; ch < 3; ++ch) row[i * 3 + ch] = row[(i - 1) * 3 + ch] + p[ch];
    }
  }
  for (int32_t y = area.Top; y < area.Bottom; ++y) {
    for (int32_t x = area.Left; x < area.Right; ++x) {
      uint8_t *entry = BlurCache.PixelAddress(x, y);
      if (entry[3] != 0) continue;
      int64_t sum[3] = {0, 0, 0};
      int64_t n = 0;
      for (int32_t dy = -h; dy <= h; ++dy) {
        int32_t s = span[static_cast<size_t>(dy + h)];
        if (s < 0 || y + dy < reach.Top || y + dy >= reach.Bottom) continue;
        int32_t from = std::max(x - s, reach.Left) - reach.Left;
        int32_t to = std::min(x + s + 1, reach.Right) - reach.Left;
        const int32_t *row = prefix.data() + static_cast<size_t>(y + dy - reach.Top) * cols * 3;
        for (size_t ch = 0; ch < 3; ++ch) {
          sum[ch] +=
              row[static_cast<size_t>(to) * 3 + ch] - row[static_cast<size_t>(from) * 3 + ch];
        }
        n += to - from;
      }
      // The pixel itself never counts.
      const uint8_t *own = backup.PixelAddress(x, y);
      for (size_t ch = 0; ch < 3; ++ch) sum[ch] -= own[ch];
      --n;
      if (n <= 0) continue;  // nothing to average: ColourAt answers with the pixel, uncached
      entry[0] = RoundedMean(sum[0], n);
      entry[1] = RoundedMean(sum[1], n);
      entry[2] = RoundedMean(sum[2], n);
      entry[3] = 255;
    }
  }
}
