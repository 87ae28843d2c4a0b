#pragma once
// Pixel surfaces with their own absolute origin. Every copy between surfaces
// happens between absolute image coordinates, so a surface can hold any
// sub-rectangle of an image.

#include <cstddef>
#include <cstdint>

#include "base/VxTypes.h"

// Pixel format codes. Bits 0-3 give the kind, bits 4-7 a multiplier, bits 8-11 an alpha byte.
constexpr int32_t PixelFormat24 = 0x1012;       // blue, green, red
constexpr int32_t PixelFormat32Alpha = 0x1112;  // blue, green, red, alpha

int32_t BitsPerPixel(int32_t format);
int32_t BytesPerPixelOf(int32_t format);
// Rows padded to a multiple of four bytes, as in a device-independent bitmap.
int32_t StrideFor(int32_t format, int32_t width);

class TVxPixels {
 public:
  uint8_t *Bits = nullptr;  // the byte of (Left, Top); null when empty
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Stride = 0;
  int32_t Format = 0;
  int32_t BytesPerPixel = 0;

  TVxPixels() = default;
  TVxPixels(const TVxPixels &) = delete;
  TVxPixels &operator=(const TVxPixels &) = delete;
  virtual ~TVxPixels() = default;

  TVxRect GetBounds() const { return {Left, Top, Left + Width, Top + Height}; }

  // Unchecked: callers clip first.
  uint8_t *PixelAddress(int32_t x, int32_t y) const {
    return Bits + static_cast<ptrdiff_t>(x - Left) * BytesPerPixel +
           static_cast<ptrdiff_t>(y - Top) * Stride;
  }

 protected:
  // For surfaces over memory another object owns.
  void Init(const TVxRect &bounds, uint8_t *memory, int32_t format, int32_t stride);
};

// A surface over memory that someone else owns and frees (a display bitmap's
// block, a canvas during one paint, a caller's buffer).
class TVxForeignPixels : public TVxPixels {
 public:
  TVxForeignPixels() = default;
  TVxForeignPixels(const TVxRect &bounds, uint8_t *memory, int32_t format, int32_t stride) {
    Init(bounds, memory, format, stride);
  }
};

// A surface that owns its block, taken from the page allocator.
class TVxPixelBuffer : public TVxPixels {
 public:
  TVxPixelBuffer() = default;
  TVxPixelBuffer(int32_t format, const TVxRect &bounds) { SetFormatAndBounds(format, bounds); }
  ~TVxPixelBuffer() override;

  void SetFormat(int32_t format);
  // Rebuilds the block when rect or the bytes per pixel differ; with keep, the
  // overlap of the old and new bounds survives at its absolute position. A
  // failed allocation leaves Bits null with the new bounds.
  void SetBounds(const TVxRect &rect, bool keep);
  void SetFormatAndBounds(int32_t format, const TVxRect &rect);
  // Copies srcRect of src so that its top-left lands at (dstX, dstY); clipped on
  // both sides; nothing when the formats differ.
  void CopyRect(int32_t dstX, int32_t dstY, const TVxPixels &src, const TVxRect &srcRect);
  // The part of src that overlaps this buffer, at the same absolute coordinates.
  void Assign(const TVxPixels &src);
  void Clear();
  // Exchanges blocks and geometry; lets a copy be built completely before it
  // replaces the one in use.
  void Swap(TVxPixelBuffer &other) noexcept;

 private:
  size_t BlockSize() const;
  int32_t AllocatedBytesPerPixel = 0;
};

// Copies rect (absolute, already clipped to both surfaces) from src to dst,
// one block move per row. Both surfaces must share a format.
void CopyPixelRows(const TVxPixels &dst, const TVxPixels &src, const TVxRect &rect);
