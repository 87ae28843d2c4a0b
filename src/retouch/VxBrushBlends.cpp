#include "retouch/VxBrushBlends.h"

void BlendTowardsPixelsInRect(const TVxPixels &backup, const TVxPixels &target,
                              const TVxPixelMask &coverage, const TVxRect &rect,
                              const TVxPixels &image) {
  if (target.Bits == nullptr || target.BytesPerPixel < 3) return;
  BlendTowardsInRect(backup, coverage, IntersectRect(rect, target.GetBounds()), image,
                     [&](int32_t x, int32_t y) {
                       const uint8_t *p = target.PixelAddress(x, y);
                       return TVxBGR{p[0], p[1], p[2]};
                     });
}

void BlendTowardsBlurInRect(TVxBlurredColours &blur, const TVxPixels &backup,
                            const TVxPixelMask &coverage, const TVxRect &rect,
                            const TVxPixels &image) {
  blur.Prepare(backup, rect);
  BlendTowardsInRect(backup, coverage, rect, image,
                     [&](int32_t x, int32_t y) { return blur.ColourAt(backup, x, y); });
}
