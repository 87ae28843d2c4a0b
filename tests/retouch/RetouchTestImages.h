#pragma once
// Small deterministic test images for the retouching engines.

#include <cstdint>

#include "imaging/VxPixels.h"

// A 24-bit buffer over bounds filled with pseudo-random bytes from seed.
inline void FillNoise(TVxPixelBuffer &buffer, const TVxRect &bounds, uint32_t seed) {
  buffer.SetFormatAndBounds(PixelFormat24, bounds);
  uint32_t state = seed * 2654435761u + 1;
  for (int32_t y = bounds.Top; y < bounds.Bottom; ++y) {
    uint8_t *p = buffer.PixelAddress(bounds.Left, y);
    for (int32_t i = 0; i < bounds.Width() * 3; ++i) {
      state = state * 1664525u + 1013904223u;
      p[i] = static_cast<uint8_t>(state >> 24);
    }
  }
}

// Black left half, white right half: the hardest edge there is.
inline void FillEdge(TVxPixelBuffer &buffer, int32_t width, int32_t height) {
  buffer.SetFormatAndBounds(PixelFormat24, {0, 0, width, height});
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t v = x < width / 2 ? 0 : 255;
      uint8_t *p = buffer.PixelAddress(x, y);
      p[0] = p[1] = p[2] = v;
    }
  }
}
