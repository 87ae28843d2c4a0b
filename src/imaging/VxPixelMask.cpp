#include "imaging/VxPixelMask.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

void TVxPixelMask::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  delete[] Data;
  Data = nullptr;
  const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (size != 0) Data = new uint8_t[size]();
  Left = left;
  Top = top;
  Width = width;
  Height = height;
}

uint8_t *TVxPixelMask::ByteAt(int32_t x, int32_t y) const {
  if (Data == nullptr || !GetBounds().Contains(x, y)) return nullptr;
  return Data + static_cast<ptrdiff_t>(y - Top) * Width + (x - Left);
}

void TVxPixelMask::Include(const TVxRect &rect) {
  const TVxRect bounds = GetBounds();
  const TVxRect target = bounds.IsEmpty() ? rect : UnionRect(bounds, rect);
  if (target == bounds || target.IsEmpty()) return;

  const size_t size = static_cast<size_t>(target.Width()) * static_cast<size_t>(target.Height());
  auto *fresh = new uint8_t[size]();
  if (Data != nullptr) {
    for (int32_t y = 0; y < Height; ++y) {
      uint8_t *dst = fresh + static_cast<ptrdiff_t>(Top - target.Top + y) * target.Width() +
                     (Left - target.Left);
      std::memcpy(dst, Data + static_cast<ptrdiff_t>(y) * Width, static_cast<size_t>(Width));
    }
  }
  delete[] Data;
  Data = fresh;
  Left = target.Left;
  Top = target.Top;
  Width = target.Width();
  Height = target.Height();
}

void TVxPixelMask::MaxWith(const TVxPixelMask &other) {
  if (other.Data == nullptr) return;
  Include(other.GetBounds());
  for (int32_t y = 0; y < other.Height; ++y) {
    const uint8_t *src = other.Data + static_cast<ptrdiff_t>(y) * other.Width;
    uint8_t *dst = ByteAt(other.Left, other.Top + y);
    for (int32_t x = 0; x < other.Width; ++x) dst[x] = std::max(dst[x], src[x]);
  }
}

void TVxPixelMask::Clear() {
  delete[] Data;
  Data = nullptr;
  Left = Top = Width = Height = 0;
}
