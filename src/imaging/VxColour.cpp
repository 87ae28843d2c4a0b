#include "imaging/VxColour.h"

namespace {
uint8_t Channel(uint32_t colour, int shift) {
  return static_cast<uint8_t>((colour >> shift) & 0xFF);
}
}  // namespace

void BlendColour(uint8_t *pixel, int32_t alpha, uint32_t colour) {
  if (alpha == 0) return;
  const uint8_t target[3] = {Channel(colour, 0), Channel(colour, 8), Channel(colour, 16)};
  if (alpha == 255) {
    pixel[0] = target[0];
    pixel[1] = target[1];
    pixel[2] = target[2];
    return;
  }
  for (int i = 0; i < 3; ++i) {
    const int32_t p = pixel[i];
    // The shift is arithmetic: a negative difference rounds towards minus infinity.
    pixel[i] = static_cast<uint8_t>(p + ((alpha * (target[i] - p)) >> 8));
  }
}

TVxBGR ScaleColour(int32_t numerator, int32_t denominator, uint32_t colour) {
  auto scale = [&](int shift) {
    // Clamped rather than wrapped: a factor above 1 saturates at white.
    return static_cast<uint8_t>(
        Clamp(MulDiv(Channel(colour, shift), numerator, denominator), 0, 255));
  };
  return {scale(0), scale(8), scale(16)};
}

TVxFit FitProportional(int32_t srcW, int32_t srcH, int32_t boxW, int32_t boxH) {
  if (boxW == 0 || boxH == 0) return {};
  const double byHeight = static_cast<double>(srcH) / boxH;
  const double byWidth = static_cast<double>(srcW) / boxW;
  if (byHeight >= byWidth) return {MulDiv(srcW, boxH, srcH), boxH, true};
  return {boxW, MulDiv(srcH, boxW, srcW), true};
}
