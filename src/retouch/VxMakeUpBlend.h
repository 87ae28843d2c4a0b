#pragma once
// The make-up blend: every pixel under a stroke's coverage moves from the
// unchanged backup towards a target colour by the coverage, either the colour
// itself (paint) or the colour scaled to the pixel's brightness (tint). Paint
// can keep the skin's texture: it then colours the smoothed pixel (backup
// minus detail) and adds the detail back afterwards.
//
// Per channel, with S the backup pixel, D the detail (0 without texture),
// P the colour and w the coverage:
//   L = S - D                                     (single precision)
//   T = P, or in tint P * max(L) / max(1, max(P)) (rounded to single)
//   n = L + (w / 255) * (T - L) + D               (the product rounded to
//                                                  single, the sums in double)
//   pixel = ClampToByte(n)
// Reading from the backup means one stroke moves a pixel at most w / 255 of
// the way; strokes compound only through committed results.
//
// A make-up tool over this engine, per stroke:
//   begin:   if painting with texture, detail.PrepareFor(backup) first (the
//            layer may be stale or of another image size);
//   per dab: surface.MaxWith(brush at the dab); then
//            BlendMakeUpInRect({mode, palette.Colour, texture ? &detail :
//            nullptr}, backup, surface, dab rect clipped to the image, image);
//   end:     surface.Clear().
// The teeth whitening tool is the same with white, opacity 32, hardness 127
// and no texture.

#include <cstdint>

#include "base/VxTypes.h"
#include "imaging/VxColour.h"
#include "imaging/VxPixelMask.h"
#include "imaging/VxPixels.h"
#include "retouch/VxDetailLayer.h"

// The tool's Mode values.
enum class TMakeUpMode : int32_t { Normal = 0, Luminosity = 2 };

struct TMakeUpPaint {
  TMakeUpMode Mode = TMakeUpMode::Normal;
  TVxBGR Colour;
  // The texture to keep in Normal mode, or null. It must have been prepared
  // for the backup (TMakeUpDetailLayer::PrepareFor); where it does not reach,
  // the pixel is painted without texture. Ignored in Luminosity mode.
  const TMakeUpDetailLayer *Detail = nullptr;
};

// Blends every pixel of rect (clipped to the backup and the image) whose
// coverage is above 0 and writes it into image; pixels with coverage 0 (or
// outside the mask) are not written.
void BlendMakeUpInRect(const TMakeUpPaint &paint, const TVxPixels &backup,
                       const TVxPixelMask &coverage, const TVxRect &rect, const TVxPixels &image);
