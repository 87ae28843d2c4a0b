// Metadata through Exiv2, turned into property items: tags of the main IFD,
// the Exif IFD, the GPS IFD and the interoperability IFD keep their numbers and
// their directory; the thumbnail IFD's tags move to 0x5020-0x503B and the
// embedded JPEG thumbnail becomes 0x501B, described by 0x5012-0x5019. The
// colour profile, XMP, IPTC and a maker note Exiv2 understands travel as items
// of their own and are written back through Exiv2, which puts each where the
// target format keeps it. Values are little-endian whatever the file's byte
// order. Exiv2 reports problems by exceptions and log messages: the former
// become statuses, the latter are muted.

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <array>
#include <mutex>
#include <sstream>
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

uint32_t ImpliedDirectory(uint16_t tag) {
  if (tag <= 0x1F) return PropertyDirectoryGps;
  return IsExifIfdTag(tag) ? PropertyDirectoryExif : PropertyDirectoryImage;
}

struct TDirectoryGroup {
  uint32_t Directory;
  const char *Group;  // Exiv2's name
};
constexpr TDirectoryGroup DirectoryGroups[] = {
    {PropertyDirectoryImage, "Image"},
    {PropertyDirectoryExif, "Photo"},
    {PropertyDirectoryGps, "GPSInfo"},
    {PropertyDirectoryInterop, "Iop"},
};

// 0 for the groups that are no item directory.
uint32_t DirectoryOfGroup(const std::string &group) {
  for (const TDirectoryGroup &d : DirectoryGroups)
    if (group == d.Group) return d.Directory;
  return 0;
}

const char *GroupOfDirectory(uint32_t directory) {
  for (const TDirectoryGroup &d : DirectoryGroups)
    if (directory == d.Directory) return d.Group;
  return nullptr;
}

uint32_t ItemTagFor(uint32_t directory, uint16_t tag) {
  return directory == ImpliedDirectory(tag) ? tag : PropertyTagInDirectory(directory, tag);
}

// The directory of an item's tag, or 0 when it names none.
uint32_t DirectoryOfItemTag(uint32_t itemTag) {
  const uint32_t marked = itemTag >> 16;
  if (marked == 0) return ImpliedDirectory(static_cast<uint16_t>(itemTag));
  return GroupOfDirectory(marked) ? marked : 0;
}

// Main-IFD tags that travel as items of their own rather than as EXIF fields.
// Photoshop's image resources are left behind: their IPTC part is carried as
// IPTC, the rest is Photoshop's private state of the old file.
bool IsCarriedSeparately(uint16_t tag) {
  return tag == PropertyTagICCProfile || tag == PropertyTagXMP || tag == PropertyTagIPTC ||
         tag == 0x8649;
}

bool IsMakerNoteGroup(const std::string &group) {
  return group == "MakerNote" || Exiv2::ExifTags::isMakerGroup(group);
}

// Exiv2 keeps these sub-directory offsets of maker notes as plain numbers:
// moved, they would point at unrelated bytes.
bool IsStaleMakerNoteOffset(const std::string &key) { return key == "Exif.Nikon3.ScanIFD"; }

uint64_t Checksum(const std::vector<uint8_t> &bytes) {
  uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a
  for (const uint8_t b : bytes) hash = (hash ^ b) * 0x100000001B3ull;
  return hash;
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

namespace {

void AddExifItems(const Exiv2::ExifData &exif, bool hasThumbnailIfd, TVxPropertyItems &items) {
  for (const Exiv2::Exifdatum &datum : exif) {
    const std::string group = datum.groupName();
    const uint16_t tag = datum.tag();
    if (const uint32_t directory = DirectoryOfGroup(group)) {
      const bool main = directory == PropertyDirectoryImage;
      if (!(main && IsCarriedSeparately(tag)) &&
          !(directory <= PropertyDirectoryExif && IsIfdPointer(tag)))
        items.push_back(MakeItem(ItemTagFor(directory, tag), datum));
    } else if (group == "Thumbnail" && hasThumbnailIfd) {
      if (const uint32_t renumbered = ThumbnailPropertyTagFor(tag))
        items.push_back(MakeItem(renumbered, datum));
    }
  }
  if (hasThumbnailIfd) AddThumbnailItems(exif, items);
}

void AddMakerNoteFields(const Exiv2::ExifData &exif, TVxPropertyItems &items) {
  Exiv2::ExifData fields;
  const Exiv2::Exifdatum *note = nullptr;
  bool decoded = false;
  for (const Exiv2::Exifdatum &datum : exif) {
    const std::string group = datum.groupName();
    const std::string key = datum.key();
    if (key == "Exif.Photo.MakerNote") {
      note = &datum;
    } else if (IsMakerNoteGroup(group)) {
      decoded = decoded || group != "MakerNote";
      fields.add(datum);
    } else if (key == "Exif.Image.Make" || key == "Exif.Image.Model") {
      fields.add(datum);  // they choose the note's layout when it is written
    }
  }
  if (!note || !decoded) return;
  Exiv2::Blob block;
  try {
    Exiv2::ExifParser::encode(block, Exiv2::littleEndian, fields);
  } catch (const Exiv2::AnyError &) {
    return;  // the note still travels as the bytes of 0x927C
  }
  const uint64_t checksum = Checksum(MakeItem(PropertyTagMakerNote, *note).Value);
  TVxPropertyItem item{PropertyTagMakerNoteFields, PropertyTypeUndefined, {}};
  for (int i = 0; i < 8; ++i) item.Value.push_back(static_cast<uint8_t>(checksum >> (8 * i)));
  item.Value.insert(item.Value.end(), block.begin(), block.end());
  items.push_back(std::move(item));
}

void AddBytesItem(uint32_t tag, uint16_t type, const uint8_t *data, size_t size,
                  TVxPropertyItems &items) {
  if (data && size) items.push_back({tag, type, std::vector<uint8_t>(data, data + size)});
}

// Exiv2's packet is its own re-serialisation of what it understood; the file's
// own bytes are what must travel. Empty when the file has no XMP.
std::string RawXmpPacket(Exiv2::Image &image) {
  if (image.xmpPacket().empty()) return {};
  try {
    std::ostringstream raw;
    image.printStructure(raw, Exiv2::kpsXMP, 0);
    if (!raw.str().empty()) return raw.str();
  } catch (...) {
    // the re-serialised packet below is better than none
  }
  return image.xmpPacket();
}

void AddEmbeddedItems(Exiv2::Image &image, TVxPropertyItems &items) {
  if (image.iccProfileDefined()) {
    const Exiv2::DataBuf *icc = image.iccProfile();
    AddBytesItem(PropertyTagICCProfile, PropertyTypeUndefined, icc->pData_,
                 static_cast<size_t>(icc->size_), items);
  }
  const std::string xmp = RawXmpPacket(image);
  AddBytesItem(PropertyTagXMP, PropertyTypeByte, reinterpret_cast<const uint8_t *>(xmp.data()),
               xmp.size(), items);
  if (!image.iptcData().empty()) {
    const Exiv2::DataBuf iptc = Exiv2::IptcParser::encode(image.iptcData());
    AddBytesItem(PropertyTagIPTC, PropertyTypeUndefined, iptc.pData_,
                 static_cast<size_t>(iptc.size_), items);
  }
}

}  // namespace

TVxImageStatus ReadPropertyItems(TByteView file, TVxPropertyItems &items) {
  items.clear();
  SilenceExiv2();
  try {
    auto image = Exiv2::ImageFactory::open(file.Data, static_cast<long>(file.Size));
    if (!image.get()) return TVxImageStatus::UnknownImageFormat;
    image->readMetadata();
    // In a TIFF file the second IFD is the next page, not a thumbnail.
    AddExifItems(image->exifData(), !LooksLikeTiff(file), items);
    AddMakerNoteFields(image->exifData(), items);
    AddEmbeddedItems(*image, items);
  } catch (const std::bad_alloc &) {
    items.clear();
    return TVxImageStatus::OutOfMemory;
  } catch (...) {
    items.clear();
    return TVxImageStatus::CorruptImage;
  }
  return TVxImageStatus::Ok;
}

namespace {

// What goes into the file besides the EXIF fields.
struct TEmbedded {
  const TVxPropertyItem *Icc = nullptr;
  const TVxPropertyItem *Xmp = nullptr;
  const TVxPropertyItem *Iptc = nullptr;
  const TVxPropertyItem *MakerNote = nullptr;
  const TVxPropertyItem *MakerNoteFields = nullptr;
};

TEmbedded FindEmbedded(const TVxPropertyItems &items) {
  TEmbedded found;
  for (const TVxPropertyItem &item : items) {
    if (item.Tag == PropertyTagICCProfile) found.Icc = &item;
    if (item.Tag == PropertyTagXMP) found.Xmp = &item;
    if (item.Tag == PropertyTagIPTC) found.Iptc = &item;
    if (item.Tag == PropertyTagMakerNote) found.MakerNote = &item;
    if (item.Tag == PropertyTagMakerNoteFields) found.MakerNoteFields = &item;
  }
  return found;
}

// The decoded maker note when it still belongs to the 0x927C item; empty when
// the note is unknown to Exiv2 or was changed since it was read.
Exiv2::ExifData MakerNoteFields(const TEmbedded &embedded) {
  Exiv2::ExifData fields;
  const TVxPropertyItem *stored = embedded.MakerNoteFields;
  if (!embedded.MakerNote || !stored || stored->Value.size() <= 8) return fields;
  uint64_t checksum = 0;
  for (int i = 0; i < 8; ++i) checksum |= static_cast<uint64_t>(stored->Value[i]) << (8 * i);
  if (checksum != Checksum(embedded.MakerNote->Value)) return fields;
  Exiv2::ExifData block;
  try {
    Exiv2::ExifParser::decode(block, stored->Value.data() + 8,
                              static_cast<uint32_t>(stored->Value.size() - 8));
  } catch (const Exiv2::AnyError &) {
    return fields;  // damaged: 0x927C is written as it is
  }
  for (const Exiv2::Exifdatum &datum : block)
    if (IsMakerNoteGroup(datum.groupName()) && !IsStaleMakerNoteOffset(datum.key()))
      fields.add(datum);
  return fields;
}

void AddExifField(const TVxPropertyItem &item, uint32_t directory, float dpiX, float dpiY,
                  Exiv2::ExifData &exif) {
  const uint16_t tag = static_cast<uint16_t>(item.Tag & 0xFFFF);
  const bool main = directory == PropertyDirectoryImage;
  const bool resolution = main && (tag == 0x011A || tag == 0x011B);
  std::vector<uint8_t> bytes = item.Value;
  if (resolution) bytes = RationalBytes(tag == 0x011A ? dpiX : dpiY);
  const uint16_t type = resolution ? PropertyTypeRational : item.Type;
  Exiv2::Value::AutoPtr value = Exiv2::Value::create(static_cast<Exiv2::TypeId>(type));
  if (value->read(bytes.data(), static_cast<long>(bytes.size()), Exiv2::littleEndian) != 0) return;
  exif.add(Exiv2::ExifKey(tag, GroupOfDirectory(directory)), value.get());
}

Exiv2::ExifData ExifFields(const TVxPropertyItems &items, const TEmbedded &embedded, float dpiX,
                           float dpiY) {
  Exiv2::ExifData exif = MakerNoteFields(embedded);
  const bool noteRebuilt = !exif.empty();
  for (const TVxPropertyItem &item : items) {
    const uint32_t directory = DirectoryOfItemTag(item.Tag);
    const uint16_t tag = static_cast<uint16_t>(item.Tag & 0xFFFF);
    if (!directory || IsThumbnailPropertyTag(item.Tag)) continue;
    const bool main = directory == PropertyDirectoryImage;
    const bool pixelLayout = directory <= PropertyDirectoryExif && DescribesPixelData(tag);
    if (pixelLayout || (main && IsCarriedSeparately(tag))) continue;
    if (noteRebuilt && item.Tag == PropertyTagMakerNote) continue;
    AddExifField(item, directory, dpiX, dpiY, exif);
  }
  if (const auto unit = exif.findKey(Exiv2::ExifKey("Exif.Image.ResolutionUnit"));
      unit != exif.end())
    unit->setValue("2");  // inches, as the resolution just written
  return exif;
}

void SetEmbedded(Exiv2::Image &image, const TEmbedded &embedded) {
  if (embedded.Icc && !embedded.Icc->Value.empty()) {
    Exiv2::DataBuf icc(embedded.Icc->Value.data(), static_cast<long>(embedded.Icc->Value.size()));
    image.setIccProfile(icc, false);  // a profile the source carried goes on as it was
  }
  if (embedded.Xmp && !embedded.Xmp->Value.empty()) {
    const std::string packet(embedded.Xmp->Value.begin(), embedded.Xmp->Value.end());
    try {
      image.setXmpPacket(packet);
    } catch (const Exiv2::AnyError &) {
      // Exiv2 cannot parse it: assigned as it is, the JPEG and PNG writers
      // still carry it, rather than the whole save failing over it.
      image.xmpPacket() = packet;
    }
    image.writeXmpFromPacket(true);
  }
  if (embedded.Iptc && !embedded.Iptc->Value.empty()) {
    Exiv2::IptcData iptc;
    if (Exiv2::IptcParser::decode(iptc, embedded.Iptc->Value.data(),
                                  static_cast<uint32_t>(embedded.Iptc->Value.size())) == 0)
      image.setIptcData(iptc);
  }
}

}  // namespace

TVxImageStatus AttachPropertyItems(std::vector<uint8_t> &file, const TVxPropertyItems &items,
                                   float dpiX, float dpiY) {
  SilenceExiv2();
  try {
    const TEmbedded embedded = FindEmbedded(items);
    const Exiv2::ExifData exif = ExifFields(items, embedded, dpiX, dpiY);
    if (exif.empty() && !embedded.Icc && !embedded.Xmp && !embedded.Iptc) return TVxImageStatus::Ok;

    auto image = Exiv2::ImageFactory::open(file.data(), static_cast<long>(file.size()));
    if (!image.get()) return TVxImageStatus::InvalidParameter;
    image->readMetadata();
    image->setExifData(exif);
    SetEmbedded(*image, embedded);
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
