#include "plugin/PluginExchange.h"

#include <cstring>

#include "platform/FileMapping.h"

namespace {

uint64_t RowsSize(const TExchangeHeader &h) {
  return static_cast<uint64_t>(h.Stride) * static_cast<uint64_t>(h.Height);
}

bool RowsFitPixels(const TExchangeHeader &h) {
  return h.Width > 0 && h.Height > 0 && h.BytesPerPixel >= 3 && h.Stride > 0 &&
         static_cast<int64_t>(h.Stride) >= static_cast<int64_t>(h.Width) * h.BytesPerPixel;
}

// Where the rows start in a file of fileSize bytes, or 0 when the header
// is not one we can believe.
uint64_t PixelOffset(const TExchangeHeader &h, uint64_t fileSize) {
  if (h.HeaderSize < ExchangeHeaderSize || !RowsFitPixels(h)) return 0;
  const uint64_t offset = 4 + static_cast<uint64_t>(h.HeaderSize);
  if (offset > fileSize || RowsSize(h) > fileSize - offset) return 0;
  return offset;
}

void CopyRows(const uint8_t *source, const TExchangeHeader &file, const THostOutput &output) {
  auto *target = static_cast<uint8_t *>(output.Data);
  const auto width = static_cast<size_t>(file.Width);
  for (int32_t y = 0; y < file.Height; ++y) {
    const uint8_t *from = source + static_cast<size_t>(y) * static_cast<size_t>(file.Stride);
    uint8_t *to = target + static_cast<size_t>(y) * static_cast<size_t>(output.RowBytes);
    if (file.BytesPerPixel == output.Planes) {
      // Only the pixels: the bytes after them are row padding, which the
      // host's last row need not have.
      std::memcpy(to, from, width * static_cast<size_t>(output.Planes));
      continue;
    }
    for (size_t x = 0; x < width; ++x) {
      std::memcpy(to, from, 3);
      from += file.BytesPerPixel;
      to += output.Planes;
    }
  }
}

}  // namespace

bool WriteHostImage(const std::string &path, const TExchangeHeader &header, const void *pixels) {
  if (pixels == nullptr || header.Stride <= 0 || header.Height <= 0) return false;
  TFileMapping mapping(path, TFileMapping::CreateReadWrite);
  if (!mapping.IsOpen() || !mapping.SetSize(ExchangePixelOffset + RowsSize(header))) return false;
  uint8_t *file = mapping.MapView(0, 0, TFileMapping::WriteAccess);
  if (file == nullptr) return false;
  WriteExchangeHeader(file, header);
  std::memcpy(file + ExchangePixelOffset, pixels, static_cast<size_t>(RowsSize(header)));
  mapping.UnmapView(file);
  return true;
}

TReadBackStatus ReadBackHostImage(const std::string &path, const TExchangeHeader &written,
                                  const THostOutput &output) {
  TFileMapping mapping(path, TFileMapping::ExistingReadOnly);
  const uint64_t size = mapping.FileSize();
  if (!mapping.IsOpen() || size < static_cast<uint64_t>(ExchangePixelOffset))
    return TReadBackStatus::Unreadable;
  const uint8_t *file = mapping.MapView(0, 0, TFileMapping::ReadAccess);
  if (file == nullptr) return TReadBackStatus::Unreadable;

  const TExchangeHeader h = ReadExchangeHeader(file);
  TReadBackStatus status = TReadBackStatus::Ok;
  uint64_t offset = 0;
  if (!HasExchangeMagic(file) || h.ColourMode != written.ColourMode || h.Width != written.Width ||
      h.Height != written.Height) {
    status = TReadBackStatus::Mismatch;
  } else if ((offset = PixelOffset(h, size)) == 0 || output.Data == nullptr || output.Planes < 3 ||
             static_cast<int64_t>(output.RowBytes) <
                 static_cast<int64_t>(h.Width) * output.Planes) {
    status = TReadBackStatus::Damaged;
  } else {
    CopyRows(file + offset, h, output);
  }
  mapping.UnmapView(const_cast<uint8_t *>(file));
  return status;
}
