#include "retouch/VxFrequencyRange.h"

#include <immintrin.h>

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

#define VX_AVX2 __attribute__((target("avx2")))

// The vertical window's integer work and the float means, eight columns at a
// time; integer sums do not depend on the order, and each float quotient is
// the same IEEE division as the scalar one.
VX_AVX2 void AddRowAvx2(int32_t *sums, const uint8_t *p, size_t n, bool subtract) {
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(sums + i));
    __m256i v = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p + i)));
    s = subtract ? _mm256_sub_epi32(s, v) : _mm256_add_epi32(s, v);
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(sums + i), s);
  }
  for (; i < n; ++i) sums[i] = subtract ? sums[i] - p[i] : sums[i] + p[i];
}

VX_AVX2 void MeansAvx2(const int32_t *sums, float *out, size_t n, float count) {
  const __m256 c = _mm256_set1_ps(count);
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256 s = _mm256_cvtepi32_ps(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(sums + i)));
    _mm256_storeu_ps(out + i, _mm256_div_ps(s, c));
  }
  for (; i < n; ++i) out[i] = static_cast<float>(sums[i]) / count;
}

// Four rows of means into [column][channel][row] order.
VX_AVX2 void InterleaveRows(const float *rows, size_t n, float *group) {
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128 a = _mm_loadu_ps(rows + i);
    __m128 b = _mm_loadu_ps(rows + n + i);
    __m128 c = _mm_loadu_ps(rows + 2 * n + i);
    __m128 d = _mm_loadu_ps(rows + 3 * n + i);
    _MM_TRANSPOSE4_PS(a, b, c, d);
    _mm_storeu_ps(group + i * 4, a);
    _mm_storeu_ps(group + i * 4 + 4, b);
    _mm_storeu_ps(group + i * 4 + 8, c);
    _mm_storeu_ps(group + i * 4 + 12, d);
  }
  for (; i < n; ++i) {
    for (size_t lane = 0; lane < 4; ++lane) group[i * 4 + lane] = rows[lane * n + i];
  }
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
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
    const int32_t *__restrict sums = Sums.data();
    float *__restrict out = row;
    if (static_cast<int64_t>(Count) * 255 < (int64_t{1} << 24)) {
      float count = static_cast<float>(Count);
      if (Avx2) {
        MeansAvx2(sums, out, RowBytes, count);
        return;
      }
      for (size_t i = 0; i < RowBytes; ++i) out[i] = static_cast<float>(sums[i]) / count;
    } else {
      double count = Count;
      for (size_t i = 0; i < RowBytes; ++i)
        out[i] = static_cast<float>(static_cast<double>(sums[i]) / count);
    }
  }

 private:
  void Add(int32_t y) {
    const uint8_t *__restrict p = Source + static_cast<size_t>(y) * RowBytes;
    if (Avx2) return AddRowAvx2(Sums.data(), p, RowBytes, false);
    int32_t *__restrict sums = Sums.data();
    for (size_t i = 0; i < RowBytes; ++i) sums[i] += p[i];
  }
  void Subtract(int32_t y) {
    const uint8_t *__restrict p = Source + static_cast<size_t>(y) * RowBytes;
    if (Avx2) return AddRowAvx2(Sums.data(), p, RowBytes, true);
    int32_t *__restrict sums = Sums.data();
    for (size_t i = 0; i < RowBytes; ++i) sums[i] -= p[i];
  }

  const uint8_t *Source;
  size_t RowBytes;
  int32_t Height;
  int32_t Radius;
  int32_t Count = 0;
  std::vector<int32_t> Sums;
  bool Avx2 = HasAvx2();
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

// The horizontal pass over four rows at once, one row per lane, from means
// interleaved as [column][channel][row]. Each lane performs exactly the
// additions, subtractions and divisions of HorizontalMean, in the same order,
// so every byte comes out the same.
VX_AVX2 inline __m256d LoadMeans(const float *means, int32_t x, int32_t ch) {
  return _mm256_cvtps_pd(_mm_loadu_ps(means + (static_cast<size_t>(x) * 3 + size_t(ch)) * 4));
}

VX_AVX2 void HorizontalMean4(const float *means, uint8_t *target, size_t rowBytes, int32_t width,
                             int32_t r) {
  __m256d sum[3] = {_mm256_setzero_pd(), _mm256_setzero_pd(), _mm256_setzero_pd()};
  int32_t count = std::min(r, width);
  for (int32_t x = 0; x < count; ++x) {
    for (int32_t ch = 0; ch < 3; ++ch) sum[ch] = _mm256_add_pd(sum[ch], LoadMeans(means, x, ch));
  }
  const __m128 low = _mm_setzero_ps();
  const __m128 high = _mm_set1_ps(255.0f);
  alignas(16) int32_t bytes[3][4];
  for (int32_t x = 0; x < width; ++x) {
    if (x - r > 0) {
      for (int32_t ch = 0; ch < 3; ++ch)
        sum[ch] = _mm256_sub_pd(sum[ch], LoadMeans(means, x - r - 1, ch));
      --count;
    }
    if (x + r < width) {
      for (int32_t ch = 0; ch < 3; ++ch)
        sum[ch] = _mm256_add_pd(sum[ch], LoadMeans(means, x + r, ch));
      ++count;
    }
    const __m256d n = _mm256_set1_pd(static_cast<double>(count));
    for (int32_t ch = 0; ch < 3; ++ch) {
      // Rounded to float, clamped, then to the nearest integer, halves to even.
      __m128 mean = _mm256_cvtpd_ps(_mm256_div_pd(sum[ch], n));
      mean = _mm_min_ps(_mm_max_ps(mean, low), high);
      _mm_store_si128(reinterpret_cast<__m128i *>(bytes[ch]), _mm_cvtps_epi32(mean));
    }
    uint8_t *out = target + static_cast<size_t>(x) * 3;
    for (size_t lane = 0; lane < 4; ++lane, out += rowBytes) {
      for (int32_t ch = 0; ch < 3; ++ch) out[ch] = static_cast<uint8_t>(bytes[ch][lane]);
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
  int32_t reported = 0;
  auto report = [&](int32_t rows) {
    if (rowDone && (rows - reported >= 64 || rows == height)) {
      rowDone(rows);
      reported = rows;
    }
  };
  int32_t y = 0;
  if (HasAvx2()) {
    std::vector<float> rows(rowBytes * 4);
    std::vector<float> group(rowBytes * 4);
    for (; y + 4 <= height; y += 4) {
      for (size_t lane = 0; lane < 4; ++lane) {
        window.MeanAt(y + static_cast<int32_t>(lane), rows.data() + lane * rowBytes);
      }
      InterleaveRows(rows.data(), rowBytes, group.data());
      HorizontalMean4(group.data(), target + static_cast<size_t>(y) * rowBytes, rowBytes, width, r);
      report(y + 4);
    }
  }
  for (; y < height; ++y) {
    window.MeanAt(y, row.data());
    HorizontalMean(row.data(), target + static_cast<size_t>(y) * rowBytes, width, r);
    report(y + 1);
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
