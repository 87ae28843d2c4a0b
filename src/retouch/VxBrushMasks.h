#pragma once
// Brush masks and the blend that paints a colour through them. Every mask is
// square, 2 * (diameter div 2) + 1 pixels wide, symmetric about its centre
// pixel, and starts at (0, 0); a dab moves it by assigning Left and Top.

#include <cstdint>

#include "base/VxTypes.h"
#include "imaging/VxPixelMask.h"
#include "imaging/VxPixels.h"

// Width of the brush mask and rectangle of a diameter: sizes 10 and 11 share 11.
// Diameters below 1 give the single pixel.
int32_t BrushMaskWidth(int32_t diameter);

// The rectangle a brush of the diameter covers around p (right and bottom exclusive).
TVxRect BrushRect(TVxPoint p, int32_t diameter);

// value inside dx² + dy² <= round((diameter / 2 + 0.1)²), 0 outside; the centre
// row is always full.
void HardDisc(TVxPixelMask &mask, int32_t diameter, uint8_t value);

// amplitude out to the hard core, then a linear fall-off over a rim that
// hardness 255 makes one pixel wide and hardness 0 makes the whole radius.
void BrushProfile(TVxPixelMask &mask, int32_t diameter, uint8_t amplitude, int32_t hardness);

// (1 - q^(exponent16 / 16)) * amplitude with q = 2r / diameter, 0 from q = 1 on.
void PowerProfile(TVxPixelMask &mask, int32_t diameter, uint8_t amplitude, int32_t exponent16);

// Every pixel of rect with coverage m > 0 moves from the source pixel towards
// colour (0x00RRGGBB) by m / 256, or takes it when m is 255; pixels with m = 0 are
// not written. rect is clipped to the mask, the source and the destination, so a
// mask that does not cover it paints only where it does.
void BlendColourThroughMask(const TVxPixelMask &mask, const TVxPixels &source, uint32_t colour,
                            const TVxRect &rect, const TVxPixels &destination);

// Stamps brush (at (0, 0)) with its top-left at topLeft into the stroke's
// coverage, keeping the larger value per pixel, and returns brush to (0, 0).
// Painting the same place twice within a stroke therefore never strengthens it.
void AccumulateDab(TVxPixelMask &stroke, TVxPixelMask &brush, TVxPoint topLeft);
