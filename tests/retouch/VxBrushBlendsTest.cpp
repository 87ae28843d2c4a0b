#include "retouch/VxBrushBlends.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/VxTypes.h"
#include "retouch/RetouchTestImages.h"
#include "retouch/VxBrushMasks.h"
#include "retouch/VxFrequencyRange.h"

namespace {

TEST(BrushBlends, ByteBlendEqualsTheFloatingPointBlendForEveryInput) {
  for (int32_t m = 0; m < 256; ++m) {
    for (int32_t s = 0; s < 256; ++s) {
      for (int32_t x = 0; x < 256; ++x) {
        uint8_t expected = ClampToByte(((255.0 - m) * s + double(m) * x) / 255.0);
        ASSERT_EQ(BlendTowards(uint8_t(s), uint8_t(x), uint8_t(m)), expected)
            << s << " " << x << " " << m;
      }
    }
  }
}

// A stroke's coverage over part of the image: two dabs and a corner that
// sticks out of the image.
void StrokeCoverage(TVxPixelMask &stroke) {
  TVxPixelMask brush;
  BrushProfile(brush, 9, 255, 90);
  AccumulateDab(stroke, brush, {3, 2});
  AccumulateDab(stroke, brush, {9, 6});
  AccumulateDab(stroke, brush, {-4, -4});
}

using TTargetFn = std::function<TVxBGR(int32_t, int32_t)>;

// Every pixel of the image from the floating-point blend of backup and target.
void ExpectBlended(const TVxPixels &image, const TVxPixels &backup, const TVxPixelMask &stroke,
                   const TTargetFn &target) {
  for (int32_t y = 0; y < image.Height; ++y) {
    for (int32_t x = 0; x < image.Width; ++x) {
      const uint8_t *s = backup.PixelAddress(x, y);
      const uint8_t *d = image.PixelAddress(x, y);
      const uint8_t *mp = stroke.ByteAt(x, y);
      double m = mp != nullptr ? *mp : 0;
      TVxBGR t = target(x, y);
      const uint8_t tc[3] = {t.Blue, t.Green, t.Red};
      for (int ch = 0; ch < 3; ++ch) {
        ASSERT_EQ(d[ch], ClampToByte(((255.0 - m) * s[ch] + m * tc[ch]) / 255.0))
            << x << "," << y << " channel " << ch;
        if (m == 0) {
          ASSERT_EQ(d[ch], s[ch]);
        } else if (m == 255) {
          ASSERT_EQ(d[ch], tc[ch]);
        }
      }
    }
  }
}

class BrushBlendsInImage : public testing::Test {
 protected:
  void SetUp() override {
    FillNoise(Backup, {0, 0, 19, 15}, 4);
    FillNoise(Image, {0, 0, 19, 15}, 8);  // whatever the previous dab left
    StrokeCoverage(Stroke);
  }
  TVxPixelBuffer Backup, Image;
  TVxPixelMask Stroke;
};

TEST_F(BrushBlendsInImage, SkinSmoothingAndEmphasisBlendTowardsTheBandPixel) {
  TFrequencyRange bands;
  bands.Compute(Backup, 1, 5);
  for (bool removeBand : {true, false}) {
    BlendBandsInRect(bands, removeBand, Backup, Stroke, Backup.GetBounds(), Image);
    ExpectBlended(Image, Backup, Stroke,
                  [&](int32_t x, int32_t y) { return bands.BandPixel(x, y, removeBand); });
  }
}

TEST_F(BrushBlendsInImage, HistoryBrushBlendsTowardsTheOpenedImage) {
  TVxPixelBuffer opened;
  FillNoise(opened, {0, 0, 19, 15}, 15);
  BlendTowardsPixelsInRect(Backup, opened, Stroke, {-5, -5, 40, 40}, Image);
  ExpectBlended(Image, Backup, Stroke, [&](int32_t x, int32_t y) {
    const uint8_t *p = opened.PixelAddress(x, y);
    return TVxBGR{p[0], p[1], p[2]};
  });
}

TEST_F(BrushBlendsInImage, SmudgeBlendsTowardsTheLocalAverage) {
  TVxBlurredColours blur, reference;
  blur.SetSmoothing(6);
  blur.BeginStroke(Backup.GetBounds());
  reference.SetSmoothing(6);
  BlendTowardsBlurInRect(blur, Backup, Stroke, Backup.GetBounds(), Image);
  ExpectBlended(Image, Backup, Stroke,
                [&](int32_t x, int32_t y) { return reference.ColourAt(Backup, x, y); });
}

TEST_F(BrushBlendsInImage, SmudgeOfSizeOneChangesNothing) {
  TVxBlurredColours blur;
  blur.SetSmoothing(1);
  blur.BeginStroke(Backup.GetBounds());
  BlendTowardsBlurInRect(blur, Backup, Stroke, Backup.GetBounds(), Image);
  for (int32_t y = 0; y < 15; ++y) {
    for (int32_t x = 0; x < 19; ++x) {
      for (int ch = 0; ch < 3; ++ch) {
        ASSERT_EQ(Image.PixelAddress(x, y)[ch], Backup.PixelAddress(x, y)[ch]);
      }
    }
  }
}

TEST_F(BrushBlendsInImage, OnlyTheRectangleIsWritten) {
  TVxPixelBuffer before;
  before.SetFormatAndBounds(PixelFormat24, Image.GetBounds());
  before.Assign(Image);
  TFrequencyRange bands;
  bands.Compute(Backup, 0, 7);
  const TVxRect rect{4, 3, 9, 8};
  BlendBandsInRect(bands, true, Backup, Stroke, rect, Image);
  for (int32_t y = 0; y < 15; ++y) {
    for (int32_t x = 0; x < 19; ++x) {
      if (rect.Contains(x, y)) continue;
      for (int ch = 0; ch < 3; ++ch) {
        ASSERT_EQ(Image.PixelAddress(x, y)[ch], before.PixelAddress(x, y)[ch]);
      }
    }
  }
}

}  // namespace
