#include "retouch/VxDetailLayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "retouch/RetouchTestImages.h"

namespace {

// The detail layer as its definition reads, [x][y][channel]: single-precision
// running sums down every column into a whole-image buffer, then along every row.
std::vector<float> LiteralDetail(const TVxPixels &image) {
  const int32_t w = image.Width, h = image.Height, r = 9;
  auto at = [h](int32_t x, int32_t y, int ch) {
    return (size_t(x) * size_t(h) + size_t(y)) * 3 + size_t(ch);
  };
  auto source = [&](int32_t x, int32_t y, int ch) {
    return float(image.PixelAddress(image.Left + x, image.Top + y)[ch]);
  };
  std::vector<float> pass(size_t(w) * size_t(h) * 3), out(pass.size());
  for (int32_t x = 0; x < w; ++x) {
    float sum[3] = {0, 0, 0};
    int32_t count = 0;
    for (int32_t y = 0; y <= std::min(r - 1, h - 1); ++y, ++count) {
      for (int ch = 0; ch < 3; ++ch) sum[ch] += source(x, y, ch);
    }
    for (int32_t y = 0; y < h; ++y) {
      if (y - r > 0) {
        for (int ch = 0; ch < 3; ++ch) sum[ch] -= source(x, y - r - 1, ch);
        --count;
      }
      if (y + r < h) {
        for (int ch = 0; ch < 3; ++ch) sum[ch] += source(x, y + r, ch);
        ++count;
      }
      for (int ch = 0; ch < 3; ++ch) pass[at(x, y, ch)] = sum[ch] * (1.0f / float(count));
    }
  }
  for (int32_t y = 0; y < h; ++y) {
    float sum[3] = {0, 0, 0};
    int32_t count = 0;
    for (int32_t x = 0; x <= std::min(r - 1, w - 1); ++x, ++count) {
      for (int ch = 0; ch < 3; ++ch) sum[ch] += pass[at(x, y, ch)];
    }
    for (int32_t x = 0; x < w; ++x) {
      if (x - r > 0) {
        for (int ch = 0; ch < 3; ++ch) sum[ch] -= pass[at(x - r - 1, y, ch)];
        --count;
      }
      if (x + r < w) {
        for (int ch = 0; ch < 3; ++ch) sum[ch] += pass[at(x + r, y, ch)];
        ++count;
      }
      for (int ch = 0; ch < 3; ++ch) {
        out[at(x, y, ch)] = source(x, y, ch) - sum[ch] * (1.0f / float(count));
      }
    }
  }
  return out;
}

void ExpectLiteralDetail(const TMakeUpDetailLayer &layer, const TVxPixels &image) {
  ASSERT_EQ(layer.GetBounds(), image.GetBounds());
  std::vector<float> expected = LiteralDetail(image);
  for (int32_t y = 0; y < image.Height; ++y) {
    for (int32_t x = 0; x < image.Width; ++x) {
      const float *got = layer.At(image.Left + x, image.Top + y);
      ASSERT_NE(got, nullptr);
      const float *want = expected.data() + (size_t(x) * size_t(image.Height) + size_t(y)) * 3;
      // Bit for bit: the running sums depend on their order.
      ASSERT_EQ(std::memcmp(got, want, 3 * sizeof(float)), 0)
          << image.Width << "x" << image.Height << " at " << x << "," << y << ": " << got[0] << " "
          << got[1] << " " << got[2] << " for " << want[0] << " " << want[1] << " " << want[2];
    }
  }
}

TEST(DetailLayer, MatchesTheLiteralDetailBitForBit) {
  // Lines shorter than the box, exactly one box, odd sizes around the groups
  // of eight rows and columns, and images large enough for two bands of rows.
  const TVxRect cases[] = {
      {0, 0, 1, 1},    {0, 0, 1, 40},    {0, 0, 40, 1},    {0, 0, 19, 19},
      {3, 5, 20, 30},  {0, 0, 9, 10},    {0, 0, 23, 17},   {0, 0, 64, 48},
      {-7, 2, 61, 39}, {0, 0, 517, 300}, {0, 0, 803, 171},
  };
  uint32_t seed = 3;
  for (const TVxRect &bounds : cases) {
    TVxPixelBuffer image;
    FillNoise(image, bounds, ++seed);
    TMakeUpDetailLayer layer;
    layer.Compute(image);
    EXPECT_FALSE(layer.Stale);
    ExpectLiteralDetail(layer, image);
  }
}

TEST(DetailLayer, ReadsPixelsOfFourBytes) {
  TVxPixelBuffer image;
  image.SetFormatAndBounds(PixelFormat32Alpha, {0, 0, 29, 21});
  uint32_t state = 77;
  for (int32_t y = 0; y < 21; ++y) {
    for (int32_t i = 0; i < 29 * 4; ++i) {
      state = state * 1664525u + 1013904223u;
      image.PixelAddress(0, y)[i] = static_cast<uint8_t>(state >> 24);
    }
  }
  TMakeUpDetailLayer layer;
  layer.Compute(image);
  ExpectLiteralDetail(layer, image);
}

TEST(DetailLayer, ComputesForAnImageOfANewSizeEvenWhenFresh) {
  TVxPixelBuffer small, large;
  FillNoise(small, {0, 0, 12, 8}, 1);
  FillNoise(large, {0, 0, 40, 30}, 2);
  TMakeUpDetailLayer layer;
  EXPECT_TRUE(layer.Stale);
  EXPECT_EQ(layer.At(0, 0), nullptr);
  EXPECT_TRUE(layer.PrepareFor(small));
  EXPECT_FALSE(layer.PrepareFor(small));  // fresh and the same size
  // A crop or resize without anyone marking the layer: a stroke's reads
  // would run past the old layer, so it is computed for the new size.
  EXPECT_TRUE(layer.PrepareFor(large));
  ExpectLiteralDetail(layer, large);
  EXPECT_EQ(layer.At(40, 0), nullptr);
  layer.Invalidate();
  EXPECT_TRUE(layer.PrepareFor(large));
}

TEST(DetailLayer, ReportsProgressAndRefusesNarrowPixels) {
  TVxPixelBuffer image;
  FillNoise(image, {0, 0, 400, 700}, 9);
  TMakeUpDetailLayer layer;
  int32_t last = 0, total = 0;
  layer.Compute(image, [&](int64_t done, int64_t all) {
    EXPECT_GT(done, last);
    last = static_cast<int32_t>(done);
    total = static_cast<int32_t>(all);
  });
  EXPECT_EQ(last, 700);
  EXPECT_EQ(total, 700);

  TVxPixelBuffer mask;
  mask.SetFormatAndBounds(0x1001, {0, 0, 4, 4});  // 8 bits a pixel
  EXPECT_THROW(layer.Compute(mask), std::invalid_argument);
  EXPECT_EQ(layer.GetBounds(), image.GetBounds());  // still the last good layer
}

}  // namespace
