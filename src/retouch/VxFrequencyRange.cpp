#include "retouch/VxFrequencyRange.h"

#include <stdexcept>

#include "retouch/VxBrushBlends.h"

namespace {

// ClampToByte without a library call: adding and removing 1.5 * 2^52 rounds
// to nearest, halves to even, in the default rounding mode.
inline uint8_t RoundToByte(double value) {
  if (!(value > 0.0)) return 0;
  if (value >= 255.0) return 255;
  constexpr double kMagic = 6755399441055744.0;
  return static_cast<uint8_t>(static_cast<int32_t>((value + kMagic) - kMagic));
}

// Column sums of the vertical window, one per channel and column.
class TColumnWindow {
 public:
  TColumnWindow(const uint8_t *source, int32_t width, int32_t height, int32_t r)
      : Source(source),
        RowBytes(static_cast<size_t>(width) * 3),
        Height(height),
        Radius(r),
        Sums(RowBytes, 0) {
    for (int32_t y = 0; y < std::min(r, height); ++y) Add(y);
    Count = std::min(r, height);
  }

  // Moves the window to centre row y (rows arrive in order) and writes the
  // mean of every channel and column into row.
  void MeanAt(int32_t y, float *row) {
    if (y - Radius > 0) {
      Subtract(y - Radius - 1);
      --Count;
    }
    if (y + Radius < Height) {
      Add(y + Radius);
      ++Count;
    }
    // Sums of at most 2^24 are exact in float, so one float division gives
    // the correctly rounded quotient; larger ones take the double route.
    if (static_cast<int64_t>(Count) * 255 < (int64_t{1} << 24)) {
      float count = static_cast<float>(Count);
      for (size_t i = 0; i < RowBytes; ++i) row[i] = static_cast<float>(Sums[i]) / count;
    } else {
      double count = Count;
      for (size_t i = 0; i < RowBytes; ++i)
        row[i] = static_cast<float>(static_cast<double>(Sums[i]) / count);
    }
  }

 private:
  void Add(int32_t y) {
    const uint8_t *p = Source + static_cast<size_t>(y) * RowBytes;
    for (size_t i = 0; i < RowBytes; ++i) Sums[i] += p[i];
  }
  void Subtract(int32_t y) {
    const uint8_t *p = Source + static_cast<size_t>(y) * RowBytes;
    for (size_t i = 0; i < RowBytes; ++i) Sums[i] -= p[i];
  }

  const uint8_t *Source;
  size_t RowBytes;
  int32_t Height;
  int32_t Radius;
  int32_t Count = 0;
  std::vector<int32_t> Sums;
};

// The horizontal pass over one row of first-pass means.
void HorizontalMean(const float *row, uint8_t *target, int32_t width, int32_t r) {
  double sum[3] = {0.0, 0.0, 0.0};
  int32_t count = std::min(r, width);
  for (int32_t x = 0; x < count; ++x) {
    for (int32_t ch = 0; ch < 3; ++ch) sum[ch] += static_cast<double>(row[3 * x + ch]);
  }
  for (int32_t x = 0; x < width; ++x) {
    if (x - r > 0) {
      const float *leaving = row + 3 * (x - r - 1);
      for (int32_t ch = 0; ch < 3; ++ch) sum[ch] -= static_cast<double>(leaving[ch]);
      --count;
    }
    if (x + r < width) {
      const float *entering = row + 3 * (x + r);
      for (int32_t ch = 0; ch < 3; ++ch) sum[ch] += static_cast<double>(entering[ch]);
      ++count;
    }
    double n = count;
    for (int32_t ch = 0; ch < 3; ++ch) {
      target[3 * x + ch] = RoundToByte(static_cast<float>(sum[ch] / n));
    }
  }
}

}  // namespace

void BoxBlurBGR(const uint8_t *source, uint8_t *target, int32_t width, int32_t height, int32_t r,
                const std::function<void(int32_t)> &rowDone) {
  if (width <= 0 || height <= 0) return;
  r = std::max(r, 0);
  TColumnWindow window(source, width, height, r);
  std::vector<float> row(static_cast<size_t>(width) * 3);
  size_t rowBytes = static_cast<size_t>(width) * 3;
  for (int32_t y = 0; y < height; ++y) {
    window.MeanAt(y, row.data());
    HorizontalMean(row.data(), target + static_cast<size_t>(y) * rowBytes, width, r);
    if (rowDone && (y % 64 == 63 || y == height - 1)) rowDone(y + 1);
  }
}

void TFrequencyRange::Compute(const TVxPixels &buffer, int32_t radiusA, int32_t radiusB,
                              const TVxProgressFn &progress) {
  if (buffer.Width > 0 && buffer.Height > 0 &&
      (buffer.Bits == nullptr || buffer.BytesPerPixel < 3)) {
    throw std::invalid_argument("band decomposition needs a buffer of three bytes a pixel");
  }
  if (buffer.Width != Width || buffer.Height != Height) {
    Width = std::max(buffer.Width, 0);
    Height = std::max(buffer.Height, 0);
    size_t bytes = static_cast<size_t>(Width) * static_cast<size_t>(Height) * 3;
    Source.assign(bytes, 0);
    NarrowBlur.assign(bytes, 0);
    WideBlur.assign(bytes, 0);
    Invalidate(2);
  }
  Left = buffer.Left;
  Top = buffer.Top;
  if (StaleLevel > 1) {
    for (int32_t y = 0; y < Height; ++y) {
      const uint8_t *p = buffer.PixelAddress(buffer.Left, buffer.Top + y);
      uint8_t *q = Source.data() + static_cast<size_t>(y) * static_cast<size_t>(Width) * 3;
      for (int32_t x = 0; x < Width; ++x, p += buffer.BytesPerPixel, q += 3) {
        q[0] = p[0];
        q[1] = p[1];
        q[2] = p[2];
      }
    }
  }
  int64_t total = 2 * static_cast<int64_t>(Height);
  auto report = [&](int64_t base) {
    return [&progress, base, total](int32_t rows) {
      if (progress) progress(base + rows, total);
    };
  };
  BoxBlurBGR(Source.data(), NarrowBlur.data(), Width, Height, radiusA, report(0));
  BoxBlurBGR(Source.data(), WideBlur.data(), Width, Height, radiusB, report(Height));
  StaleLevel = 0;
}

TVxBGR TFrequencyRange::BandPixel(int32_t x, int32_t y, bool removeBand) const {
  size_t i =
      (static_cast<size_t>(y - Top) * static_cast<size_t>(Width) + static_cast<size_t>(x - Left)) *
      3;
  int32_t sign = removeBand ? 1 : -1;
  uint8_t out[3];
  for (size_t ch = 0; ch < 3; ++ch) {
    int32_t v = Source[i + ch] - sign * NarrowBlur[i + ch] + sign * WideBlur[i + ch];
    out[ch] = static_cast<uint8_t>(std::clamp(v, 0, 255));
  }
  return {out[0], out[1], out[2]};
}

void BlendBandsInRect(const TFrequencyRange &bands, bool removeBand, const TVxPixels &backup,
                      const TVxPixelMask &coverage, const TVxRect &rect, const TVxPixels &image) {
  BlendTowardsInRect(backup, coverage, IntersectRect(rect, bands.GetBounds()), image,
                     [&](int32_t x, int32_t y) { return bands.BandPixel(x, y, removeBand); });
}
