#include "retouch/VxMakeUpBlend.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/VxTypes.h"
#include "retouch/RetouchTestImages.h"
#include "retouch/VxBrushMasks.h"

namespace {

// One pixel of the blend as the definition reads, written out in full.
TVxBGR LiteralMakeUp(const uint8_t *backup, const float *detail, TVxBGR colour, bool luminosity,
                     uint8_t w) {
  const float zero[3] = {0, 0, 0};
  const float *d = detail != nullptr ? detail : zero;
  float l[3] = {float(backup[0]) - d[0], float(backup[1]) - d[1], float(backup[2]) - d[2]};
  float p[3] = {float(colour.Blue), float(colour.Green), float(colour.Red)};
  float t[3] = {p[0], p[1], p[2]};
  if (luminosity) {
    double maxL = std::max({l[0], l[1], l[2]});
    double maxP = std::max({1.0f, p[0], p[1], p[2]});
    for (int ch = 0; ch < 3; ++ch) t[ch] = float(p[ch] * maxL / maxP);
  }
  uint8_t out[3];
  for (int ch = 0; ch < 3; ++ch) {
    float product = float((w / 255.0) * (double(t[ch]) - double(l[ch])));
    out[ch] = ClampToByte(double(l[ch]) + double(product) + double(d[ch]));
  }
  return {out[0], out[1], out[2]};
}

// Two dabs and one that sticks out past the top-left corner of the image.
void Coverage(TVxPixelMask &stroke, int32_t left, int32_t top) {
  TVxPixelMask brush;
  BrushProfile(brush, 9, 200, 60);
  AccumulateDab(stroke, brush, {left + 3, top + 2});
  AccumulateDab(stroke, brush, {left + 10, top + 7});
  AccumulateDab(stroke, brush, {left - 4, top - 5});
}

struct TBlendCase {
  TMakeUpMode Mode;
  bool Texture;
  TVxBGR Colour;
};

TEST(MakeUpBlend, MatchesTheLiteralBlendOnOddSizes) {
  const TBlendCase cases[] = {
      {TMakeUpMode::Normal, false, {40, 90, 210}},     {TMakeUpMode::Normal, true, {40, 90, 210}},
      {TMakeUpMode::Luminosity, false, {40, 90, 210}}, {TMakeUpMode::Luminosity, true, {0, 0, 0}},
      {TMakeUpMode::Normal, true, {255, 255, 255}},    {TMakeUpMode::Luminosity, false, {3, 0, 1}},
  };
  const TVxRect bounds{-3, 4, 20, 21};  // 23 x 17 away from the origin
  TVxPixelBuffer backup, image, before;
  FillNoise(backup, bounds, 21);
  FillNoise(before, bounds, 22);  // what an earlier dab of the stroke left
  TMakeUpDetailLayer detail;
  detail.Compute(backup);
  TVxPixelMask stroke;
  Coverage(stroke, bounds.Left, bounds.Top);
  for (const TBlendCase &c : cases) {
    image.SetFormatAndBounds(PixelFormat24, bounds);
    image.Assign(before);
    TMakeUpPaint paint{c.Mode, c.Colour, c.Texture ? &detail : nullptr};
    BlendMakeUpInRect(paint, backup, stroke, {-100, -100, 100, 100}, image);
    bool luminosity = c.Mode == TMakeUpMode::Luminosity;
    for (int32_t y = bounds.Top; y < bounds.Bottom; ++y) {
      for (int32_t x = bounds.Left; x < bounds.Right; ++x) {
        const uint8_t *got = image.PixelAddress(x, y);
        const uint8_t *w = stroke.ByteAt(x, y);
        TVxBGR actual{got[0], got[1], got[2]};
        if (w == nullptr || *w == 0) {
          const uint8_t *old = before.PixelAddress(x, y);
          ASSERT_EQ(actual, (TVxBGR{old[0], old[1], old[2]})) << "written at " << x << "," << y;
          continue;
        }
        // Luminosity never keeps the texture.
        const float *d = c.Texture && !luminosity ? detail.At(x, y) : nullptr;
        ASSERT_EQ(actual, LiteralMakeUp(backup.PixelAddress(x, y), d, c.Colour, luminosity, *w))
            << x << "," << y << " mode " << int(c.Mode) << " texture " << c.Texture;
      }
    }
  }
}

// A single pixel under full or partial coverage.
TVxBGR BlendOne(TVxBGR pixel, TVxBGR colour, TMakeUpMode mode, uint8_t w) {
  TVxPixelBuffer backup, image;
  backup.SetFormatAndBounds(PixelFormat24, {0, 0, 1, 1});
  backup.Bits[0] = pixel.Blue;
  backup.Bits[1] = pixel.Green;
  backup.Bits[2] = pixel.Red;
  image.SetFormatAndBounds(PixelFormat24, backup.GetBounds());
  image.Assign(backup);
  TVxPixelMask coverage;
  coverage.SetBounds(0, 0, 1, 1);
  coverage.Data[0] = w;
  BlendMakeUpInRect({mode, colour, nullptr}, backup, coverage, {0, 0, 1, 1}, image);
  return {image.Bits[0], image.Bits[1], image.Bits[2]};
}

TEST(MakeUpBlend, TeethWhiteningMovesALittleTowardsWhiteWithEveryStroke) {
  // The teeth brush lays opacity 32 at its core: 100 + 32/255 * 155 = 119.45,
  // then 119 + 32/255 * 136 = 136.07.
  TVxPixelMask brush, stroke;
  BrushProfile(brush, 20, 32, 127);
  AccumulateDab(stroke, brush, {-10, -10});
  const uint8_t core = *stroke.ByteAt(0, 0);
  ASSERT_EQ(core, 32);
  const TVxBGR white{255, 255, 255};
  TVxBGR once = BlendOne({100, 100, 100}, white, TMakeUpMode::Normal, core);
  EXPECT_EQ(once, (TVxBGR{119, 119, 119}));
  EXPECT_EQ(BlendOne(once, white, TMakeUpMode::Normal, core), (TVxBGR{136, 136, 136}));
}

TEST(MakeUpBlend, LuminosityKeepsTheBrightnessOfThePixel) {
  // Red on (red 120, green 80, blue 40): the target is (120, 0, 0).
  const TVxBGR pixel{40, 80, 120}, red{0, 0, 255};
  EXPECT_EQ(BlendOne(pixel, red, TMakeUpMode::Luminosity, 255), (TVxBGR{0, 0, 120}));
  // Black paint has no hue: max(1, max(P)) keeps the division defined.
  EXPECT_EQ(BlendOne(pixel, {0, 0, 0}, TMakeUpMode::Luminosity, 255), (TVxBGR{0, 0, 0}));
}

TEST(MakeUpBlend, WhiteTargetLeavesWhitePixelsWhite) {
  TVxPixelBuffer backup, image;
  FillNoise(backup, {0, 0, 31, 27}, 5);
  for (int32_t y = 0; y < 27; y += 2) {
    for (int32_t x = y % 3; x < 31; x += 3) std::fill_n(backup.PixelAddress(x, y), 3, uint8_t{255});
  }
  TMakeUpDetailLayer detail;
  detail.Compute(backup);
  TVxPixelMask stroke;
  TVxPixelMask brush;
  BrushProfile(brush, 41, 255, 40);
  AccumulateDab(stroke, brush, {-5, -7});
  for (TMakeUpMode mode : {TMakeUpMode::Normal, TMakeUpMode::Luminosity}) {
    image.SetFormatAndBounds(PixelFormat24, backup.GetBounds());
    image.Assign(backup);
    BlendMakeUpInRect({mode, {255, 255, 255}, &detail}, backup, stroke, backup.GetBounds(), image);
    for (int32_t y = 0; y < 27; ++y) {
      for (int32_t x = 0; x < 31; ++x) {
        const uint8_t *s = backup.PixelAddress(x, y);
        if (s[0] != 255 || s[1] != 255 || s[2] != 255) continue;
        const uint8_t *d = image.PixelAddress(x, y);
        ASSERT_TRUE(d[0] == 255 && d[1] == 255 && d[2] == 255) << x << "," << y;
      }
    }
  }
}

TEST(MakeUpBlend, ATextureLayerOfAnotherSizeIsNeverReadOutside) {
  // The layer still describes a smaller image: where it ends, the paint goes
  // on without texture instead of reading past the layer.
  TVxPixelBuffer small, backup, image;
  FillNoise(small, {0, 0, 6, 5}, 1);
  FillNoise(backup, {0, 0, 14, 12}, 2);
  image.SetFormatAndBounds(PixelFormat24, backup.GetBounds());
  image.Assign(backup);
  TMakeUpDetailLayer detail;
  detail.Compute(small);
  TVxPixelMask stroke;
  stroke.SetBounds(0, 0, 14, 12);
  std::fill_n(stroke.Data, 14 * 12, uint8_t{180});
  const TVxBGR colour{20, 140, 230};
  BlendMakeUpInRect({TMakeUpMode::Normal, colour, &detail}, backup, stroke, backup.GetBounds(),
                    image);
  for (int32_t y = 0; y < 12; ++y) {
    for (int32_t x = 0; x < 14; ++x) {
      const uint8_t *d = image.PixelAddress(x, y);
      ASSERT_EQ((TVxBGR{d[0], d[1], d[2]}),
                LiteralMakeUp(backup.PixelAddress(x, y), detail.At(x, y), colour, false, 180));
    }
  }
}

}  // namespace
