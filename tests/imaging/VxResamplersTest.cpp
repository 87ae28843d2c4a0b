#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "PixelChecks.h"
#include "imaging/VxResampleRows.h"
#include "imaging/VxResamplers.h"
#include "support/TestSupport.h"

using testsupport::ColourAt;
using testsupport::FillPattern;

namespace {

const TLanczosResampler Lanczos;
const TQuickDraftResampler Draft;

void Fill(TVxPixels &pixels, uint32_t colour) {
  for (int32_t y = pixels.Top; y < pixels.Top + pixels.Height; ++y)
    for (int32_t x = pixels.Left; x < pixels.Left + pixels.Width; ++x) {
      uint8_t *p = pixels.PixelAddress(x, y);
      p[0] = static_cast<uint8_t>(colour);
      p[1] = static_cast<uint8_t>(colour >> 8);
      p[2] = static_cast<uint8_t>(colour >> 16);
    }
}

// Whole source scaled to a fresh buffer of the given size.
void ScaleTo(TVxPixelBuffer &out, const TVxPixels &src, int32_t width, int32_t height,
             const TPixelResampler &kernel) {
  out.SetFormatAndBounds(PixelFormat24, {0, 0, width, height});
  Resample(out, out.GetBounds(), out.GetBounds(), kernel, src.GetBounds(), src);
}

TEST(Kernels, LanczosIsAWindowedSincOfRadiusThree) {
  EXPECT_DOUBLE_EQ(Lanczos.Radius(), 3.0);
  EXPECT_TRUE(Lanczos.NeedsClamp());
  EXPECT_DOUBLE_EQ(Lanczos.Filter(0.0), 1.0);
  for (double x : {1.0, 2.0, -2.0, 3.0, 3.5}) EXPECT_NEAR(Lanczos.Filter(x), 0.0, 1e-15) << x;
  const double half = std::sin(M_PI / 2) / (M_PI / 2) * std::sin(M_PI / 6) / (M_PI / 6);
  EXPECT_DOUBLE_EQ(Lanczos.Filter(0.5), half);
  EXPECT_DOUBLE_EQ(Lanczos.Filter(-0.5), half);
  EXPECT_DOUBLE_EQ(Draft.Radius(), 0.0);
  for (double x : {0.0, 0.3, -1.0}) EXPECT_EQ(Draft.Filter(x), 0.0);
}

TEST(BuildMapping, DegenerateAxesAndExactCases) {
  EXPECT_TRUE(BuildMapping(0, 5, 0, 5, 3, 3, Lanczos).empty());  // no source
  const TResampleMapping one = BuildMapping(0, 4, 0, 4, 7, 8, Lanczos);
  ASSERT_EQ(one.size(), 4u);
  for (const auto &cluster : one) EXPECT_EQ(cluster, (TResampleCluster{{7, 256}}));

  const TResampleMapping same = BuildMapping(0, 9, 0, 9, 0, 9, Lanczos);
  for (int32_t j = 0; j < 9; ++j) EXPECT_EQ(same[j], (TResampleCluster{{j, 256}})) << j;

  const TResampleMapping halved = BuildMapping(0, 5, 0, 5, 0, 10, Draft);
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(halved[i], (TResampleCluster{{2 * i, 256}})) << i;

  // Enlarging with the draft kernel takes the nearest pixel: 2 -> 5 centres
  // at -0.3, 0.1, 0.5 (tie to even: 0), 0.9, 1.3.
  const TResampleMapping grown = BuildMapping(0, 5, 0, 5, 0, 2, Draft);
  const int32_t nearest[] = {0, 0, 0, 1, 1};
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(grown[i], (TResampleCluster{{nearest[i], 256}})) << i;
}

TEST(BuildMapping, ClustersAreNormalisedOrderedAndInsideTheSource) {
  const std::pair<int32_t, int32_t> sizes[] = {{3, 10}, {10, 3}, {7, 7},  {100, 37}, {37, 100},
                                               {1, 50}, {50, 1}, {13, 2}, {2, 13}};
  for (auto [dst, src] : sizes) {
    const TResampleMapping table = BuildMapping(0, dst, 0, dst, 5, 5 + src, Lanczos);
    ASSERT_EQ(table.size(), static_cast<size_t>(dst));
    for (const TResampleCluster &cluster : table) {
      ASSERT_FALSE(cluster.empty());
      int32_t sum = 0;
      for (size_t k = 0; k < cluster.size(); ++k) {
        sum += cluster[k].Weight;
        EXPECT_NE(cluster[k].Weight, 0);
        EXPECT_GE(cluster[k].Index, 5);
        EXPECT_LT(cluster[k].Index, 5 + src);
        if (k > 0) {
          EXPECT_LE(cluster[k - 1].Index, cluster[k].Index);
        }
      }
      EXPECT_EQ(sum, 256) << dst << " from " << src;
    }
  }
}

TEST(BuildMapping, MiddlePairTakesTheRoundingRest) {
  // Every pair holds the rounded kernel value except the middle one
  // ((count - 1) div 2), which takes whatever makes the sum 256.
  const std::pair<int32_t, int32_t> sizes[] = {{3, 4}, {5, 7}, {7, 3}, {10, 13}, {9, 4}};
  bool corrected = false;
  for (auto [dst, src] : sizes) {
    const double h = double(dst) / src, r = h >= 1 ? 3.0 : 3.0 / h;
    const TResampleMapping table = BuildMapping(0, dst, 0, dst, 0, src, Lanczos);
    for (int32_t i = 0; i < dst; ++i) {
      const double m = -0.5 + (i + 0.5) / h;
      std::vector<int32_t> expected;
      for (int64_t j = int64_t(std::floor(m - r)); j <= int64_t(std::ceil(m + r)); ++j) {
        const double w = h >= 1 ? Lanczos.Filter(m - j) : h * Lanczos.Filter(h * (m - j));
        if (const auto rounded = int32_t(std::nearbyint(w * 256))) expected.push_back(rounded);
      }
      const TResampleCluster &cluster = table[i];
      ASSERT_EQ(cluster.size(), expected.size());
      const size_t middle = (cluster.size() - 1) / 2;
      for (size_t k = 0; k < cluster.size(); ++k) {
        if (k != middle) {
          EXPECT_EQ(cluster[k].Weight, expected[k]) << dst << "/" << src << " " << i << "/" << k;
        }
      }
      corrected |= cluster[middle].Weight != expected[middle];
    }
  }
  EXPECT_TRUE(corrected) << "no case exercises the correction";
}

TEST(BuildMapping, ClipSelectsASliceOfTheFullTable) {
  const TResampleMapping full = BuildMapping(-4, 20, -4, 20, 0, 9, Lanczos);
  const TResampleMapping part = BuildMapping(-4, 20, 3, 11, 0, 9, Lanczos);
  ASSERT_EQ(part.size(), 8u);
  for (size_t i = 0; i < part.size(); ++i) EXPECT_EQ(part[i], full[i + 7]) << i;
}

TEST(Resample, SameSizeIsExactAndDraftHalvingPicksEvenPixels) {
  TVxPixelBuffer src(PixelFormat24, {0, 0, 36, 20});
  FillPattern(src);
  TVxPixelBuffer out;
  ScaleTo(out, src, 36, 20, Lanczos);
  EXPECT_TRUE(
      EachPixel(out, src.GetBounds(), [&](int32_t x, int32_t y) { return ColourAt(src, x, y); }));

  ScaleTo(out, src, 18, 10, Draft);
  EXPECT_TRUE(EachPixel(out, out.GetBounds(),
                        [&](int32_t x, int32_t y) { return ColourAt(src, 2 * x, 2 * y); }));
}

TEST(Resample, SinglePixelSourcesAreRepeated) {
  TVxPixelBuffer column(PixelFormat24, {0, 0, 1, 3});
  FillPattern(column);
  TVxPixelBuffer out;
  ScaleTo(out, column, 9, 3, Lanczos);
  EXPECT_TRUE(
      EachPixel(out, out.GetBounds(), [&](int32_t, int32_t y) { return ColourAt(column, 0, y); }));
}

TEST(Resample, UniformImageStaysUniform) {
  const std::pair<int32_t, int32_t> sizes[] = {{5, 4}, {40, 33}, {121, 7}, {3, 90}, {1, 1}};
  TVxPixelBuffer src(PixelFormat24, {0, 0, 23, 17});
  Fill(src, 0xFF8001);
  TVxPixelBuffer out;
  for (auto [w, h] : sizes) {
    ScaleTo(out, src, w, h, Lanczos);
    EXPECT_TRUE(EachPixel(out, out.GetBounds(), [](int32_t, int32_t) { return 0xFF8001u; }))
        << w << "x" << h;
  }
}

// The definition evaluated in floating point without rounding any weight,
// before clamping.
double Reference(const TVxPixels &src, int32_t outW, int32_t outH, int32_t x, int32_t y,
                 int32_t channel) {
  const auto axis = [](int32_t dst, int32_t srcSize, int32_t i) {
    const double h = double(dst) / srcSize, m = -0.5 + (i + 0.5) / h;
    const double r = h >= 1 ? 3.0 : 3.0 / h;
    std::vector<std::pair<int32_t, double>> taps;
    double sum = 0;
    for (int64_t j = int64_t(std::floor(m - r)); j <= int64_t(std::ceil(m + r)); ++j) {
      const double w = h >= 1 ? Lanczos.Filter(m - j) : h * Lanczos.Filter(h * (m - j));
      taps.emplace_back(std::clamp<int32_t>(int32_t(j), 0, srcSize - 1), w);
      sum += w;
    }
    for (auto &t : taps) t.second /= sum;
    return taps;
  };
  double v = 0;
  for (auto [sy, wy] : axis(outH, src.Height, y))
    for (auto [sx, wx] : axis(outW, src.Width, x)) v += wy * wx * src.PixelAddress(sx, sy)[channel];
  return v;
}

TEST(Resample, MatchesFloatingPointDefinitionWithinWeightRounding) {
  TVxPixelBuffer src(PixelFormat24, {0, 0, 31, 24});
  FillPattern(src, 7);
  // Hard edges as well, where the overshoot must clamp instead of wrap.
  for (int32_t y = 0; y < 24; ++y)
    for (int32_t x = 12; x < 20; ++x) std::memset(src.PixelAddress(x, y), x < 16 ? 0 : 255, 3);
  const std::pair<int32_t, int32_t> sizes[] = {{62, 48}, {15, 12}, {100, 9}, {7, 70}, {31, 11}};
  TVxPixelBuffer out;
  for (auto [w, h] : sizes) {
    ScaleTo(out, src, w, h, Lanczos);
    double worst = 0;
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x)
        for (int32_t c = 0; c < 3; ++c) {
          const double raw = Reference(src, w, h, x, y, c);
          const int32_t got = out.PixelAddress(x, y)[c];
          worst = std::max(worst, std::fabs(got - std::clamp(raw, 0.0, 255.0)));
          // Clear overshoots must clamp, not wrap round.
          if (raw > 258.0) {
            ASSERT_EQ(got, 255) << x << "," << y;
          }
          if (raw < -3.0) {
            ASSERT_EQ(got, 0) << x << "," << y;
          }
        }
    EXPECT_LE(worst, 3.0) << w << "x" << h;
  }
}

TEST(Resample, ClipLimitsTheWrittenPixels) {
  TVxPixelBuffer src(PixelFormat24, {0, 0, 20, 15});
  FillPattern(src);
  TVxPixelBuffer whole, part(PixelFormat24, {0, 0, 33, 27});
  ScaleTo(whole, src, 33, 27, Lanczos);
  Fill(part, 0x123456);
  const TVxRect clip{5, 4, 40, 11};  // reaches past the buffer on the right
  Resample(part, part.GetBounds(), clip, Lanczos, src.GetBounds(), src);
  EXPECT_TRUE(EachPixel(part, part.GetBounds(), [&](int32_t x, int32_t y) {
    return clip.Contains(x, y) ? ColourAt(whole, x, y) : 0x123456u;
  }));
}

TEST(Resample, RefusesUnsafeInputs) {
  TVxPixelBuffer src(PixelFormat24, {0, 0, 10, 10}), wide(PixelFormat32Alpha, {0, 0, 10, 10});
  FillPattern(src);
  TVxPixelBuffer out(PixelFormat24, {0, 0, 5, 5});
  const TVxRect outside[] = {{-1, 0, 10, 10}, {0, 0, 11, 10}, {2, 2, 2, 9}};
  for (const TVxRect &rect : outside) {
    Resample(out, out.GetBounds(), out.GetBounds(), Lanczos, rect, src);
    EXPECT_EQ(ColourAt(out, 2, 2), 0u);
  }
  Resample(out, out.GetBounds(), out.GetBounds(), Lanczos, wide.GetBounds(), wide);
  EXPECT_EQ(ColourAt(out, 2, 2), 0u);
}

// Every instruction set must give the bytes of the portable passes, across
// widths that leave every possible tail and across reductions and enlargements.
TEST(Resample, VectorPassesAreBitIdenticalToPortable) {
  if (!ResampleCodeAvailable(TResampleCode::Avx2)) GTEST_SKIP() << "no AVX2";
  std::mt19937 random(42);
  const int32_t widths[] = {1, 2, 3, 5, 11, 16, 17, 33, 64, 150};
  const int32_t heights[] = {1, 4, 9, 40};
  const double scales[] = {0.23, 0.5, 0.7, 1.0, 1.3, 2.0, 3.7};
  for (int32_t sw : widths)
    for (int32_t sh : heights) {
      TVxPixelBuffer src(PixelFormat24, {0, 0, sw, sh});
      for (int32_t y = 0; y < sh; ++y)
        for (int32_t i = 0; i < sw * 3; ++i)  // extremes make the largest sums
          src.PixelAddress(0, y)[i] = (random() & 1) ? 255 : static_cast<uint8_t>(random());
      for (double sx : scales)
        for (double sy : scales) {
          const int32_t dw = std::max(1, int32_t(sw * sx)), dh = std::max(1, int32_t(sh * sy));
          for (const TPixelResampler *kernel : {static_cast<const TPixelResampler *>(&Lanczos),
                                                static_cast<const TPixelResampler *>(&Draft)}) {
            TVxPixelBuffer a(PixelFormat24, {0, 0, dw, dh}), b(PixelFormat24, {0, 0, dw, dh});
            ResampleWith(TResampleCode::Portable, a, a.GetBounds(), a.GetBounds(), *kernel,
                         src.GetBounds(), src);
            ResampleWith(TResampleCode::Avx2, b, b.GetBounds(), b.GetBounds(), *kernel,
                         src.GetBounds(), src);
            for (int32_t y = 0; y < dh; ++y)
              ASSERT_EQ(std::memcmp(a.PixelAddress(0, y), b.PixelAddress(0, y), size_t(dw) * 3), 0)
                  << sw << "x" << sh << " -> " << dw << "x" << dh << " row " << y;
          }
        }
    }
}

}  // namespace
