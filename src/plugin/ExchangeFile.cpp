#include "plugin/ExchangeFile.h"

#include <cstring>
#include <filesystem>

#include "platform/FileMapping.h"

namespace {

constexpr char ExifMagic[4] = {'E', 'X', 'I', 'F'};
// A trailer is looked for only when more than this many bytes follow the rows.
constexpr uint64_t TrailerThreshold = 496;

// A host may hand us anything: every size the header claims must hold
// before a single pixel is read.
bool HeaderFits(const TExchangeHeader &h, uint64_t fileSize) {
  if (h.Width <= 0 || h.Height <= 0 || h.BytesPerPixel < 3 || h.Stride <= 0) return false;
  if (static_cast<int64_t>(h.Stride) < static_cast<int64_t>(h.Width) * h.BytesPerPixel)
    return false;
  const uint64_t rows = static_cast<uint64_t>(h.Stride) * static_cast<uint64_t>(h.Height);
  return rows <= fileSize - ExchangePixelOffset;
}

void CopyRowsToBGR(const uint8_t *rows, const TExchangeHeader &h, TVxPixelBuffer &image) {
  for (int32_t y = 0; y < h.Height; ++y) {
    const uint8_t *src = rows + static_cast<size_t>(y) * static_cast<size_t>(h.Stride);
    uint8_t *dst = image.PixelAddress(0, y);
    for (int32_t x = 0; x < h.Width; ++x, src += h.BytesPerPixel, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
}

// false when a trailer is announced but runs past the end of the file.
bool ReadTrailer(const uint8_t *after, uint64_t available, std::vector<uint8_t> &exif) {
  exif.clear();
  if (available <= TrailerThreshold || std::memcmp(after, ExifMagic, 4) != 0) return true;
  const int32_t length = ReadExchangeInt(after + 4);
  if (length < 0 || static_cast<uint64_t>(length) > available - 8) return false;
  exif.assign(after + 8, after + 8 + length);
  return true;
}

}  // namespace

TExchangeStatus ReadExchangeFile(const std::string &path, TVxPixelBuffer &image,
                                 TExchangeImage &info) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return TExchangeStatus::NotExchange;
  TFileMapping mapping(path, TFileMapping::ExistingReadOnly);
  const uint64_t size = mapping.FileSize();
  if (size < static_cast<uint64_t>(ExchangePixelOffset)) return TExchangeStatus::NotExchange;
  uint8_t *file = mapping.MapView(0, 0, TFileMapping::ReadAccess);
  if (file == nullptr) return TExchangeStatus::NotExchange;

  TExchangeStatus status = TExchangeStatus::Invalid;
  const TExchangeHeader header = ReadExchangeHeader(file);
  if (!HasExchangeMagic(file) || header.ColourMode != ExchangeModeRGB) {
    status = TExchangeStatus::NotExchange;
  } else if (HeaderFits(header, size)) {
    const uint64_t rowsEnd = ExchangePixelOffset + static_cast<uint64_t>(header.Stride) *
                                                       static_cast<uint64_t>(header.Height);
    info.Header = header;
    if (ReadTrailer(file + rowsEnd, size - rowsEnd, info.Exif)) {
      image.SetFormatAndBounds(PixelFormat24, {0, 0, header.Width, header.Height});
      if (image.Bits != nullptr) {
        CopyRowsToBGR(file + ExchangePixelOffset, header, image);
        status = TExchangeStatus::Ok;
      }
    }
  }
  mapping.UnmapView(file);
  return status;
}

bool WriteExchangeFile(const std::string &path, const TVxPixels &image) {
  if (image.Bits == nullptr || image.Format != PixelFormat24 || image.Width <= 0 ||
      image.Height <= 0)
    return false;
  TFileMapping mapping(path, TFileMapping::CreateReadWrite);
  const uint64_t size = ExchangePixelOffset +
                        static_cast<uint64_t>(image.Stride) * static_cast<uint64_t>(image.Height);
  // Writing into a file that kept its old size would run past its end.
  if (!mapping.IsOpen() || !mapping.SetSize(size)) return false;
  uint8_t *file = mapping.MapView(0, 0, TFileMapping::WriteAccess);
  if (file == nullptr) return false;

  TExchangeHeader header;
  header.Width = image.Width;
  header.Height = image.Height;
  header.Stride = image.Stride;
  header.BytesPerPixel = 3;
  WriteExchangeHeader(file, header);
  for (int32_t y = 0; y < image.Height; ++y) {
    const uint8_t *src = image.PixelAddress(image.Left, image.Top + y);
    uint8_t *dst =
        file + ExchangePixelOffset + static_cast<size_t>(y) * static_cast<size_t>(image.Stride);
    for (int32_t x = 0; x < image.Width; ++x, src += 3, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  mapping.UnmapView(file);
  return true;
}

std::vector<uint8_t> BuildExifJpegStream(const std::vector<uint8_t> &exif) {
  // The rest of a complete 8 x 8 grey baseline JPEG: quantisation table,
  // frame header, Huffman tables, scan header, one byte of scan data, end.
  static constexpr uint8_t Body[] = {
      0xFF, 0xDB, 0x00, 0x43, 0x00, 0x10, 0x0B, 0x0C, 0x0E, 0x0C, 0x0A, 0x10, 0x0E, 0x0D,
      0x0E, 0x12, 0x11, 0x10, 0x13, 0x18, 0x28, 0x1A, 0x18, 0x16, 0x16, 0x18, 0x31, 0x23,
      0x25, 0x1D, 0x28, 0x3A, 0x33, 0x3D, 0x3C, 0x39, 0x33, 0x38, 0x37, 0x40, 0x48, 0x5C,
      0x4E, 0x40, 0x44, 0x57, 0x45, 0x37, 0x38, 0x50, 0x6D, 0x51, 0x57, 0x5F, 0x62, 0x67,
      0x68, 0x67, 0x3E, 0x4D, 0x71, 0x79, 0x70, 0x64, 0x78, 0x5C, 0x65, 0x67, 0x63, 0xFF,
      0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08, 0x00, 0x08, 0x01, 0x01, 0x11, 0x00, 0xFF, 0xC4,
      0x00, 0x14, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xC4, 0x00, 0x14, 0x10, 0x01, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0x3F, 0xFF, 0xD9,
  };
  // The segment length counts its own two bytes and "Exif\0\0".
  const size_t segment = exif.size() + 8;
  if (exif.empty() || segment > 0xFFFF) return {};
  std::vector<uint8_t> stream = {0xFF,
                                 0xD8,
                                 0xFF,
                                 0xE1,
                                 static_cast<uint8_t>(segment >> 8),
                                 static_cast<uint8_t>(segment),
                                 'E',
                                 'x',
                                 'i',
                                 'f',
                                 0,
                                 0};
  stream.insert(stream.end(), exif.begin(), exif.end());
  stream.insert(stream.end(), std::begin(Body), std::end(Body));
  return stream;
}
