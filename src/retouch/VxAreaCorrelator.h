#pragma once
// The blemish engine: replaces the defect pixels of a small target area by
// the pixels of a source area of the same size, mirrored or rotated, and
// corrects them so that they fit their surroundings.
//
// The defect pixels split into the Ring, those touching a known pixel, and
// the Interior. Only the Interior is written; the Ring is the reference the
// source is compared with and the colour correction is fitted on. Every read
// comes from the backup, so patching from one source after another always
// starts from the same pixels.

#include <array>
#include <cstdint>
#include <vector>

#include "base/VxTypes.h"
#include "imaging/VxPixels.h"

// One of the eight reflections of an area: the source pixel (u, v) that
// replaces the local point (x, y) of a width x height area under r (0..7).
TVxPoint ReflectedPoint(int32_t r, int32_t x, int32_t y, int32_t width, int32_t height);

struct TPlace4 {
  int32_t X = 0, Y = 0;  // local
  int32_t AbsX = 0, AbsY = 0;
};
// An entry's position under each reflection; [0] is its own.
using TPlace8 = std::array<TPlace4, 8>;

struct TPlaceInfo {
  uint8_t Deleted = 0;
  int32_t InnerWeight = 0;
  int32_t RingWeight = 0;
};

// A list of pixels of one rectangle with their reflected positions.
class TBorderArea8 {
 public:
  static constexpr int32_t CapacityStep = 512;

  TBorderArea8(int32_t left, int32_t top, int32_t width, int32_t height);

  int32_t Left, Top, Width, Height;
  int32_t Count = 0;
  std::vector<TPlace8> Places;
  std::vector<TPlaceInfo> Info;

  // A local point; all eight reflected positions are filled in.
  void Add(int32_t x, int32_t y);
  void Clear();
  // The first entry at that absolute position, else -1. Looked up in a grid
  // over the rectangle, so that blend weights stay linear in the area.
  int32_t IndexOf(int32_t absX, int32_t absY) const;
  bool Contains(int32_t absX, int32_t absY) const { return IndexOf(absX, absY) >= 0; }
  // Drops the entries marked Deleted, keeping the order of the rest.
  void Compact();

 private:
  void Index(int32_t entry);
  std::vector<int32_t> Grid;  // Width x Height first entries, -1 for none
};

// Pearson correlation of sample pairs.
class TCorrelator {
 public:
  int32_t Count = 0;
  double SumY = 0, SumX = 0, SumXY = 0, SumY2 = 0, SumX2 = 0;

  void Reset() { *this = TCorrelator(); }
  void AddPair(double x, double y);
  // 0 when either side does not vary.
  double Correlation() const;
};

class TAreaCorrelator {
 public:
  // target in image coordinates; image is written, backup read; both must
  // be 24-bit surfaces over the whole image (their bounds are the image).
  TAreaCorrelator(const TVxRect &target, TVxPixels &image, const TVxPixels &backup,
                  int32_t neighbourhoodRadius2);

  int32_t W, H;
  int32_t NeighbourhoodRadius2;
  TVxRect ImageBounds;
  int32_t Left, Top;
  std::vector<uint8_t> DefectMask;  // [x * H + y]
  TVxPixels &Image;
  const TVxPixels &Backup;
  TBorderArea8 Ring;
  TBorderArea8 Interior;
  TVxRect Target;

  // Outside the target rectangle nothing is stored.
  void SetDefect(int32_t absX, int32_t absY, bool defect);
  bool IsDefect(int32_t x, int32_t y) const { return DefectMask[Cell(x, y)] != 0; }

  void BuildAreas();
  // Takes out of the Ring a small colour cluster of at most fraction of it:
  // the ends of a hair or scratch crossing the area's edge.
  void DropLongDefect(double fraction);
  void ComputeBlendWeights();

  // The reflection whose ring correlates best with the source rectangle's.
  int32_t BestReflection(const TVxRect &source);
  // mode 0 copies, 1 corrects the channel sum by one surface, 2 each channel
  // by its own; other modes change nothing.
  void Patch(TVxPoint sourceOrigin, int32_t r, bool antiAlias, int32_t mode, int32_t order);

 private:
  size_t Cell(int32_t x, int32_t y) const {
    return static_cast<size_t>(x) * static_cast<size_t>(H) + static_cast<size_t>(y);
  }
  bool IsKnown(int32_t x, int32_t y) const;
  void PatchPlain(TVxPoint origin, int32_t r, bool antiAlias);
  void PatchPerChannel(TVxPoint origin, int32_t r, bool antiAlias, int32_t order);
  void PatchChannelSum(TVxPoint origin, int32_t r, int32_t order);
  // sample(own, target, source) for every Ring place, the source reflected by
  // reflection around origin; target and source are null unless both lie in
  // the image.
  template <class TSample>
  void ForEachRingPair(TVxPoint origin, size_t reflection, TSample sample) const;
  // write(info, target, source, out) for every Interior place whose pixel and
  // reflected source both lie in the image.
  template <class TWrite>
  void ForEachInteriorPair(TVxPoint origin, size_t reflection, TWrite write);

  TCorrelator Correlator;
};
