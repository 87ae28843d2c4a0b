#include <gtest/gtest.h>

#include <cmath>

#include "imaging/VxPixelMask.h"

namespace {

void Disc(TVxPixelMask &mask, int32_t cx, int32_t cy, int32_t r, uint8_t peak) {
  mask.SetBounds(cx - r, cy - r, 2 * r + 1, 2 * r + 1);
  for (int32_t y = cy - r; y <= cy + r; ++y)
    for (int32_t x = cx - r; x <= cx + r; ++x) {
      const double d = std::hypot(x - cx, y - cy);
      if (d <= r) *mask.ByteAt(x, y) = static_cast<uint8_t>(peak * (1.0 - d / (r + 1)));
    }
}

TEST(PixelMask, SetBoundsZeroesAndClampsNegativeSizes) {
  TVxPixelMask mask;
  mask.SetBounds(2, 3, 4, 5);
  for (int32_t y = 3; y < 8; ++y)
    for (int32_t x = 2; x < 6; ++x) EXPECT_EQ(*mask.ByteAt(x, y), 0);
  mask.SetBounds(0, 0, -4, 5);
  EXPECT_EQ(mask.Width, 0);
  EXPECT_EQ(mask.Data, nullptr);
}

TEST(PixelMask, ByteAtIsNullOutsideOrWhenEmpty) {
  TVxPixelMask mask;
  EXPECT_EQ(mask.ByteAt(0, 0), nullptr);
  mask.SetBounds(-2, -2, 4, 4);
  const std::pair<int32_t, int32_t> outside[] = {{-3, 0}, {2, 0}, {0, -3}, {0, 2}};
  for (auto [x, y] : outside) EXPECT_EQ(mask.ByteAt(x, y), nullptr) << x << "," << y;
  EXPECT_EQ(mask.ByteAt(1, 1), mask.Data + 3 * 4 + 3);
}

TEST(PixelMask, IncludeGrowsKeepingContent) {
  TVxPixelMask mask;
  mask.Include({5, 5, 8, 7});  // empty mask takes the rectangle as it is
  EXPECT_EQ(mask.GetBounds(), (TVxRect{5, 5, 8, 7}));
  *mask.ByteAt(6, 6) = 200;
  uint8_t *before = mask.Data;
  mask.Include({6, 5, 7, 6});  // already inside: nothing changes
  EXPECT_EQ(mask.Data, before);
  mask.Include({0, 6, 2, 10});
  EXPECT_EQ(mask.GetBounds(), (TVxRect{0, 5, 8, 10}));
  EXPECT_EQ(*mask.ByteAt(6, 6), 200);
  EXPECT_EQ(*mask.ByteAt(0, 5), 0);
  mask.Include({3, 3, 3, 9});  // empty rectangle inside the union: nothing changes
  EXPECT_EQ(mask.GetBounds(), (TVxRect{0, 5, 8, 10}));
}

TEST(PixelMask, MaxWithOfTwoDiscsIsThePixelwiseMaximum) {
  TVxPixelMask a, b, stroke;
  Disc(a, 10, 10, 6, 255);
  Disc(b, 15, 12, 6, 180);
  stroke.MaxWith(a);
  stroke.MaxWith(b);
  stroke.MaxWith(a);  // stamping again never raises beyond the largest stamp
  EXPECT_EQ(stroke.GetBounds(), UnionRect(a.GetBounds(), b.GetBounds()));
  for (int32_t y = stroke.Top; y < stroke.Top + stroke.Height; ++y)
    for (int32_t x = stroke.Left; x < stroke.Left + stroke.Width; ++x) {
      const uint8_t *pa = a.ByteAt(x, y), *pb = b.ByteAt(x, y);
      const int expected = std::max(pa ? *pa : 0, pb ? *pb : 0);
      ASSERT_EQ(*stroke.ByteAt(x, y), expected) << x << "," << y;
    }
}

TEST(PixelMask, MovingTheOriginRestampsTheSameMask) {
  TVxPixelMask brush, stroke;
  Disc(brush, 0, 0, 2, 255);
  stroke.MaxWith(brush);
  brush.Left += 10;
  stroke.MaxWith(brush);
  EXPECT_EQ(*stroke.ByteAt(0, 0), 255);
  EXPECT_EQ(*stroke.ByteAt(10, 0), 255);
  EXPECT_EQ(*stroke.ByteAt(5, 0), 0);
}

}  // namespace
