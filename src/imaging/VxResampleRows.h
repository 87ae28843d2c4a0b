#pragma once
// Inner passes of the resampler, one set per instruction set. Every set gives
// the same bytes as the portable one; the choice is made once at run time.
// Tests use ResampleWith to compare the sets with each other.

#include <cstdint>

#include "imaging/VxResamplers.h"

enum class TResampleCode { Portable, Avx2 };

// Whether this machine can run the given set.
bool ResampleCodeAvailable(TResampleCode code);

// Resample with the given set (the portable one when the machine lacks it).
void ResampleWith(TResampleCode code, TVxPixels &dst, const TVxRect &dstRect,
                  const TVxRect &dstClip, const TPixelResampler &kernel, const TVxRect &srcRect,
                  const TVxPixels &src);

namespace resample_rows {

// The vertical pass: sums[i] = sum of weights[k] * rows[k][i] for i < count.
// taps >= 1.
void VerticalPortable(const uint8_t *const *rows, const int32_t *weights, int32_t taps,
                      int32_t count, int32_t *sums);

// The horizontal pass over `pixels` destination pixels. Pixel p reads the
// 3 sums at sums + offsets[p * taps + k] with weight weights[p * taps + k];
// the result is clamped to 0..0xFF0000 when clamp is set and shifted right by
// 16. 64-bit accumulation, so any table is safe here.
void HorizontalPortable(const int32_t *sums, const int32_t *offsets, const int32_t *weights,
                        int32_t taps, int32_t pixels, bool clamp, uint8_t *out);

#if defined(__x86_64__)
// The same with AVX2. Callers guarantee that every weight fits 16 bits, that
// every sum of the horizontal pass fits 32 bits, that clamp is set, and that
// sums can be read 4 values past the last used one.
void VerticalAvx2(const uint8_t *const *rows, const int32_t *weights, int32_t taps, int32_t count,
                  int32_t *sums);
void HorizontalAvx2(const int32_t *sums, const int32_t *offsets, const int32_t *weights,
                    int32_t taps, int32_t pixels, uint8_t *out);
#endif

}  // namespace resample_rows
