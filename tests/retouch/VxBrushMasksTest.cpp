#include "retouch/VxBrushMasks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "base/VxTypes.h"
#include "imaging/VxPixels.h"
#include "retouch/RetouchTestImages.h"

namespace {

// Evaluates a coverage formula at every pixel of a w x w square, no symmetry used.
void ExpectMaskEquals(const TVxPixelMask &mask, int32_t diameter,
                      const std::function<uint8_t(int32_t, int32_t)> &at) {
  int32_t w = 2 * (std::max(diameter, 0) / 2) + 1;
  ASSERT_EQ(mask.GetBounds(), (TVxRect{0, 0, w, w})) << "diameter " << diameter;
  int32_t c = w / 2;
  for (int32_t y = 0; y < w; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      ASSERT_EQ(*mask.ByteAt(x, y), at(x - c, y - c))
          << "diameter " << diameter << " at " << x << "," << y;
    }
  }
}

double Dist(int32_t dx, int32_t dy) { return std::sqrt(double(dx) * dx + double(dy) * dy); }

TEST(BrushMasks, HardDiscMatchesItsDefinition) {
  for (int32_t d = 0; d <= 41; ++d) {
    TVxPixelMask mask;
    HardDisc(mask, d, 200);
    int32_t c = (2 * (d / 2) + 1) / 2;
    double reach = d / 2.0 + 0.1;
    double limit = std::nearbyint(reach * reach);
    ExpectMaskEquals(mask, d, [&](int32_t dx, int32_t dy) -> uint8_t {
      if (c == 0 || dy == 0 || dx * dx + dy * dy <= limit) return 200;
      return 0;
    });
  }
}

TEST(BrushMasks, BrushProfileMatchesItsDefinition) {
  for (int32_t d : {0, 1, 2, 3, 4, 7, 10, 11, 16, 33, 64}) {
    for (int32_t hardness : {0, 1, 64, 127, 128, 191, 254, 255}) {
      for (int32_t amplitude : {0, 1, 77, 128, 255}) {
        TVxPixelMask mask;
        BrushProfile(mask, d, static_cast<uint8_t>(amplitude), hardness);
        double e = d / 2.0;
        double outer = e + 0.5;
        double inner = e * hardness / 255.0 - 0.5;
        int32_t c = (2 * (d / 2) + 1) / 2;
        ExpectMaskEquals(mask, d, [&](int32_t dx, int32_t dy) -> uint8_t {
          if (c == 0) return static_cast<uint8_t>(amplitude);
          double r = Dist(dx, dy);
          if (r > outer) return 0;
          if (r < inner) return static_cast<uint8_t>(amplitude);
          return ClampToByte((outer - r) / (outer - inner) * amplitude);
        });
      }
    }
  }
}

TEST(BrushMasks, PowerProfileMatchesItsDefinition) {
  for (int32_t d : {0, 1, 2, 5, 10, 11, 24, 49}) {
    for (int32_t exponent16 : {8, 16, 40, 160}) {
      TVxPixelMask mask;
      PowerProfile(mask, d, 255, exponent16);
      int32_t c = (2 * (d / 2) + 1) / 2;
      ExpectMaskEquals(mask, d, [&](int32_t dx, int32_t dy) -> uint8_t {
        if (c == 0) return 255;
        double q = 2.0 * Dist(dx, dy) / d;
        if (q >= 1.0) return 0;
        return ClampToByte((1.0 - std::pow(q, exponent16 / 16.0)) * 255.0);
      });
    }
  }
}

TEST(BrushMasks, KnownValues) {
  TVxPixelMask ten, eleven, one, power;
  BrushProfile(ten, 10, 255, 128);
  BrushProfile(eleven, 11, 255, 128);
  EXPECT_EQ(ten.GetBounds(), (TVxRect{0, 0, 11, 11}));
  EXPECT_EQ(eleven.GetBounds(), (TVxRect{0, 0, 11, 11}));
  EXPECT_EQ(BrushRect({20, 30}, 10), (TVxRect{15, 25, 26, 36}));
  EXPECT_EQ(BrushRect({20, 30}, 11), (TVxRect{15, 25, 26, 36}));

  BrushProfile(one, 1, 93, 0);
  ASSERT_EQ(one.GetBounds(), (TVxRect{0, 0, 1, 1}));
  EXPECT_EQ(one.Data[0], 93);

  // The blemish tool's profile: exponent 10 keeps the middle almost flat.
  PowerProfile(power, 10, 255, 160);
  EXPECT_EQ(*power.ByteAt(5, 5), 255);  // centre
  EXPECT_EQ(*power.ByteAt(6, 5), 255);  // q = 0.2
  EXPECT_EQ(*power.ByteAt(9, 5), 228);  // q = 0.8: (1 - 0.107) * 255
  EXPECT_EQ(*power.ByteAt(9, 7), 171);  // q² = 0.8: (1 - 0.32768) * 255
  EXPECT_EQ(*power.ByteAt(10, 5), 0);   // q = 1
  EXPECT_EQ(*power.ByteAt(8, 9), 0);    // r = 5
}

TEST(BrushMasks, HardBrushIsSolidToItsRim) {
  TVxPixelMask mask;
  BrushProfile(mask, 10, 255, 255);
  for (int32_t y = 0; y < 11; ++y) {
    for (int32_t x = 0; x < 11; ++x) {
      double r = Dist(x - 5, y - 5);
      uint8_t m = *mask.ByteAt(x, y);
      if (r <= 4.5) {
        EXPECT_EQ(m, 255) << x << "," << y;
      } else if (r > 5.5) {
        EXPECT_EQ(m, 0) << x << "," << y;
      }
    }
  }
}

TEST(BrushMasks, BlendColourThroughMaskMatchesItsDefinition) {
  TVxPixelBuffer source, destination;
  FillNoise(source, {3, 4, 12, 11}, 1);
  FillNoise(destination, {0, 0, 12, 11}, 2);
  TVxPixelBuffer before;
  before.SetFormatAndBounds(PixelFormat24, destination.GetBounds());
  before.Assign(destination);
  TVxPixelMask mask;
  BrushProfile(mask, 7, 255, 100);  // values from 0 to 255
  mask.Left = 4;
  mask.Top = 4;
  const uint32_t colour = 0x10E080;  // red 0x10, green 0xE0, blue 0x80
  BlendColourThroughMask(mask, source, colour, {0, 0, 12, 11}, destination);
  const int32_t c[3] = {0x80, 0xE0, 0x10};
  for (int32_t y = 0; y < 11; ++y) {
    for (int32_t x = 0; x < 12; ++x) {
      const uint8_t *got = destination.PixelAddress(x, y);
      const uint8_t *old = before.PixelAddress(x, y);
      const uint8_t *m = mask.ByteAt(x, y);
      bool painted = m != nullptr && *m > 0 && source.GetBounds().Contains(x, y);
      for (int32_t ch = 0; ch < 3; ++ch) {
        int32_t expected = old[ch];
        if (painted) {
          int32_t s = source.PixelAddress(x, y)[ch];
          expected = *m == 255 ? c[ch] : s + ((*m * (c[ch] - s)) >> 8);
        }
        ASSERT_EQ(got[ch], expected) << x << "," << y << " channel " << ch;
      }
    }
  }
}

TEST(BrushMasks, DabsAccumulateByMaximum) {
  TVxPixelMask brush, once, twice, pair;
  BrushProfile(brush, 9, 200, 64);
  AccumulateDab(once, brush, {10, 10});
  AccumulateDab(twice, brush, {10, 10});
  AccumulateDab(twice, brush, {10, 10});
  EXPECT_EQ(brush.GetBounds(), (TVxRect{0, 0, 9, 9}));
  ASSERT_EQ(once.GetBounds(), twice.GetBounds());
  for (int32_t i = 0; i < once.Width * once.Height; ++i) ASSERT_EQ(once.Data[i], twice.Data[i]);

  AccumulateDab(pair, brush, {0, 0});
  AccumulateDab(pair, brush, {4, 2});
  ASSERT_EQ(pair.GetBounds(), (TVxRect{0, 0, 13, 11}));
  for (int32_t y = 0; y < 11; ++y) {
    for (int32_t x = 0; x < 13; ++x) {
      auto at = [&](int32_t bx, int32_t by) -> int32_t {
        return bx >= 0 && by >= 0 && bx < 9 && by < 9 ? brush.Data[by * 9 + bx] : 0;
      };
      ASSERT_EQ(*pair.ByteAt(x, y), std::max(at(x, y), at(x - 4, y - 2))) << x << "," << y;
    }
  }
}

}  // namespace
