#pragma once
// The fine detail of an image for make-up that keeps the skin's texture: each
// pixel minus the mean of the 19 x 19 box around it (the part of the box that
// lies inside the image), per channel, as 32-bit floats. A make-up stroke
// colours the smoothed image (pixel minus detail) and adds the detail back.
//
// The box mean is two moving-box passes of radius 9 with single-precision
// running sums: down each column, then along each row over the column means.
// For each line the window is seeded with its first 9 values in order; each
// step then subtracts the value leaving the window before it adds the one
// entering, and the mean is sum * (1 / count), both in single precision.
// Rows are independent, so large images are worked on by a second thread too.
//
// One layer serves every make-up tool of the program: the tools mark it stale
// when another tool changes the image (their own strokes do not, so the
// texture stays that of the image before make-up) and call PrepareFor before
// a stroke reads it, which also catches an image whose size has changed.
// Held per pixel: 12 bytes.

#include <cstdint>
#include <vector>

#include "base/VxTypes.h"
#include "imaging/VxPixels.h"
#include "retouch/VxFrequencyRange.h"

class TMakeUpDetailLayer {
 public:
  static constexpr int32_t Radius = 9;

  // True until computed and again after Invalidate.
  bool Stale = true;

  void Invalidate() { Stale = true; }

  // Computes the layer from the first three bytes (blue, green, red) of every
  // pixel of image. progress gets (rows done, rows), on the calling thread.
  // Throws std::invalid_argument for fewer than three bytes a pixel.
  void Compute(const TVxPixels &image, const TVxProgressFn &progress = {});

  // Computes when stale or when image's bounds are not the layer's; true when
  // it computed.
  bool PrepareFor(const TVxPixels &image, const TVxProgressFn &progress = {});

  TVxRect GetBounds() const { return Bounds; }

  // Blue, green and red detail at absolute (x, y); null outside the bounds.
  const float *At(int32_t x, int32_t y) const {
    if (!Bounds.Contains(x, y)) return nullptr;
    return Layer.data() +
           (static_cast<size_t>(y - Bounds.Top) * static_cast<size_t>(Bounds.Width()) +
            static_cast<size_t>(x - Bounds.Left)) *
               3;
  }

 private:
  TVxRect Bounds;
  // Row-major, three floats a pixel.
  std::vector<float> Layer;
};
