#include "retouch/VxBlurredColours.h"

#include <gtest/gtest.h>

#include <cmath>

#include "retouch/RetouchTestImages.h"

namespace {

// The mean over the disc of the diameter around (x, y), centre excluded,
// written out from the disc's definition; the pixel itself when the disc is empty.
TVxBGR LiteralAverage(const TVxPixels &image, int32_t diameter, int32_t x, int32_t y) {
  int32_t h = (2 * (diameter / 2) + 1) / 2;
  double reach = diameter / 2.0 + 0.1;
  double limit = std::nearbyint(reach * reach);
  int64_t sum[3] = {0, 0, 0};
  int64_t n = 0;
  for (int32_t dy = -h; dy <= h; ++dy) {
    for (int32_t dx = -h; dx <= h; ++dx) {
      if (dx == 0 && dy == 0) continue;
      if (dy != 0 && dx * dx + dy * dy > limit) continue;
      if (!image.GetBounds().Contains(x + dx, y + dy)) continue;
      const uint8_t *p = image.PixelAddress(x + dx, y + dy);
      for (int ch = 0; ch < 3; ++ch) sum[ch] += p[ch];
      ++n;
    }
  }
  const uint8_t *own = image.PixelAddress(x, y);
  if (n == 0) return {own[0], own[1], own[2]};
  uint8_t out[3];
  for (int ch = 0; ch < 3; ++ch) {
    out[ch] = static_cast<uint8_t>(std::nearbyint(static_cast<double>(sum[ch]) / n));
  }
  return {out[0], out[1], out[2]};
}

TEST(BlurredColours, MatchesTheDiscAverageEverywhere) {
  TVxPixelBuffer backup;
  FillNoise(backup, {2, 1, 19, 14}, 7);  // odd size, origin away from (0, 0)
  for (int32_t diameter : {1, 2, 3, 4, 5, 8, 13, 40}) {
    TVxBlurredColours blur;
    blur.SetSmoothing(diameter);
    blur.BeginStroke(backup.GetBounds());
    for (int pass = 0; pass < 2; ++pass) {  // the second pass reads the cache
      for (int32_t y = backup.Top; y < backup.Top + backup.Height; ++y) {
        for (int32_t x = backup.Left; x < backup.Left + backup.Width; ++x) {
          ASSERT_EQ(blur.ColourAt(backup, x, y), LiteralAverage(backup, diameter, x, y))
              << "diameter " << diameter << " at " << x << "," << y << " pass " << pass;
        }
      }
    }
  }
}

TEST(BlurredColours, PreparedEntriesMatchTheDiscAverage) {
  TVxPixelBuffer backup;
  FillNoise(backup, {-3, 2, 20, 13}, 17);
  for (int32_t diameter : {1, 2, 3, 6, 9, 40}) {
    TVxBlurredColours blur;
    blur.SetSmoothing(diameter);
    blur.BeginStroke({-1, 0, 14, 11});  // the cache need not match the backup
    blur.Prepare(backup, {-10, 4, 30, 30});
    for (int32_t y = 0; y < 11; ++y) {
      for (int32_t x = -1; x < 14; ++x) {
        const uint8_t *entry = blur.BlurCache.PixelAddress(x, y);
        bool inside = y >= 4 && backup.GetBounds().Contains(x, y);
        if (!inside || diameter == 1) {
          ASSERT_EQ(entry[3], 0) << x << "," << y;
          continue;
        }
        ASSERT_EQ(entry[3], 255);
        ASSERT_EQ((TVxBGR{entry[0], entry[1], entry[2]}), LiteralAverage(backup, diameter, x, y))
            << "diameter " << diameter << " at " << x << "," << y;
      }
    }
  }
}

TEST(BlurredColours, ExactHalvesRoundToEven) {
  // Diameter 2: the four neighbours. Sums 2 and 6 over four pixels give 0.5
  // and 1.5, which round to 0 and 2.
  TVxPixelBuffer backup;
  backup.SetFormatAndBounds(PixelFormat24, {0, 0, 3, 3});
  backup.PixelAddress(1, 0)[0] = 2;
  backup.PixelAddress(1, 0)[1] = 6;
  TVxBlurredColours blur;
  blur.SetSmoothing(2);
  TVxBGR c = blur.ColourAt(backup, 1, 1);
  EXPECT_EQ(c.Blue, 0);
  EXPECT_EQ(c.Green, 2);
}

TEST(BlurredColours, DiameterOneGivesThePixelItselfUncached) {
  TVxPixelBuffer backup;
  FillNoise(backup, {0, 0, 5, 4}, 3);
  TVxBlurredColours blur;
  blur.SetSmoothing(1);
  blur.BeginStroke(backup.GetBounds());
  const uint8_t *p = backup.PixelAddress(2, 3);
  EXPECT_EQ(blur.ColourAt(backup, 2, 3), (TVxBGR{p[0], p[1], p[2]}));
  EXPECT_EQ(blur.BlurCache.PixelAddress(2, 3)[3], 0);
}

TEST(BlurredColours, CacheHoldsTheFirstAnswerForTheWholeStroke) {
  TVxPixelBuffer backup;
  FillNoise(backup, {0, 0, 9, 9}, 5);
  TVxBlurredColours blur;
  blur.SetSmoothing(5);
  blur.BeginStroke(backup.GetBounds());
  TVxBGR first = blur.ColourAt(backup, 4, 4);
  EXPECT_EQ(blur.BlurCache.PixelAddress(4, 4)[3], 255);
  backup.PixelAddress(4, 5)[0] ^= 0xFF;  // the backup never changes in a stroke
  EXPECT_EQ(blur.ColourAt(backup, 4, 4), first);
  blur.EndStroke();
  blur.BeginStroke({2, 2, 9, 9});
  EXPECT_EQ(blur.ColourAt(backup, 4, 4), LiteralAverage(backup, 5, 4, 4));
  // Outside the cache the average is still right, just not kept.
  EXPECT_EQ(blur.ColourAt(backup, 0, 0), LiteralAverage(backup, 5, 0, 0));
}

}  // namespace
