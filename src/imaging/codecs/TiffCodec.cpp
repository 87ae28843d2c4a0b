// TIFF through libtiff: the first page, in any layout libtiff's RGBA interface
// understands (strips or tiles, any photometric, bit depth and compression it
// supports), in the order its rows are stored. Reading and writing go through
// memory streams; libtiff's messages are silenced per handle.

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <vector>

#include <tiffio.h>

#include "imaging/codecs/ImageCodecs.h"

namespace platform {
namespace {

// A seekable stream over a file's bytes: read-only over a view, or growing in a vector.
struct TTiffStream {
  const uint8_t *Data = nullptr;
  uint64_t Size = 0;
  uint64_t Position = 0;
  std::vector<uint8_t> *Output = nullptr;
};

tmsize_t StreamRead(thandle_t handle, void *buffer, tmsize_t count) {
  auto *s = static_cast<TTiffStream *>(handle);
  if (count < 0 || s->Position >= s->Size) return 0;
  const uint64_t n = std::min<uint64_t>(static_cast<uint64_t>(count), s->Size - s->Position);
  std::memcpy(buffer, s->Data + s->Position, n);
  s->Position += n;
  return static_cast<tmsize_t>(n);
}

tmsize_t StreamWrite(thandle_t handle, void *buffer, tmsize_t count) {
  auto *s = static_cast<TTiffStream *>(handle);
  if (!s->Output || count < 0) return -1;
  const uint64_t end = s->Position + static_cast<uint64_t>(count);
  try {  // libtiff is C: nothing may be thrown through it
    if (end > s->Output->size()) s->Output->resize(end);
  } catch (...) {
    return -1;
  }
  std::memcpy(s->Output->data() + s->Position, buffer, static_cast<size_t>(count));
  s->Position = end;
  s->Data = s->Output->data();
  s->Size = s->Output->size();
  return count;
}

toff_t StreamSeek(thandle_t handle, toff_t offset, int whence) {
  auto *s = static_cast<TTiffStream *>(handle);
  uint64_t base = 0;
  if (whence == SEEK_CUR) base = s->Position;
  if (whence == SEEK_END) base = s->Size;
  s->Position = base + offset;
  return s->Position;
}

int StreamClose(thandle_t) { return 0; }
toff_t StreamSize(thandle_t handle) { return static_cast<TTiffStream *>(handle)->Size; }
int NoMap(thandle_t, void **, toff_t *) { return 0; }
void NoUnmap(thandle_t, void *, toff_t) {}

int Silence(TIFF *, void *, const char *, const char *, va_list) { return 1; }

TIFF *OpenStream(TTiffStream &stream, const char *mode) {
  TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
  if (!options) return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(options, Silence, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, Silence, nullptr);
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(1) << 28);
  TIFF *tiff = TIFFClientOpenExt("memory", mode, &stream, StreamRead, StreamWrite, StreamSeek,
                                 StreamClose, StreamSize, NoMap, NoUnmap, options);
  TIFFOpenOptionsFree(options);
  return tiff;
}

float ResolutionToDpi(float value, uint16_t unit) {
  if (!(value > 0) || value > 1e6f) return 0;
  if (unit == RESUNIT_INCH) return value;
  if (unit == RESUNIT_CENTIMETER) return value * 2.54f;
  return 0;
}

struct TTiffCloser {
  void operator()(TIFF *tiff) const { TIFFClose(tiff); }
};

}  // namespace

bool LooksLikeTiff(TByteView file) {
  if (file.Size < 4) return false;
  const uint8_t *d = file.Data;
  return (d[0] == 'I' && d[1] == 'I' && (d[2] == 42 || d[2] == 43) && d[3] == 0) ||
         (d[0] == 'M' && d[1] == 'M' && d[2] == 0 && (d[3] == 42 || d[3] == 43));
}

TVxImageStatus ReadTiffHeader(TByteView file, TImageHeader &header) {
  TTiffStream stream{file.Data, file.Size, 0, nullptr};
  std::unique_ptr<TIFF, TTiffCloser> tiff(OpenStream(stream, "rm"));
  if (!tiff) return TVxImageStatus::CorruptImage;
  uint32_t width = 0, height = 0;
  if (!TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) ||
      !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height))
    return TVxImageStatus::CorruptImage;
  if (const TVxImageStatus status = CheckDimensions(width, height); status != TVxImageStatus::Ok)
    return status;
  header.Width = static_cast<int32_t>(width);
  header.Height = static_cast<int32_t>(height);
  float x = 0, y = 0;
  uint16_t unit = RESUNIT_INCH;
  TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
  if (TIFFGetField(tiff.get(), TIFFTAG_XRESOLUTION, &x)) header.DpiX = ResolutionToDpi(x, unit);
  if (TIFFGetField(tiff.get(), TIFFTAG_YRESOLUTION, &y)) header.DpiY = ResolutionToDpi(y, unit);
  return TVxImageStatus::Ok;
}

TVxImageStatus DecodeTiff(TByteView file, const TRowTarget &target) {
  TTiffStream stream{file.Data, file.Size, 0, nullptr};
  std::unique_ptr<TIFF, TTiffCloser> tiff(OpenStream(stream, "rm"));
  if (!tiff) return TVxImageStatus::CorruptImage;
  char message[1024] = {};
  if (!TIFFRGBAImageOK(tiff.get(), message)) return TVxImageStatus::Unsupported;
  TIFFRGBAImage image;
  if (!TIFFRGBAImageBegin(&image, tiff.get(), 0, message)) return TVxImageStatus::CorruptImage;
  if (image.width != static_cast<uint32_t>(target.Width) ||
      image.height != static_cast<uint32_t>(target.Height)) {
    TIFFRGBAImageEnd(&image);
    return TVxImageStatus::InvalidParameter;
  }
  // The stored rows come out as they are, top-down, whatever the orientation
  // tag says: the tag stays with the metadata and viewers apply it, as for JPEG.
  // Asking libtiff for upright rows would turn the picture and keep the tag.
  image.req_orientation = image.orientation;
  // A band of rows at a time keeps the RGBA scratch small. Bands start on strip
  // or tile boundaries: some decoders (old-style JPEG) cannot start mid-strip.
  uint32_t unit = 0;
  if (TIFFIsTiled(tiff.get()))
    TIFFGetField(tiff.get(), TIFFTAG_TILELENGTH, &unit);
  else
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ROWSPERSTRIP, &unit);
  unit = std::clamp<uint32_t>(unit, 1, static_cast<uint32_t>(target.Height));
  const int32_t BandRows = static_cast<int32_t>((63 / unit + 1) * unit);
  TVxImageStatus status = TVxImageStatus::Ok;
  try {
    std::vector<uint32_t> band(static_cast<size_t>(target.Width) * BandRows);
    for (int32_t top = 0; top < target.Height && status == TVxImageStatus::Ok; top += BandRows) {
      const int32_t rows = std::min(BandRows, target.Height - top);
      image.row_offset = top;
      image.col_offset = 0;
      if (!TIFFRGBAImageGet(&image, band.data(), static_cast<uint32_t>(target.Width),
                            static_cast<uint32_t>(rows))) {
        status = TVxImageStatus::CorruptImage;
        break;
      }
      for (int32_t y = 0; y < rows; ++y) {
        const uint32_t *src = band.data() + static_cast<size_t>(y) * target.Width;
        uint8_t *dst = target.Row(top + y);
        for (int32_t x = 0; x < target.Width; ++x, dst += 3) {
          dst[0] = static_cast<uint8_t>(TIFFGetB(src[x]));
          dst[1] = static_cast<uint8_t>(TIFFGetG(src[x]));
          dst[2] = static_cast<uint8_t>(TIFFGetR(src[x]));
        }
      }
    }
  } catch (const std::bad_alloc &) {
    status = TVxImageStatus::OutOfMemory;
  }
  TIFFRGBAImageEnd(&image);
  return status;
}

TVxImageStatus EncodeTiff(const TVxPixels &pixels, float dpiX, float dpiY,
                          std::vector<uint8_t> &file) {
  if (pixels.Format != PixelFormat24 || pixels.Width <= 0 || pixels.Height <= 0)
    return TVxImageStatus::InvalidParameter;
  file.clear();
  TTiffStream stream{nullptr, 0, 0, &file};
  std::unique_ptr<TIFF, TTiffCloser> tiff(OpenStream(stream, "w"));
  if (!tiff) return TVxImageStatus::OutOfMemory;
  TIFF *t = tiff.get();
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(pixels.Width));
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(pixels.Height));
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
  TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
  TIFFSetField(t, TIFFTAG_XRESOLUTION, dpiX);
  TIFFSetField(t, TIFFTAG_YRESOLUTION, dpiY);
  TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  // TIFF has no blue-green-red layout: each row is swapped in one row of scratch.
  std::vector<uint8_t> row(static_cast<size_t>(pixels.Width) * 3);
  for (int32_t y = 0; y < pixels.Height; ++y) {
    const uint8_t *src = pixels.Bits + static_cast<ptrdiff_t>(y) * pixels.Stride;
    for (size_t i = 0; i < row.size(); i += 3) {
      row[i] = src[i + 2];
      row[i + 1] = src[i + 1];
      row[i + 2] = src[i];
    }
    if (TIFFWriteScanline(t, row.data(), static_cast<uint32_t>(y), 0) < 0)
      return TVxImageStatus::WriteFailed;
  }
  if (!TIFFWriteDirectory(t)) return TVxImageStatus::WriteFailed;
  tiff.reset();
  return TVxImageStatus::Ok;
}

}  // namespace platform
