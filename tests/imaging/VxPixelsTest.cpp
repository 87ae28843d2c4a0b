#include <gtest/gtest.h>

#include "imaging/VxPixels.h"
#include "support/TestSupport.h"

using testsupport::ColourAt;
using testsupport::FillPattern;
using testsupport::PatternAt;

namespace {

TEST(PixelFormat, BitsFollowKindMultiplierAndAlpha) {
  const std::pair<int32_t, int32_t> cases[] = {
      {PixelFormat24, 24}, {PixelFormat32Alpha, 32},
      {0x0001, 8},         {0x0006, 32},
      {0x0022, 48},        {0x0032, 48},
      {0x0042, 96},        {0x0052, 24},
      {0x0009, 0},         {0x1139, 0},
      {0x0000, 0},         {0x0101, 16},
  };
  for (auto [format, bits] : cases) EXPECT_EQ(BitsPerPixel(format), bits) << std::hex << format;
  EXPECT_EQ(BytesPerPixelOf(PixelFormat24), 3);
  EXPECT_EQ(BytesPerPixelOf(PixelFormat32Alpha), 4);
  EXPECT_EQ(BytesPerPixelOf(0x0042), 12);
}

TEST(PixelFormat, StridePadsRowsToFourBytes) {
  const std::tuple<int32_t, int32_t, int32_t> cases[] = {
      {PixelFormat24, 1, 4}, {PixelFormat24, 3, 12},      {PixelFormat24, 5, 16},
      {PixelFormat24, 0, 0}, {PixelFormat32Alpha, 3, 12}, {0x0001, 5, 8},
  };
  for (auto [format, width, stride] : cases) EXPECT_EQ(StrideFor(format, width), stride) << width;
}

TEST(PixelBuffer, FreshBlockIsZeroAndAddressesFollowTheOrigin) {
  TVxPixelBuffer buffer(PixelFormat24, {-5, 10, -2, 12});
  ASSERT_NE(buffer.Bits, nullptr);
  EXPECT_EQ(buffer.Width, 3);
  EXPECT_EQ(buffer.Height, 2);
  EXPECT_EQ(buffer.Stride, 12);
  EXPECT_EQ(buffer.PixelAddress(-5, 10), buffer.Bits);
  EXPECT_EQ(buffer.PixelAddress(-3, 11), buffer.Bits + 2 * 3 + 12);
  for (int32_t y = 10; y < 12; ++y)
    for (int32_t x = -5; x < -2; ++x) EXPECT_EQ(ColourAt(buffer, x, y), 0u);
}

TEST(PixelBuffer, SingleColumnImageHasAFourByteStride) {
  TVxPixelBuffer buffer(PixelFormat24, {0, 0, 1, 1});
  EXPECT_EQ(buffer.Stride, 4);
}

TEST(PixelBuffer, ZeroWidthHasNoBlockAndAssignCopiesNothing) {
  TVxPixelBuffer empty(PixelFormat24, {0, 0, 0, 5});
  EXPECT_EQ(empty.Bits, nullptr);
  TVxPixelBuffer source(PixelFormat24, {0, 0, 4, 4});
  FillPattern(source);
  empty.Assign(source);  // must not touch memory
  EXPECT_EQ(empty.Bits, nullptr);
}

TEST(PixelBuffer, ImpossibleSizeLeavesBitsNullWithTheNewBounds) {
  TVxPixelBuffer buffer(PixelFormat24, {0, 0, 8, 8});
  buffer.SetBounds({0, 0, 1000000, 1000000}, true);
  EXPECT_EQ(buffer.Bits, nullptr);
  EXPECT_EQ(buffer.GetBounds(), (TVxRect{0, 0, 1000000, 1000000}));
  buffer.SetBounds({0, 0, 2, 2}, false);  // recovers
  EXPECT_NE(buffer.Bits, nullptr);
}

TEST(PixelBuffer, KeepSavesTheOverlapAtItsAbsolutePosition) {
  TVxPixelBuffer buffer(PixelFormat24, {0, 0, 6, 6});
  FillPattern(buffer);
  buffer.SetBounds({3, 4, 9, 9}, true);
  for (int32_t y = 4; y < 9; ++y)
    for (int32_t x = 3; x < 9; ++x) {
      const uint32_t expected = (x < 6 && y < 6) ? PatternAt(x, y) : 0u;
      EXPECT_EQ(ColourAt(buffer, x, y), expected) << x << "," << y;
    }
}

TEST(PixelBuffer, SameBoundsKeepTheBlockButANewFormatRebuildsIt) {
  TVxPixelBuffer buffer(PixelFormat24, {0, 0, 4, 4});
  FillPattern(buffer);
  buffer.SetBounds({0, 0, 4, 4}, false);
  EXPECT_EQ(ColourAt(buffer, 2, 2), PatternAt(2, 2));
  buffer.SetFormatAndBounds(PixelFormat32Alpha, {0, 0, 4, 4});
  EXPECT_EQ(buffer.Stride, 16);
  EXPECT_EQ(ColourAt(buffer, 2, 2), 0u);
}

struct CopyCase {
  const char *Name;
  TVxRect Dest;  // destination buffer bounds
  int32_t DstX, DstY;
  TVxRect SrcRect;  // requested source rectangle
  TVxRect Written;  // destination pixels that must hold source pixels
};

TEST(PixelBuffer, CopyRectClipsBothSidesAndTakesTheMatchingOffset) {
  // Source covers (10, 10)..(20, 20).
  const CopyCase cases[] = {
      {"inside", {0, 0, 10, 10}, 2, 3, {12, 12, 15, 14}, {2, 3, 5, 5}},
      {"destination partly outside", {0, 0, 10, 10}, -2, 8, {10, 10, 16, 16}, {0, 8, 4, 10}},
      {"source partly outside", {0, 0, 10, 10}, 0, 0, {5, 5, 12, 12}, {5, 5, 7, 7}},
      {"destination wholly outside", {0, 0, 10, 10}, 50, 50, {10, 10, 12, 12}, {}},
      {"source wholly outside", {0, 0, 10, 10}, 0, 0, {30, 30, 35, 35}, {}},
  };
  TVxPixelBuffer source(PixelFormat24, {10, 10, 20, 20});
  FillPattern(source, 7);
  for (const auto &c : cases) {
    TVxPixelBuffer dest(PixelFormat24, c.Dest);
    dest.CopyRect(c.DstX, c.DstY, source, c.SrcRect);
    for (int32_t y = c.Dest.Top; y < c.Dest.Bottom; ++y)
      for (int32_t x = c.Dest.Left; x < c.Dest.Right; ++x) {
        const bool written = c.Written.Contains(x, y);
        const uint32_t expected =
            written ? PatternAt(x - c.DstX + c.SrcRect.Left, y - c.DstY + c.SrcRect.Top, 7) : 0u;
        ASSERT_EQ(ColourAt(dest, x, y), expected) << c.Name << " at " << x << "," << y;
      }
  }
}

TEST(PixelBuffer, CopyBetweenFormatsCopiesNothing) {
  TVxPixelBuffer alpha(PixelFormat32Alpha, {0, 0, 4, 4});
  FillPattern(alpha);
  TVxPixelBuffer dest(PixelFormat24, {0, 0, 4, 4});
  dest.Assign(alpha);
  EXPECT_EQ(ColourAt(dest, 1, 1), 0u);
}

TEST(PixelBuffer, AssignCopiesTheOverlapAtTheSameCoordinates) {
  TVxPixelBuffer source(PixelFormat24, {0, 0, 8, 8});
  FillPattern(source);
  TVxPixelBuffer dest(PixelFormat24, {5, 6, 12, 12});
  dest.Assign(source);
  EXPECT_EQ(ColourAt(dest, 7, 7), PatternAt(7, 7));
  EXPECT_EQ(ColourAt(dest, 8, 7), 0u);
}

TEST(PixelBuffer, ClearZeroesBoundsAndFreesTheBlock) {
  TVxPixelBuffer buffer(PixelFormat24, {1, 2, 5, 6});
  buffer.Clear();
  EXPECT_EQ(buffer.Bits, nullptr);
  EXPECT_EQ(buffer.GetBounds(), TVxRect{});
  EXPECT_EQ(buffer.Stride, 0);
}

}  // namespace
