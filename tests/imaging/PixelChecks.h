#pragma once
// Compares every pixel of an area with an expected colour per position and
// names the first one that differs.

#include <gtest/gtest.h>

#include "support/TestSupport.h"

template <typename Want>
::testing::AssertionResult EachPixel(const TVxPixels &pixels, const TVxRect &area, Want want) {
  for (int32_t y = area.Top; y < area.Bottom; ++y)
    for (int32_t x = area.Left; x < area.Right; ++x) {
      const uint32_t got = testsupport::ColourAt(pixels, x, y);
      const uint32_t expected = want(x, y);
      if (got != expected)
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << std::hex
                                             << got << ", expected " << expected;
    }
  return ::testing::AssertionSuccess();
}
