#include <gtest/gtest.h>

#include "imaging/VxColour.h"

namespace {

struct BlendCase {
  uint8_t Pixel;
  int32_t Alpha;
  uint8_t Colour;
  uint8_t Expected;
};

TEST(BlendColour, MovesEachChannelByTheShiftedDifference) {
  const BlendCase cases[] = {
      {0, 128, 255, 127},  // 128 * 255 = 32640 >> 8
      {200, 0, 0, 200},    // alpha 0 leaves the pixel
      {10, 255, 99, 99},   // alpha 255 writes the colour
      {255, 128, 0, 127},  // 255 + (-32640 >> 8) = 255 - 128
      {100, 1, 99, 99},    // -1 >> 8 is -1: arithmetic shift
      {100, 64, 200, 125},
  };
  for (const auto &c : cases) {
    uint8_t pixel[3] = {c.Pixel, c.Pixel, c.Pixel};
    BlendColour(pixel, c.Alpha, 0x010101u * c.Colour);
    EXPECT_EQ(pixel[0], c.Expected) << int(c.Pixel) << " alpha " << c.Alpha;
    EXPECT_EQ(pixel[2], c.Expected);
  }
  uint8_t pixel[3] = {0, 0, 0};
  BlendColour(pixel, 255, 0x123456);
  EXPECT_EQ(pixel[0], 0x56);  // blue first in memory
  EXPECT_EQ(pixel[2], 0x12);
}

TEST(ScaleColour, ScalesEveryChannelWithMulDiv) {
  EXPECT_EQ(ScaleColour(1, 2, 0xFF8001), (TVxBGR{1, 64, 128}));  // halves away from zero
  EXPECT_EQ(ScaleColour(2, 1, 0x808080), (TVxBGR{255, 255, 255}));
}

TEST(FitProportional, FitsTheLongerSideToTheBox) {
  const std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t> cases[] = {
      {4000, 3000, 800, 800, 800, 600},
      {3000, 4000, 800, 800, 600, 800},
      {100, 100, 50, 80, 50, 50},
      {10, 10, 800, 600, 600, 600},  // small images grow
  };
  for (auto [sw, sh, bw, bh, w, h] : cases) {
    const TVxFit fit = FitProportional(sw, sh, bw, bh);
    EXPECT_TRUE(fit.Ok);
    EXPECT_EQ(fit.Width, w) << sw << "x" << sh;
    EXPECT_EQ(fit.Height, h) << sw << "x" << sh;
  }
  EXPECT_FALSE(FitProportional(10, 10, 0, 5).Ok);
  EXPECT_FALSE(FitProportional(10, 10, 5, 0).Ok);
}

TEST(Clamp, KeepsValuesInRange) {
  EXPECT_EQ(Clamp(-1, 0, 9), 0);
  EXPECT_EQ(Clamp(10, 0, 9), 9);
  EXPECT_EQ(Clamp(4, 0, 9), 4);
}

}  // namespace
