// JPEG through libjpeg-turbo's libjpeg API: rows are decoded straight into the
// caller's memory as blue-green-red, and scaled decoding makes thumbnails cheap.
//
// libjpeg reports fatal errors by calling error_exit, which must not return: it
// longjmps back to the setjmp in the calling function. Those functions hold no
// C++ objects with destructors between setjmp and the last library call, so
// the jump skips nothing that needs cleaning up.

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

#include "imaging/codecs/ImageCodecs.h"

namespace platform {
namespace {

struct TJpegError {
  jpeg_error_mgr Manager;
  jmp_buf Jump;
  bool Truncated;
};

[[noreturn]] void ErrorExit(j_common_ptr info) {
  auto *error = reinterpret_cast<TJpegError *>(info->err);
  longjmp(error->Jump, 1);
}

void EmitMessage(j_common_ptr info, int level) {
  // Warnings are negative levels. Damaged entropy data is decoded as well as
  // possible, but a file that ends early is refused rather than shown half grey.
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
    reinterpret_cast<TJpegError *>(info->err)->Truncated = true;
}

void OutputMessage(j_common_ptr) {}

void InstallErrorHandler(TJpegError &error) {
  jpeg_std_error(&error.Manager);
  error.Manager.error_exit = ErrorExit;
  error.Manager.emit_message = EmitMessage;
  error.Manager.output_message = OutputMessage;
  error.Truncated = false;
}

float DensityToDpi(unsigned unit, unsigned density) {
  if (density == 0) return 0;
  if (unit == 1) return static_cast<float>(density);
  if (unit == 2) return static_cast<float>(density) * 2.54f;
  return 0;
}

// Both CMYK flavours become BGR: Adobe writes the channels inverted.
void CmykRowToBgr(const JSAMPLE *cmyk, uint8_t *bgr, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    bgr[0] = static_cast<uint8_t>((y * k + 127) / 255);
    bgr[1] = static_cast<uint8_t>((m * k + 127) / 255);
    bgr[2] = static_cast<uint8_t>((c * k + 127) / 255);
  }
}

unsigned long SourceSize(TByteView file) { return static_cast<unsigned long>(file.Size); }

}  // namespace

bool LooksLikeJpeg(TByteView file) {
  return file.Size >= 3 && file.Data[0] == 0xFF && file.Data[1] == 0xD8 && file.Data[2] == 0xFF;
}

namespace {

// The header, and the output size when decoding at 1/denominator.
TVxImageStatus InspectJpeg(TByteView file, int denominator, TImageHeader &header, int32_t &width,
                           int32_t &height) {
  jpeg_decompress_struct info;
  TJpegError error;
  InstallErrorHandler(error);
  info.err = &error.Manager;
  if (setjmp(error.Jump)) {
    jpeg_destroy_decompress(&info);
    return TVxImageStatus::CorruptImage;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, file.Data, SourceSize(file));
  jpeg_read_header(&info, TRUE);
  header.Width = static_cast<int32_t>(info.image_width);
  header.Height = static_cast<int32_t>(info.image_height);
  header.DpiX = info.saw_JFIF_marker ? DensityToDpi(info.density_unit, info.X_density) : 0;
  header.DpiY = info.saw_JFIF_marker ? DensityToDpi(info.density_unit, info.Y_density) : 0;
  info.scale_num = 1;
  info.scale_denom = static_cast<unsigned>(denominator);
  jpeg_calc_output_dimensions(&info);
  width = static_cast<int32_t>(info.output_width);
  height = static_cast<int32_t>(info.output_height);
  jpeg_destroy_decompress(&info);
  return CheckDimensions(header.Width, header.Height);
}

}  // namespace

TVxImageStatus ReadJpegHeader(TByteView file, TImageHeader &header) {
  int32_t width = 0, height = 0;
  return InspectJpeg(file, 1, header, width, height);
}

TVxImageStatus JpegScaledSize(TByteView file, int denominator, int32_t &width, int32_t &height) {
  TImageHeader header;
  return InspectJpeg(file, denominator, header, width, height);
}

TVxImageStatus DecodeJpeg(TByteView file, int denominator, const TRowTarget &target) {
  jpeg_decompress_struct info;
  TJpegError error;
  InstallErrorHandler(error);
  info.err = &error.Manager;
  // volatile: read after a longjmp.
  volatile TVxImageStatus failure = TVxImageStatus::CorruptImage;
  if (setjmp(error.Jump)) {
    jpeg_destroy_decompress(&info);
    return failure;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, file.Data, SourceSize(file));
  jpeg_read_header(&info, TRUE);
  if (CheckDimensions(info.image_width, info.image_height) != TVxImageStatus::Ok) {
    failure = TVxImageStatus::TooLarge;
    longjmp(error.Jump, 1);
  }
  info.scale_num = 1;
  info.scale_denom = static_cast<unsigned>(denominator);
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_start_decompress(&info);
  if (static_cast<int32_t>(info.output_width) != target.Width ||
      static_cast<int32_t>(info.output_height) != target.Height) {
    failure = TVxImageStatus::InvalidParameter;
    longjmp(error.Jump, 1);
  }
  // Pool memory goes away with the decompressor, also after a longjmp.
  const auto common = reinterpret_cast<j_common_ptr>(&info);
  if (cmyk) {
    JSAMPARRAY scratch = (*info.mem->alloc_sarray)(common, JPOOL_IMAGE, info.output_width * 4, 1);
    while (info.output_scanline < info.output_height) {
      uint8_t *row = target.Row(static_cast<int32_t>(info.output_scanline));
      jpeg_read_scanlines(&info, scratch, 1);
      CmykRowToBgr(scratch[0], row, info.output_width, info.saw_Adobe_marker);
      if (error.Truncated) longjmp(error.Jump, 1);
    }
  } else {
    // Asking for every remaining row at once lets the library write whole row
    // groups in place instead of going through its spare row.
    auto *rows = static_cast<JSAMPARRAY>(
        (*info.mem->alloc_large)(common, JPOOL_IMAGE, sizeof(JSAMPROW) * info.output_height));
    for (JDIMENSION y = 0; y < info.output_height; ++y)
      rows[y] = target.Row(static_cast<int32_t>(y));
    while (info.output_scanline < info.output_height) {
      jpeg_read_scanlines(&info, rows + info.output_scanline,
                          info.output_height - info.output_scanline);
      if (error.Truncated) longjmp(error.Jump, 1);
    }
  }
  jpeg_finish_decompress(&info);
  const bool truncated = error.Truncated;
  jpeg_destroy_decompress(&info);
  return truncated ? TVxImageStatus::CorruptImage : TVxImageStatus::Ok;
}

TVxImageStatus EncodeJpeg(const TVxPixels &pixels, int quality, float dpiX, float dpiY,
                          std::vector<uint8_t> &file) {
  if (pixels.Format != PixelFormat24 || pixels.Width <= 0 || pixels.Height <= 0 ||
      pixels.Width > 65500 || pixels.Height > 65500)
    return TVxImageStatus::InvalidParameter;
  jpeg_compress_struct info;
  TJpegError error;
  InstallErrorHandler(error);
  info.err = &error.Manager;
  unsigned char *buffer = nullptr;
  unsigned long size = 0;
  if (setjmp(error.Jump)) {
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return TVxImageStatus::OutOfMemory;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(pixels.Width);
  info.image_height = static_cast<JDIMENSION>(pixels.Height);
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality < 0 ? 0 : quality > 100 ? 100 : quality, TRUE);
  info.write_JFIF_header = TRUE;
  info.density_unit = 1;
  info.X_density = static_cast<UINT16>(dpiX < 1 ? 1 : dpiX > 65535 ? 65535 : dpiX + 0.5f);
  info.Y_density = static_cast<UINT16>(dpiY < 1 ? 1 : dpiY > 65535 ? 65535 : dpiY + 0.5f);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[1] = {pixels.Bits + static_cast<ptrdiff_t>(info.next_scanline) * pixels.Stride};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  file.assign(buffer, buffer + size);
  std::free(buffer);
  return TVxImageStatus::Ok;
}

}  // namespace platform
