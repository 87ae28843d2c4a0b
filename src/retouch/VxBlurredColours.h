#pragma once
// Local average colours of a backup image for the blur brush: the mean of the
// pixels under a disc around each pixel, the pixel itself left out, computed
// at most once per pixel and stroke.

#include <cstdint>

#include "imaging/VxColour.h"
#include "imaging/VxPixelMask.h"
#include "imaging/VxPixels.h"

class TVxBlurredColours {
 public:
  // Computed averages; alpha 255 marks an entry as computed. Empty between strokes.
  TVxPixelBuffer BlurCache;
  // The averaging disc with its centre cleared.
  TVxPixelMask SmoothingMask;
  int32_t Smoothing = 0;

  TVxBlurredColours() { SetSmoothing(1); }

  // Rebuilds the disc for a new diameter.
  void SetSmoothing(int32_t diameter);
  // An empty cache over bounds (the backup's at the start of a stroke).
  void BeginStroke(const TVxRect &bounds);
  void EndStroke() { BlurCache.Clear(); }

  // The mean of the backup pixels under the disc centred on (x, y), rounded
  // per channel, halves to even; the backup pixel itself when nothing lies
  // under the disc. Cached when (x, y) lies inside the cache.
  TVxBGR ColourAt(const TVxPixels &backup, int32_t x, int32_t y);

  // Computes every missing cache entry of rect at once from running row sums,
  // with the same results as ColourAt; a dab then only reads the cache.
  void Prepare(const TVxPixels &backup, const TVxRect &rect);

 private:
  TVxBGR Average(const TVxPixels &backup, int32_t x, int32_t y, bool &found) const;
};
