#pragma once
// Shared body of the per-format fuzz targets: everything a hostile file can
// reach — header, pixels, metadata, thumbnail — must fail with a status.

#include <cstddef>
#include <cstdint>

#include "imaging/codecs/VxImage.h"

inline int FuzzImage(const uint8_t *data, size_t size, TVxRawFormat format) {
  TVxImage image;
  if (image.LoadFromMemory(data, size) != TVxImageStatus::Ok || image.RawFormat() != format)
    return 0;
  (void)image.PropertyItems();
  (void)image.HorizontalResolution();
  // Keep each input cheap: big claimed sizes are the limit checks' business.
  if (int64_t(image.Width()) * image.Height() > (int64_t(1) << 22)) return 0;
  TVxPixelBuffer pixels(PixelFormat24, {0, 0, image.Width(), image.Height()});
  if (pixels.Bits) (void)image.ReadPixels(pixels);
  TVxPixelBuffer thumbnail;
  (void)image.GetThumbnail(16, 12, thumbnail);
  return 0;
}
