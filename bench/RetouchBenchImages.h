#pragma once
// The images the retouching benchmarks share: a smooth gradient with grain,
// so that blurs and blends see realistic, not constant, values.

#include <cstdint>

#include "imaging/VxPixels.h"

inline void FillPortraitLike(TVxPixelBuffer &buffer, int32_t width, int32_t height) {
  buffer.SetFormatAndBounds(PixelFormat24, {0, 0, width, height});
  uint32_t state = 12345;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t *p = buffer.PixelAddress(0, y);
    for (int32_t i = 0; i < width * 3; ++i) {
      state = state * 1664525u + 1013904223u;
      p[i] = static_cast<uint8_t>(((i / 3 + y) & 0xFF) / 2 + (state >> 26));
    }
  }
}

// A 24-megapixel photograph, made once per benchmark program.
inline TVxPixelBuffer &Photo24MP() {
  static TVxPixelBuffer photo;
  if (photo.Bits == nullptr) FillPortraitLike(photo, 6000, 4000);
  return photo;
}
