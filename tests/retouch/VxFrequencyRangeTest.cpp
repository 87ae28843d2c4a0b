#include "retouch/VxFrequencyRange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "base/VxTypes.h"
#include "retouch/RetouchTestImages.h"

namespace {

using TBGRMatrix = std::vector<uint8_t>;  // [x][y][channel]

size_t At(int32_t x, int32_t y, int32_t h) { return (size_t(x) * size_t(h) + size_t(y)) * 3; }

TBGRMatrix ColumnMajor(const TVxPixels &image) {
  TBGRMatrix m(size_t(image.Width) * size_t(image.Height) * 3);
  for (int32_t x = 0; x < image.Width; ++x) {
    for (int32_t y = 0; y < image.Height; ++y) {
      const uint8_t *p = image.PixelAddress(image.Left + x, image.Top + y);
      std::copy(p, p + 3, m.begin() + ptrdiff_t(At(x, y, image.Height)));
    }
  }
  return m;
}

// The box blur written as its definition reads: a whole-image pass buffer of
// floats filled column by column, then rows summed in double.
TBGRMatrix LiteralBoxBlur(const TBGRMatrix &src, int32_t w, int32_t h, int32_t r) {
  std::vector<float> pass(size_t(w) * size_t(h) * 3);
  for (int32_t x = 0; x < w; ++x) {
    int64_t sum[3] = {0, 0, 0};
    int64_t count = 0;
    for (int32_t y = 0; y <= std::min(r - 1, h - 1); ++y, ++count) {
      for (int ch = 0; ch < 3; ++ch) sum[ch] += src[At(x, y, h) + size_t(ch)];
    }
    for (int32_t y = 0; y < h; ++y) {
      if (y - r > 0) {
        for (int ch = 0; ch < 3; ++ch) sum[ch] -= src[At(x, y - r - 1, h) + size_t(ch)];
        --count;
      }
      if (y + r < h) {
        for (int ch = 0; ch < 3; ++ch) sum[ch] += src[At(x, y + r, h) + size_t(ch)];
        ++count;
      }
      for (int ch = 0; ch < 3; ++ch) {
        pass[At(x, y, h) + size_t(ch)] = static_cast<float>(double(sum[ch]) / double(count));
      }
    }
  }
  TBGRMatrix out(src.size());
  for (int32_t y = 0; y < h; ++y) {
    double sum[3] = {0, 0, 0};
    int64_t count = 0;
    for (int32_t x = 0; x <= std::min(r - 1, w - 1); ++x, ++count) {
      for (int ch = 0; ch < 3; ++ch) sum[ch] += double(pass[At(x, y, h) + size_t(ch)]);
    }
    for (int32_t x = 0; x < w; ++x) {
      if (x - r > 0) {
        for (int ch = 0; ch < 3; ++ch) sum[ch] -= double(pass[At(x - r - 1, y, h) + size_t(ch)]);
        --count;
      }
      if (x + r < w) {
        for (int ch = 0; ch < 3; ++ch) sum[ch] += double(pass[At(x + r, y, h) + size_t(ch)]);
        ++count;
      }
      for (int ch = 0; ch < 3; ++ch) {
        out[At(x, y, h) + size_t(ch)] =
            ClampToByte(static_cast<float>(sum[ch] / static_cast<double>(count)));
      }
    }
  }
  return out;
}

uint8_t RowMajorAt(const std::vector<uint8_t> &m, int32_t w, int32_t x, int32_t y, int ch) {
  return m[(size_t(y) * size_t(w) + size_t(x)) * 3 + size_t(ch)];
}

void ExpectSameBlur(const std::vector<uint8_t> &got, const TBGRMatrix &expected, int32_t w,
                    int32_t h, const char *what) {
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      for (int ch = 0; ch < 3; ++ch) {
        ASSERT_EQ(RowMajorAt(got, w, x, y, ch), expected[At(x, y, h) + size_t(ch)])
            << what << " " << w << "x" << h << " at " << x << "," << y << " channel " << ch;
      }
    }
  }
}

struct TBlurCase {
  int32_t Width, Height, RadiusA, RadiusB;
};

TEST(FrequencyRange, BlursMatchTheLiteralBoxBlurBitForBit) {
  const TBlurCase cases[] = {
      {1, 1, 0, 3},
      {1, 17, 1, 5},
      {17, 1, 2, 40},
      {7, 5, 1, 5},
      {13, 11, 0, 25},
      {31, 3, 5, 6},
      {3, 29, 4, 9},
      {64, 48, 1, 5},
      {61, 37, 5, 25},
      {9, 9, 100, 1000},
      // Large enough to be computed in two bands of rows, with rows left over
      // after the groups of four in each band, and windows wider than the image.
      {521, 263, 2, 7},
      {701, 190, 1, 300},
      {131, 1003, 0, 2000},
      // Columns so tall that the first pass divides in double.
      {2, 70001, 1, 40000},
  };
  uint32_t seed = 11;
  for (const TBlurCase &c : cases) {
    for (bool edge : {false, true}) {
      TVxPixelBuffer image;
      if (edge) {
        FillEdge(image, c.Width, c.Height);
      } else {
        FillNoise(image, {0, 0, c.Width, c.Height}, ++seed);
      }
      TFrequencyRange bands;
      bands.Compute(image, c.RadiusA, c.RadiusB);
      TBGRMatrix src = ColumnMajor(image);
      ExpectSameBlur(bands.SourceBGR(), src, c.Width, c.Height, "source");
      ExpectSameBlur(bands.BlurA(), LiteralBoxBlur(src, c.Width, c.Height, c.RadiusA), c.Width,
                     c.Height, "narrow");
      ExpectSameBlur(bands.BlurB(), LiteralBoxBlur(src, c.Width, c.Height, c.RadiusB), c.Width,
                     c.Height, "wide");
      EXPECT_EQ(bands.StaleLevel, 0);
    }
  }
}

TEST(FrequencyRange, MeansEndingInOneHalfRoundToEven) {
  // Two columns: every window of radius 1 or more averages both, and each
  // channel's mean ends in exactly one half: (10 + 11) / 2 gives 10, (11 + 12)
  // / 2 gives 12, (254 + 255) / 2 gives 254, on every row.
  TVxPixelBuffer image;
  image.SetFormatAndBounds(PixelFormat24, {0, 0, 2, 9});
  for (int32_t y = 0; y < 9; ++y) {
    const uint8_t left[3] = {10, 11, 254}, right[3] = {11, 12, 255};
    std::copy(left, left + 3, image.PixelAddress(0, y));
    std::copy(right, right + 3, image.PixelAddress(1, y));
  }
  TFrequencyRange bands;
  bands.Compute(image, 1, 3);
  for (const std::vector<uint8_t> *blur : {&bands.BlurA(), &bands.BlurB()}) {
    for (size_t i = 0; i < blur->size(); i += 3) {
      ASSERT_EQ((*blur)[i], 10) << i;
      ASSERT_EQ((*blur)[i + 1], 12) << i;
      ASSERT_EQ((*blur)[i + 2], 254) << i;
    }
  }
}

TEST(FrequencyRange, BandPixelRemovesOrAddsTheMiddleBand) {
  TVxPixelBuffer image;
  FillNoise(image, {4, 2, 23, 15}, 99);
  TFrequencyRange bands;
  bands.Compute(image, 1, 5);
  for (int32_t y = 0; y < 13; ++y) {
    for (int32_t x = 0; x < 19; ++x) {
      TVxBGR smooth = bands.BandPixel(x + 4, y + 2, true);
      TVxBGR emphasis = bands.BandPixel(x + 4, y + 2, false);
      const uint8_t got[2][3] = {{smooth.Blue, smooth.Green, smooth.Red},
                                 {emphasis.Blue, emphasis.Green, emphasis.Red}};
      for (int ch = 0; ch < 3; ++ch) {
        int32_t s = RowMajorAt(bands.SourceBGR(), 19, x, y, ch);
        int32_t a = RowMajorAt(bands.BlurA(), 19, x, y, ch);
        int32_t b = RowMajorAt(bands.BlurB(), 19, x, y, ch);
        ASSERT_EQ(got[0][ch], std::clamp(s - a + b, 0, 255));
        ASSERT_EQ(got[1][ch], std::clamp(s + a - b, 0, 255));
      }
    }
  }
}

TEST(FrequencyRange, NaturalnessZeroAndEqualRadii) {
  TVxPixelBuffer image;
  FillNoise(image, {0, 0, 21, 13}, 5);
  TFrequencyRange zero, equal;
  zero.Compute(image, 0, 5);
  equal.Compute(image, 4, 4);
  EXPECT_EQ(zero.BlurA(), zero.SourceBGR());
  for (int32_t y = 0; y < 13; ++y) {
    for (int32_t x = 0; x < 21; ++x) {
      // Naturalness 0: smoothing paints the plain wide blur.
      TVxBGR wide = zero.BandPixel(x, y, true);
      EXPECT_EQ(wide.Blue, RowMajorAt(zero.BlurB(), 21, x, y, 0));
      EXPECT_EQ(wide.Red, RowMajorAt(zero.BlurB(), 21, x, y, 2));
      // Equal radii: both tools give the source back.
      const uint8_t *p = image.PixelAddress(x, y);
      TVxBGR source{p[0], p[1], p[2]};
      ASSERT_EQ(equal.BandPixel(x, y, true), source);
      ASSERT_EQ(equal.BandPixel(x, y, false), source);
    }
  }
}

TEST(FrequencyRange, RadiusBeyondTheImageGivesTheWholeMean) {
  // One row 0, 10, 20, 30, 40, 50, 60 (mean 30); one column the same.
  for (bool wide : {true, false}) {
    TVxPixelBuffer image;
    image.SetFormatAndBounds(PixelFormat24, wide ? TVxRect{0, 0, 7, 1} : TVxRect{0, 0, 1, 7});
    for (int32_t i = 0; i < 7; ++i) {
      uint8_t *p = image.PixelAddress(wide ? i : 0, wide ? 0 : i);
      p[0] = p[1] = p[2] = static_cast<uint8_t>(10 * i);
    }
    TFrequencyRange bands;
    bands.Compute(image, 1, 50);
    for (uint8_t v : bands.BlurB()) ASSERT_EQ(v, 30);
    // Radius 1 averages three neighbours along the line only: 5 at the end (0 + 10) / 2.
    EXPECT_EQ(bands.BlurA()[0], 5);
    EXPECT_EQ(bands.BlurA()[3], 10);
  }
}

TEST(FrequencyRange, EmphasisClampsOnAHardEdge) {
  TVxPixelBuffer image;
  FillEdge(image, 10, 3);
  TFrequencyRange bands;
  bands.Compute(image, 0, 3);
  // Just left of the edge the wide blur is above 0: source + source - blur < 0.
  EXPECT_EQ(bands.BandPixel(4, 1, false), (TVxBGR{0, 0, 0}));
  EXPECT_EQ(bands.BandPixel(5, 1, false), (TVxBGR{255, 255, 255}));
  EXPECT_GT(RowMajorAt(bands.BlurB(), 10, 4, 1, 0), 0);
  EXPECT_LT(RowMajorAt(bands.BlurB(), 10, 5, 1, 0), 255);
}

TEST(FrequencyRange, StaysFreshUntilInvalidatedAndRecopiesOnlyThen) {
  TVxPixelBuffer image;
  FillNoise(image, {0, 0, 8, 6}, 1);
  TFrequencyRange bands;
  EXPECT_NE(bands.StaleLevel, 0);  // a new decomposition describes nothing yet
  bands.Compute(image, 1, 3);
  std::vector<uint8_t> before = bands.SourceBGR();
  image.PixelAddress(3, 3)[0] ^= 0xFF;
  bands.Compute(image, 1, 3);
  EXPECT_EQ(bands.SourceBGR(), before);  // fresh: the copy is kept
  bands.Invalidate(2);
  bands.Invalidate(1);
  EXPECT_EQ(bands.StaleLevel, 2);
  bands.Compute(image, 1, 3);
  EXPECT_NE(bands.SourceBGR(), before);
  EXPECT_EQ(bands.StaleLevel, 0);
}

TEST(FrequencyRange, ReportsProgressAndRefusesNarrowPixels) {
  TVxPixelBuffer image;
  FillNoise(image, {0, 0, 5, 130}, 1);
  TFrequencyRange bands;
  int64_t last = 0, total = 0;
  bands.Compute(image, 1, 2, [&](int64_t done, int64_t all) {
    EXPECT_GT(done, last);
    last = done;
    total = all;
  });
  EXPECT_EQ(last, total);
  EXPECT_EQ(total, 260);

  // Large enough for two bands of rows: still rising, and whole at the end.
  FillNoise(image, {0, 0, 400, 700}, 2);
  last = 0;
  bands.Compute(image, 1, 2, [&](int64_t done, int64_t all) {
    EXPECT_GT(done, last);
    last = done;
    total = all;
  });
  EXPECT_EQ(last, 1400);
  EXPECT_EQ(total, 1400);

  TVxPixelBuffer mask;
  mask.SetFormatAndBounds(0x1001, {0, 0, 4, 4});  // 8 bits a pixel
  EXPECT_THROW(bands.Compute(mask, 1, 2), std::invalid_argument);
}

}  // namespace
