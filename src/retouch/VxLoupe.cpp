#include "retouch/VxLoupe.h"

#include <algorithm>
#include <cstring>

void PaintLoupe(const TVxPixels &image, TVxPoint origin, const TVxPixels &preview,
                const TVxRect &part) {
  if (!preview.Bits || preview.BytesPerPixel != 3) return;
  const TVxRect area = IntersectRect(part, {0, 0, preview.Width, preview.Height});
  if (area.IsEmpty()) return;
  // The columns that see the image, the same for every row.
  const TVxRect seen =
      image.Bits ? IntersectRect(area.Offset(origin.X, origin.Y), image.GetBounds()) : TVxRect{};
  const size_t rowBytes = static_cast<size_t>(area.Width()) * 3;
  for (int32_t j = area.Top; j < area.Bottom; ++j) {
    uint8_t *row = preview.Bits + static_cast<ptrdiff_t>(j) * preview.Stride + area.Left * 3;
    const int32_t y = origin.Y + j;
    if (seen.IsEmpty() || y < seen.Top || y >= seen.Bottom) {
      std::memset(row, LoupeOutsideGrey, rowBytes);
      continue;
    }
    const int32_t before = seen.Left - origin.X - area.Left;
    const int32_t inside = seen.Width();
    const int32_t after = area.Width() - before - inside;
    std::memset(row, LoupeOutsideGrey, static_cast<size_t>(before) * 3);
    std::memcpy(row + before * 3, image.PixelAddress(seen.Left, y),
                static_cast<size_t>(inside) * 3);
    std::memset(row + (before + inside) * 3, LoupeOutsideGrey, static_cast<size_t>(after) * 3);
  }
}
