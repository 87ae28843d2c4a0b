#include "retouch/VxAreaCorrelator.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "retouch/VxKMean.h"
#include "retouch/VxLeastSquares.h"

TVxPoint ReflectedPoint(int32_t r, int32_t x, int32_t y, int32_t width, int32_t height) {
  switch (r) {
    case 1:
      return {width - 1 - x, y};
    case 2:
      return {y, width - 1 - x};
    case 3:
      return {y, x};
    case 4:
      return {width - 1 - x, height - 1 - y};
    case 5:
      return {x, height - 1 - y};
    case 6:
      return {height - 1 - y, width - 1 - x};
    case 7:
      return {height - 1 - y, x};
    default:
      return {x, y};
  }
}

// --- TBorderArea8 ------------------------------------------------------------

TBorderArea8::TBorderArea8(int32_t left, int32_t top, int32_t width, int32_t height)
    : Left(left),
      Top(top),
      Width(std::max(width, 0)),
      Height(std::max(height, 0)),
      Grid(static_cast<size_t>(Width) * static_cast<size_t>(Height), -1) {
  Places.reserve(CapacityStep);
  Info.reserve(CapacityStep);
}

void TBorderArea8::Add(int32_t x, int32_t y) {
  if (Places.size() == Places.capacity()) {
    // At least a step, and in proportion beyond: a 100 x 100 area would
    // otherwise be copied twenty times over while it fills.
    const size_t grown = Places.size() + std::max<size_t>(CapacityStep, Places.size() / 2);
    Places.reserve(grown);
    Info.reserve(grown);
  }
  TPlace8 place;
  for (int32_t r = 0; r < 8; ++r) {
    const TVxPoint p = ReflectedPoint(r, x, y, Width, Height);
    place[static_cast<size_t>(r)] = {p.X, p.Y, p.X + Left, p.Y + Top};
  }
  Places.push_back(place);
  Info.push_back({});
  Index(Count++);
}

void TBorderArea8::Index(int32_t entry) {
  const TPlace4 &own = Places[static_cast<size_t>(entry)][0];
  if (own.X < 0 || own.X >= Width || own.Y < 0 || own.Y >= Height) return;
  int32_t &cell =
      Grid[static_cast<size_t>(own.Y) * static_cast<size_t>(Width) + static_cast<size_t>(own.X)];
  if (cell < 0) cell = entry;
}

void TBorderArea8::Clear() {
  Count = 0;
  Places.clear();
  Info.clear();
  std::fill(Grid.begin(), Grid.end(), -1);
}

int32_t TBorderArea8::IndexOf(int32_t absX, int32_t absY) const {
  const int32_t x = absX - Left, y = absY - Top;
  if (x < 0 || x >= Width || y < 0 || y >= Height) return -1;
  return Grid[static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)];
}

void TBorderArea8::Compact() {
  size_t kept = 0;
  for (size_t i = 0; i < Places.size(); ++i) {
    if (Info[i].Deleted) continue;
    Places[kept] = Places[i];
    Info[kept] = Info[i];
    ++kept;
  }
  Places.resize(kept);
  Info.resize(kept);
  Count = static_cast<int32_t>(kept);
  std::fill(Grid.begin(), Grid.end(), -1);
  for (int32_t i = 0; i < Count; ++i) Index(i);
}

// --- TCorrelator -------------------------------------------------------------

void TCorrelator::AddPair(double x, double y) {
  ++Count;
  SumY += y;
  SumX += x;
  SumXY += x * y;
  SumY2 += y * y;
  SumX2 += x * x;
}

double TCorrelator::Correlation() const {
  const double n = Count;
  const double d = std::sqrt((n * SumY2 - SumY * SumY) * (n * SumX2 - SumX * SumX));
  // Also catches a NaN from a product that rounding made negative.
  if (!(std::fabs(d) > 1e-10)) return 0.0;
  return (n * SumXY - SumY * SumX) / d;
}

// --- TAreaCorrelator ---------------------------------------------------------

TAreaCorrelator::TAreaCorrelator(const TVxRect &target, TVxPixels &image, const TVxPixels &backup,
                                 int32_t neighbourhoodRadius2)
    : W(std::max(target.Width(), 0)),
      H(std::max(target.Height(), 0)),
      NeighbourhoodRadius2(neighbourhoodRadius2),
      ImageBounds(backup.GetBounds()),
      Left(target.Left),
      Top(target.Top),
      DefectMask(static_cast<size_t>(W) * static_cast<size_t>(H), 0),
      Image(image),
      Backup(backup),
      Ring(Left, Top, W, H),
      Interior(Left, Top, W, H),
      Target(target) {}

void TAreaCorrelator::SetDefect(int32_t absX, int32_t absY, bool defect) {
  const int32_t x = absX - Left, y = absY - Top;
  if (x < 0 || x >= W || y < 0 || y >= H) return;
  DefectMask[Cell(x, y)] = defect ? 1 : 0;
}

// A pixel whose value counts as reference: a non-defect pixel of the target,
// or any pixel of the image outside it.
bool TAreaCorrelator::IsKnown(int32_t x, int32_t y) const {
  if (x >= 0 && x < W && y >= 0 && y < H) return !IsDefect(x, y);
  return ImageBounds.Contains(x + Left, y + Top);
}

void TAreaCorrelator::BuildAreas() {
  Ring.Clear();
  Interior.Clear();
  const int32_t reach = static_cast<int32_t>(std::sqrt(NeighbourhoodRadius2) + 0.001);
  for (int32_t x = 0; x < W; ++x) {
    for (int32_t y = 0; y < H; ++y) {
      if (!IsDefect(x, y)) continue;
      bool touches = false;
      for (int32_t i = x - reach; i <= x + reach && !touches; ++i)
        for (int32_t j = y - reach; j <= y + reach && !touches; ++j)
          if ((i - x) * (i - x) + (j - y) * (j - y) <= NeighbourhoodRadius2 && IsKnown(i, j))
            touches = true;
      (touches ? Ring : Interior).Add(x, y);
    }
  }
}

void TAreaCorrelator::DropLongDefect(double fraction) {
  auto means = std::make_unique<TKMean>();
  for (const TPlace8 &place : Ring.Places) {
    if (!ImageBounds.Contains(place[0].AbsX, place[0].AbsY)) continue;
    const uint8_t *p = Image.PixelAddress(place[0].AbsX, place[0].AbsY);
    means->AddColour(p[0], p[1], p[2]);
  }
  if (means->Colours().size() < 2) return;
  means->AddCluster(true, 0);
  means->AddCluster(true, 1);
  means->Run();
  const int32_t minority = means->Minority();
  const auto &cluster = means->Clusters()[static_cast<size_t>(minority)];
  if (Ring.Count * fraction < cluster.Weight) return;
  for (size_t i = 0; i < Ring.Places.size(); ++i) {
    const TPlace4 &own = Ring.Places[i][0];
    if (!ImageBounds.Contains(own.AbsX, own.AbsY)) continue;
    const uint8_t *p = Image.PixelAddress(own.AbsX, own.AbsY);
    const int32_t colour = means->IndexOf(p[0], p[1], p[2]);
    if (colour >= 0 && means->Colours()[static_cast<size_t>(colour)].Cluster == minority)
      Ring.Info[i].Deleted = 1;
  }
  Ring.Compact();
}

void TAreaCorrelator::ComputeBlendWeights() {
  static constexpr int32_t steps[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0},
                                          {1, 0},   {-1, 1}, {0, 1},  {1, 1}};
  auto weight = [](const int32_t *step) { return 3 - (std::abs(step[0]) + std::abs(step[1])); };
  // Weights start from zero, so preparing twice never doubles them.
  for (TPlaceInfo &info : Interior.Info) info.RingWeight = info.InnerWeight = 0;
  for (size_t i = 0; i < Interior.Places.size(); ++i) {
    const TPlace4 &own = Interior.Places[i][0];
    for (const auto &step : steps)
      if (Ring.Contains(own.AbsX + step[0], own.AbsY + step[1]))
        Interior.Info[i].RingWeight += weight(step);
  }
  for (size_t i = 0; i < Interior.Places.size(); ++i) {
    if (Interior.Info[i].RingWeight <= 0) continue;
    const TPlace4 &own = Interior.Places[i][0];
    for (const auto &step : steps) {
      const int32_t other = Interior.IndexOf(own.AbsX + step[0], own.AbsY + step[1]);
      if (other >= 0 && Interior.Info[static_cast<size_t>(other)].RingWeight == 0)
        Interior.Info[i].InnerWeight += weight(step);
    }
  }
}

template <class TSample>
void TAreaCorrelator::ForEachRingPair(TVxPoint origin, size_t reflection, TSample sample) const {
  for (const TPlace8 &place : Ring.Places) {
    const TPlace4 &own = place[0];
    const int32_t sx = origin.X + place[reflection].X, sy = origin.Y + place[reflection].Y;
    if (ImageBounds.Contains(own.AbsX, own.AbsY) && ImageBounds.Contains(sx, sy))
      sample(own, Backup.PixelAddress(own.AbsX, own.AbsY), Backup.PixelAddress(sx, sy));
    else
      sample(own, nullptr, nullptr);
  }
}

template <class TWrite>
void TAreaCorrelator::ForEachInteriorPair(TVxPoint origin, size_t reflection, TWrite write) {
  for (size_t i = 0; i < Interior.Places.size(); ++i) {
    const TPlace4 &own = Interior.Places[i][0];
    const int32_t sx = origin.X + Interior.Places[i][reflection].X;
    const int32_t sy = origin.Y + Interior.Places[i][reflection].Y;
    if (!ImageBounds.Contains(own.AbsX, own.AbsY) || !ImageBounds.Contains(sx, sy)) continue;
    write(own, Interior.Info[i], Backup.PixelAddress(own.AbsX, own.AbsY),
          Backup.PixelAddress(sx, sy), Image.PixelAddress(own.AbsX, own.AbsY));
  }
}

int32_t TAreaCorrelator::BestReflection(const TVxRect &source) {
  int32_t best = 0;
  double bestValue = -1.0;
  for (size_t r = 0; r < 8; ++r) {
    Correlator.Reset();
    ForEachRingPair({source.Left, source.Top}, r,
                    [this](const TPlace4 &, const uint8_t *t, const uint8_t *s) {
                      if (!t) return;
                      for (int c = 0; c < 3; ++c) Correlator.AddPair(s[c], t[c]);
                    });
    const double value = Correlator.Correlation();
    if (value > bestValue) {
      bestValue = value;
      best = static_cast<int32_t>(r);
    }
  }
  return best;
}

void TAreaCorrelator::Patch(TVxPoint sourceOrigin, int32_t r, bool antiAlias, int32_t mode,
                            int32_t order) {
  if (r < 0 || r > 7) return;
  if (mode == 0) PatchPlain(sourceOrigin, r, antiAlias);
  if (mode == 1) PatchChannelSum(sourceOrigin, r, order);
  if (mode == 2) PatchPerChannel(sourceOrigin, r, antiAlias, order);
}

namespace {

// round((target × ringWeight + value × innerWeight) / (ringWeight + innerWeight))
uint8_t BlendEdge(uint8_t target, int32_t value, const TPlaceInfo &info) {
  const double sum = double(target) * info.RingWeight + double(value) * info.InnerWeight;
  return static_cast<uint8_t>(RoundHalfEven(sum / (info.RingWeight + info.InnerWeight)));
}

}  // namespace

void TAreaCorrelator::PatchPlain(TVxPoint origin, int32_t r, bool antiAlias) {
  ForEachInteriorPair(origin, static_cast<size_t>(r),
                      [antiAlias](const TPlace4 &, const TPlaceInfo &info, const uint8_t *t,
                                  const uint8_t *s, uint8_t *out) {
                        for (int c = 0; c < 3; ++c)
                          out[c] =
                              antiAlias && info.RingWeight > 0 ? BlendEdge(t[c], s[c], info) : s[c];
                      });
}

void TAreaCorrelator::PatchPerChannel(TVxPoint origin, int32_t r, bool antiAlias, int32_t order) {
  const size_t reflection = static_cast<size_t>(r);
  TApproximationBGR surfaces(order);
  ForEachRingPair(origin, reflection,
                  [&surfaces](const TPlace4 &own, const uint8_t *t, const uint8_t *s) {
                    double difference[3] = {0, 0, 0};
                    if (t)
                      for (int c = 0; c < 3; ++c) difference[c] = double(t[c]) - double(s[c]);
                    surfaces.AddSample(own.X, own.Y, difference[0], difference[1], difference[2]);
                  });
  surfaces.Solve();
  ForEachInteriorPair(origin, reflection,
                      [&](const TPlace4 &own, const TPlaceInfo &info, const uint8_t *t,
                          const uint8_t *s, uint8_t *out) {
                        const std::array<double, 3> correction = surfaces.Evaluate(own.X, own.Y);
                        for (size_t c = 0; c < 3; ++c) {
                          const uint8_t value = ClampToByte(double(s[c]) + correction[c]);
                          out[c] = antiAlias && info.RingWeight > 0 ? BlendEdge(t[c], value, info)
                                                                    : value;
                        }
                      });
}

void TAreaCorrelator::PatchChannelSum(TVxPoint origin, int32_t r, int32_t order) {
  const size_t reflection = static_cast<size_t>(r);
  TApproximation surface(order);
  ForEachRingPair(origin, reflection,
                  [&surface](const TPlace4 &own, const uint8_t *t, const uint8_t *s) {
                    const double difference =
                        t ? (double(t[0]) + t[1] + t[2]) - (double(s[0]) + s[1] + s[2]) : 0.0;
                    surface.AddSample(own.X, own.Y, difference);
                  });
  surface.Solve();
  ForEachInteriorPair(
      origin, reflection,
      [&surface](const TPlace4 &own, const TPlaceInfo &, const uint8_t *, const uint8_t *s,
                 uint8_t *out) {
        const double third = surface.Evaluate(own.X, own.Y) / 3.0;
        for (int c = 0; c < 3; ++c)
          out[c] = static_cast<uint8_t>(std::clamp<int64_t>(RoundHalfEven(s[c] + third), 0, 255));
      });
}
