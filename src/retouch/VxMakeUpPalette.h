#pragma once
// The make-up colour plane: a 256 x 256 square of colours in which one
// channel (the axis: 1 red, 2 green, 3 blue) is fixed at the brightness b and
// the other two run from 0 to b along the columns c and rows r:
//
//   axis 1: red b,       green c * e, blue r * e      (e = b / 255, each
//   axis 2: red r * e,   green b,     blue c * e       rounded with
//   axis 3: red c * e,   green r * e, blue b           ClampToByte)
//
// The chosen colour is the plane's pixel at PalettePoint; with Tint the plane
// is drawn at full brightness and the colour scaled by Brightness / 255 (a
// tint only sets the hue, the brightness comes from the photo).
//
// Qt-free: the options frame paints Bitmap, the inverting cross at
// PalettePoint and the swatch of Colour itself. Typical use by a tool:
//   palette.SetColour(r, g, b);            // eyedropper, settings
//   brightnessSlider = palette.Brightness; axisButton = palette.Axis;
//   palette.SetPoint({x, y});              // a click on the plane
//   paint.Colour = palette.Colour;         // what the brush lays on

#include <cstdint>

#include "base/VxTypes.h"
#include "imaging/VxColour.h"
#include "imaging/VxPixels.h"

class TMakeUpPalette {
 public:
  static constexpr int32_t Size = 256;

  int32_t Axis = 1;
  int32_t Brightness = 128;
  TVxBGR Colour;
  bool Tint = false;
  TVxPoint PalettePoint{128, 128};
  // Size x Size, 24 bits a pixel, rendered for CachedBrightness and CachedAxis.
  TVxPixelBuffer Bitmap;
  int32_t CachedBrightness = -1;
  int32_t CachedAxis = -1;

  // Point (128, 128), brightness 128, axis red, no tint, rendered.
  TMakeUpPalette();

  // 255 with Tint, else Brightness: the brightness the plane is drawn with.
  int32_t EffectiveBrightness() const { return Tint ? 255 : Brightness; }

  // Finds (red, green, blue) on the plane: Brightness becomes the largest
  // channel, the axis moves to the first channel holding it unless the
  // current one does, and PalettePoint to the other two channels scaled to
  // 0..255 (rounded, halves to even). Black has no position on a plane of
  // brightness 0 and takes the point (0, 0). Nothing when it is the current
  // Colour.
  void SetColour(uint8_t red, uint8_t green, uint8_t blue);
  // Colour becomes the plane's pixel there, unscaled even with Tint; the point
  // is clamped to the plane. Nothing when unchanged.
  void SetPoint(TVxPoint point);
  // Clamped to 0..255.
  void SetBrightness(int32_t brightness);
  // 1..3; other values are ignored.
  void SetAxis(int32_t axis);
  void SetTint(bool tint);

  // Renders when needed and takes Colour from the plane at PalettePoint.
  void Refresh();

  // The plane's pixel at p (inside 0..255).
  TVxBGR PixelAt(TVxPoint p) const;

 private:
  void Render();
};
