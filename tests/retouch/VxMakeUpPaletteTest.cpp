#include "retouch/VxMakeUpPalette.h"

#include <gtest/gtest.h>

#include "base/VxTypes.h"

namespace {

TVxBGR Rgb(uint8_t red, uint8_t green, uint8_t blue) { return {blue, green, red}; }

TEST(MakeUpPalette, StartsOnTheRedPlaneAtHalfBrightness) {
  TMakeUpPalette palette;
  EXPECT_EQ(palette.Axis, 1);
  EXPECT_EQ(palette.Brightness, 128);
  EXPECT_EQ(palette.PalettePoint, (TVxPoint{128, 128}));
  // 128 * 128 / 255 = 64.25
  EXPECT_EQ(palette.Colour, Rgb(128, 64, 64));
}

TEST(MakeUpPalette, EachAxisFixesItsChannelAndSpreadsTheOthers) {
  struct TCase {
    int32_t Axis;
    TVxBGR AtColumn10Row20;
  };
  // At full brightness the plane holds the column and row numbers themselves.
  const TCase cases[] = {{1, Rgb(255, 10, 20)}, {2, Rgb(20, 255, 10)}, {3, Rgb(10, 20, 255)}};
  for (const TCase &c : cases) {
    TMakeUpPalette palette;
    palette.SetBrightness(255);
    palette.SetAxis(c.Axis);
    EXPECT_EQ(palette.PixelAt({10, 20}), c.AtColumn10Row20) << c.Axis;
    palette.SetPoint({10, 20});
    EXPECT_EQ(palette.Colour, c.AtColumn10Row20) << c.Axis;
  }
}

TEST(MakeUpPalette, PlaneOfLowBrightnessRoundsEveryEntry) {
  TMakeUpPalette palette;
  palette.SetAxis(2);
  palette.SetBrightness(77);
  for (int32_t r = 0; r < 256; ++r) {
    for (int32_t c = 0; c < 256; ++c) {
      uint8_t row = ClampToByte(r * (77 / 255.0)), column = ClampToByte(c * (77 / 255.0));
      ASSERT_EQ(palette.PixelAt({c, r}), Rgb(row, 77, column)) << c << "," << r;
    }
  }
  EXPECT_EQ(palette.CachedBrightness, 77);
  EXPECT_EQ(palette.CachedAxis, 2);
}

TEST(MakeUpPalette, SetColourFindsTheColourOnThePlane) {
  struct TCase {
    int32_t AxisBefore;
    TVxBGR Colour;
    int32_t Axis, Brightness;
    TVxPoint Point;
  };
  const TCase cases[] = {
      // Red is below the brightest channel, blue: the plane turns to blue.
      {1, Rgb(0, 128, 255), 3, 255, {0, 128}},
      // The current axis stays while its channel is the brightest, even tied.
      {2, Rgb(200, 200, 50), 2, 200, {64, 255}},
      // Otherwise the first brightest channel wins.
      {3, Rgb(200, 200, 50), 1, 200, {255, 64}},
      // 1 / 2 * 255 = 127.5 and 1 / 6 * 255 = 42.5, 3 / 6 * 255 = 127.5: halves to even.
      {1, Rgb(2, 1, 0), 1, 2, {128, 0}},
      {1, Rgb(6, 1, 3), 1, 6, {42, 128}},
      // Black has no place on a plane of brightness 0: the corner.
      {2, Rgb(0, 0, 0), 2, 0, {0, 0}},
  };
  for (const TCase &c : cases) {
    TMakeUpPalette palette;
    palette.SetAxis(c.AxisBefore);
    palette.SetColour(c.Colour.Red, c.Colour.Green, c.Colour.Blue);
    EXPECT_EQ(palette.Axis, c.Axis) << int(c.Colour.Red) << " " << int(c.Colour.Green);
    EXPECT_EQ(palette.Brightness, c.Brightness);
    EXPECT_EQ(palette.PalettePoint, c.Point);
    EXPECT_EQ(palette.Colour, palette.PixelAt(c.Point));
  }
  TMakeUpPalette palette;
  palette.SetColour(0, 128, 255);
  EXPECT_EQ(palette.Colour, Rgb(0, 128, 255));
  palette.SetColour(0, 0, 0);
  EXPECT_EQ(palette.Colour, Rgb(0, 0, 0));
}

TEST(MakeUpPalette, SetColourOfTheCurrentColourChangesNothing) {
  TMakeUpPalette palette;
  palette.SetBrightness(100);
  palette.SetPoint({1, 0});  // green 1 * 100 / 255 rounds to 0
  ASSERT_EQ(palette.Colour, Rgb(100, 0, 0));
  // Found anew, (100, 0, 0) would sit at (0, 0).
  palette.SetColour(100, 0, 0);
  EXPECT_EQ(palette.PalettePoint, (TVxPoint{1, 0}));
  palette.SetColour(100, 0, 1);
  EXPECT_EQ(palette.PalettePoint, (TVxPoint{0, 3}));
}

TEST(MakeUpPalette, TintDrawsFullBrightnessAndScalesTheColour) {
  TMakeUpPalette palette;
  palette.SetTint(true);
  EXPECT_EQ(palette.EffectiveBrightness(), 255);
  EXPECT_EQ(palette.PixelAt({128, 128}), Rgb(255, 128, 128));
  // Scaled by 128 / 255: 128 * 128 / 255 = 64.25.
  EXPECT_EQ(palette.Colour, Rgb(128, 64, 64));
  // A point picked on the plane is taken as drawn.
  palette.SetPoint({200, 100});
  EXPECT_EQ(palette.Colour, Rgb(255, 200, 100));
  palette.SetBrightness(51);
  EXPECT_EQ(palette.Colour, Rgb(51, 40, 20));
}

TEST(MakeUpPalette, OutOfRangeInputStaysOnThePlane) {
  TMakeUpPalette palette;
  palette.SetPoint({-5, 300});
  EXPECT_EQ(palette.PalettePoint, (TVxPoint{0, 255}));
  palette.SetBrightness(400);
  EXPECT_EQ(palette.Brightness, 255);
  palette.SetBrightness(-3);
  EXPECT_EQ(palette.Brightness, 0);
  palette.SetAxis(0);
  palette.SetAxis(4);
  EXPECT_EQ(palette.Axis, 1);
}

}  // namespace
