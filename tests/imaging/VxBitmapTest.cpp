#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "PixelChecks.h"
#include "imaging/VxBitmap.h"
#include "imaging/VxResamplers.h"
#include "support/TestSupport.h"

using testsupport::ColourAt;
using testsupport::FillPattern;
using testsupport::PatternAt;

namespace {

constexpr int32_t Impossible = 1 << 20;  // a million squared: no system grants that

uint32_t PatternAtOrigin(int32_t x, int32_t y) { return PatternAt(x, y); }

// A bitmap holding the test pattern.
void MakePattern(TVxLTBitmap &bitmap, int32_t width, int32_t height) {
  ASSERT_TRUE(bitmap.SetSize(width, height));
  FillPattern(*bitmap.Pixels());
}

TEST(LTBitmap, SetSizeAllocatesZeroedPaddedRowsAndDiscardEmpties) {
  TVxLTBitmap bitmap;
  EXPECT_EQ(bitmap.Pixels(), nullptr);
  EXPECT_EQ(bitmap.Width(), 0);
  ASSERT_TRUE(bitmap.SetSize(1, 1));
  EXPECT_EQ(bitmap.Pixels()->Stride, 4);  // 3 bytes of pixel, 1 of padding
  ASSERT_TRUE(bitmap.SetSize(5, 3));
  const TVxPixels &pixels = *bitmap.Pixels();
  EXPECT_EQ(pixels.GetBounds(), (TVxRect{0, 0, 5, 3}));
  EXPECT_EQ(bitmap.BoundsRect(), pixels.GetBounds());
  EXPECT_EQ(pixels.Stride, 16);
  EXPECT_EQ(pixels.Format, PixelFormat24);
  EXPECT_TRUE(EachPixel(pixels, pixels.GetBounds(), [](int32_t, int32_t) { return 0u; }));
  bitmap.Discard();
  EXPECT_EQ(bitmap.Pixels(), nullptr);
  EXPECT_EQ(bitmap.Height(), 0);
}

TEST(LTBitmap, RefusedAllocationEmptiesAfterSetSizeAndKeepsTheImageOtherwise) {
  for (auto [w, h] : {std::pair{Impossible, Impossible}, {0, 4}, {4, -1}}) {
    TVxLTBitmap bitmap;
    MakePattern(bitmap, 4, 3);
    EXPECT_FALSE(bitmap.SetSize(w, h));
    EXPECT_EQ(bitmap.Pixels(), nullptr);
    EXPECT_EQ(bitmap.Width(), 0);
  }
  EXPECT_FALSE(TVxLTBitmap().SetSize(4, 4, 0x0009));  // a format without pixels

  const std::pair<const char *, std::function<bool(TVxLTBitmap &)>> building[] = {
      {"canvas", [](TVxLTBitmap &b) { return b.SetCanvasSize(Impossible, Impossible); }},
      {"resample", [](TVxLTBitmap &b) { return b.Resample(Impossible, Impossible); }},
      {"resample to nothing", [](TVxLTBitmap &b) { return b.Resample(0, 3); }},
      {"crop outside",
       [](TVxLTBitmap &b) {
         return b.Crop({4, 0, 9, 9});
       }},
  };
  for (const auto &[name, operation] : building) {
    TVxLTBitmap bitmap;
    MakePattern(bitmap, 4, 3);
    const uint8_t *block = bitmap.Pixels()->Bits;
    EXPECT_FALSE(operation(bitmap)) << name;
    ASSERT_NE(bitmap.Pixels(), nullptr) << name;
    EXPECT_EQ(bitmap.Pixels()->Bits, block) << name;
    EXPECT_EQ(bitmap.BoundsRect(), (TVxRect{0, 0, 4, 3})) << name;
    EXPECT_EQ(ColourAt(*bitmap.Pixels(), 3, 2), PatternAt(3, 2)) << name;
  }
}

TEST(LTBitmap, CropKeepsTheIntersectionAtTheOrigin) {
  TVxLTBitmap bitmap;
  MakePattern(bitmap, 6, 5);
  ASSERT_TRUE(bitmap.Crop({-3, 2, 4, 20}));
  EXPECT_EQ(bitmap.BoundsRect(), (TVxRect{0, 0, 4, 3}));
  EXPECT_TRUE(EachPixel(*bitmap.Pixels(), bitmap.BoundsRect(),
                        [](int32_t x, int32_t y) { return PatternAt(x, y + 2); }));
}

TEST(LTBitmap, RotationsOfAThreeByTwoImage) {
  TVxLTBitmap bitmap;
  MakePattern(bitmap, 3, 2);
  ASSERT_TRUE(bitmap.RotateLeft());
  ASSERT_EQ(bitmap.BoundsRect(), (TVxRect{0, 0, 2, 3}));
  EXPECT_EQ(ColourAt(*bitmap.Pixels(), 0, 0), PatternAt(2, 0));  // old top-right
  // new (x, y) holds old (W - 1 - y, x)
  EXPECT_TRUE(EachPixel(*bitmap.Pixels(), bitmap.BoundsRect(),
                        [](int32_t x, int32_t y) { return PatternAt(2 - y, x); }));

  MakePattern(bitmap, 3, 2);
  ASSERT_TRUE(bitmap.RotateRight());
  ASSERT_EQ(bitmap.BoundsRect(), (TVxRect{0, 0, 2, 3}));
  EXPECT_EQ(ColourAt(*bitmap.Pixels(), 0, 0), PatternAt(0, 1));  // old bottom-left
  // new (x, y) holds old (y, H - 1 - x)
  EXPECT_TRUE(EachPixel(*bitmap.Pixels(), bitmap.BoundsRect(),
                        [](int32_t x, int32_t y) { return PatternAt(y, 1 - x); }));
}

TEST(LTBitmap, LargeRotationsRoundTrip) {
  // Bigger than one tile of the rotation loop, with ragged edges.
  TVxLTBitmap bitmap;
  MakePattern(bitmap, 131, 70);
  ASSERT_TRUE(bitmap.RotateRight());
  EXPECT_EQ(ColourAt(*bitmap.Pixels(), 69, 130), PatternAt(130, 0));
  ASSERT_TRUE(bitmap.RotateRight());
  ASSERT_TRUE(bitmap.RotateLeft());
  ASSERT_TRUE(bitmap.RotateLeft());
  ASSERT_EQ(bitmap.BoundsRect(), (TVxRect{0, 0, 131, 70}));
  EXPECT_TRUE(EachPixel(*bitmap.Pixels(), bitmap.BoundsRect(), PatternAtOrigin));
}

TEST(LTBitmap, FlipsMirrorAndUndoThemselves) {
  for (int32_t width : {1, 4, 5}) {
    TVxLTBitmap bitmap;
    MakePattern(bitmap, width, 3);
    ASSERT_TRUE(bitmap.FlipHorizontal());
    ASSERT_TRUE(bitmap.FlipVertical());
    EXPECT_TRUE(EachPixel(*bitmap.Pixels(), bitmap.BoundsRect(), [&](int32_t x, int32_t y) {
      return PatternAt(width - 1 - x, 2 - y);
    })) << width;
    ASSERT_TRUE(bitmap.FlipHorizontal());
    ASSERT_TRUE(bitmap.FlipVertical());
    EXPECT_TRUE(EachPixel(*bitmap.Pixels(), bitmap.BoundsRect(), PatternAtOrigin)) << width;
  }
}

TEST(LTBitmap, GeometryNeedsTwentyFourBitImages) {
  TVxLTBitmap bitmap;
  ASSERT_TRUE(bitmap.SetSize(3, 2, PixelFormat32Alpha));
  FillPattern(*bitmap.Pixels());
  EXPECT_FALSE(bitmap.FlipHorizontal());
  EXPECT_FALSE(bitmap.FlipVertical());
  EXPECT_FALSE(bitmap.RotateLeft());
  EXPECT_FALSE(bitmap.RotateRight());
  EXPECT_FALSE(bitmap.Resample(6, 4));
  EXPECT_EQ(ColourAt(*bitmap.Pixels(), 0, 0), PatternAt(0, 0));
  EXPECT_FALSE(TVxLTBitmap().RotateLeft());  // no image at all
}

TEST(LTBitmap, CanvasSizeKeepsTheTopLeftOnBlack) {
  TVxLTBitmap bitmap;
  MakePattern(bitmap, 3, 2);
  ASSERT_TRUE(bitmap.SetCanvasSize(5, 4));
  EXPECT_TRUE(EachPixel(*bitmap.Pixels(), bitmap.BoundsRect(), [](int32_t x, int32_t y) {
    return x < 3 && y < 2 ? PatternAt(x, y) : 0u;
  }));
  ASSERT_TRUE(bitmap.SetCanvasSize(2, 1));
  EXPECT_EQ(bitmap.BoundsRect(), (TVxRect{0, 0, 2, 1}));
  EXPECT_EQ(ColourAt(*bitmap.Pixels(), 1, 0), PatternAt(1, 0));
}

TEST(LTBitmap, ResampleUsesLanczosUnlessTheDraftSwitchIsOn) {
  TVxLTBitmap bitmap;
  MakePattern(bitmap, 8, 6);
  TVxPixelBuffer expected(PixelFormat24, {0, 0, 5, 4});
  Resample(expected, expected.GetBounds(), expected.GetBounds(), TLanczosResampler(),
           bitmap.BoundsRect(), *bitmap.Pixels());
  ASSERT_TRUE(bitmap.Resample(5, 4));
  EXPECT_TRUE(EachPixel(*bitmap.Pixels(), bitmap.BoundsRect(),
                        [&](int32_t x, int32_t y) { return ColourAt(expected, x, y); }));

  MakePattern(bitmap, 8, 6);
  SetDraftResampling(true);
  const bool ok = bitmap.Resample(4, 3);
  SetDraftResampling(false);
  ASSERT_TRUE(ok);
  EXPECT_TRUE(EachPixel(*bitmap.Pixels(), bitmap.BoundsRect(),
                        [](int32_t x, int32_t y) { return PatternAt(2 * x, 2 * y); }));
}

TEST(LTBitmap, BuffersAndClonesCarryThePixels) {
  TVxPixelBuffer buffer(PixelFormat24, {10, 20, 14, 23});  // not at the origin
  FillPattern(buffer);
  TVxLTBitmap bitmap;
  ASSERT_TRUE(bitmap.AssignFromBuffer(buffer));
  EXPECT_EQ(bitmap.BoundsRect(), (TVxRect{0, 0, 4, 3}));
  EXPECT_EQ(ColourAt(*bitmap.Pixels(), 0, 0), PatternAt(10, 20));
  EXPECT_EQ(ColourAt(*bitmap.Pixels(), 3, 2), PatternAt(13, 22));

  const std::unique_ptr<TVxLTBitmap> clone = bitmap.Clone();
  ASSERT_NE(clone, nullptr);
  ASSERT_NE(clone->Pixels()->Bits, bitmap.Pixels()->Bits);
  bitmap.Discard();

  TVxPixelBuffer back;
  ASSERT_TRUE(clone->CopyToBuffer(back));
  EXPECT_EQ(back.GetBounds(), (TVxRect{0, 0, 4, 3}));
  EXPECT_EQ(back.Format, PixelFormat24);
  EXPECT_TRUE(EachPixel(back, back.GetBounds(),
                        [](int32_t x, int32_t y) { return PatternAt(x + 10, y + 20); }));
  ASSERT_NE(TVxLTBitmap().Clone(), nullptr);
}

class DrawTest : public ::testing::TestWithParam<int32_t> {};

// Draws onto a target pre-filled with a marker so untouched pixels show.
TEST_P(DrawTest, StretchesNearestPixelsInsideTheClip) {
  const int32_t format = GetParam();
  TVxLTBitmap bitmap;
  MakePattern(bitmap, 4, 4);
  TVxPixelBuffer target(format, {-2, -2, 14, 14});
  std::memset(target.Bits, 0x11, static_cast<size_t>(target.Stride) * target.Height);
  constexpr uint32_t Marker = 0x111111;

  // 2:1 zoom of the image's (1, 1, 4, 3) part onto (0, 0, 6, 4), clipped.
  const TVxRect source{1, 1, 4, 3}, clip{1, -5, 5, 3};
  ASSERT_TRUE(bitmap.Draw(target, {0, 0, 6, 4}, &source, &clip));
  for (int32_t y = -2; y < 14; ++y)
    for (int32_t x = -2; x < 14; ++x) {
      const bool painted = x >= 1 && x < 5 && y >= 0 && y < 3;
      const uint32_t want = painted ? PatternAt(1 + x / 2, 1 + y / 2) : Marker;
      ASSERT_EQ(ColourAt(target, x, y), want) << x << "," << y;
      if (format == PixelFormat32Alpha) {
        ASSERT_EQ(target.PixelAddress(x, y)[3], painted ? 0xFF : 0x11) << x << "," << y;
      }
    }

  // 1:2 takes the pixel under each destination centre; the target clips the rest.
  ASSERT_TRUE(bitmap.Draw(target, {12, -3, 14, -1}));
  EXPECT_EQ(ColourAt(target, 12, -2), PatternAt(1, 3));
  EXPECT_EQ(ColourAt(target, 13, -2), PatternAt(3, 3));
}

TEST_P(DrawTest, LeavesPixelsWithoutSourceAlone) {
  TVxLTBitmap bitmap;
  MakePattern(bitmap, 3, 3);
  TVxPixelBuffer target(GetParam(), {0, 0, 5, 5});
  const TVxRect source{-1, -1, 4, 4};  // one pixel of nothing around the image
  ASSERT_TRUE(bitmap.Draw(target, target.GetBounds(), &source));
  EXPECT_TRUE(EachPixel(target, target.GetBounds(), [](int32_t x, int32_t y) {
    const bool inside = x >= 1 && x < 4 && y >= 1 && y < 4;
    return inside ? PatternAt(x - 1, y - 1) : 0u;
  }));
}

TEST_P(DrawTest, OneToOneCopiesLongRowsExactly) {
  TVxLTBitmap bitmap;
  MakePattern(bitmap, 601, 2);  // longer than the row chunks of the copy
  TVxPixelBuffer target(GetParam(), {0, 0, 600, 2});
  const TVxRect source{1, 0, 601, 2};
  ASSERT_TRUE(bitmap.Draw(target, target.GetBounds(), &source));
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 600; ++x) {
      ASSERT_EQ(ColourAt(target, x, y), PatternAt(x + 1, y)) << x << "," << y;
      if (GetParam() == PixelFormat32Alpha) {
        ASSERT_EQ(target.PixelAddress(x, y)[3], 0xFF);
      }
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, DrawTest, ::testing::Values(PixelFormat24, PixelFormat32Alpha));

TEST(LTBitmap, DrawRefusesWhatItCannotPaint) {
  TVxLTBitmap bitmap;
  TVxPixelBuffer target(PixelFormat24, {0, 0, 4, 4});
  EXPECT_FALSE(bitmap.Draw(target, target.GetBounds()));  // no image
  MakePattern(bitmap, 2, 2);
  TVxPixelBuffer grey(0x0001, {0, 0, 4, 4});
  EXPECT_FALSE(bitmap.Draw(grey, grey.GetBounds()));
  EXPECT_TRUE(bitmap.Draw(target, {3, 3, 3, 9}));  // nothing to paint is no failure
}

struct FakePrinter : IVxPrintTarget {
  bool Result = true;
  TVxRect Dest;
  uint32_t Corner = 0;
  int32_t Calls = 0;
  bool PrintImage(const TVxPixels &image, const TVxRect &dest) override {
    ++Calls;
    Dest = dest;
    Corner = ColourAt(image, image.Width - 1, image.Height - 1);
    return Result;
  }
};

TEST(LTBitmap, PrintHandsTheWholeImageToTheTarget) {
  TVxLTBitmap bitmap;
  FakePrinter printer;
  EXPECT_FALSE(bitmap.Print(printer, {0, 0, 10, 10}));
  EXPECT_EQ(printer.Calls, 0);
  MakePattern(bitmap, 7, 5);
  EXPECT_TRUE(bitmap.Print(printer, {100, 200, 800, 700}));
  EXPECT_EQ(printer.Dest, (TVxRect{100, 200, 800, 700}));
  EXPECT_EQ(printer.Corner, PatternAt(6, 4));
  printer.Result = false;
  EXPECT_FALSE(bitmap.Print(printer, {0, 0, 1, 1}));
}

}  // namespace
