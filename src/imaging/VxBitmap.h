#pragma once
// The display bitmap: a 24-bit block of our own that views paint stretched
// and the printer prints, plus the whole-image geometry operations. Each
// operation that needs a new block builds it completely before it lets the
// old one go, so a refused allocation leaves the old image in place.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/VxTypes.h"
#include "imaging/VxPixels.h"

// The surface over a display bitmap's block; the bitmap frees the block.
class TVxLTPixels : public TVxForeignPixels {
 public:
  using TVxForeignPixels::TVxForeignPixels;
};

// Where Print sends an image: a printer page, or anything that can place
// 24-bit top-down rows stretched into a rectangle of its own.
class IVxPrintTarget {
 public:
  virtual ~IVxPrintTarget() = default;
  virtual bool PrintImage(const TVxPixels &image, const TVxRect &dest) = 0;
};

// Process-wide switch: while on, TVxLTBitmap::Resample picks single pixels
// instead of filtering. Off by default.
void SetDraftResampling(bool on);
bool DraftResampling();

// Paints srcRect of a 24-bit image stretched onto dstRect of a 24- or 32-bit
// target (nearest pixel, as a plain stretch blit), only inside clip (none: no
// clip) and the target's bounds. A 32-bit target gets an alpha byte of 0xFF.
// Destination pixels whose source lies outside the image are left alone.
// False when the formats are not supported.
bool StretchDraw(TVxPixels &target, const TVxRect &dstRect, const TVxPixels &image,
                 const TVxRect &srcRect, const TVxRect *clip);

class TVxBitmap {
 public:
  TVxBitmap() = default;
  TVxBitmap(const TVxBitmap &) = delete;
  TVxBitmap &operator=(const TVxBitmap &) = delete;
  virtual ~TVxBitmap() = default;

  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;
  // Null when there is no image.
  virtual TVxPixels *Pixels() const = 0;
  // source and clip: none means the whole image and no clip.
  virtual bool Draw(TVxPixels &target, const TVxRect &dest, const TVxRect *source = nullptr,
                    const TVxRect *clip = nullptr) const = 0;
  virtual bool Print(IVxPrintTarget &target, const TVxRect &dest) const = 0;
};

// What describes one allocated image: the block and its geometry.
struct TVxBitmapHandle {
  uint8_t *Block = nullptr;
  size_t Size = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Format = 0;
  int32_t Stride = 0;
};

class TVxLTBitmap : public TVxBitmap {
 public:
  TVxLTBitmap() = default;
  ~TVxLTBitmap() override;

  int32_t Width() const override { return Handle.Width; }
  int32_t Height() const override { return Handle.Height; }
  int32_t Format() const { return Handle.Format; }
  TVxLTPixels *Pixels() const override { return FPixels.get(); }
  TVxRect BoundsRect() const { return {0, 0, Handle.Width, Handle.Height}; }

  // Discards the current image first: on failure the bitmap is empty.
  bool SetSize(int32_t width, int32_t height, int32_t format = PixelFormat24);
  void Discard();
  // Null when the copy cannot be allocated.
  std::unique_ptr<TVxLTBitmap> Clone() const;
  bool Crop(const TVxRect &rect);
  bool SetCanvasSize(int32_t width, int32_t height);
  // Flips work in place and rotations need a new block; all four take
  // PixelFormat24 images only.
  bool FlipHorizontal();
  bool FlipVertical();
  bool RotateLeft();
  bool RotateRight();
  bool Resample(int32_t width, int32_t height);
  // Takes the buffer's size, format and pixels (its top-left becomes (0, 0)).
  bool AssignFromBuffer(const TVxPixels &buffer);
  bool CopyToBuffer(TVxPixelBuffer &buffer) const;

  bool Draw(TVxPixels &target, const TVxRect &dest, const TVxRect *source = nullptr,
            const TVxRect *clip = nullptr) const override;
  bool Print(IVxPrintTarget &target, const TVxRect &dest) const override;

 private:
  class TNewImage;
  void Adopt(TNewImage &image);

  TVxBitmapHandle Handle;
  std::unique_ptr<TVxLTPixels> FPixels;
};
