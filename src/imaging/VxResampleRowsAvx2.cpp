// The resampler's row passes with AVX2. Only plain loops over pointers live
// here, so nothing built for AVX2 can leak into code that runs without it.

#include "imaging/VxResampleRows.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <cstring>

#define VX_AVX2 __attribute__((target("avx2")))

namespace resample_rows {

namespace {

VX_AVX2 inline __m256i WidenBytes(const uint8_t *p) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)));
}

// Two 16-bit weights in one 32-bit lane, the first in the low half, as
// _mm256_madd_epi16 pairs them with (row k, row k + 1).
inline int32_t WeightPair(int32_t first, int32_t second) {
  return static_cast<int32_t>((static_cast<uint32_t>(first) & 0xFFFFu) |
                              (static_cast<uint32_t>(second) << 16));
}

}  // namespace

VX_AVX2 void VerticalAvx2(const uint8_t *const *rows, const int32_t *weights, int32_t taps,
                          int32_t count, int32_t *sums) {
  const __m256i zero = _mm256_setzero_si256();
  int32_t i = 0;
  for (; i + 32 <= count; i += 32) {
    // acc0/acc2 hold bytes 0-3 | 8-11 of each half, acc1/acc3 bytes 4-7 | 12-15.
    __m256i acc0 = zero, acc1 = zero, acc2 = zero, acc3 = zero;
    int32_t k = 0;
    for (; k + 1 < taps; k += 2) {
      const __m256i w = _mm256_set1_epi32(WeightPair(weights[k], weights[k + 1]));
      const uint8_t *a = rows[k] + i;
      const uint8_t *b = rows[k + 1] + i;
      const __m256i a0 = WidenBytes(a), b0 = WidenBytes(b);
      const __m256i a1 = WidenBytes(a + 16), b1 = WidenBytes(b + 16);
      acc0 = _mm256_add_epi32(acc0, _mm256_madd_epi16(_mm256_unpacklo_epi16(a0, b0), w));
      acc1 = _mm256_add_epi32(acc1, _mm256_madd_epi16(_mm256_unpackhi_epi16(a0, b0), w));
      acc2 = _mm256_add_epi32(acc2, _mm256_madd_epi16(_mm256_unpacklo_epi16(a1, b1), w));
      acc3 = _mm256_add_epi32(acc3, _mm256_madd_epi16(_mm256_unpackhi_epi16(a1, b1), w));
    }
    if (k < taps) {
      const __m256i w = _mm256_set1_epi32(WeightPair(weights[k], 0));
      const uint8_t *a = rows[k] + i;
      const __m256i a0 = WidenBytes(a), a1 = WidenBytes(a + 16);
      acc0 = _mm256_add_epi32(acc0, _mm256_madd_epi16(_mm256_unpacklo_epi16(a0, zero), w));
      acc1 = _mm256_add_epi32(acc1, _mm256_madd_epi16(_mm256_unpackhi_epi16(a0, zero), w));
      acc2 = _mm256_add_epi32(acc2, _mm256_madd_epi16(_mm256_unpacklo_epi16(a1, zero), w));
      acc3 = _mm256_add_epi32(acc3, _mm256_madd_epi16(_mm256_unpackhi_epi16(a1, zero), w));
    }
    auto *out = reinterpret_cast<__m256i *>(sums + i);
    _mm256_storeu_si256(out, _mm256_permute2x128_si256(acc0, acc1, 0x20));
    _mm256_storeu_si256(out + 1, _mm256_permute2x128_si256(acc0, acc1, 0x31));
    _mm256_storeu_si256(out + 2, _mm256_permute2x128_si256(acc2, acc3, 0x20));
    _mm256_storeu_si256(out + 3, _mm256_permute2x128_si256(acc2, acc3, 0x31));
  }
  for (; i < count; ++i) {
    int32_t s = 0;
    for (int32_t k = 0; k < taps; ++k) s += weights[k] * rows[k][i];
    sums[i] = s;
  }
}

VX_AVX2 void HorizontalAvx2(const int32_t *sums, const int32_t *offsets, const int32_t *weights,
                            int32_t taps, int32_t pixels, uint8_t *out) {
  const __m256i low = _mm256_setzero_si256();
  const __m256i high = _mm256_set1_epi32(0xFF0000);
  // 4 pixels of (blue, green, red, unused) bytes down to 12 bytes.
  const __m128i compact = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const auto at = [sums](int32_t offset) {
    return reinterpret_cast<const __m128i *>(sums + offset);
  };
  int32_t p = 0;
  for (; p + 4 <= pixels; p += 4, out += 12) {
    const int32_t *o = offsets + static_cast<ptrdiff_t>(p) * taps;
    const int32_t *w = weights + static_cast<ptrdiff_t>(p) * taps;
    __m256i v01 = low, v23 = low;
    for (int32_t k = 0; k < taps; ++k) {
      // Each pixel reads its 3 sums and the next one, whose products are dropped.
      const __m256i s01 = _mm256_loadu2_m128i(at(o[taps + k]), at(o[k]));
      const __m256i s23 = _mm256_loadu2_m128i(at(o[3 * taps + k]), at(o[2 * taps + k]));
      const __m256i w01 = _mm256_set_m128i(_mm_set1_epi32(w[taps + k]), _mm_set1_epi32(w[k]));
      const __m256i w23 =
          _mm256_set_m128i(_mm_set1_epi32(w[3 * taps + k]), _mm_set1_epi32(w[2 * taps + k]));
      v01 = _mm256_add_epi32(v01, _mm256_mullo_epi32(s01, w01));
      v23 = _mm256_add_epi32(v23, _mm256_mullo_epi32(s23, w23));
    }
    v01 = _mm256_srli_epi32(_mm256_min_epi32(_mm256_max_epi32(v01, low), high), 16);
    v23 = _mm256_srli_epi32(_mm256_min_epi32(_mm256_max_epi32(v23, low), high), 16);
    const __m128i p01 =
        _mm_packus_epi32(_mm256_castsi256_si128(v01), _mm256_extracti128_si256(v01, 1));
    const __m128i p23 =
        _mm_packus_epi32(_mm256_castsi256_si128(v23), _mm256_extracti128_si256(v23, 1));
    const __m128i bytes = _mm_shuffle_epi8(_mm_packus_epi16(p01, p23), compact);
    alignas(16) uint8_t packed[16];
    _mm_store_si128(reinterpret_cast<__m128i *>(packed), bytes);
    std::memcpy(out, packed, 12);
  }
  if (p < pixels)
    HorizontalPortable(sums, offsets + static_cast<ptrdiff_t>(p) * taps,
                       weights + static_cast<ptrdiff_t>(p) * taps, taps, pixels - p, true, out);
}

}  // namespace resample_rows

#endif
