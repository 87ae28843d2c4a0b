#include "retouch/VxDetailLayer.h"

#include <immintrin.h>

#include <algorithm>
#include <stdexcept>

#include "retouch/VxRowBands.h"

namespace {

#define VX_AVX2 __attribute__((target("avx2")))

constexpr int32_t kRadius = TMakeUpDetailLayer::Radius;

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

float Reciprocal(int32_t count) { return 1.0f / static_cast<float>(count); }

// The column sums of the vertical box for the rows from firstRow on. The
// single-precision sums of the definition only ever hold integers below 2^24
// (at most 19 bytes), so integer sums are the same numbers in any order, and
// a window seeded in the middle of the image equals one that walked there.
class TDetailWindow {
 public:
  TDetailWindow(const TVxPixels &image, int32_t firstRow)
      : Image(image), RowValues(static_cast<size_t>(image.Width) * 3), Sums(RowValues, 0) {
    int32_t from = std::max(0, firstRow - 1 - kRadius);
    int32_t to = std::min(image.Height - 1, firstRow - 1 + kRadius);
    for (int32_t y = from; y <= to; ++y) Move(y, 1);
    Count = std::max(0, to - from + 1);
  }

  // Steps the window to centre row y; rows arrive in order.
  void StepTo(int32_t y) {
    if (y - kRadius > 0) {
      Move(y - kRadius - 1, -1);
      --Count;
    }
    if (y + kRadius < Image.Height) {
      Move(y + kRadius, 1);
      ++Count;
    }
  }

  // The means of every channel and column at the current centre row.
  void Means(float *out) const {
    float reciprocal = Reciprocal(Count);
    for (size_t i = 0; i < RowValues; ++i) out[i] = static_cast<float>(Sums[i]) * reciprocal;
  }

  // Steps to rows y .. y + 7 without touching the sums: the rows entering and
  // leaving (zeros where none does) and the reciprocal of each count. The
  // caller then moves the sums (only for three bytes a pixel).
  struct TSteps {
    const uint8_t *Enter[8];
    const uint8_t *Leave[8];
    float Reciprocal[8];
  };
  TSteps StepsOf8(int32_t y, const uint8_t *zeros) {
    TSteps steps;
    for (int32_t lane = 0; lane < 8; ++lane) {
      int32_t row = y + lane;
      steps.Enter[lane] = steps.Leave[lane] = zeros;
      if (row - kRadius > 0) {
        steps.Leave[lane] = Row(row - kRadius - 1);
        --Count;
      }
      if (row + kRadius < Image.Height) {
        steps.Enter[lane] = Row(row + kRadius);
        ++Count;
      }
      steps.Reciprocal[lane] = Reciprocal(Count);
    }
    return steps;
  }

  int32_t *SumsData() { return Sums.data(); }
  size_t Values() const { return RowValues; }

 private:
  const uint8_t *Row(int32_t y) const { return Image.PixelAddress(Image.Left, Image.Top + y); }
  void Move(int32_t y, int32_t sign) {
    const uint8_t *p = Row(y);
    size_t step = static_cast<size_t>(Image.BytesPerPixel);
    for (size_t x = 0, i = 0; i < RowValues; ++x, i += 3) {
      for (size_t ch = 0; ch < 3; ++ch) Sums[i + ch] += sign * p[x * step + ch];
    }
  }

  const TVxPixels &Image;
  size_t RowValues;
  std::vector<int32_t> Sums;
  int32_t Count = 0;
};

VX_AVX2 inline __m256i WidenBytes(const uint8_t *p) {
  return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(p)));
}

// Transposes eight vectors in place: afterwards v[k] holds element k of each.
VX_AVX2 inline void Transpose8(__m256 v[8]) {
  __m256 t0 = _mm256_unpacklo_ps(v[0], v[1]), t1 = _mm256_unpackhi_ps(v[0], v[1]);
  __m256 t2 = _mm256_unpacklo_ps(v[2], v[3]), t3 = _mm256_unpackhi_ps(v[2], v[3]);
  __m256 t4 = _mm256_unpacklo_ps(v[4], v[5]), t5 = _mm256_unpackhi_ps(v[4], v[5]);
  __m256 t6 = _mm256_unpacklo_ps(v[6], v[7]), t7 = _mm256_unpackhi_ps(v[6], v[7]);
  __m256 u0 = _mm256_shuffle_ps(t0, t2, 0x44), u1 = _mm256_shuffle_ps(t0, t2, 0xEE);
  __m256 u2 = _mm256_shuffle_ps(t1, t3, 0x44), u3 = _mm256_shuffle_ps(t1, t3, 0xEE);
  __m256 u4 = _mm256_shuffle_ps(t4, t6, 0x44), u5 = _mm256_shuffle_ps(t4, t6, 0xEE);
  __m256 u6 = _mm256_shuffle_ps(t5, t7, 0x44), u7 = _mm256_shuffle_ps(t5, t7, 0xEE);
  v[0] = _mm256_permute2f128_ps(u0, u4, 0x20);
  v[1] = _mm256_permute2f128_ps(u1, u5, 0x20);
  v[2] = _mm256_permute2f128_ps(u2, u6, 0x20);
  v[3] = _mm256_permute2f128_ps(u3, u7, 0x20);
  v[4] = _mm256_permute2f128_ps(u0, u4, 0x31);
  v[5] = _mm256_permute2f128_ps(u1, u5, 0x31);
  v[6] = _mm256_permute2f128_ps(u2, u6, 0x31);
  v[7] = _mm256_permute2f128_ps(u3, u7, 0x31);
}

// Eight steps of the vertical box in one sweep, the means as
// [column][channel][row].
VX_AVX2 void MeansOf8(int32_t *sums, size_t n, const TDetailWindow::TSteps &steps, float *group) {
  __m256 reciprocal[8];
  for (size_t lane = 0; lane < 8; ++lane) reciprocal[lane] = _mm256_set1_ps(steps.Reciprocal[lane]);
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(sums + i));
    __m256 m[8];
    for (size_t lane = 0; lane < 8; ++lane) {
      s = _mm256_add_epi32(s, WidenBytes(steps.Enter[lane] + i));
      s = _mm256_sub_epi32(s, WidenBytes(steps.Leave[lane] + i));
      m[lane] = _mm256_mul_ps(_mm256_cvtepi32_ps(s), reciprocal[lane]);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(sums + i), s);
    Transpose8(m);
    for (size_t k = 0; k < 8; ++k) _mm256_storeu_ps(group + (i + k) * 8, m[k]);
  }
  for (; i < n; ++i) {
    int32_t s = sums[i];
    for (size_t lane = 0; lane < 8; ++lane) {
      s += steps.Enter[lane][i] - steps.Leave[lane][i];
      group[i * 8 + lane] = static_cast<float>(s) * steps.Reciprocal[lane];
    }
    sums[i] = s;
  }
}

// The horizontal box over one row of column means, and the detail.
void DetailRow(const float *means, const uint8_t *source, int32_t bytesPerPixel, int32_t width,
               float *out) {
  float sum[3] = {0.0f, 0.0f, 0.0f};
  int32_t count = std::min(kRadius, width);
  for (int32_t x = 0; x < count; ++x) {
    for (int32_t ch = 0; ch < 3; ++ch) sum[ch] += means[3 * x + ch];
  }
  for (int32_t x = 0; x < width; ++x) {
    if (x - kRadius > 0) {
      for (int32_t ch = 0; ch < 3; ++ch) sum[ch] -= means[3 * (x - kRadius - 1) + ch];
      --count;
    }
    if (x + kRadius < width) {
      for (int32_t ch = 0; ch < 3; ++ch) sum[ch] += means[3 * (x + kRadius) + ch];
      ++count;
    }
    float reciprocal = Reciprocal(count);
    const uint8_t *s = source + static_cast<ptrdiff_t>(x) * bytesPerPixel;
    for (int32_t ch = 0; ch < 3; ++ch) {
      out[3 * x + ch] = static_cast<float>(s[ch]) - sum[ch] * reciprocal;
    }
  }
}

// Means of eight columns of eight rows, [column][channel][row], become the
// detail of those rows: transposed to rows and subtracted from the source.
VX_AVX2 void StoreDetail8x8(const __m256 *block, const uint8_t *const source[8],
                            float *const out[8], size_t offset) {
  __m256 third[3][8];
  for (size_t part = 0; part < 3; ++part) {
    for (size_t k = 0; k < 8; ++k) third[part][k] = block[part * 8 + k];
    Transpose8(third[part]);
  }
  for (size_t lane = 0; lane < 8; ++lane) {
    for (size_t part = 0; part < 3; ++part) {
      __m256 s = _mm256_cvtepi32_ps(WidenBytes(source[lane] + offset + 8 * part));
      _mm256_storeu_ps(out[lane] + offset + 8 * part, _mm256_sub_ps(s, third[part][lane]));
    }
  }
}

VX_AVX2 inline __m256 LoadMeans8(const float *group, int32_t x, int32_t ch) {
  return _mm256_loadu_ps(group + (static_cast<size_t>(x) * 3 + size_t(ch)) * 8);
}

// The horizontal box over eight rows at once, one row per lane, each lane
// doing exactly DetailRow's single-precision operations in its order.
VX_AVX2 void DetailRows8(const float *group, const uint8_t *const source[8], float *const out[8],
                         int32_t width) {
  __m256 sum[3] = {_mm256_setzero_ps(), _mm256_setzero_ps(), _mm256_setzero_ps()};
  int32_t count = std::min(kRadius, width);
  for (int32_t x = 0; x < count; ++x) {
    for (int32_t ch = 0; ch < 3; ++ch) sum[ch] = _mm256_add_ps(sum[ch], LoadMeans8(group, x, ch));
  }
  __m256 block[24];
  for (int32_t x = 0; x < width; ++x) {
    if (x - kRadius > 0) {
      for (int32_t ch = 0; ch < 3; ++ch)
        sum[ch] = _mm256_sub_ps(sum[ch], LoadMeans8(group, x - kRadius - 1, ch));
      --count;
    }
    if (x + kRadius < width) {
      for (int32_t ch = 0; ch < 3; ++ch)
        sum[ch] = _mm256_add_ps(sum[ch], LoadMeans8(group, x + kRadius, ch));
      ++count;
    }
    const __m256 reciprocal = _mm256_set1_ps(Reciprocal(count));
    int32_t inBlock = x & 7;
    for (int32_t ch = 0; ch < 3; ++ch) block[inBlock * 3 + ch] = _mm256_mul_ps(sum[ch], reciprocal);
    if (inBlock == 7) {
      StoreDetail8x8(block, source, out, static_cast<size_t>(x - 7) * 3);
    } else if (x + 1 == width) {
      // The last columns short of a block of eight.
      alignas(32) float means[8];
      for (int32_t b = 0; b <= inBlock; ++b) {
        size_t offset = static_cast<size_t>(x - inBlock + b) * 3;
        for (int32_t ch = 0; ch < 3; ++ch) {
          _mm256_store_ps(means, block[b * 3 + ch]);
          for (size_t lane = 0; lane < 8; ++lane) {
            out[lane][offset + size_t(ch)] =
                static_cast<float>(source[lane][offset + size_t(ch)]) - means[lane];
          }
        }
      }
    }
  }
}

void ComputeRows(const TVxPixels &image, float *layer, int32_t first, int32_t end,
                 const TVxRowsDoneFn &rowsDone) {
  int32_t width = image.Width;
  size_t rowValues = static_cast<size_t>(width) * 3;
  TDetailWindow window(image, first);
  std::vector<float> means(rowValues);
  int32_t y = first;
  if (HasAvx2() && image.BytesPerPixel == 3) {
    std::vector<float> group(rowValues * 8);
    std::vector<uint8_t> zeros(rowValues, 0);
    for (; y + 8 <= end; y += 8) {
      MeansOf8(window.SumsData(), window.Values(), window.StepsOf8(y, zeros.data()), group.data());
      const uint8_t *source[8];
      float *out[8];
      for (int32_t lane = 0; lane < 8; ++lane) {
        source[lane] = image.PixelAddress(image.Left, image.Top + y + lane);
        out[lane] = layer + static_cast<size_t>(y + lane) * rowValues;
      }
      DetailRows8(group.data(), source, out, width);
      rowsDone(y + 8 - first);
    }
  }
  for (; y < end; ++y) {
    window.StepTo(y);
    window.Means(means.data());
    DetailRow(means.data(), image.PixelAddress(image.Left, image.Top + y), image.BytesPerPixel,
              width, layer + static_cast<size_t>(y) * rowValues);
    rowsDone(y + 1 - first);
  }
}

}  // namespace

void TMakeUpDetailLayer::Compute(const TVxPixels &image, const TVxProgressFn &progress) {
  if (image.Width > 0 && image.Height > 0 && (image.Bits == nullptr || image.BytesPerPixel < 3)) {
    throw std::invalid_argument("the detail layer needs an image of three bytes a pixel");
  }
  Stale = true;  // until every row is done
  TVxRect bounds = image.Width > 0 && image.Height > 0 ? image.GetBounds() : TVxRect{};
  size_t values = static_cast<size_t>(bounds.Width()) * static_cast<size_t>(bounds.Height()) * 3;
  Layer.resize(values);
  Bounds = bounds;
  int32_t reported = 0;
  int32_t height = bounds.Height();
  SplitRows(
      height, bounds.Width(),
      [&](int32_t first, int32_t end, const TVxRowsDoneFn &rowsDone) {
        ComputeRows(image, Layer.data(), first, end, rowsDone);
      },
      [&](int32_t rows) {
        if (progress && rows > reported && (rows - reported >= 64 || rows == height)) {
          progress(rows, height);
          reported = rows;
        }
      });
  Stale = false;
}

bool TMakeUpDetailLayer::PrepareFor(const TVxPixels &image, const TVxProgressFn &progress) {
  TVxRect bounds = image.Width > 0 && image.Height > 0 ? image.GetBounds() : TVxRect{};
  if (!Stale && bounds == Bounds) return false;
  Compute(image, progress);
  return true;
}
