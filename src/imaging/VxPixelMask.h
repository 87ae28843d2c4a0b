#pragma once
// An 8-bit coverage mask with its own absolute origin: 0 not covered, 255 full.
// Rows are exactly Width bytes. Tools move a brush mask by assigning Left and
// Top directly, so one mask can be stamped at successive positions.

#include <cstdint>
#include <memory>

#include "base/VxTypes.h"

class TVxPixelMask {
 public:
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  uint8_t *Data = nullptr;

  TVxPixelMask() = default;
  TVxPixelMask(const TVxPixelMask &) = delete;
  TVxPixelMask &operator=(const TVxPixelMask &) = delete;
  ~TVxPixelMask() { Clear(); }

  // Re-allocates to width x height zero bytes; negative sizes become 0.
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  TVxRect GetBounds() const { return {Left, Top, Left + Width, Top + Height}; }
  // The only bounds-checked access: null outside the mask or when it is empty.
  uint8_t *ByteAt(int32_t x, int32_t y) const;
  // Grows to cover rect, keeping the content at its absolute position.
  void Include(const TVxRect &rect);
  // Grows to cover other, then takes the larger coverage at every pixel.
  void MaxWith(const TVxPixelMask &other);
  void Clear();
};
