#include "retouch/VxFrequencyRange.h"

#include <immintrin.h>

#include <cstring>
#include <stdexcept>

#include "retouch/VxBrushBlends.h"
#include "retouch/VxRowBands.h"

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

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

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

// What the vertical window does for four consecutive rows: the source rows
// entering and leaving it (a row of zeros when none does) and the count after
// each step.
struct TWindowSteps {
  const uint8_t *Enter[4];
  const uint8_t *Leave[4];
  float Count[4];
};

VX_AVX2 inline __m256i WidenBytes(const uint8_t *p) {
  return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)));
}

// Four steps of the vertical window in one sweep over the columns, the means
// written straight into [column][channel][row] order for the horizontal pass.
// Every quotient is the same IEEE float division as the scalar step's.
VX_AVX2 void WindowSteps4(int32_t *sums, const TWindowSteps &steps, size_t n, float *group) {
  __m256 count[4];
  for (size_t lane = 0; lane < 4; ++lane) count[lane] = _mm256_set1_ps(steps.Count[lane]);
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(sums + i));
    __m256 m[4];
    for (size_t lane = 0; lane < 4; ++lane) {
      s = _mm256_add_epi32(s, WidenBytes(steps.Enter[lane] + i));
      s = _mm256_sub_epi32(s, WidenBytes(steps.Leave[lane] + i));
      m[lane] = _mm256_div_ps(_mm256_cvtepi32_ps(s), count[lane]);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(sums + i), s);
    __m256 t0 = _mm256_unpacklo_ps(m[0], m[1]);
    __m256 t1 = _mm256_unpackhi_ps(m[0], m[1]);
    __m256 t2 = _mm256_unpacklo_ps(m[2], m[3]);
    __m256 t3 = _mm256_unpackhi_ps(m[2], m[3]);
    __m256 c04 = _mm256_shuffle_ps(t0, t2, 0x44);
    __m256 c15 = _mm256_shuffle_ps(t0, t2, 0xEE);
    __m256 c26 = _mm256_shuffle_ps(t1, t3, 0x44);
    __m256 c37 = _mm256_shuffle_ps(t1, t3, 0xEE);
    float *out = group + i * 4;
    _mm256_storeu_ps(out, _mm256_permute2f128_ps(c04, c15, 0x20));
    _mm256_storeu_ps(out + 8, _mm256_permute2f128_ps(c26, c37, 0x20));
    _mm256_storeu_ps(out + 16, _mm256_permute2f128_ps(c04, c15, 0x31));
    _mm256_storeu_ps(out + 24, _mm256_permute2f128_ps(c26, c37, 0x31));
  }
  for (; i < n; ++i) {
    int32_t s = sums[i];
    for (size_t lane = 0; lane < 4; ++lane) {
      s += steps.Enter[lane][i] - steps.Leave[lane][i];
      group[i * 4 + lane] = static_cast<float>(s) / steps.Count[lane];
    }
    sums[i] = s;
  }
}

// Column sums of the vertical window, one per channel and column, for the rows
// from firstRow on. The sums are integers, so a window seeded in the middle of
// the image holds exactly what one that walked there from row 0 would.
class TColumnWindow {
 public:
  TColumnWindow(const uint8_t *source, int32_t width, int32_t height, int32_t r, int32_t firstRow)
      : Source(source),
        RowBytes(static_cast<size_t>(width) * 3),
        Height(height),
        Radius(r),
        Sums(RowBytes, 0) {
    // The window as the step to firstRow finds it: the one centred on the row before.
    int32_t from = std::max(0, firstRow - 1 - r);
    int32_t to = std::min(height - 1, firstRow - 1 + r);
    for (int32_t y = from; y <= to; ++y) Add(y);
    Count = std::max(0, to - from + 1);
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
    if (FloatQuotientIsExact(Count)) {
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

  // Rows y .. y + 3 as four MeanAt calls followed by interleaving would give
  // them, in one sweep. False (and nothing moved) where that is not exact or
  // not available; the caller then takes the row-by-row route.
  bool MeansOf4(int32_t y, const uint8_t *zeros, float *group) {
    if (!Avx2) return false;
    TWindowSteps steps;
    int32_t count = Count;
    for (int32_t lane = 0; lane < 4; ++lane) {
      int32_t row = y + lane;
      steps.Leave[lane] = zeros;
      steps.Enter[lane] = zeros;
      if (row - Radius > 0) {
        steps.Leave[lane] = RowAt(row - Radius - 1);
        --count;
      }
      if (row + Radius < Height) {
        steps.Enter[lane] = RowAt(row + Radius);
        ++count;
      }
      if (!FloatQuotientIsExact(count)) return false;
      steps.Count[lane] = static_cast<float>(count);
    }
    WindowSteps4(Sums.data(), steps, RowBytes, group);
    Count = count;
    return true;
  }

 private:
  static bool FloatQuotientIsExact(int32_t count) {
    return static_cast<int64_t>(count) * 255 < (int64_t{1} << 24);
  }
  const uint8_t *RowAt(int32_t y) const { return Source + static_cast<size_t>(y) * RowBytes; }
  void Add(int32_t y) {
    const uint8_t *__restrict p = RowAt(y);
    if (Avx2) return AddRowAvx2(Sums.data(), p, RowBytes, false);
    int32_t *__restrict sums = Sums.data();
    for (size_t i = 0; i < RowBytes; ++i) sums[i] += p[i];
  }
  void Subtract(int32_t y) {
    const uint8_t *__restrict p = RowAt(y);
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
// additions and subtractions of HorizontalMean, in the same order, so the sums
// are the same.
//
// The division is the costly part, and only the byte it rounds to matters. A
// product with the reciprocal is within a few units of 2^-52 of the quotient,
// and rounding the quotient to float moves it by at most 2^-17 below 256, so
// wherever the product lies further than 10^-4 from the nearest half the byte
// is the product's nearest integer. Only the rare column where some lane lies
// closer divides.
VX_AVX2 inline __m256d LoadMeans(const float *means, int32_t x, int32_t ch) {
  return _mm256_cvtps_pd(_mm_loadu_ps(means + (static_cast<size_t>(x) * 3 + size_t(ch)) * 4));
}

VX_AVX2 inline __m128i ExactBytes(__m256d sum, __m256d n) {
  // Rounded to float, clamped, then to the nearest integer, halves to even.
  __m128 mean = _mm256_cvtpd_ps(_mm256_div_pd(sum, n));
  mean = _mm_min_ps(_mm_max_ps(mean, _mm_setzero_ps()), _mm_set1_ps(255.0f));
  return _mm_cvtps_epi32(mean);
}

// Lane k's blue, green and red bytes in bytes 4k .. 4k + 2.
VX_AVX2 inline __m128i PackLanes(__m128i blue, __m128i green, __m128i red) {
  __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(blue, green), _mm_packs_epi32(red, red));
  const __m128i order = _mm_setr_epi8(0, 4, 8, -1, 1, 5, 9, -1, 2, 6, 10, -1, 3, 7, 11, -1);
  return _mm_shuffle_epi8(bytes, order);
}

// One pixel of each of four rows. With room behind the pixel, one four-byte
// store a row; the byte too many is the next pixel's blue, which the next
// column writes.
VX_AVX2 inline void StoreLanes(__m128i pixels, uint8_t *out, size_t rowBytes) {
  uint32_t lanes[4];
  _mm_storeu_si128(reinterpret_cast<__m128i *>(lanes), pixels);
  std::memcpy(out, &lanes[0], 4);
  std::memcpy(out + rowBytes, &lanes[1], 4);
  std::memcpy(out + 2 * rowBytes, &lanes[2], 4);
  std::memcpy(out + 3 * rowBytes, &lanes[3], 4);
}

VX_AVX2 inline void StoreLastLanes(__m128i pixels, uint8_t *out, size_t rowBytes) {
  uint32_t lanes[4];
  _mm_storeu_si128(reinterpret_cast<__m128i *>(lanes), pixels);
  for (size_t lane = 0; lane < 4; ++lane) std::memcpy(out + lane * rowBytes, &lanes[lane], 3);
}

// The byte of each lane, valid when every lane of sum * reciprocal lies
// clearly away from a half; doubtful collects the lanes that do not.
VX_AVX2 inline __m128i NearestBytes(__m256d sum, __m256d reciprocal, __m256d &doubtful) {
  const __m256d signBit = _mm256_set1_pd(-0.0);
  const __m256d nearHalf = _mm256_set1_pd(0.5 - 1e-4);
  __m256d q = _mm256_mul_pd(sum, reciprocal);
  __m256d nearest = _mm256_round_pd(q, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
  __m256d distance = _mm256_andnot_pd(signBit, _mm256_sub_pd(q, nearest));
  doubtful = _mm256_or_pd(doubtful, _mm256_cmp_pd(distance, nearHalf, _CMP_GE_OQ));
  nearest = _mm256_min_pd(_mm256_max_pd(nearest, _mm256_setzero_pd()), _mm256_set1_pd(255.0));
  return _mm256_cvtpd_epi32(nearest);
}

VX_AVX2 void HorizontalMean4(const float *means, uint8_t *target, size_t rowBytes, int32_t width,
                             int32_t r) {
  __m256d blue = _mm256_setzero_pd(), green = _mm256_setzero_pd(), red = _mm256_setzero_pd();
  int32_t count = std::min(r, width);
  for (int32_t x = 0; x < count; ++x) {
    blue = _mm256_add_pd(blue, LoadMeans(means, x, 0));
    green = _mm256_add_pd(green, LoadMeans(means, x, 1));
    red = _mm256_add_pd(red, LoadMeans(means, x, 2));
  }
  int32_t reciprocalOf = -1;
  __m256d reciprocal = _mm256_setzero_pd();
  for (int32_t x = 0; x < width; ++x) {
    if (x - r > 0) {
      blue = _mm256_sub_pd(blue, LoadMeans(means, x - r - 1, 0));
      green = _mm256_sub_pd(green, LoadMeans(means, x - r - 1, 1));
      red = _mm256_sub_pd(red, LoadMeans(means, x - r - 1, 2));
      --count;
    }
    if (x + r < width) {
      blue = _mm256_add_pd(blue, LoadMeans(means, x + r, 0));
      green = _mm256_add_pd(green, LoadMeans(means, x + r, 1));
      red = _mm256_add_pd(red, LoadMeans(means, x + r, 2));
      ++count;
    }
    if (count != reciprocalOf) {
      reciprocalOf = count;
      reciprocal = _mm256_set1_pd(1.0 / static_cast<double>(count));
    }
    __m256d doubtful = _mm256_setzero_pd();
    __m128i b = NearestBytes(blue, reciprocal, doubtful);
    __m128i g = NearestBytes(green, reciprocal, doubtful);
    __m128i rd = NearestBytes(red, reciprocal, doubtful);
    if (_mm256_movemask_pd(doubtful) != 0) {
      const __m256d n = _mm256_set1_pd(static_cast<double>(count));
      b = ExactBytes(blue, n);
      g = ExactBytes(green, n);
      rd = ExactBytes(red, n);
    }
    uint8_t *out = target + static_cast<size_t>(x) * 3;
    if (x + 1 < width) {
      StoreLanes(PackLanes(b, g, rd), out, rowBytes);
    } else {
      StoreLastLanes(PackLanes(b, g, rd), out, rowBytes);
    }
  }
}

// Rows [first, end) of the box blur; rowsDone gets the number of rows of this
// band finished so far.
void BoxBlurRows(const uint8_t *source, uint8_t *target, int32_t width, int32_t height, int32_t r,
                 int32_t first, int32_t end, const std::function<void(int32_t)> &rowsDone) {
  TColumnWindow window(source, width, height, r, first);
  size_t rowBytes = static_cast<size_t>(width) * 3;
  std::vector<float> row(rowBytes);
  int32_t y = first;
  if (HasAvx2()) {
    std::vector<float> rows;
    std::vector<float> group(rowBytes * 4);
    std::vector<uint8_t> zeros(rowBytes + 8, 0);
    for (; y + 4 <= end; y += 4) {
      if (!window.MeansOf4(y, zeros.data(), group.data())) {
        rows.resize(rowBytes * 4);
        for (size_t lane = 0; lane < 4; ++lane) {
          window.MeanAt(y + static_cast<int32_t>(lane), rows.data() + lane * rowBytes);
        }
        InterleaveRows(rows.data(), rowBytes, group.data());
      }
      HorizontalMean4(group.data(), target + static_cast<size_t>(y) * rowBytes, rowBytes, width, r);
      if (rowsDone) rowsDone(y + 4 - first);
    }
  }
  for (; y < end; ++y) {
    window.MeanAt(y, row.data());
    HorizontalMean(row.data(), target + static_cast<size_t>(y) * rowBytes, width, r);
    if (rowsDone) rowsDone(y + 1 - first);
  }
}

void CopyRows(const TVxPixels &buffer, uint8_t *source, int32_t width, int32_t first, int32_t end) {
  size_t rowBytes = static_cast<size_t>(width) * 3;
  for (int32_t y = first; y < end; ++y) {
    const uint8_t *p = buffer.PixelAddress(buffer.Left, buffer.Top + y);
    uint8_t *q = source + static_cast<size_t>(y) * rowBytes;
    if (buffer.BytesPerPixel == 3) {
      std::memcpy(q, p, rowBytes);
      continue;
    }
    for (int32_t x = 0; x < width; ++x, p += buffer.BytesPerPixel, q += 3) {
      q[0] = p[0];
      q[1] = p[1];
      q[2] = p[2];
    }
  }
}

}  // namespace

void BoxBlurBGR(const uint8_t *source, uint8_t *target, int32_t width, int32_t height, int32_t r,
                const std::function<void(int32_t)> &rowDone) {
  if (width <= 0 || height <= 0) return;
  r = std::max(r, 0);
  // Reported every 64 rows and at the end, counted over both bands.
  int32_t reported = 0;
  auto report = [&](int32_t rows) {
    if (rowDone && rows > reported && (rows - reported >= 64 || rows == height)) {
      rowDone(rows);
      reported = rows;
    }
  };
  SplitRows(
      height, width,
      [&](int32_t first, int32_t end, const std::function<void(int32_t)> &rowsDone) {
        BoxBlurRows(source, target, width, height, r, first, end, rowsDone);
      },
      report);
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
    SplitRows(Height, Width,
              [&](int32_t first, int32_t end, const std::function<void(int32_t)> &) {
                CopyRows(buffer, Source.data(), Width, first, end);
              },
              {});
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
