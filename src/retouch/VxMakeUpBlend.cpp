#include "retouch/VxMakeUpBlend.h"

#include <algorithm>

namespace {

struct TPaintColour {
  float Channel[3];   // blue, green, red
  double Brightness;  // max(1, max(P))
};

TPaintColour PaintColour(TVxBGR colour) {
  TPaintColour p{{float(colour.Blue), float(colour.Green), float(colour.Red)}, 1.0};
  p.Brightness = std::max({1.0, double(colour.Blue), double(colour.Green), double(colour.Red)});
  return p;
}

void BlendPixel(const TMakeUpPaint &paint, const TPaintColour &colour, const uint8_t *s,
                const float *detail, double weight, uint8_t *out) {
  float d[3] = {0.0f, 0.0f, 0.0f};
  if (detail != nullptr) std::copy(detail, detail + 3, d);
  float light[3];
  for (int ch = 0; ch < 3; ++ch) light[ch] = static_cast<float>(s[ch]) - d[ch];
  float target[3] = {colour.Channel[0], colour.Channel[1], colour.Channel[2]};
  if (paint.Mode == TMakeUpMode::Luminosity) {
    double brightest = std::max({light[0], light[1], light[2]});
    for (float &t : target) t = static_cast<float>(double(t) * brightest / colour.Brightness);
  }
  for (int ch = 0; ch < 3; ++ch) {
    float step = static_cast<float>(weight * (double(target[ch]) - double(light[ch])));
    out[ch] = ClampToByte(double(light[ch]) + double(step) + double(d[ch]));
  }
}

}  // namespace

void BlendMakeUpInRect(const TMakeUpPaint &paint, const TVxPixels &backup,
                       const TVxPixelMask &coverage, const TVxRect &rect, const TVxPixels &image) {
  if (backup.Bits == nullptr || image.Bits == nullptr) return;
  if (backup.BytesPerPixel < 3 || image.BytesPerPixel < 3) return;
  TVxRect area = IntersectRect(rect, IntersectRect(backup.GetBounds(), image.GetBounds()));
  area = IntersectRect(area, coverage.GetBounds());
  const TMakeUpDetailLayer *detail = paint.Mode == TMakeUpMode::Normal ? paint.Detail : nullptr;
  TPaintColour colour = PaintColour(paint.Colour);
  for (int32_t y = area.Top; y < area.Bottom; ++y) {
    const uint8_t *s = backup.PixelAddress(area.Left, y);
    uint8_t *d = image.PixelAddress(area.Left, y);
    const uint8_t *w = coverage.ByteAt(area.Left, y);
    for (int32_t x = area.Left; x < area.Right;
         ++x, ++w, s += backup.BytesPerPixel, d += image.BytesPerPixel) {
      if (*w == 0) continue;
      const float *texture = detail != nullptr ? detail->At(x, y) : nullptr;
      BlendPixel(paint, colour, s, texture, *w / 255.0, d);
    }
  }
}
