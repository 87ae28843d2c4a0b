#pragma once
// The per-format decoders and encoders behind TVxImage. Every decoder checks
// the bounds of everything it reads and turns each library error into a status.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/VxPixels.h"
#include "imaging/codecs/VxImage.h"

namespace platform {

struct TByteView {
  const uint8_t *Data = nullptr;
  size_t Size = 0;
};

struct TImageHeader {
  int32_t Width = 0;
  int32_t Height = 0;
  float DpiX = 0;  // 0: the file names no resolution
  float DpiY = 0;
};

// Where decoded 24-bit rows go: row y at FirstRow + y * Stride.
struct TRowTarget {
  uint8_t *FirstRow = nullptr;
  int32_t Stride = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  uint8_t *Row(int32_t y) const { return FirstRow + static_cast<ptrdiff_t>(y) * Stride; }
};

// TooLarge beyond the documented limits, CorruptImage for empty sizes.
TVxImageStatus CheckDimensions(int64_t width, int64_t height);

bool LooksLikeJpeg(TByteView file);
TVxImageStatus ReadJpegHeader(TByteView file, TImageHeader &header);
// The output size when decoding at 1/denominator (1, 2, 4 or 8).
TVxImageStatus JpegScaledSize(TByteView file, int denominator, int32_t &width, int32_t &height);
// The target must be JpegScaledSize for the same denominator.
TVxImageStatus DecodeJpeg(TByteView file, int denominator, const TRowTarget &target);
TVxImageStatus EncodeJpeg(const TVxPixels &pixels, int quality, float dpiX, float dpiY,
                          std::vector<uint8_t> &file);

bool LooksLikePng(TByteView file);
TVxImageStatus ReadPngHeader(TByteView file, TImageHeader &header);
TVxImageStatus DecodePng(TByteView file, const TRowTarget &target);
TVxImageStatus EncodePng(const TVxPixels &pixels, float dpiX, float dpiY,
                         std::vector<uint8_t> &file);

bool LooksLikeTiff(TByteView file);
TVxImageStatus ReadTiffHeader(TByteView file, TImageHeader &header);
TVxImageStatus DecodeTiff(TByteView file, const TRowTarget &target);
TVxImageStatus EncodeTiff(const TVxPixels &pixels, float dpiX, float dpiY,
                          std::vector<uint8_t> &file);

bool LooksLikeBmp(TByteView file);
TVxImageStatus ReadBmpHeader(TByteView file, TImageHeader &header);
TVxImageStatus DecodeBmp(TByteView file, const TRowTarget &target);
TVxImageStatus EncodeBmp(const TVxPixels &pixels, float dpiX, float dpiY,
                         std::vector<uint8_t> &file);

// The metadata of a JPEG, TIFF or PNG file: EXIF, GPS and interoperability
// fields, the thumbnail, the colour profile, XMP, IPTC and the maker note.
TVxImageStatus ReadPropertyItems(TByteView file, TVxPropertyItems &items);
// Rewrites an encoded JPEG, TIFF or PNG file with the items attached. The
// resolution items, when present, are set to the given resolution so that
// they agree with the header the encoder wrote.
TVxImageStatus AttachPropertyItems(std::vector<uint8_t> &file, const TVxPropertyItems &items,
                                   float dpiX, float dpiY);

}  // namespace platform
