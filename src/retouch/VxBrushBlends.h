#pragma once
// The blend of the painted retouching tools: every pixel under the stroke's
// coverage moves from the unchanged backup towards the tool's target colour by
// the coverage. Reading from the backup means a stroke never compounds.

#include <cstdint>

#include "base/VxTypes.h"
#include "imaging/VxColour.h"
#include "imaging/VxPixelMask.h"
#include "imaging/VxPixels.h"
#include "retouch/VxBlurredColours.h"

// ((255 - m) * s + m * x) / 255, rounded to nearest. The numerator is an
// integer and 255 is odd, so the quotient never ends in exactly one half and
// integer rounding gives what the floating-point blend rounded halves to even gives.
inline uint8_t BlendTowards(uint8_t s, uint8_t x, uint8_t m) {
  int32_t numerator = (255 - m) * s + m * x;
  return static_cast<uint8_t>((2 * numerator + 255) / 510);
}

// Blends every pixel of rect (clipped to the backup and the image) from the
// backup towards target(x, y) by the coverage (0 outside the mask) and writes
// the result into image.
template <typename TTarget>
void BlendTowardsInRect(const TVxPixels &backup, const TVxPixelMask &coverage, const TVxRect &rect,
                        const TVxPixels &image, TTarget &&target) {
  if (backup.Bits == nullptr || image.Bits == nullptr) return;
  if (backup.BytesPerPixel < 3 || image.BytesPerPixel < 3) return;
  TVxRect area = IntersectRect(rect, IntersectRect(backup.GetBounds(), image.GetBounds()));
  for (int32_t y = area.Top; y < area.Bottom; ++y) {
    const uint8_t *s = backup.PixelAddress(area.Left, y);
    uint8_t *d = image.PixelAddress(area.Left, y);
    for (int32_t x = area.Left; x < area.Right;
         ++x, s += backup.BytesPerPixel, d += image.BytesPerPixel) {
      const uint8_t *mp = coverage.ByteAt(x, y);
      uint8_t m = mp != nullptr ? *mp : 0;
      if (m == 0) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
        continue;
      }
      TVxBGR t = target(x, y);
      d[0] = BlendTowards(s[0], t.Blue, m);
      d[1] = BlendTowards(s[1], t.Green, m);
      d[2] = BlendTowards(s[2], t.Red, m);
    }
  }
}

// The history brush: towards the pixels of target (the image as opened);
// rect is also clipped to target.
void BlendTowardsPixelsInRect(const TVxPixels &backup, const TVxPixels &target,
                              const TVxPixelMask &coverage, const TVxRect &rect,
                              const TVxPixels &image);

// Smudge: towards the local average colour of the backup.
void BlendTowardsBlurInRect(TVxBlurredColours &blur, const TVxPixels &backup,
                            const TVxPixelMask &coverage, const TVxRect &rect,
                            const TVxPixels &image);
