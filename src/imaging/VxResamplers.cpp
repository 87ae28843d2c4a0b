#include "imaging/VxResamplers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>

#include "imaging/VxResampleRows.h"

double Sinc(double x) {
  if (x == 0.0) return 1.0;
  const double px = std::numbers::pi * x;
  return std::sin(px) / px;
}

double TWindowedSincResampler::Filter(double x) const {
  const double a = std::fabs(x);
  if (a >= FRadius) return 0.0;
  return Sinc(a) * Window(a);
}

double TLanczosResampler::Window(double x) const { return Sinc(x / FRadius); }

namespace {

int32_t ClampIndex(int64_t j, int32_t first, int32_t last) {
  return static_cast<int32_t>(std::clamp<int64_t>(j, first, last));
}

// Index of a real position as an integer, kept inside the 64-bit range.
int64_t FloorIndex(double v) {
  constexpr double limit = 4.0e18;
  return static_cast<int64_t>(std::floor(std::clamp(v, -limit, limit)));
}

int64_t CeilIndex(double v) { return -FloorIndex(-v); }

void Normalise(TResampleCluster &cluster) {
  int32_t sum = 0;
  for (const TResamplePair &p : cluster) sum += p.Weight;
  if (sum != 256) cluster[(cluster.size() - 1) / 2].Weight += 256 - sum;
}

}  // namespace

TResampleMapping BuildMapping(int32_t dstStart, int32_t dstEnd, int32_t clipStart, int32_t clipEnd,
                              int32_t srcStart, int32_t srcEnd, const TPixelResampler &kernel) {
  TResampleMapping table;
  const int64_t srcSize = static_cast<int64_t>(srcEnd) - srcStart;
  const int64_t dstSize = static_cast<int64_t>(dstEnd) - dstStart;
  if (srcSize <= 0 || dstSize <= 0 || clipEnd <= clipStart) return table;
  table.resize(static_cast<size_t>(static_cast<int64_t>(clipEnd) - clipStart));
  const int32_t last = srcEnd - 1;
  if (srcSize == 1) {
    for (TResampleCluster &cluster : table) cluster.push_back({srcStart, 256});
    return table;
  }
  const double h = static_cast<double>(dstSize) / static_cast<double>(srcSize);
  const double l = 1.0 / h;
  const double radius = kernel.Radius();
  const bool enlarging = h >= 1.0;
  const double support = enlarging ? radius : radius * l;

  for (size_t i = 0; i < table.size(); ++i) {
    TResampleCluster &cluster = table[i];
    const double m =
        srcStart - 0.5 +
        l * (static_cast<double>(i) + (static_cast<double>(clipStart) - dstStart) + 0.5);
    const int64_t to = CeilIndex(m + support);
    for (int64_t j = FloorIndex(m - support); j <= to; ++j) {
      const double d = m - static_cast<double>(j);
      const double w = enlarging ? kernel.Filter(d) * 256.0 : h * kernel.Filter(h * d) * 256.0;
      const int32_t weight = static_cast<int32_t>(RoundHalfEven(w));
      if (weight != 0) cluster.push_back({ClampIndex(j, srcStart, last), weight});
    }
    if (cluster.empty()) {
      // A kernel with no weight here (the quick draft one): a reduction takes
      // the pixel under the centre, an enlargement the nearest pixel.
      const int64_t j = enlarging ? RoundHalfEven(m) : FloorIndex(m);
      cluster.push_back({ClampIndex(j, srcStart, last), 256});
    }
    Normalise(cluster);
  }
  return table;
}

namespace {

// The column table flattened for the row passes: every destination pixel gets
// `Taps` entries (short clusters padded with zero weights), offsets point
// into the row of vertical sums (3 per needed source column).
struct TColumnPlan {
  int32_t FirstColumn = 0;
  int32_t Columns = 0;
  int32_t Taps = 0;
  std::vector<int32_t> Offsets;
  std::vector<int32_t> Weights;
};

TColumnPlan PlanColumns(const TResampleMapping &columns) {
  TColumnPlan plan;
  int32_t first = std::numeric_limits<int32_t>::max(),
          lastIndex = std::numeric_limits<int32_t>::min();
  size_t taps = 0;
  for (const TResampleCluster &cluster : columns) {
    taps = std::max(taps, cluster.size());
    for (const TResamplePair &p : cluster) {
      first = std::min(first, p.Index);
      lastIndex = std::max(lastIndex, p.Index);
    }
  }
  plan.FirstColumn = first;
  plan.Columns = lastIndex - first + 1;
  plan.Taps = static_cast<int32_t>(taps);
  plan.Offsets.resize(columns.size() * taps);
  plan.Weights.resize(columns.size() * taps, 0);
  for (size_t i = 0; i < columns.size(); ++i) {
    const TResampleCluster &cluster = columns[i];
    for (size_t k = 0; k < taps; ++k) {
      const TResamplePair &p = cluster[std::min(k, cluster.size() - 1)];
      plan.Offsets[i * taps + k] = (p.Index - first) * 3;
      if (k < cluster.size()) plan.Weights[i * taps + k] = p.Weight;
    }
  }
  return plan;
}

int64_t LargestAbsoluteSum(const TResampleMapping &table, bool &fits16) {
  int64_t largest = 0;
  for (const TResampleCluster &cluster : table) {
    int64_t sum = 0;
    for (const TResamplePair &p : cluster) {
      sum += std::abs(p.Weight);
      if (p.Weight < -32768 || p.Weight > 32767) fits16 = false;
    }
    largest = std::max(largest, sum);
  }
  return largest;
}

// The vector passes work in 16-bit weights and 32-bit sums; a table whose
// bound could exceed either takes the portable passes.
bool FitsVectorPasses(const TResampleMapping &columns, const TResampleMapping &rows) {
  bool fits16 = true;
  const int64_t columnSum = LargestAbsoluteSum(columns, fits16);
  const int64_t rowSum = LargestAbsoluteSum(rows, fits16);
  return fits16 && 255 * rowSum * columnSum <= std::numeric_limits<int32_t>::max();
}

bool IsInside(const TVxRect &inner, const TVxRect &outer) {
  return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
         inner.Bottom <= outer.Bottom;
}

TResampleCode BestCode() {
  static const TResampleCode best =
      ResampleCodeAvailable(TResampleCode::Avx2) ? TResampleCode::Avx2 : TResampleCode::Portable;
  return best;
}

}  // namespace

bool ResampleCodeAvailable(TResampleCode code) {
  switch (code) {
    case TResampleCode::Portable:
      return true;
    case TResampleCode::Avx2:
#if defined(__x86_64__)
      return __builtin_cpu_supports("avx2");
#else
      return false;
#endif
  }
  return false;
}

void ResampleWith(TResampleCode code, TVxPixels &dst, const TVxRect &dstRect,
                  const TVxRect &dstClip, const TPixelResampler &kernel, const TVxRect &srcRect,
                  const TVxPixels &src) {
  if (dst.Format != PixelFormat24 || src.Format != PixelFormat24 || dst.Bits == nullptr ||
      src.Bits == nullptr || srcRect.IsEmpty() || !IsInside(srcRect, src.GetBounds()))
    return;
  const TVxRect clipped = IntersectRect(IntersectRect(dstClip, dst.GetBounds()), dstRect);
  if (clipped.IsEmpty()) return;

  const TResampleMapping columns = BuildMapping(dstRect.Left, dstRect.Right, clipped.Left,
                                                clipped.Right, srcRect.Left, srcRect.Right, kernel);
  const TResampleMapping rows = BuildMapping(dstRect.Top, dstRect.Bottom, clipped.Top,
                                             clipped.Bottom, srcRect.Top, srcRect.Bottom, kernel);
  const TColumnPlan plan = PlanColumns(columns);
  const bool clamp = kernel.NeedsClamp();
  bool vector = false;
#if defined(__x86_64__)
  vector = code == TResampleCode::Avx2 && ResampleCodeAvailable(code) && clamp &&
           FitsVectorPasses(columns, rows);
#endif

  const int32_t count = plan.Columns * 3;
  // Room for the vector passes to read a few sums past the last one.
  std::vector<int32_t> sums(static_cast<size_t>(count) + 8, 0);
  std::vector<const uint8_t *> sourceRows;
  std::vector<int32_t> rowWeights;
  const TResampleCluster *previous = nullptr;
  for (int32_t y = clipped.Top; y < clipped.Bottom; ++y) {
    const TResampleCluster &cluster = rows[static_cast<size_t>(y - clipped.Top)];
    if (previous == nullptr || cluster != *previous) {
      sourceRows.clear();
      rowWeights.clear();
      for (const TResamplePair &p : cluster) {
        sourceRows.push_back(src.PixelAddress(plan.FirstColumn, p.Index));
        rowWeights.push_back(p.Weight);
      }
      const auto taps = static_cast<int32_t>(cluster.size());
#if defined(__x86_64__)
      if (vector)
        resample_rows::VerticalAvx2(sourceRows.data(), rowWeights.data(), taps, count, sums.data());
      else
#endif
        resample_rows::VerticalPortable(sourceRows.data(), rowWeights.data(), taps, count,
                                        sums.data());
      previous = &cluster;
    }
    uint8_t *out = dst.PixelAddress(clipped.Left, y);
#if defined(__x86_64__)
    if (vector)
      resample_rows::HorizontalAvx2(sums.data(), plan.Offsets.data(), plan.Weights.data(),
                                    plan.Taps, clipped.Width(), out);
    else
#endif
      resample_rows::HorizontalPortable(sums.data(), plan.Offsets.data(), plan.Weights.data(),
                                        plan.Taps, clipped.Width(), clamp, out);
  }
}

void Resample(TVxPixels &dst, const TVxRect &dstRect, const TVxRect &dstClip,
              const TPixelResampler &kernel, const TVxRect &srcRect, const TVxPixels &src) {
  ResampleWith(BestCode(), dst, dstRect, dstClip, kernel, srcRect, src);
}

namespace resample_rows {

void VerticalPortable(const uint8_t *const *rows, const int32_t *weights, int32_t taps,
                      int32_t count, int32_t *sums) {
  const uint8_t *first = rows[0];
  const int32_t w0 = weights[0];
  for (int32_t i = 0; i < count; ++i) sums[i] = w0 * first[i];
  for (int32_t k = 1; k < taps; ++k) {
    const uint8_t *row = rows[k];
    const int32_t w = weights[k];
    for (int32_t i = 0; i < count; ++i) sums[i] += w * row[i];
  }
}

void HorizontalPortable(const int32_t *sums, const int32_t *offsets, const int32_t *weights,
                        int32_t taps, int32_t pixels, bool clamp, uint8_t *out) {
  for (int32_t p = 0; p < pixels; ++p, offsets += taps, weights += taps, out += 3) {
    for (int32_t c = 0; c < 3; ++c) {
      int64_t v = 0;
      for (int32_t k = 0; k < taps; ++k) v += int64_t{weights[k]} * sums[offsets[k] + c];
      if (clamp) v = std::clamp<int64_t>(v, 0, 0xFF0000);
      out[c] = static_cast<uint8_t>(v >> 16);
    }
  }
}

}  // namespace resample_rows
