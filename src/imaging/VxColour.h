#pragma once
// Small colour and geometry helpers that tools and documents share.

#include <cstdint>

#include "base/VxTypes.h"

// Blends a 24-bit pixel (blue, green, red) towards colour (0x00RRGGBB):
// alpha 0 leaves it, 255 replaces it, otherwise p + ((alpha * (c - p)) >> 8).
void BlendColour(uint8_t *pixel, int32_t alpha, uint32_t colour);

struct TVxBGR {
  uint8_t Blue = 0;
  uint8_t Green = 0;
  uint8_t Red = 0;
  friend bool operator==(const TVxBGR &, const TVxBGR &) = default;
};

// Each channel of colour scaled by numerator / denominator with MulDiv.
TVxBGR ScaleColour(int32_t numerator, int32_t denominator, uint32_t colour);

struct TVxFit {
  int32_t Width = 0;
  int32_t Height = 0;
  bool Ok = false;
};

// The largest size of the source's proportions that fits the box.
TVxFit FitProportional(int32_t srcW, int32_t srcH, int32_t boxW, int32_t boxH);

template <typename T>
constexpr T Clamp(T value, T low, T high) {
  return value < low ? low : (value > high ? high : value);
}
