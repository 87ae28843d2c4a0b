// PNG through libpng. Every colour type and bit depth becomes 8-bit
// blue-green-red: palettes and grey are expanded, 16-bit samples reduced and
// alpha dropped. Errors longjmp back to the setjmp in each function, which keeps
// no C++ objects with destructors alive across library calls.

#include <csetjmp>
#include <cstring>

#include <png.h>

#include "imaging/codecs/ImageCodecs.h"

namespace platform {
namespace {

struct TPngReader {
  TByteView File;
  size_t Position = 0;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t count) {
  auto *reader = static_cast<TPngReader *>(png_get_io_ptr(png));
  if (count > reader->File.Size - reader->Position) png_error(png, "truncated");
  std::memcpy(out, reader->File.Data + reader->Position, count);
  reader->Position += count;
}

void WriteBytes(png_structp png, png_bytep data, png_size_t count) {
  auto *file = static_cast<std::vector<uint8_t> *>(png_get_io_ptr(png));
  // Called from within libpng: a C++ exception must not cross it.
  try {
    file->insert(file->end(), data, data + count);
  } catch (...) {
    png_error(png, "out of memory");
  }
}

void Flush(png_structp) {}

[[noreturn]] void ErrorFn(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void WarningFn(png_structp, png_const_charp) {}

png_structp CreateReader() {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorFn, WarningFn);
  if (png) {
    png_set_user_limits(png, static_cast<png_uint_32>(VxMaxImageSide),
                        static_cast<png_uint_32>(VxMaxImageSide));
    // Ancillary chunks larger than this are skipped, not buffered.
    png_set_chunk_malloc_max(png, 1 << 24);
  }
  return png;
}

// libpng allocates a chunk's declared length before reading it; a chunk that
// runs past the end of the file would cost a huge allocation just to fail.
bool ChunksFitInFile(TByteView file) {
  size_t position = 8;
  while (position < file.Size) {
    if (file.Size - position < 12) return false;
    const uint8_t *p = file.Data + position;
    const uint64_t length =
        uint64_t(p[0]) << 24 | uint64_t(p[1]) << 16 | uint64_t(p[2]) << 8 | p[3];
    if (length > file.Size - position - 12) return false;
    position += static_cast<size_t>(length) + 12;
    if (std::memcmp(p + 4, "IEND", 4) == 0) break;
  }
  return true;
}

float PhysToDpi(png_uint_32 perMetre) { return static_cast<float>(perMetre) * 0.0254f; }

}  // namespace

bool LooksLikePng(TByteView file) { return file.Size >= 8 && png_sig_cmp(file.Data, 0, 8) == 0; }

TVxImageStatus ReadPngHeader(TByteView file, TImageHeader &header) {
  if (!ChunksFitInFile(file)) return TVxImageStatus::CorruptImage;
  png_structp png = CreateReader();
  if (!png) return TVxImageStatus::OutOfMemory;
  png_infop info = png_create_info_struct(png);
  TPngReader reader{file, 0};
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return TVxImageStatus::CorruptImage;
  }
  png_set_read_fn(png, &reader, ReadBytes);
  png_read_info(png, info);
  header.Width = static_cast<int32_t>(png_get_image_width(png, info));
  header.Height = static_cast<int32_t>(png_get_image_height(png, info));
  png_uint_32 resX = 0, resY = 0;
  int unit = 0;
  if (png_get_pHYs(png, info, &resX, &resY, &unit) && unit == PNG_RESOLUTION_METER) {
    header.DpiX = PhysToDpi(resX);
    header.DpiY = PhysToDpi(resY);
  }
  png_destroy_read_struct(&png, &info, nullptr);
  return CheckDimensions(header.Width, header.Height);
}

TVxImageStatus DecodePng(TByteView file, const TRowTarget &target) {
  if (!ChunksFitInFile(file)) return TVxImageStatus::CorruptImage;
  png_structp png = CreateReader();
  if (!png) return TVxImageStatus::OutOfMemory;
  png_infop info = png_create_info_struct(png);
  TPngReader reader{file, 0};
  volatile TVxImageStatus failure = TVxImageStatus::CorruptImage;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return failure;
  }
  png_set_read_fn(png, &reader, ReadBytes);
  png_read_info(png, info);
  if (png_get_image_width(png, info) != static_cast<png_uint_32>(target.Width) ||
      png_get_image_height(png, info) != static_cast<png_uint_32>(target.Height)) {
    failure = TVxImageStatus::InvalidParameter;
    png_longjmp(png, 1);
  }
  png_set_palette_to_rgb(png);
  png_set_expand_gray_1_2_4_to_8(png);
  png_set_gray_to_rgb(png);
  png_set_scale_16(png);
  png_set_strip_alpha(png);
  png_set_bgr(png);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(target.Width) * 3) png_longjmp(png, 1);
  // Interlaced images fill each row over several passes into the same target row.
  for (int pass = 0; pass < passes; ++pass)
    for (int32_t y = 0; y < target.Height; ++y) png_read_row(png, target.Row(y), nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return TVxImageStatus::Ok;
}

TVxImageStatus EncodePng(const TVxPixels &pixels, float dpiX, float dpiY,
                         std::vector<uint8_t> &file) {
  if (pixels.Format != PixelFormat24 || pixels.Width <= 0 || pixels.Height <= 0)
    return TVxImageStatus::InvalidParameter;
  file.clear();
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorFn, WarningFn);
  if (!png) return TVxImageStatus::OutOfMemory;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return TVxImageStatus::OutOfMemory;
  }
  png_set_write_fn(png, &file, WriteBytes, Flush);
  // Photographs gain little from the slowest levels.
  png_set_compression_level(png, 6);
  png_set_IHDR(png, info, static_cast<png_uint_32>(pixels.Width),
               static_cast<png_uint_32>(pixels.Height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_pHYs(png, info, static_cast<png_uint_32>(dpiX / 0.0254f + 0.5f),
               static_cast<png_uint_32>(dpiY / 0.0254f + 0.5f), PNG_RESOLUTION_METER);
  png_write_info(png, info);
  png_set_bgr(png);
  for (int32_t y = 0; y < pixels.Height; ++y)
    png_write_row(png, pixels.Bits + static_cast<ptrdiff_t>(y) * pixels.Stride);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return TVxImageStatus::Ok;
}

}  // namespace platform
