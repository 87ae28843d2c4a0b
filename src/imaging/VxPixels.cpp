#include "imaging/VxPixels.h"

#include <climits>
#include <cstring>
#include <utility>

#include "platform/PageAllocator.h"

int32_t BitsPerPixel(int32_t format) {
  int32_t bits;
  switch (format & 0xF) {
    case 1:
      bits = 8;
      break;
    case 2:
    case 3:
    case 4:
    case 5:
    case 7:
    case 8:
      bits = 24;
      break;
    case 6:
      bits = 32;
      break;
    default:
      return 0;
  }
  if (((format >> 8) & 0xF) == 1) bits += 8;
  switch ((format >> 4) & 0xF) {
    case 2:
    case 3:
      bits *= 2;
      break;
    case 4:
      bits *= 4;
      break;
    default:
      break;
  }
  return bits;
}

int32_t BytesPerPixelOf(int32_t format) { return (BitsPerPixel(format) / 8) & 0x1F; }

int32_t StrideFor(int32_t format, int32_t width) {
  const int64_t bits = static_cast<int64_t>(BitsPerPixel(format)) * (width > 0 ? width : 0);
  const int64_t stride = (bits + 31) / 32 * 4;
  // A row no 32-bit stride can describe cannot be allocated either.
  return stride > INT32_MAX ? 0 : static_cast<int32_t>(stride);
}

void TVxPixels::Init(const TVxRect &bounds, uint8_t *memory, int32_t format, int32_t stride) {
  Left = bounds.Left;
  Top = bounds.Top;
  Width = bounds.Width();
  Height = bounds.Height();
  Format = format;
  BytesPerPixel = BytesPerPixelOf(format);
  Stride = stride;
  Bits = memory;
}

void CopyPixelRows(const TVxPixels &dst, const TVxPixels &src, const TVxRect &rect) {
  if (rect.IsEmpty() || dst.Bits == nullptr || src.Bits == nullptr) return;
  const size_t rowBytes =
      static_cast<size_t>(rect.Width()) * static_cast<size_t>(dst.BytesPerPixel);
  uint8_t *d = dst.PixelAddress(rect.Left, rect.Top);
  const uint8_t *s = src.PixelAddress(rect.Left, rect.Top);
  for (int32_t y = 0; y < rect.Height(); ++y, d += dst.Stride, s += src.Stride)
    std::memmove(d, s, rowBytes);
}

TVxPixelBuffer::~TVxPixelBuffer() { Clear(); }

size_t TVxPixelBuffer::BlockSize() const {
  return static_cast<size_t>(Stride) * static_cast<size_t>(Height);
}

void TVxPixelBuffer::SetFormat(int32_t format) {
  Format = format;
  BytesPerPixel = BytesPerPixelOf(format);
}

void TVxPixelBuffer::SetBounds(const TVxRect &rect, bool keep) {
  if (rect == GetBounds() && BytesPerPixel == AllocatedBytesPerPixel) return;
  const int32_t width = rect.Width() > 0 ? rect.Width() : 0;
  const int32_t height = rect.Height() > 0 ? rect.Height() : 0;
  const int32_t stride = StrideFor(Format, width);
  const size_t size = static_cast<size_t>(stride) * static_cast<size_t>(height);
  auto *block = static_cast<uint8_t *>(platform::AllocatePages(size));

  if (keep && Bits != nullptr && block != nullptr && BytesPerPixel == AllocatedBytesPerPixel) {
    TVxForeignPixels fresh(Bounds(rect.Left, rect.Top, width, height), block, Format, stride);
    CopyPixelRows(fresh, *this, IntersectRect(GetBounds(), fresh.GetBounds()));
  }
  platform::FreePages(Bits, BlockSize());
  Left = rect.Left;
  Top = rect.Top;
  Width = width;
  Height = height;
  Stride = stride;
  Bits = block;
  AllocatedBytesPerPixel = BytesPerPixel;
}

void TVxPixelBuffer::SetFormatAndBounds(int32_t format, const TVxRect &rect) {
  SetFormat(format);
  SetBounds(rect, false);
}

void TVxPixelBuffer::CopyRect(int32_t dstX, int32_t dstY, const TVxPixels &src,
                              const TVxRect &srcRect) {
  if (src.Format != Format) return;
  const TVxRect clipped = IntersectRect(srcRect, src.GetBounds());
  if (clipped.IsEmpty()) return;
  const TVxRect dest =
      IntersectRect(clipped.Offset(dstX - srcRect.Left, dstY - srcRect.Top), GetBounds());
  if (dest.IsEmpty() || Bits == nullptr || src.Bits == nullptr) return;
  const int32_t srcX = srcRect.Left + dest.Left - dstX;
  const int32_t srcY = srcRect.Top + dest.Top - dstY;
  const size_t rowBytes = static_cast<size_t>(dest.Width()) * static_cast<size_t>(BytesPerPixel);
  uint8_t *d = PixelAddress(dest.Left, dest.Top);
  const uint8_t *s = src.PixelAddress(srcX, srcY);
  for (int32_t y = 0; y < dest.Height(); ++y, d += Stride, s += src.Stride)
    std::memmove(d, s, rowBytes);
}

void TVxPixelBuffer::Assign(const TVxPixels &src) {
  CopyRect(src.Left, src.Top, src, src.GetBounds());
}

void TVxPixelBuffer::Clear() {
  platform::FreePages(Bits, BlockSize());
  Bits = nullptr;
  Left = Top = Width = Height = Stride = 0;
  AllocatedBytesPerPixel = 0;
}

void TVxPixelBuffer::Swap(TVxPixelBuffer &other) noexcept {
  std::swap(Bits, other.Bits);
  std::swap(Left, other.Left);
  std::swap(Top, other.Top);
  std::swap(Width, other.Width);
  std::swap(Height, other.Height);
  std::swap(Stride, other.Stride);
  std::swap(Format, other.Format);
  std::swap(BytesPerPixel, other.BytesPerPixel);
  std::swap(AllocatedBytesPerPixel, other.AllocatedBytesPerPixel);
}
