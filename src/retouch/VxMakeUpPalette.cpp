#include "retouch/VxMakeUpPalette.h"

#include <algorithm>

TMakeUpPalette::TMakeUpPalette() {
  Bitmap.SetFormatAndBounds(PixelFormat24, {0, 0, Size, Size});
  Refresh();
}

void TMakeUpPalette::Render() {
  int32_t b = EffectiveBrightness();
  if (b == CachedBrightness && Axis == CachedAxis) return;
  if (Bitmap.Bits == nullptr) Bitmap.SetFormatAndBounds(PixelFormat24, {0, 0, Size, Size});
  double e = b / 255.0;
  uint8_t fixed = static_cast<uint8_t>(b);
  for (int32_t r = 0; r < Size; ++r) {
    uint8_t *p = Bitmap.PixelAddress(0, r);
    uint8_t row = ClampToByte(r * e);
    for (int32_t c = 0; c < Size; ++c, p += 3) {
      uint8_t column = ClampToByte(c * e);
      uint8_t red = Axis == 1 ? fixed : (Axis == 2 ? row : column);
      uint8_t green = Axis == 1 ? column : (Axis == 2 ? fixed : row);
      uint8_t blue = Axis == 1 ? row : (Axis == 2 ? column : fixed);
      p[0] = blue;
      p[1] = green;
      p[2] = red;
    }
  }
  CachedBrightness = b;
  CachedAxis = Axis;
}

TVxBGR TMakeUpPalette::PixelAt(TVxPoint p) const {
  const uint8_t *q = Bitmap.PixelAddress(p.X, p.Y);
  return {q[0], q[1], q[2]};
}

void TMakeUpPalette::Refresh() {
  Render();
  Colour = PixelAt(PalettePoint);
  if (Tint) {
    double scale = Brightness / 255.0;
    Colour = {ClampToByte(scale * Colour.Blue), ClampToByte(scale * Colour.Green),
              ClampToByte(scale * Colour.Red)};
  }
}

void TMakeUpPalette::SetColour(uint8_t red, uint8_t green, uint8_t blue) {
  if (Colour == TVxBGR{blue, green, red}) return;
  const uint8_t channels[3] = {red, green, blue};
  int32_t brightest = std::max({red, green, blue});
  Axis = std::clamp(Axis, 1, 3);
  if (channels[Axis - 1] < brightest) {
    Axis = static_cast<int32_t>(std::find(channels, channels + 3, brightest) - channels) + 1;
  }
  Brightness = brightest;
  uint8_t p = Axis == 1 ? green : (Axis == 2 ? blue : red);
  uint8_t q = Axis == 1 ? blue : (Axis == 2 ? red : green);
  if (brightest == 0) {
    PalettePoint = {0, 0};
  } else {
    PalettePoint = {Round(p / double(brightest) * 255.0), Round(q / double(brightest) * 255.0)};
  }
  Refresh();
}

void TMakeUpPalette::SetPoint(TVxPoint point) {
  point = {std::clamp(point.X, 0, Size - 1), std::clamp(point.Y, 0, Size - 1)};
  if (point == PalettePoint) return;
  PalettePoint = point;
  Render();
  Colour = PixelAt(PalettePoint);
}

void TMakeUpPalette::SetBrightness(int32_t brightness) {
  brightness = std::clamp(brightness, 0, 255);
  if (brightness == Brightness) return;
  Brightness = brightness;
  Refresh();
}

void TMakeUpPalette::SetAxis(int32_t axis) {
  if (axis < 1 || axis > 3 || axis == Axis) return;
  Axis = axis;
  Refresh();
}

void TMakeUpPalette::SetTint(bool tint) {
  if (tint == Tint) return;
  Tint = tint;
  Refresh();
}
