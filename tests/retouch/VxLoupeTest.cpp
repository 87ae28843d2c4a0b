#include "retouch/VxLoupe.h"

#include <gtest/gtest.h>

#include <cstring>

#include "retouch/RetouchTestImages.h"

namespace {

TEST(Loupe, ShowsTheImageAndGreyBeyondIt) {
  TVxPixelBuffer image;
  FillNoise(image, {0, 0, 30, 20}, 4);
  struct TCase {
    TVxPoint Origin;
    TVxRect Part;
  } cases[] = {
      {{5, 3}, {0, 0, 12, 12}},    // inside
      {{-4, -6}, {0, 0, 12, 12}},  // over the top-left corner
      {{24, 15}, {0, 0, 12, 12}},  // over the bottom-right corner
      {{-20, 2}, {0, 0, 12, 12}},  // wholly left of it
      {{3, 3}, {4, 4, 8, 8}},      // only the middle redrawn
      {{3, 3}, {-5, 10, 40, 40}},  // part clipped to the preview
  };
  for (const TCase &test : cases) {
    TVxPixelBuffer preview(PixelFormat24, {0, 0, 12, 12});
    for (int32_t j = 0; j < 12; ++j) std::memset(preview.PixelAddress(0, j), 7, 36);
    PaintLoupe(image, test.Origin, preview, test.Part);
    for (int32_t j = 0; j < 12; ++j) {
      for (int32_t i = 0; i < 12; ++i) {
        const uint8_t *p = preview.PixelAddress(i, j);
        const int32_t x = test.Origin.X + i, y = test.Origin.Y + j;
        for (int c = 0; c < 3; ++c) {
          uint8_t expected = 7;
          if (test.Part.Contains(i, j))
            expected = image.GetBounds().Contains(x, y) ? image.PixelAddress(x, y)[c] : 64;
          ASSERT_EQ(p[c], expected)
              << test.Origin.X << "," << test.Origin.Y << " at " << i << "," << j;
        }
      }
    }
  }
}

}  // namespace
