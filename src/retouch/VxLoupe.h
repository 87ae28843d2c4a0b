#pragma once
// The magnified preview of the blemish tool: a small square of the image,
// shown stretched in the options frame. Only the picture is made here.

#include <cstdint>

#include "base/VxTypes.h"
#include "imaging/VxPixels.h"

// Grey where the preview looks past the image.
constexpr uint8_t LoupeOutsideGrey = 64;

// Preview pixel (i, j) of part (preview coordinates, clipped to the preview)
// shows image pixel origin + (i, j), or grey outside image. Both surfaces
// are 24-bit; the preview's own Left and Top are ignored.
void PaintLoupe(const TVxPixels &image, TVxPoint origin, const TVxPixels &preview,
                const TVxRect &part);
