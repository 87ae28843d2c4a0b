// EXIF metadata through Exiv2, turned into property items: tags of the main
// IFD, the Exif IFD and the GPS IFD keep their numbers; the thumbnail IFD's
// tags move to 0x5020-0x503B and the embedded JPEG thumbnail becomes 0x501B,
// described by 0x5012-0x5019. Values are little-endian whatever the file's
// byte order. Exiv2 reports problems by exceptions and log messages: the
// former become statuses, the latter are muted.

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <array>
#include <mutex>
#include <utility>

#include "imaging/codecs/ImageCodecs.h"

namespace platform {
namespace {

constexpr std::array<std::pair<uint16_t, uint32_t>, 28> ThumbnailTags{{
    {0x0100, 0x5020}, {0x0101, 0x5021}, {0x0102, 0x5022}, {0x0103, 0x5023}, {0x0106, 0x5024},
    {0x010E, 0x5025}, {0x010F, 0x5026}, {0x0110, 0x5027}, {0x0111, 0x5028}, {0x0112, 0x5029},
    {0x0115, 0x502A}, {0x0116, 0x502B}, {0x0117, 0x502C}, {0x011A, 0x502D}, {0x011B, 0x502E},
    {0x011C, 0x502F}, {0x0128, 0x5030}, {0x012D, 0x5031}, {0x0131, 0x5032}, {0x0132, 0x5033},
    {0x013B, 0x5034}, {0x013E, 0x5035}, {0x013F, 0x5036}, {0x0211, 0x5037}, {0x0212, 0x5038},
    {0x0213, 0x5039}, {0x0214, 0x503A}, {0x8298, 0x503B},
}};

// Tags that locate or shape the pixel data of the file they were read from:
// written into another file they would point at nothing or contradict the
// encoder's own, so they are never attached.
bool DescribesPixelData(uint32_t tag) {
  switch (tag) {
    case 0x00FE:
    case 0x0100:
    case 0x0101:
    case 0x0102:
    case 0x0103:
    case 0x0106:
    case 0x0111:
    case 0x0115:
    case 0x0116:
    case 0x0117:
    case 0x011C:
    case 0x013D:
    case 0x0140:
    case 0x0142:
    case 0x0143:
    case 0x0144:
    case 0x0145:
    case 0x014A:
    case 0x0152:
    case 0x0153:
    case 0x0201:
    case 0x0202:
    case 0x8769:
    case 0x8825:
    case 0xA005:
      return true;
    default:
      return false;
  }
}

// Offsets to other IFDs mean nothing outside the file; they are left out when reading.
bool IsIfdPointer(uint32_t tag) {
  return tag == 0x8769 || tag == 0x8825 || tag == 0xA005 || tag == 0x014A;
}

void SilenceExiv2() {
  static std::once_flag once;
  std::call_once(once, [] {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    Exiv2::XmpParser::initialize();
  });
}

uint16_t ItemType(Exiv2::TypeId type) {
  const int code = static_cast<int>(type);
  return code >= 1 && code <= 12 ? static_cast<uint16_t>(code) : PropertyTypeUndefined;
}

TVxPropertyItem MakeItem(uint32_t tag, const Exiv2::Exifdatum &datum) {
  TVxPropertyItem item;
  item.Tag = tag;
  item.Type = ItemType(datum.typeId());
  item.Value.resize(datum.size());
  if (!item.Value.empty()) datum.copy(item.Value.data(), Exiv2::littleEndian);
  return item;
}

TVxPropertyItem LongItem(uint32_t tag, uint32_t value) {
  TVxPropertyItem item{tag, PropertyTypeLong, std::vector<uint8_t>(4)};
  for (int i = 0; i < 4; ++i) item.Value[i] = static_cast<uint8_t>(value >> (8 * i));
  return item;
}

void AddThumbnailItems(const Exiv2::ExifData &exif, TVxPropertyItems &items) {
  Exiv2::ExifThumbC thumb(exif);
  if (std::string(thumb.mimeType()) != "image/jpeg") return;
  const Exiv2::DataBuf data = thumb.copy();
  if (data.size_ <= 0) return;
  TImageHeader header;
  const TByteView view{data.pData_, static_cast<size_t>(data.size_)};
  if (ReadJpegHeader(view, header) != TVxImageStatus::Ok) return;
  const uint32_t size = static_cast<uint32_t>(data.size_);
  const uint32_t rawBytes =
      (static_cast<uint32_t>(header.Width) * 3 + 3) / 4 * 4 * static_cast<uint32_t>(header.Height);
  items.push_back(LongItem(PropertyTagThumbnailFormat, 1));  // 1: JPEG
  items.push_back(LongItem(PropertyTagThumbnailWidth, static_cast<uint32_t>(header.Width)));
  items.push_back(LongItem(PropertyTagThumbnailHeight, static_cast<uint32_t>(header.Height)));
  items.push_back(LongItem(PropertyTagThumbnailColorDepth, 24));
  items.push_back(LongItem(PropertyTagThumbnailPlanes, 1));
  items.push_back(LongItem(PropertyTagThumbnailRawBytes, rawBytes));
  items.push_back(LongItem(PropertyTagThumbnailSize, size));
  items.push_back(LongItem(PropertyTagThumbnailCompressedSize, size));
  items.push_back({PropertyTagThumbnailData, PropertyTypeByte,
                   std::vector<uint8_t>(data.pData_, data.pData_ + size)});
}

bool IsExifIfdTag(uint16_t tag) {
  static const std::vector<uint16_t> tags = [] {
    std::vector<uint16_t> list;
    for (const Exiv2::TagInfo *info = Exiv2::ExifTags::tagList("Photo");
         info && info->tag_ != 0xFFFF; ++info)
      list.push_back(info->tag_);
    std::sort(list.begin(), list.end());
    return list;
  }();
  return std::binary_search(tags.begin(), tags.end(), tag);
}

const char *GroupForTag(uint32_t tag) {
  if (tag <= 0x1F) return "GPSInfo";
  return IsExifIfdTag(static_cast<uint16_t>(tag)) ? "Photo" : "Image";
}

// A resolution as an unsigned rational, exact for whole and hundredth values.
std::vector<uint8_t> RationalBytes(float value) {
  const bool whole = value == static_cast<float>(static_cast<uint32_t>(value));
  const uint32_t den = whole ? 1 : 100;
  const uint32_t num = static_cast<uint32_t>(value * static_cast<float>(den) + 0.5f);
  std::vector<uint8_t> bytes(8);
  for (int i = 0; i < 4; ++i) {
    bytes[i] = static_cast<uint8_t>(num >> (8 * i));
    bytes[4 + i] = static_cast<uint8_t>(den >> (8 * i));
  }
  return bytes;
}

}  // namespace
}  // namespace platform

uint32_t ThumbnailPropertyTagFor(uint32_t tiffTag) {
  for (const auto &[tiff, thumbnail] : platform::ThumbnailTags)
    if (tiff == tiffTag) return thumbnail;
  return 0;
}

namespace platform {

TVxImageStatus ReadPropertyItems(TByteView file, TVxPropertyItems &items) {
  items.clear();
  SilenceExiv2();
  try {
    auto image = Exiv2::ImageFactory::open(file.Data, static_cast<long>(file.Size));
    if (!image.get()) return TVxImageStatus::UnknownImageFormat;
    image->readMetadata();
    const Exiv2::ExifData &exif = image->exifData();
    // In a TIFF file the second IFD is the next page, not a thumbnail.
    const bool hasThumbnailIfd = !LooksLikeTiff(file);
    for (const Exiv2::Exifdatum &datum : exif) {
      const std::string group = datum.groupName();
      const uint32_t tag = datum.tag();
      if (group == "Image" || group == "Photo" || group == "GPSInfo") {
        if (!IsIfdPointer(tag)) items.push_back(MakeItem(tag, datum));
      } else if (group == "Thumbnail" && hasThumbnailIfd) {
        if (const uint32_t renumbered = ThumbnailPropertyTagFor(tag))
          items.push_back(MakeItem(renumbered, datum));
      }
    }
    if (hasThumbnailIfd) AddThumbnailItems(exif, items);
  } catch (const std::bad_alloc &) {
    items.clear();
    return TVxImageStatus::OutOfMemory;
  } catch (...) {
    items.clear();
    return TVxImageStatus::CorruptImage;
  }
  return TVxImageStatus::Ok;
}

TVxImageStatus AttachPropertyItems(std::vector<uint8_t> &file, const TVxPropertyItems &items,
                                   float dpiX, float dpiY) {
  SilenceExiv2();
  try {
    Exiv2::ExifData exif;
    for (const TVxPropertyItem &item : items) {
      if (IsThumbnailPropertyTag(item.Tag) || DescribesPixelData(item.Tag) || item.Tag > 0xFFFF)
        continue;
      const Exiv2::byte *bytes = item.Value.data();
      long length = static_cast<long>(item.Value.size());
      std::vector<uint8_t> resolution;
      if (item.Tag == 0x011A || item.Tag == 0x011B) {
        resolution = RationalBytes(item.Tag == 0x011A ? dpiX : dpiY);
        bytes = resolution.data();
        length = static_cast<long>(resolution.size());
      }
      const uint16_t type =
          item.Tag == 0x011A || item.Tag == 0x011B ? PropertyTypeRational : item.Type;
      Exiv2::Value::AutoPtr value = Exiv2::Value::create(static_cast<Exiv2::TypeId>(type));
      if (value->read(bytes, length, Exiv2::littleEndian) != 0) continue;
      exif.add(Exiv2::ExifKey(static_cast<uint16_t>(item.Tag), GroupForTag(item.Tag)), value.get());
    }
    if (const auto unit = exif.findKey(Exiv2::ExifKey("Exif.Image.ResolutionUnit"));
        unit != exif.end())
      unit->setValue("2");  // inches, as the resolution just written
    if (exif.empty()) return TVxImageStatus::Ok;

    auto image = Exiv2::ImageFactory::open(file.data(), static_cast<long>(file.size()));
    if (!image.get()) return TVxImageStatus::InvalidParameter;
    image->readMetadata();
    image->setExifData(exif);
    image->writeMetadata();
    Exiv2::BasicIo &io = image->io();
    if (io.open() != 0) return TVxImageStatus::WriteFailed;
    const long size = io.size();
    std::vector<uint8_t> rewritten(static_cast<size_t>(size));
    io.seek(0, Exiv2::BasicIo::beg);
    const long read = io.read(rewritten.data(), size);
    io.close();
    if (read != size) return TVxImageStatus::WriteFailed;
    file = std::move(rewritten);
  } catch (const std::bad_alloc &) {
    return TVxImageStatus::OutOfMemory;
  } catch (...) {
    return TVxImageStatus::WriteFailed;
  }
  return TVxImageStatus::Ok;
}

}  // namespace platform
