#include "retouch/VxAreaCorrelator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "retouch/RetouchTestImages.h"

namespace {

using TPos = std::pair<int32_t, int32_t>;  // absolute x, y

// A backup and a working image that starts as a copy of it.
struct TImages {
  TVxPixelBuffer Backup;
  TVxPixelBuffer Image;
  void Noise(int32_t w, int32_t h, uint32_t seed) {
    FillNoise(Backup, {0, 0, w, h}, seed);
    Image.SetFormatAndBounds(PixelFormat24, Backup.GetBounds());
    Image.Assign(Backup);
  }
  void Fill(int32_t w, int32_t h, const std::function<void(int32_t, int32_t, uint8_t *)> &at) {
    Backup.SetFormatAndBounds(PixelFormat24, {0, 0, w, h});
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) at(x, y, Backup.PixelAddress(x, y));
    Image.SetFormatAndBounds(PixelFormat24, Backup.GetBounds());
    Image.Assign(Backup);
  }
  bool Same(const TVxPixels &a, const TVxPixels &b, int32_t x, int32_t y) const {
    return std::memcmp(a.PixelAddress(x, y), b.PixelAddress(x, y), 3) == 0;
  }
};

// The engine over target with the defect given per absolute pixel.
std::unique_ptr<TAreaCorrelator> Engine(TImages &images, const TVxRect &target,
                                        const std::function<bool(int32_t, int32_t)> &defect) {
  auto engine = std::make_unique<TAreaCorrelator>(target, images.Image, images.Backup, 2);
  for (int32_t x = target.Left; x < target.Right; ++x)
    for (int32_t y = target.Top; y < target.Bottom; ++y) engine->SetDefect(x, y, defect(x, y));
  return engine;
}

std::function<bool(int32_t, int32_t)> Disc(const TVxRect &target) {
  return [target](int32_t x, int32_t y) {
    const double cx = (target.Left + target.Right - 1) / 2.0;
    const double cy = (target.Top + target.Bottom - 1) / 2.0;
    const double r = target.Width() / 2.0;
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
  };
}

std::vector<TPos> Positions(const TBorderArea8 &area) {
  std::vector<TPos> positions;
  for (const TPlace8 &place : area.Places) positions.emplace_back(place[0].AbsX, place[0].AbsY);
  return positions;
}

// --- a literal engine: slow loops straight from the definitions ---------------

struct TLiteral {
  TVxRect Target;
  TVxRect Bounds;
  std::function<bool(int32_t, int32_t)> Defect;
  std::vector<TPos> Ring, Interior;
  std::vector<int32_t> RingWeight, InnerWeight;

  bool InTarget(int32_t x, int32_t y) const { return Target.Contains(x, y); }
  bool Known(int32_t x, int32_t y) const {
    return InTarget(x, y) ? !Defect(x, y) : Bounds.Contains(x, y);
  }
  static int32_t Find(const std::vector<TPos> &list, int32_t x, int32_t y) {
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i] == TPos{x, y}) return static_cast<int32_t>(i);
    return -1;
  }
  void Build() {
    for (int32_t x = Target.Left; x < Target.Right; ++x) {
      for (int32_t y = Target.Top; y < Target.Bottom; ++y) {
        if (!Defect(x, y)) continue;
        bool ring = false;
        for (int32_t dx = -1; dx <= 1; ++dx)
          for (int32_t dy = -1; dy <= 1; ++dy) ring = ring || Known(x + dx, y + dy);
        (ring ? Ring : Interior).emplace_back(x, y);
      }
    }
    RingWeight.assign(Interior.size(), 0);
    InnerWeight.assign(Interior.size(), 0);
    for (size_t i = 0; i < Interior.size(); ++i)
      for (int32_t dx = -1; dx <= 1; ++dx)
        for (int32_t dy = -1; dy <= 1; ++dy)
          if ((dx || dy) && Find(Ring, Interior[i].first + dx, Interior[i].second + dy) >= 0)
            RingWeight[i] += 3 - std::abs(dx) - std::abs(dy);
    for (size_t i = 0; i < Interior.size(); ++i) {
      if (RingWeight[i] == 0) continue;
      for (int32_t dx = -1; dx <= 1; ++dx) {
        for (int32_t dy = -1; dy <= 1; ++dy) {
          const int32_t j = Find(Interior, Interior[i].first + dx, Interior[i].second + dy);
          if ((dx || dy) && j >= 0 && RingWeight[static_cast<size_t>(j)] == 0)
            InnerWeight[i] += 3 - std::abs(dx) - std::abs(dy);
        }
      }
    }
  }
  TPos Source(TPos p, TVxPoint origin, int32_t r) const {
    const TVxPoint uv = ReflectedPoint(r, p.first - Target.Left, p.second - Target.Top,
                                       Target.Width(), Target.Height());
    return {origin.X + uv.X, origin.Y + uv.Y};
  }
  // c0 + c1 x + c2 y + c3 xy fitted by Gaussian elimination on the normal equations.
  static std::vector<double> Fit(const std::vector<std::array<double, 3>> &samples) {
    long double a[4][5] = {};
    for (const auto &[x, y, v] : samples) {
      const long double phi[4] = {1, x, y, x * y};
      for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) a[i][j] += phi[i] * phi[j];
        a[i][4] += phi[i] * v;
      }
    }
    for (int c = 0; c < 4; ++c) {
      int pivot = c;
      for (int r = c; r < 4; ++r)
        if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
      std::swap(a[c], a[pivot]);
      for (int r = 0; r < 4; ++r) {
        if (r == c) continue;
        const long double f = a[r][c] / a[c][c];
        for (int k = c; k < 5; ++k) a[r][k] -= f * a[c][k];
      }
    }
    std::vector<double> coefficients;
    for (int i = 0; i < 4; ++i) coefficients.push_back(static_cast<double>(a[i][4] / a[i][i]));
    return coefficients;
  }
  void Patch(const TVxPixels &backup, TVxPixels &image, TVxPoint origin, int32_t r, bool antiAlias,
             int32_t mode) const {
    std::vector<double> surface[3];
    if (mode == 2) {
      for (int c = 0; c < 3; ++c) {
        std::vector<std::array<double, 3>> samples;
        for (TPos t : Ring) {
          const TPos s = Source(t, origin, r);
          double d = 0;
          if (Bounds.Contains(t.first, t.second) && Bounds.Contains(s.first, s.second))
            d = double(backup.PixelAddress(t.first, t.second)[c]) -
                backup.PixelAddress(s.first, s.second)[c];
          samples.push_back({double(t.first - Target.Left), double(t.second - Target.Top), d});
        }
        surface[c] = Fit(samples);
      }
    }
    for (size_t i = 0; i < Interior.size(); ++i) {
      const TPos t = Interior[i], s = Source(t, origin, r);
      if (!Bounds.Contains(t.first, t.second) || !Bounds.Contains(s.first, s.second)) continue;
      for (int c = 0; c < 3; ++c) {
        const uint8_t target = backup.PixelAddress(t.first, t.second)[c];
        double value = backup.PixelAddress(s.first, s.second)[c];
        if (mode == 2) {
          const double x = t.first - Target.Left, y = t.second - Target.Top;
          const auto &k = surface[c];
          value = std::nearbyint(
              std::clamp(value + k[0] + k[1] * x + k[2] * y + k[3] * x * y, 0.0, 255.0));
        }
        if (antiAlias && RingWeight[i] > 0)
          value = std::nearbyint((target * RingWeight[i] + value * InnerWeight[i]) /
                                 double(RingWeight[i] + InnerWeight[i]));
        image.PixelAddress(t.first, t.second)[c] = static_cast<uint8_t>(value);
      }
    }
  }
};

void ExpectSameImages(const TVxPixels &a, const TVxPixels &b, const std::string &what) {
  for (int32_t y = 0; y < a.Height; ++y)
    for (int32_t x = 0; x < a.Width; ++x)
      ASSERT_EQ(std::memcmp(a.PixelAddress(x, y), b.PixelAddress(x, y), 3), 0)
          << what << " at " << x << "," << y;
}

TEST(AreaCorrelator, AreasAndPatchesMatchTheLiteralEngine) {
  struct TCase {
    TVxRect Target;
    TVxPoint Source;
  } cases[] = {
      {Bounds(20, 15, 17, 17), {40, 30}},  // well inside
      {Bounds(-4, 30, 12, 12), {30, 2}},   // target over the left edge
      {Bounds(50, 50, 16, 16), {55, 56}},  // source over the bottom-right corner
      {Bounds(10, 10, 25, 25), {22, 18}},  // source overlapping the target
  };
  for (const TCase &test : cases) {
    TImages images;
    images.Noise(64, 64, 7);
    auto engine = Engine(images, test.Target, Disc(test.Target));
    engine->BuildAreas();
    engine->ComputeBlendWeights();
    TLiteral literal{test.Target, {0, 0, 64, 64}, Disc(test.Target), {}, {}, {}, {}};
    literal.Build();
    ASSERT_EQ(Positions(engine->Ring), literal.Ring);
    ASSERT_EQ(Positions(engine->Interior), literal.Interior);
    for (size_t i = 0; i < literal.Interior.size(); ++i) {
      ASSERT_EQ(engine->Interior.Info[i].RingWeight, literal.RingWeight[i]) << i;
      ASSERT_EQ(engine->Interior.Info[i].InnerWeight, literal.InnerWeight[i]) << i;
    }
    for (int32_t mode : {0, 2}) {
      for (int32_t r = 0; r < 8; ++r) {
        for (bool antiAlias : {false, true}) {
          TVxPixelBuffer expected(PixelFormat24, images.Backup.GetBounds());
          expected.Assign(images.Backup);
          images.Image.Assign(images.Backup);
          literal.Patch(images.Backup, expected, test.Source, r, antiAlias, mode);
          engine->Patch(test.Source, r, antiAlias, mode, 2);
          ExpectSameImages(images.Image, expected,
                           "mode " + std::to_string(mode) + " r " + std::to_string(r) +
                               (antiAlias ? " aa" : ""));
        }
      }
    }
  }
}

// Pearson's formula over centred values, as in a statistics book.
double LiteralCorrelation(const std::vector<std::pair<double, double>> &pairs) {
  double mx = 0, my = 0;
  for (auto [x, y] : pairs) mx += x, my += y;
  mx /= double(pairs.size());
  my /= double(pairs.size());
  double sxy = 0, sxx = 0, syy = 0;
  for (auto [x, y] : pairs) {
    sxy += (x - mx) * (y - my);
    sxx += (x - mx) * (x - mx);
    syy += (y - my) * (y - my);
  }
  return sxx * syy > 0 ? sxy / std::sqrt(sxx * syy) : 0.0;
}

TEST(AreaCorrelator, BestReflectionIsTheBestCorrelatedRing) {
  TImages images;
  images.Noise(60, 60, 3);
  const TVxRect target = Bounds(10, 12, 15, 15);
  // Make the source a rotated copy (reflection 6) of the target region, so
  // that 6 must win, then check the others against literal values.
  const TVxRect source = Bounds(35, 30, 15, 15);
  for (int32_t y = 0; y < 15; ++y) {
    for (int32_t x = 0; x < 15; ++x) {
      const TVxPoint uv = ReflectedPoint(6, x, y, 15, 15);
      std::memcpy(images.Backup.PixelAddress(source.Left + uv.X, source.Top + uv.Y),
                  images.Backup.PixelAddress(target.Left + x, target.Top + y), 3);
    }
  }
  auto engine = Engine(images, target, Disc(target));
  engine->BuildAreas();
  EXPECT_EQ(engine->BestReflection(source), 6);
  for (int32_t r = 0; r < 8; ++r) {
    std::vector<std::pair<double, double>> pairs;
    for (const TPlace8 &place : engine->Ring.Places) {
      const uint8_t *t = images.Backup.PixelAddress(place[0].AbsX, place[0].AbsY);
      const uint8_t *s =
          images.Backup.PixelAddress(source.Left + place[r].X, source.Top + place[r].Y);
      for (int c = 0; c < 3; ++c) pairs.emplace_back(s[c], t[c]);
    }
    TCorrelator correlator;
    for (auto [x, y] : pairs) correlator.AddPair(x, y);
    EXPECT_NEAR(correlator.Correlation(), LiteralCorrelation(pairs), 1e-12) << r;
  }
}

TEST(AreaCorrelator, ReflectionsOfA4x3AreaFollowTheTable) {
  // Worked by hand from the table for W = 4, H = 3; rotations of a
  // non-square area may leave it (v = 3 below).
  TBorderArea8 area(100, 200, 4, 3);
  area.Add(1, 2);
  area.Add(3, 0);
  const TVxPoint expected[2][8] = {
      {{1, 2}, {2, 2}, {2, 2}, {2, 1}, {2, 0}, {1, 0}, {0, 2}, {0, 1}},
      {{3, 0}, {0, 0}, {0, 0}, {0, 3}, {0, 2}, {3, 2}, {2, 0}, {2, 3}},
  };
  for (size_t e = 0; e < 2; ++e) {
    for (size_t r = 0; r < 8; ++r) {
      const TPlace4 &q = area.Places[e][r];
      EXPECT_EQ(q.X, expected[e][r].X) << e << "/" << r;
      EXPECT_EQ(q.Y, expected[e][r].Y) << e << "/" << r;
      EXPECT_EQ(q.AbsX, expected[e][r].X + 100);
      EXPECT_EQ(q.AbsY, expected[e][r].Y + 200);
    }
  }
  EXPECT_EQ(area.IndexOf(103, 200), 1);
  EXPECT_EQ(area.IndexOf(3, 0), -1);
  EXPECT_FALSE(area.Contains(104, 200));
}

TEST(AreaCorrelator, ReflectionThreeCopiesTheSourceTransposed) {
  TImages images;
  images.Noise(40, 40, 11);
  const TVxRect target = Bounds(5, 5, 9, 9);
  auto engine = Engine(images, target, [](int32_t, int32_t) { return true; });
  engine->BuildAreas();
  engine->Patch({25, 20}, 3, false, 0, 2);
  for (const TPlace8 &place : engine->Interior.Places)
    EXPECT_EQ(std::memcmp(images.Image.PixelAddress(place[0].AbsX, place[0].AbsY),
                          images.Backup.PixelAddress(25 + place[0].Y, 20 + place[0].X), 3),
              0);
}

TEST(AreaCorrelator, ThinDefectsHaveNoInteriorAndAreNotWritten) {
  for (int32_t thickness : {1, 2}) {
    TImages images;
    images.Noise(30, 30, 5);
    const TVxRect target = Bounds(8, 8, 12, 12);
    auto engine = Engine(images, target,
                         [thickness](int32_t, int32_t y) { return y >= 13 && y < 13 + thickness; });
    engine->BuildAreas();
    engine->ComputeBlendWeights();
    EXPECT_EQ(engine->Interior.Count, 0);
    EXPECT_EQ(engine->Ring.Count, 12 * thickness);
    for (int32_t mode : {0, 1, 2}) engine->Patch({2, 2}, 1, true, mode, 2);
    ExpectSameImages(images.Image, images.Backup, "thickness " + std::to_string(thickness));
  }
}

TEST(AreaCorrelator, AreaOverTheBorderTouchesOnlyThroughInsidePixels) {
  TImages images;
  images.Noise(20, 20, 9);
  // The whole square is defect; its two left columns lie outside the image.
  const TVxRect target = Bounds(-2, 5, 8, 8);
  auto engine = Engine(images, target, [](int32_t, int32_t) { return true; });
  engine->BuildAreas();
  // The top row touches the image above it from abs x = -1 on; the left
  // column and the pixels outside have nothing known around them.
  EXPECT_TRUE(engine->Ring.Contains(-1, 5));
  EXPECT_FALSE(engine->Ring.Contains(-2, 5));
  EXPECT_FALSE(engine->Ring.Contains(-2, 8));
  EXPECT_TRUE(engine->Interior.Contains(-2, 8));
  EXPECT_TRUE(engine->Ring.Contains(5, 8));
  for (int32_t mode : {0, 1, 2}) {
    images.Image.Assign(images.Backup);
    engine->Patch({10, 4}, 0, true, mode, 2);
    // Nothing outside the Interior changed.
    for (int32_t y = 0; y < 20; ++y)
      for (int32_t x = 0; x < 20; ++x)
        if (!engine->Interior.Contains(x, y)) {
          ASSERT_TRUE(images.Same(images.Image, images.Backup, x, y)) << x << "," << y;
        }
  }
  // A source hanging out of the image leaves its target pixels as they are.
  std::memset(images.Image.PixelAddress(0, 9), 77, 3);
  engine->Patch({-5, 5}, 0, false, 0, 2);
  EXPECT_EQ(images.Image.PixelAddress(0, 9)[0], 77);  // its source x -3 is outside
  EXPECT_EQ(std::memcmp(images.Image.PixelAddress(3, 9), images.Backup.PixelAddress(0, 9), 3), 0);
}

TEST(AreaCorrelator, PatchingFromTheTargetItselfRestoresTheInterior) {
  TImages images;
  images.Noise(40, 40, 13);
  const TVxRect target = Bounds(10, 10, 15, 15);
  auto engine = Engine(images, target, Disc(target));
  engine->BuildAreas();
  engine->ComputeBlendWeights();
  // An earlier patch scribbled over the whole square.
  for (int32_t y = 10; y < 25; ++y) std::memset(images.Image.PixelAddress(10, y), 200, 15 * 3);
  engine->Patch({10, 10}, 0, false, 0, 2);
  for (const TPlace8 &place : engine->Interior.Places)
    EXPECT_TRUE(images.Same(images.Image, images.Backup, place[0].AbsX, place[0].AbsY));
  for (const TPlace8 &place : engine->Ring.Places)
    EXPECT_EQ(images.Image.PixelAddress(place[0].AbsX, place[0].AbsY)[0], 200);
}

TEST(AreaCorrelator, UniformImageCorrelatesToZeroAndKeepsReflectionZero) {
  TImages images;
  images.Fill(40, 40, [](int32_t, int32_t, uint8_t *p) { p[0] = p[1] = p[2] = 128; });
  const TVxRect target = Bounds(5, 5, 12, 12);
  auto engine = Engine(images, target, Disc(target));
  engine->BuildAreas();
  EXPECT_EQ(engine->BestReflection(Bounds(20, 20, 12, 12)), 0);
  TCorrelator correlator;
  for (int i = 0; i < 30; ++i) correlator.AddPair(128, 128);
  EXPECT_EQ(correlator.Correlation(), 0.0);
  EXPECT_EQ(TCorrelator().Correlation(), 0.0);
}

TEST(AreaCorrelator, AdjustmentCarriesTheRingDifferenceIntoThePatch) {
  // The source is the target's neighbourhood shifted right by 8 on an image
  // whose channels rise along x at 1, 2 and 3 per pixel: per-channel
  // correction undoes each slope exactly, the one-surface correction only
  // when the channels rise together.
  struct TCase {
    int32_t Mode;
    int32_t Slope[3];
  } cases[] = {{2, {1, 2, 3}}, {1, {2, 2, 2}}, {2, {0, 0, 0}}};
  for (const TCase &test : cases) {
    TImages images;
    images.Fill(64, 30, [&](int32_t x, int32_t y, uint8_t *p) {
      for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(20 + test.Slope[c] * x + (y % 3));
    });
    const TVxRect target = Bounds(10, 8, 12, 12);
    auto engine = Engine(images, target, Disc(target));
    engine->BuildAreas();
    engine->Patch({18, 8}, 0, false, test.Mode, 2);
    ExpectSameImages(images.Image, images.Backup, "mode " + std::to_string(test.Mode));
  }
}

TEST(AreaCorrelator, UnknownModesAndReflectionsChangeNothing) {
  TImages images;
  images.Noise(30, 30, 17);
  const TVxRect target = Bounds(5, 5, 10, 10);
  auto engine = Engine(images, target, Disc(target));
  engine->BuildAreas();
  engine->Patch({15, 15}, 0, false, 3, 2);
  engine->Patch({15, 15}, 8, false, 0, 2);
  engine->Patch({15, 15}, -1, false, 2, 2);
  ExpectSameImages(images.Image, images.Backup, "unknown");
}

TEST(AreaCorrelator, LongDefectLeavesTheRingOnlyWhenItIsAFifthAtMost) {
  // A 6 x 6 defect square has a ring of 20; some of its pixels are dark.
  for (int32_t dark : {4, 5}) {
    TImages images;
    images.Fill(20, 20, [](int32_t, int32_t, uint8_t *p) {
      p[0] = 150;
      p[1] = 170;
      p[2] = 210;
    });
    const TVxRect target = Bounds(5, 5, 8, 8);
    auto engine = Engine(images, target,
                         [](int32_t x, int32_t y) { return x >= 6 && x < 12 && y >= 6 && y < 12; });
    engine->BuildAreas();
    ASSERT_EQ(engine->Ring.Count, 20);
    // A hair crossing the ring's left column; only the working image counts.
    std::vector<TPos> hair;
    for (int32_t i = 0; i < dark; ++i) hair.emplace_back(i < 5 ? 6 : 7, i < 5 ? 6 + i : 6);
    for (TPos p : hair) std::memset(images.Image.PixelAddress(p.first, p.second), 20, 3);
    const int32_t interior = engine->Interior.Count;
    engine->DropLongDefect(0.2);
    EXPECT_EQ(engine->Ring.Count, dark == 4 ? 16 : 20) << dark;
    for (TPos p : hair) EXPECT_EQ(engine->Ring.Contains(p.first, p.second), dark != 4);
    // Dropped pixels are not Interior either, and the order of the rest is kept.
    EXPECT_EQ(engine->Interior.Count, interior);
    std::vector<TPos> ring = Positions(engine->Ring);
    EXPECT_TRUE(std::is_sorted(ring.begin(), ring.end()));
    // Preparing again starts over.
    engine->BuildAreas();
    EXPECT_EQ(engine->Ring.Count, 20);
  }
}

TEST(AreaCorrelator, SingleColourRingSkipsTheLongDefectStep) {
  TImages images;
  images.Fill(20, 20, [](int32_t, int32_t, uint8_t *p) { p[0] = p[1] = p[2] = 90; });
  const TVxRect target = Bounds(4, 4, 10, 10);
  auto engine = Engine(images, target, Disc(target));
  engine->BuildAreas();
  const int32_t ring = engine->Ring.Count;
  engine->DropLongDefect(1.0);
  EXPECT_EQ(engine->Ring.Count, ring);
}

}  // namespace
