// Windows and OS/2 bitmaps, our own decoder: 1, 2, 4, 8, 16, 24 and 32 bits per
// pixel, palettes, bit-field masks, RLE4 and RLE8, bottom-up and top-down rows.
// Every header field is checked against the file's real length before use, so
// a header that lies about sizes is refused instead of read past.

#include <algorithm>
#include <cstring>

#include "imaging/codecs/ImageCodecs.h"

namespace platform {
namespace {

constexpr uint32_t BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitfields = 3, BiAlphaBitfields = 6;
constexpr size_t FileHeaderSize = 14;
// A density beyond this (about 25 000 dpi) is no real device's: the header is damaged.
constexpr int32_t MaxPixelsPerMetre = 1000000;

uint16_t U16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t *p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
int32_t I32(const uint8_t *p) { return static_cast<int32_t>(U32(p)); }

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct TChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  uint32_t Max = 0;

  explicit TChannel(uint32_t mask = 0) : Mask(mask) {
    if (!mask) return;
    while (!((mask >> Shift) & 1)) ++Shift;
    Max = mask >> Shift;
  }
  uint8_t operator()(uint32_t pixel) const {
    return static_cast<uint8_t>((static_cast<uint64_t>((pixel & Mask) >> Shift) * 255 + Max / 2) /
                                Max);
  }
};

struct TBmpInfo {
  int32_t Width = 0;
  int32_t Height = 0;  // always positive; TopDown tells the row order
  bool TopDown = false;
  uint32_t BitCount = 0;
  uint32_t Compression = BiRgb;
  TChannel Red, Green, Blue;
  uint8_t Palette[256][3] = {};  // blue, green, red
  uint32_t PaletteCount = 0;
  size_t PixelOffset = 0;
  size_t PixelBytes = 0;  // bytes available for the pixel data
  int32_t PelsPerMetreX = 0;
  int32_t PelsPerMetreY = 0;
};

bool IsKnownHeaderSize(uint32_t size) {
  // 12: OS/2 1.x; 16 and 64: OS/2 2.x; 40, 52, 56: Windows 3.x and its
  // bit-field variants; 108: version 4; 124: version 5.
  return size == 12 || size == 16 || size == 40 || size == 52 || size == 56 || size == 64 ||
         size == 108 || size == 124;
}

TVxImageStatus ParseInfo(TByteView file, TBmpInfo &bmp) {
  const uint8_t *d = file.Data;
  if (file.Size < FileHeaderSize + 12 || d[0] != 'B' || d[1] != 'M')
    return TVxImageStatus::CorruptImage;
  // A declared file size beyond the real one means the file was cut short.
  if (U32(d + 2) > file.Size) return TVxImageStatus::CorruptImage;
  const uint32_t headerSize = U32(d + 14);
  if (!IsKnownHeaderSize(headerSize) || FileHeaderSize + headerSize > file.Size)
    return TVxImageStatus::CorruptImage;
  const uint8_t *h = d + FileHeaderSize;
  uint32_t planes = 0;
  int64_t width = 0, height = 0;
  if (headerSize == 12) {
    width = U16(h + 4);
    height = static_cast<int16_t>(U16(h + 6));
    planes = U16(h + 8);
    bmp.BitCount = U16(h + 10);
  } else {
    width = I32(h + 4);
    height = I32(h + 8);
    planes = U16(h + 12);
    bmp.BitCount = U16(h + 14);
    if (headerSize >= 20) bmp.Compression = U32(h + 16);
    if (headerSize >= 32) {
      bmp.PelsPerMetreX = I32(h + 24);
      bmp.PelsPerMetreY = I32(h + 28);
    }
  }
  if (planes != 1 || width <= 0 || height == 0) return TVxImageStatus::CorruptImage;
  bmp.TopDown = height < 0;
  height = height < 0 ? -height : height;
  if (const TVxImageStatus s = CheckDimensions(width, height); s != TVxImageStatus::Ok) return s;
  bmp.Width = static_cast<int32_t>(width);
  bmp.Height = static_cast<int32_t>(height);
  if (bmp.PelsPerMetreX < 0 || bmp.PelsPerMetreY < 0 || bmp.PelsPerMetreX > MaxPixelsPerMetre ||
      bmp.PelsPerMetreY > MaxPixelsPerMetre)
    return TVxImageStatus::CorruptImage;

  // OS/2 2.x uses codes 3 and 4 for Huffman and RLE24, which we do not decode.
  const bool os2 = headerSize == 16 || headerSize == 64;
  const uint32_t c = bmp.Compression;
  const uint32_t bits = bmp.BitCount;
  const bool valid =
      (c == BiRgb && (bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 ||
                      bits == 24 || bits == 32)) ||
      (c == BiRle8 && bits == 8) || (c == BiRle4 && bits == 4) ||
      (!os2 && (c == BiBitfields || c == BiAlphaBitfields) && (bits == 16 || bits == 32));
  if (!valid)
    return os2 || c > 6 || bits > 32 ? TVxImageStatus::CorruptImage : TVxImageStatus::Unsupported;
  // Rows of compressed bitmaps always run bottom-up.
  if (bmp.TopDown && (c == BiRle8 || c == BiRle4)) return TVxImageStatus::CorruptImage;

  size_t paletteStart = FileHeaderSize + headerSize;
  if (c == BiBitfields || c == BiAlphaBitfields) {
    const uint8_t *masks = h + 40;
    if (headerSize == 40) {
      paletteStart += c == BiAlphaBitfields ? 16 : 12;
      if (paletteStart > file.Size) return TVxImageStatus::CorruptImage;
      masks = d + FileHeaderSize + 40;
    } else if (headerSize < 52) {
      return TVxImageStatus::CorruptImage;
    }
    bmp.Red = TChannel(U32(masks));
    bmp.Green = TChannel(U32(masks + 4));
    bmp.Blue = TChannel(U32(masks + 8));
  } else if (bits == 16) {
    bmp.Red = TChannel(0x7C00);
    bmp.Green = TChannel(0x03E0);
    bmp.Blue = TChannel(0x001F);
  } else if (bits == 32) {
    bmp.Red = TChannel(0xFF0000);
    bmp.Green = TChannel(0xFF00);
    bmp.Blue = TChannel(0xFF);
  }
  if ((bits == 16 || bits == 32) && (!bmp.Red.Mask || !bmp.Green.Mask || !bmp.Blue.Mask))
    return TVxImageStatus::CorruptImage;

  bmp.PixelOffset = U32(d + 10);
  if (bmp.PixelOffset < paletteStart || bmp.PixelOffset >= file.Size)
    return TVxImageStatus::CorruptImage;
  bmp.PixelBytes = file.Size - bmp.PixelOffset;
  if (bits <= 8) {
    const size_t entrySize = headerSize == 12 ? 3 : 4;
    uint32_t count = headerSize >= 36 ? U32(h + 32) : 0;
    if (count == 0) count = 1u << bits;
    // A palette that cannot fit before the pixels is a lying header; one
    // merely larger than the bit depth allows is cut to what can be indexed.
    const size_t room = (bmp.PixelOffset - paletteStart) / entrySize;
    if (count > room) {
      if (headerSize != 12 || count != (1u << bits)) return TVxImageStatus::CorruptImage;
      count = static_cast<uint32_t>(room);  // OS/2 files may store a short palette
    }
    bmp.PaletteCount = std::min(count, 1u << bits);
    for (uint32_t i = 0; i < bmp.PaletteCount; ++i)
      std::memcpy(bmp.Palette[i], d + paletteStart + i * entrySize, 3);
  }
  const uint32_t declaredImageSize = headerSize >= 24 ? U32(h + 20) : 0;
  if (declaredImageSize > bmp.PixelBytes) return TVxImageStatus::CorruptImage;
  return TVxImageStatus::Ok;
}

size_t RowBytes(const TBmpInfo &bmp) {
  return (static_cast<size_t>(bmp.Width) * bmp.BitCount + 31) / 32 * 4;
}

uint8_t *TargetRow(const TBmpInfo &bmp, const TRowTarget &target, int32_t fileRow) {
  return target.Row(bmp.TopDown ? fileRow : bmp.Height - 1 - fileRow);
}

bool PutIndex(const TBmpInfo &bmp, uint8_t *dst, uint32_t index) {
  if (index >= bmp.PaletteCount) return false;
  dst[0] = bmp.Palette[index][0];
  dst[1] = bmp.Palette[index][1];
  dst[2] = bmp.Palette[index][2];
  return true;
}

TVxImageStatus DecodeUncompressed(TByteView file, const TBmpInfo &bmp, const TRowTarget &target) {
  const size_t rowBytes = RowBytes(bmp);
  if (rowBytes * static_cast<size_t>(bmp.Height) > bmp.PixelBytes)
    return TVxImageStatus::CorruptImage;
  const uint32_t bits = bmp.BitCount;
  for (int32_t y = 0; y < bmp.Height; ++y) {
    const uint8_t *src = file.Data + bmp.PixelOffset + rowBytes * static_cast<size_t>(y);
    uint8_t *dst = TargetRow(bmp, target, y);
    if (bits == 24) {
      std::memcpy(dst, src, static_cast<size_t>(bmp.Width) * 3);
    } else if (bits <= 8) {
      const uint32_t mask = (1u << bits) - 1;
      for (int32_t x = 0; x < bmp.Width; ++x) {
        const size_t bit = static_cast<size_t>(x) * bits;
        const uint32_t index = (src[bit / 8] >> (8 - bits - bit % 8)) & mask;
        if (!PutIndex(bmp, dst + x * 3, index)) return TVxImageStatus::CorruptImage;
      }
    } else {
      for (int32_t x = 0; x < bmp.Width; ++x) {
        const uint32_t pixel = bits == 16 ? U16(src + x * 2) : U32(src + x * 4);
        dst[x * 3] = bmp.Blue(pixel);
        dst[x * 3 + 1] = bmp.Green(pixel);
        dst[x * 3 + 2] = bmp.Red(pixel);
      }
    }
  }
  return TVxImageStatus::Ok;
}

// Pixels an RLE stream skips with a delta or leaves out at the end stay black.
TVxImageStatus DecodeRle(TByteView file, const TBmpInfo &bmp, const TRowTarget &target) {
  for (int32_t y = 0; y < bmp.Height; ++y)
    std::memset(target.Row(y), 0, static_cast<size_t>(bmp.Width) * 3);
  const bool four = bmp.Compression == BiRle4;
  const uint8_t *p = file.Data + bmp.PixelOffset;
  const uint8_t *end = p + bmp.PixelBytes;
  int32_t x = 0, y = 0;
  auto put = [&](uint32_t index) {
    if (x >= bmp.Width || y >= bmp.Height) return false;
    if (!PutIndex(bmp, TargetRow(bmp, target, y) + x * 3, index)) return false;
    ++x;
    return true;
  };
  while (end - p >= 2) {
    const uint32_t count = p[0], value = p[1];
    p += 2;
    if (count > 0) {  // a run of one index (RLE8) or two alternating ones (RLE4)
      for (uint32_t i = 0; i < count; ++i)
        if (!put(four ? (i & 1 ? value & 15 : value >> 4) : value))
          return TVxImageStatus::CorruptImage;
    } else if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return TVxImageStatus::Ok;
    } else if (value == 2) {  // delta
      if (end - p < 2) break;
      x += p[0];
      y += p[1];
      p += 2;
      if (x > bmp.Width || y > bmp.Height) return TVxImageStatus::CorruptImage;
    } else {  // a literal run of `value` indices, padded to 16 bits
      const size_t bytes = four ? (value + 1) / 2 : value;
      const size_t padded = (bytes + 1) & ~size_t(1);
      if (static_cast<size_t>(end - p) < bytes) break;
      for (uint32_t i = 0; i < value; ++i) {
        const uint32_t index = four ? (i & 1 ? p[i / 2] & 15 : p[i / 2] >> 4) : p[i];
        if (!put(index)) return TVxImageStatus::CorruptImage;
      }
      p += std::min(padded, static_cast<size_t>(end - p));
    }
  }
  // The data ended without its end-of-bitmap code: cut short unless every row was reached.
  return y >= bmp.Height ? TVxImageStatus::Ok : TVxImageStatus::CorruptImage;
}

void PutU16(std::vector<uint8_t> &out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(std::vector<uint8_t> &out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

}  // namespace

bool LooksLikeBmp(TByteView file) {
  return file.Size >= 2 && file.Data[0] == 'B' && file.Data[1] == 'M';
}

TVxImageStatus ReadBmpHeader(TByteView file, TImageHeader &header) {
  TBmpInfo bmp;
  if (const TVxImageStatus s = ParseInfo(file, bmp); s != TVxImageStatus::Ok) return s;
  header.Width = bmp.Width;
  header.Height = bmp.Height;
  header.DpiX = static_cast<float>(bmp.PelsPerMetreX) * 0.0254f;
  header.DpiY = static_cast<float>(bmp.PelsPerMetreY) * 0.0254f;
  return TVxImageStatus::Ok;
}

TVxImageStatus DecodeBmp(TByteView file, const TRowTarget &target) {
  TBmpInfo bmp;
  if (const TVxImageStatus s = ParseInfo(file, bmp); s != TVxImageStatus::Ok) return s;
  if (bmp.Width != target.Width || bmp.Height != target.Height)
    return TVxImageStatus::InvalidParameter;
  if (bmp.Compression == BiRle8 || bmp.Compression == BiRle4) return DecodeRle(file, bmp, target);
  return DecodeUncompressed(file, bmp, target);
}

TVxImageStatus EncodeBmp(const TVxPixels &pixels, float dpiX, float dpiY,
                         std::vector<uint8_t> &file) {
  if (pixels.Format != PixelFormat24 || pixels.Width <= 0 || pixels.Height <= 0)
    return TVxImageStatus::InvalidParameter;
  const size_t rowBytes = (static_cast<size_t>(pixels.Width) * 3 + 3) & ~size_t(3);
  const size_t imageBytes = rowBytes * static_cast<size_t>(pixels.Height);
  if (imageBytes > 0xFFFFFFFFu - 54) return TVxImageStatus::TooLarge;
  file.clear();
  file.reserve(54 + imageBytes);
  file.push_back('B');
  file.push_back('M');
  PutU32(file, static_cast<uint32_t>(54 + imageBytes));
  PutU32(file, 0);
  PutU32(file, 54);
  PutU32(file, 40);
  PutU32(file, static_cast<uint32_t>(pixels.Width));
  PutU32(file, static_cast<uint32_t>(pixels.Height));  // bottom-up, as every reader expects
  PutU16(file, 1);
  PutU16(file, 24);
  PutU32(file, BiRgb);
  PutU32(file, static_cast<uint32_t>(imageBytes));
  PutU32(file, static_cast<uint32_t>(dpiX / 0.0254f + 0.5f));
  PutU32(file, static_cast<uint32_t>(dpiY / 0.0254f + 0.5f));
  PutU32(file, 0);
  PutU32(file, 0);
  for (int32_t y = pixels.Height - 1; y >= 0; --y) {
    const uint8_t *row = pixels.Bits + static_cast<ptrdiff_t>(y) * pixels.Stride;
    file.insert(file.end(), row, row + static_cast<size_t>(pixels.Width) * 3);
    file.resize(file.size() + rowBytes - static_cast<size_t>(pixels.Width) * 3, 0);
  }
  return TVxImageStatus::Ok;
}

}  // namespace platform
