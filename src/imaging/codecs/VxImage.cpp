#include "imaging/codecs/VxImage.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "base/VxProperties.h"
#include "imaging/VxResamplers.h"
#include "imaging/codecs/ImageCodecs.h"
#include "platform/FileReplace.h"

using platform::TByteView;
using platform::TImageHeader;
using platform::TRowTarget;

namespace platform {

TVxImageStatus CheckDimensions(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) return TVxImageStatus::CorruptImage;
  if (width > VxMaxImageSide || height > VxMaxImageSide || width * height > VxMaxImagePixels)
    return TVxImageStatus::TooLarge;
  return TVxImageStatus::Ok;
}

}  // namespace platform

namespace {

constexpr float DefaultDpi = 96.0f;

// A resolution item (RATIONAL, little-endian) as a float; 0 when unusable.
float RationalValue(const TVxPropertyItem *item) {
  if (!item || item->Type != PropertyTypeRational || item->Value.size() < 8) return 0;
  uint32_t num = 0, den = 0;
  for (int i = 0; i < 4; ++i) {
    num |= static_cast<uint32_t>(item->Value[i]) << (8 * i);
    den |= static_cast<uint32_t>(item->Value[4 + i]) << (8 * i);
  }
  return den ? static_cast<float>(static_cast<double>(num) / den) : 0;
}

float UsableDpi(float dpi) {
  return dpi > 0 && dpi <= 1e6f && std::isfinite(dpi) ? dpi : DefaultDpi;
}

// One row per format: how it is recognised, read, decoded and written, and
// whether its files carry metadata items. Only JPEG decodes at reduced scale and
// only JPEG takes a quality; the other rows ignore those arguments.
struct TCodec {
  TVxRawFormat Format;
  const char *Mime;
  bool CarriesItems;
  bool (*LooksLike)(TByteView file);
  TVxImageStatus (*ReadHeader)(TByteView file, TImageHeader &header);
  TVxImageStatus (*Decode)(TByteView file, int denominator, const TRowTarget &target);
  TVxImageStatus (*Encode)(const TVxPixels &pixels, int quality, float dpiX, float dpiY,
                           std::vector<uint8_t> &file);
};

// In the order the encoders are listed.
const TCodec Codecs[] = {
    {TVxRawFormat::Bmp, "image/bmp", false, platform::LooksLikeBmp, platform::ReadBmpHeader,
     [](TByteView file, int, const TRowTarget &target) {
       return platform::DecodeBmp(file, target);
     },
     [](const TVxPixels &pixels, int, float dpiX, float dpiY, std::vector<uint8_t> &file) {
       return platform::EncodeBmp(pixels, dpiX, dpiY, file);
     }},
    {TVxRawFormat::Jpeg, "image/jpeg", true, platform::LooksLikeJpeg, platform::ReadJpegHeader,
     platform::DecodeJpeg, platform::EncodeJpeg},
    {TVxRawFormat::Tiff, "image/tiff", true, platform::LooksLikeTiff, platform::ReadTiffHeader,
     [](TByteView file, int, const TRowTarget &target) {
       return platform::DecodeTiff(file, target);
     },
     [](const TVxPixels &pixels, int, float dpiX, float dpiY, std::vector<uint8_t> &file) {
       return platform::EncodeTiff(pixels, dpiX, dpiY, file);
     }},
    {TVxRawFormat::Png, "image/png", true, platform::LooksLikePng, platform::ReadPngHeader,
     [](TByteView file, int, const TRowTarget &target) {
       return platform::DecodePng(file, target);
     },
     [](const TVxPixels &pixels, int, float dpiX, float dpiY, std::vector<uint8_t> &file) {
       return platform::EncodePng(pixels, dpiX, dpiY, file);
     }},
};

// The signatures do not overlap, so the order of the probes does not matter.
const TCodec *CodecForFile(TByteView file) {
  for (const TCodec &codec : Codecs)
    if (codec.LooksLike(file)) return &codec;
  return nullptr;
}

const TCodec *CodecForFormat(TVxRawFormat format) {
  for (const TCodec &codec : Codecs)
    if (codec.Format == format) return &codec;
  return nullptr;
}

const TCodec *CodecForMime(std::string_view mime) {
  for (const TCodec &codec : Codecs)
    if (mime == codec.Mime) return &codec;
  return nullptr;
}

}  // namespace

bool IsThumbnailPropertyTag(uint32_t tag) {
  return (tag >= PropertyTagThumbnailFormat && tag <= PropertyTagThumbnailCompressedSize) ||
         (tag >= PropertyTagThumbnailData && tag <= PropertyTagThumbnailLast);
}

TVxImage::TVxImage() = default;
TVxImage::~TVxImage() = default;
TVxImage::TVxImage(TVxImage &&) noexcept = default;
TVxImage &TVxImage::operator=(TVxImage &&) noexcept = default;

void TVxImage::Reset() {
  Bytes.clear();
  Bytes.shrink_to_fit();
  Format = TVxRawFormat::Unknown;
  ImageWidth = ImageHeight = 0;
  DpiX = DpiY = 0;
  Items.reset();
}

TVxImageStatus TVxImage::LoadFromFile(const std::filesystem::path &path) {
  Reset();
  // A folder opens as a stream and throws on the first read; a pipe would
  // never end. Only a file is an image.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return TVxImageStatus::FileNotFound;
  std::ifstream in(path, std::ios::binary);
  if (!in) return TVxImageStatus::FileNotFound;
  try {
    Bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::bad_alloc &) {
    Reset();
    return TVxImageStatus::OutOfMemory;
  } catch (const std::ios_base::failure &) {
    Reset();
    return TVxImageStatus::CorruptImage;
  }
  if (in.bad()) {
    Reset();
    return TVxImageStatus::CorruptImage;
  }
  return ParseHeader();
}

TVxImageStatus TVxImage::LoadFromMemory(const void *data, size_t size) {
  Reset();
  if (!data && size) return TVxImageStatus::InvalidParameter;
  const auto *bytes = static_cast<const uint8_t *>(data);
  Bytes.assign(bytes, bytes + size);
  return ParseHeader();
}

TVxImageStatus TVxImage::ParseHeader() {
  const TByteView view{Bytes.data(), Bytes.size()};
  const TCodec *codec = CodecForFile(view);
  if (!codec) {
    Reset();
    return TVxImageStatus::UnknownImageFormat;
  }
  TImageHeader header;
  if (const TVxImageStatus status = codec->ReadHeader(view, header); status != TVxImageStatus::Ok) {
    Reset();
    return status;
  }
  Format = codec->Format;
  ImageWidth = header.Width;
  ImageHeight = header.Height;
  DpiX = header.DpiX;
  DpiY = header.DpiY;
  return TVxImageStatus::Ok;
}

float TVxImage::ResolutionOf(float headerDpi, uint32_t exifTag) const {
  if (headerDpi > 0 || Format != TVxRawFormat::Jpeg) return UsableDpi(headerDpi);
  // A JPEG without JFIF density may carry its resolution in EXIF (unit 3: centimetres).
  const TVxPropertyItem *unit = PropertyItem(0x0128);
  const float scale = unit && unit->Value.size() >= 2 && unit->Value[0] == 3 ? 2.54f : 1.0f;
  return UsableDpi(RationalValue(PropertyItem(exifTag)) * scale);
}

float TVxImage::HorizontalResolution() const { return ResolutionOf(DpiX, 0x011A); }
float TVxImage::VerticalResolution() const { return ResolutionOf(DpiY, 0x011B); }

const TVxPropertyItems &TVxImage::PropertyItems() const {
  if (!Items) {
    Items.emplace();
    if (const TCodec *codec = CodecForFormat(Format); codec && codec->CarriesItems) {
      // Metadata that cannot be read leaves the image without items; its pixels may still be fine.
      if (platform::ReadPropertyItems({Bytes.data(), Bytes.size()}, *Items) != TVxImageStatus::Ok)
        Items->clear();
    }
  }
  return *Items;
}

const TVxPropertyItem *TVxImage::PropertyItem(uint32_t tag) const {
  for (const TVxPropertyItem &item : PropertyItems())
    if (item.Tag == tag) return &item;
  return nullptr;
}

TVxImageStatus TVxImage::ReadPixels(uint8_t *firstRow, int32_t stride) const {
  if (IsEmpty()) return TVxImageStatus::InvalidParameter;
  if (!firstRow || stride < ImageWidth * 3) return TVxImageStatus::InvalidParameter;
  return CodecForFormat(Format)->Decode({Bytes.data(), Bytes.size()}, 1,
                                        {firstRow, stride, ImageWidth, ImageHeight});
}

TVxImageStatus TVxImage::ReadPixels(const TVxPixels &target) const {
  if (target.Format != PixelFormat24 || target.Width != ImageWidth || target.Height != ImageHeight)
    return TVxImageStatus::InvalidParameter;
  return ReadPixels(target.Bits, target.Stride);
}

TVxImageStatus TVxImage::DecodeAtLeast(int32_t width, int32_t height,
                                       TVxPixelBuffer &pixels) const {
  if (IsEmpty()) return TVxImageStatus::InvalidParameter;
  const TByteView view{Bytes.data(), Bytes.size()};
  int denominator = 1;
  int32_t w = ImageWidth, h = ImageHeight;
  if (Format == TVxRawFormat::Jpeg) {
    for (int d = 8; d > 1; d /= 2) {
      int32_t sw = 0, sh = 0;
      if (platform::JpegScaledSize(view, d, sw, sh) == TVxImageStatus::Ok && sw >= width &&
          sh >= height) {
        denominator = d;
        w = sw;
        h = sh;
        break;
      }
    }
  }
  pixels.SetFormatAndBounds(PixelFormat24, {0, 0, w, h});
  if (!pixels.Bits) return TVxImageStatus::OutOfMemory;
  return CodecForFormat(Format)->Decode(view, denominator, {pixels.Bits, pixels.Stride, w, h});
}

TVxImageStatus TVxImage::GetThumbnail(int32_t width, int32_t height,
                                      TVxPixelBuffer &thumbnail) const {
  if (width <= 0 || height <= 0 || platform::CheckDimensions(width, height) != TVxImageStatus::Ok)
    return TVxImageStatus::InvalidParameter;
  TVxPixelBuffer source;
  if (const TVxImageStatus status = DecodeAtLeast(width, height, source);
      status != TVxImageStatus::Ok)
    return status;
  const TVxRect box{0, 0, width, height};
  thumbnail.SetFormatAndBounds(PixelFormat24, box);
  if (!thumbnail.Bits) return TVxImageStatus::OutOfMemory;
  Resample(thumbnail, box, box, TLanczosResampler(), source.GetBounds(), source);
  return TVxImageStatus::Ok;
}

TVxImageStatus DrawImage(const TVxImage &image, TVxPixels &target, const TVxRect &rect) {
  if (image.IsEmpty() || (target.Format != PixelFormat24 && target.Format != PixelFormat32Alpha))
    return TVxImageStatus::InvalidParameter;
  const TVxRect clip = IntersectRect(rect, target.GetBounds());
  if (clip.IsEmpty()) return TVxImageStatus::Ok;
  TVxPixelBuffer source;
  if (const TVxImageStatus status = image.DecodeAtLeast(rect.Width(), rect.Height(), source);
      status != TVxImageStatus::Ok)
    return status;
  const TLanczosResampler kernel;
  if (target.Format == PixelFormat24) {
    Resample(target, rect, clip, kernel, source.GetBounds(), source);
    return TVxImageStatus::Ok;
  }
  TVxPixelBuffer scratch(PixelFormat24, clip);
  if (!scratch.Bits) return TVxImageStatus::OutOfMemory;
  Resample(scratch, rect, clip, kernel, source.GetBounds(), source);
  for (int32_t y = clip.Top; y < clip.Bottom; ++y) {
    const uint8_t *src = scratch.PixelAddress(clip.Left, y);
    uint8_t *dst = target.PixelAddress(clip.Left, y);
    for (int32_t x = clip.Left; x < clip.Right; ++x, src += 3, dst += 4) {
      std::memcpy(dst, src, 3);
      dst[3] = 0xFF;
    }
  }
  return TVxImageStatus::Ok;
}

const std::vector<std::string> &ImageEncoderMimeTypes() {
  static const std::vector<std::string> types = [] {
    std::vector<std::string> list;
    for (const TCodec &codec : Codecs) list.emplace_back(codec.Mime);
    return list;
  }();
  return types;
}

TVxImageStatus EncodeImage(const TVxPixels &pixels, std::string_view mimeType,
                           const TVxSaveOptions &options, std::vector<uint8_t> &file) {
  if (pixels.Format != PixelFormat24 || !pixels.Bits || pixels.Width <= 0 || pixels.Height <= 0)
    return TVxImageStatus::InvalidParameter;
  const TCodec *codec = CodecForMime(mimeType);
  if (!codec) return TVxImageStatus::EncoderNotFound;
  const int32_t quality = options.Quality.value_or(75);
  if (codec->Format == TVxRawFormat::Jpeg && (quality < 0 || quality > 100))
    return TVxImageStatus::InvalidParameter;
  const float dpiX = UsableDpi(options.DpiX), dpiY = UsableDpi(options.DpiY);
  const TVxImageStatus status = codec->Encode(pixels, quality, dpiX, dpiY, file);
  if (status != TVxImageStatus::Ok || !codec->CarriesItems || options.Items.empty()) return status;
  return platform::AttachPropertyItems(file, options.Items, dpiX, dpiY);
}

TVxImageStatus SaveImage(const TVxPixels &pixels, const std::filesystem::path &path,
                         std::string_view mimeType, const TVxSaveOptions &options,
                         std::error_code *writeError) {
  std::vector<uint8_t> file;
  if (const TVxImageStatus status = EncodeImage(pixels, mimeType, options, file);
      status != TVxImageStatus::Ok)
    return status;
  const std::error_code error = platform::ReplaceFile(path, file.data(), file.size());
  if (writeError) *writeError = error;
  return error ? TVxImageStatus::WriteFailed : TVxImageStatus::Ok;
}

void PropertyItemsToBag(const TVxPropertyItems &items, TVxCustomProperties &bag) {
  for (const TVxPropertyItem &item : items)
    bag.SetValue(static_cast<int32_t>(item.Tag), item.Type, item.Length(), item.Value.data());
}

TVxPropertyItems PropertyItemsFromBag(const TVxCustomProperties &bag) {
  TVxPropertyItems items;
  for (int32_t i = 0; i < bag.Count(); ++i) {
    const TVxPropertyEntry *entry = bag.EntryAt(i);
    TVxPropertyItem item;
    item.Tag = static_cast<uint32_t>(entry->Identifier);
    item.Type = static_cast<uint16_t>(entry->Type & 0xFFFF);
    item.Value.assign(entry->Value, entry->Value + entry->Size);
    items.push_back(std::move(item));
  }
  return items;
}
