#pragma once
// The separable resampler behind every change of image size: a kernel object
// and a two-pass integer filter over 24-bit pixel buffers. Weights are 8-bit
// fixed point (each cluster sums to 256) so the result is the same on every
// machine and with every code path.

#include <cstdint>
#include <vector>

#include "base/VxTypes.h"
#include "imaging/VxPixels.h"

class TPixelResampler {
 public:
  virtual ~TPixelResampler() = default;
  // The results can leave 0..255 and must be clamped.
  virtual bool NeedsClamp() const { return false; }
  virtual double Filter(double x) const = 0;
  virtual double Radius() const = 0;
};

class TWindowedSincResampler : public TPixelResampler {
 public:
  bool NeedsClamp() const override { return true; }
  double Filter(double x) const override;
  double Radius() const override { return FRadius; }
  virtual double Window(double x) const = 0;

 protected:
  double FRadius = 3.0;
};

class TLanczosResampler : public TWindowedSincResampler {
 public:
  double Window(double x) const override;
};

// Picks single source pixels: a reduction takes the pixel under each
// destination centre, an enlargement the nearest one.
class TQuickDraftResampler : public TWindowedSincResampler {
 public:
  TQuickDraftResampler() { FRadius = 0.0; }
  double Window(double) const override { return 1.0; }
};

// sin(pi x) / (pi x), 1 at 0.
double Sinc(double x);

struct TResamplePair {
  int32_t Index = 0;   // source column or row
  int32_t Weight = 0;  // out of 256
  friend bool operator==(const TResamplePair &, const TResamplePair &) = default;
};

// The weighted source pixels of one destination column (or row), in
// ascending source order; the weights sum to 256.
using TResampleCluster = std::vector<TResamplePair>;
// One cluster per destination index of the clip.
using TResampleMapping = std::vector<TResampleCluster>;

// One axis: destination [dstStart, dstEnd), the clipped part [clipStart,
// clipEnd) of it, source [srcStart, srcEnd). Indices outside the source are
// folded onto its edge pixels.
TResampleMapping BuildMapping(int32_t dstStart, int32_t dstEnd, int32_t clipStart, int32_t clipEnd,
                              int32_t srcStart, int32_t srcEnd, const TPixelResampler &kernel);

// Fills the part of dstRect inside both dstClip and the destination's bounds
// with srcRect of the source scaled to dstRect. Both surfaces must be
// PixelFormat24, distinct, and srcRect must lie inside the source; otherwise
// nothing is written.
void Resample(TVxPixels &dst, const TVxRect &dstRect, const TVxRect &dstClip,
              const TPixelResampler &kernel, const TVxRect &srcRect, const TVxPixels &src);
