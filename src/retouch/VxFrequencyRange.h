#pragma once
// Band decomposition for skin smoothing and emphasis: the image and two box
// blurs of it, a narrow one (radius A) and a wide one (radius B). The band
// between the two radii is taken out (smoothing) or added (emphasis) per pixel
// while painting, so strokes only blend precomputed values.
//
// Held per pixel: 9 bytes (source, narrow and wide blur, three bytes each).
// The first blur pass lives in one row of floats while the second runs, plus
// one running sum per column, so nothing else grows with the image.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "imaging/VxColour.h"
#include "imaging/VxPixelMask.h"
#include "imaging/VxPixels.h"

// Called with (done, total) while a decomposition runs.
using TVxProgressFn = std::function<void(int64_t, int64_t)>;

class TFrequencyRange {
 public:
  // 0: matches the image it was computed from; 2: the source must be copied again.
  uint8_t StaleLevel = 2;
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;

  void Invalidate(uint8_t level) { StaleLevel = std::max(StaleLevel, level); }

  // Brings the decomposition up to date from the first three bytes (blue,
  // green, red) of every pixel of buffer; both blurs are always recomputed.
  // Negative radii count as 0. Throws std::invalid_argument for a buffer with
  // fewer than three bytes a pixel. Large images are worked on by a second
  // thread as well; progress is only ever called on the calling thread.
  void Compute(const TVxPixels &buffer, int32_t radiusA, int32_t radiusB,
               const TVxProgressFn &progress = {});

  // Source - narrow + wide (removeBand) or source + narrow - wide, clamped per
  // channel, at absolute (x, y) inside the decomposed buffer's bounds.
  TVxBGR BandPixel(int32_t x, int32_t y, bool removeBand) const;

  TVxRect GetBounds() const { return {Left, Top, Left + Width, Top + Height}; }
  // Row-major, three bytes a pixel.
  const std::vector<uint8_t> &SourceBGR() const { return Source; }
  const std::vector<uint8_t> &BlurA() const { return NarrowBlur; }
  const std::vector<uint8_t> &BlurB() const { return WideBlur; }

 private:
  std::vector<uint8_t> Source;
  std::vector<uint8_t> NarrowBlur;
  std::vector<uint8_t> WideBlur;
};

// Box blur of a row-major three-bytes-a-pixel image with radius r (>= 0): the
// mean over the window of rows and then of columns that exist, the first pass
// kept as 32-bit floats, the second summed in 64-bit floating point. rowDone
// gets the rows finished so far, on the calling thread.
void BoxBlurBGR(const uint8_t *source, uint8_t *target, int32_t width, int32_t height, int32_t r,
                const std::function<void(int32_t)> &rowDone = {});

// Skin smoothing (removeBand) or emphasis over rect: each channel becomes
// ((255 - m) * S + m * F) / 255 rounded, halves to even, with S the backup,
// F the band pixel and m the coverage (0 where the mask does not reach). rect
// is clipped to the backup, the image and the decomposition.
void BlendBandsInRect(const TFrequencyRange &bands, bool removeBand, const TVxPixels &backup,
                      const TVxPixelMask &coverage, const TVxRect &rect, const TVxPixels &image);
