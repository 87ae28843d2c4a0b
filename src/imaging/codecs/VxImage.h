#pragma once
// Decoding, encoding and metadata of photograph files (JPEG, TIFF, PNG, BMP).
//
// A TVxImage keeps the file's bytes and what its header says; pixels are
// decoded only when asked for, straight into the caller's memory, so loading a
// document costs one decode and no copy. Metadata comes as property items in the
// layout the document's property bag stores: tag, EXIF type code, value bytes
// (little-endian).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "imaging/VxPixels.h"

class TVxCustomProperties;

// 0 is success; every other value fails the operation at hand.
enum class TVxImageStatus : int32_t {
  Ok = 0,
  InvalidParameter = 2,
  OutOfMemory = 3,
  FileNotFound = 10,
  UnknownImageFormat = 13,
  CorruptImage = 14,  // truncated, damaged or hostile data
  TooLarge = 15,      // beyond VxMaxImagePixels or VxMaxImageSide
  WriteFailed = 16,
  EncoderNotFound = 17,
  Unsupported = 18,  // a valid file using a variant we do not decode
};

enum class TVxRawFormat : int32_t { Unknown, Jpeg, Tiff, Png, Bmp };

// Images are refused before any pixel block is allocated when a side or the
// pixel count is larger than this: 2^28 pixels are 768 MiB at 24 bits.
constexpr int32_t VxMaxImageSide = 1 << 18;
constexpr int64_t VxMaxImagePixels = int64_t(1) << 28;

// EXIF/TIFF type codes of property items.
constexpr uint16_t PropertyTypeByte = 1;
constexpr uint16_t PropertyTypeASCII = 2;
constexpr uint16_t PropertyTypeShort = 3;
constexpr uint16_t PropertyTypeLong = 4;
constexpr uint16_t PropertyTypeRational = 5;
constexpr uint16_t PropertyTypeUndefined = 7;
constexpr uint16_t PropertyTypeSLong = 9;
constexpr uint16_t PropertyTypeSRational = 10;

// Tags outside the EXIF numbering. The embedded thumbnail is described by
// 0x5012-0x5019 and carried in 0x501B; the tags of the thumbnail's own IFD are
// renumbered into 0x5020-0x503B so they cannot clash with those of the image.
constexpr uint32_t PropertyTagThumbnailFormat = 0x5012;
constexpr uint32_t PropertyTagThumbnailWidth = 0x5013;
constexpr uint32_t PropertyTagThumbnailHeight = 0x5014;
constexpr uint32_t PropertyTagThumbnailColorDepth = 0x5015;
constexpr uint32_t PropertyTagThumbnailPlanes = 0x5016;
constexpr uint32_t PropertyTagThumbnailRawBytes = 0x5017;
constexpr uint32_t PropertyTagThumbnailSize = 0x5018;
constexpr uint32_t PropertyTagThumbnailCompressedSize = 0x5019;
constexpr uint32_t PropertyTagColorTransferFunction = 0x501A;
constexpr uint32_t PropertyTagThumbnailData = 0x501B;
constexpr uint32_t PropertyTagThumbnailFirst = 0x5020;  // ImageWidth of the thumbnail IFD
constexpr uint32_t PropertyTagThumbnailLast = 0x503B;   // Copyright of the thumbnail IFD

// Items whose directory is not the one their number implies carry the directory
// in the high 16 bits of the tag. A bare number up to 0x1F is a GPS tag, one the
// Exif IFD defines is an Exif IFD tag, and any other a main-IFD tag; so a main-IFD
// tag numbered like a GPS tag (ProcessingSoftware, 0x000B) and every tag of the
// interoperability directory are marked. Each item keeps the directory it was read from.
constexpr uint32_t PropertyDirectoryImage = 1;  // the main IFD
constexpr uint32_t PropertyDirectoryExif = 2;
constexpr uint32_t PropertyDirectoryGps = 3;
constexpr uint32_t PropertyDirectoryInterop = 4;
constexpr uint32_t PropertyTagInDirectory(uint32_t directory, uint32_t tag) {
  return directory << 16 | (tag & 0xFFFF);
}

// Metadata that is not a field of the EXIF directories: each format keeps it in
// its own place (the colour profile in JPEG APP2, PNG iCCP or TIFF tag 34675; XMP
// and IPTC where each format puts them) and the items carry it unchanged.
constexpr uint32_t PropertyTagICCProfile = 0x8773;
constexpr uint32_t PropertyTagXMP = 0x02BC;   // the XMP packet as text
constexpr uint32_t PropertyTagIPTC = 0x83BB;  // the IPTC-IIM records
constexpr uint32_t PropertyTagMakerNote = 0x927C;
// A maker note the metadata library understands, in a form that survives a
// move: a checksum of the 0x927C item it was read with, then an EXIF block with
// the camera's make, model and the note's decoded fields. While 0x927C is
// unchanged the saved note is rebuilt from it, so offsets inside the note point
// where they should; otherwise 0x927C is written as it is.
constexpr uint32_t PropertyTagMakerNoteFields = 0x00F0927C;

// True for the tags that describe or carry the embedded thumbnail
// (0x5012-0x5019 and 0x501B-0x503B; 0x501A is not one of them).
bool IsThumbnailPropertyTag(uint32_t tag);
// The thumbnail IFD's tag for a TIFF tag, or 0 when it has none.
uint32_t ThumbnailPropertyTagFor(uint32_t tiffTag);

struct TVxPropertyItem {
  uint32_t Tag = 0;
  uint16_t Type = 0;
  std::vector<uint8_t> Value;

  int32_t Length() const { return static_cast<int32_t>(Value.size()); }
  bool operator==(const TVxPropertyItem &) const = default;
};
using TVxPropertyItems = std::vector<TVxPropertyItem>;

class TVxImage {
 public:
  TVxImage();
  ~TVxImage();
  TVxImage(TVxImage &&) noexcept;
  TVxImage &operator=(TVxImage &&) noexcept;

  // Reads the file and its header; the pixels are decoded later. On failure the
  // image is left empty.
  TVxImageStatus LoadFromFile(const std::filesystem::path &path);
  TVxImageStatus LoadFromMemory(const void *data, size_t size);

  bool IsEmpty() const { return Format == TVxRawFormat::Unknown; }
  int32_t Width() const { return ImageWidth; }
  int32_t Height() const { return ImageHeight; }
  TVxRawFormat RawFormat() const { return Format; }
  // Dots per inch; 96 when the file names none.
  float HorizontalResolution() const;
  float VerticalResolution() const;

  // All metadata items, parsed on first use; empty for a BMP or a file whose
  // metadata cannot be read (the pixels may still be fine).
  const TVxPropertyItems &PropertyItems() const;
  // Null when the file has no item with that tag.
  const TVxPropertyItem *PropertyItem(uint32_t tag) const;

  // Decodes the whole image as 24-bit blue-green-red rows, top-down: row y goes
  // to firstRow + y * stride; the stride must hold Width() * 3 bytes.
  TVxImageStatus ReadPixels(uint8_t *firstRow, int32_t stride) const;
  // The same into a PixelFormat24 surface of exactly the image's size.
  TVxImageStatus ReadPixels(const TVxPixels &target) const;

  // A PixelFormat24 image of exactly width x height with the whole picture
  // stretched into it. JPEG files are decoded at the smallest of 1/8, 1/4, 1/2
  // or full scale that still covers the requested size.
  TVxImageStatus GetThumbnail(int32_t width, int32_t height, TVxPixelBuffer &thumbnail) const;

  // Decodes at a reduced size no smaller than width x height (JPEG only; other
  // formats decode at full size) into a fresh buffer at (0, 0).
  TVxImageStatus DecodeAtLeast(int32_t width, int32_t height, TVxPixelBuffer &pixels) const;

 private:
  TVxImageStatus ParseHeader();
  float ResolutionOf(float headerDpi, uint32_t exifTag) const;
  void Reset();

  std::vector<uint8_t> Bytes;
  TVxRawFormat Format = TVxRawFormat::Unknown;
  int32_t ImageWidth = 0;
  int32_t ImageHeight = 0;
  float DpiX = 0;  // 0: the header names none
  float DpiY = 0;
  mutable std::optional<TVxPropertyItems> Items;
};

// Paints the whole image stretched into rect of target (PixelFormat24 or
// PixelFormat32Alpha; absolute coordinates, clipped to target's bounds). On a
// 32-bit target the painted pixels become opaque.
TVxImageStatus DrawImage(const TVxImage &image, TVxPixels &target, const TVxRect &rect);

struct TVxSaveOptions {
  std::optional<int32_t> Quality;  // JPEG only, 0-100; 75 when absent
  float DpiX = 96;
  float DpiY = 96;
  TVxPropertyItems Items;  // attached to JPEG, TIFF and PNG files
};

// The MIME types of the encoders, one each: "image/bmp", "image/jpeg",
// "image/tiff", "image/png".
const std::vector<std::string> &ImageEncoderMimeTypes();

// Encodes a PixelFormat24 surface with the encoder of mimeType; the surface's
// rows are read in place, never copied as a whole.
TVxImageStatus EncodeImage(const TVxPixels &pixels, std::string_view mimeType,
                           const TVxSaveOptions &options, std::vector<uint8_t> &file);
// The same, written to path through a temporary file renamed over it: when
// encoding or writing fails, the file that was there stays as it was, and
// writeError (when given) receives the system's reason for a failed write.
TVxImageStatus SaveImage(const TVxPixels &pixels, const std::filesystem::path &path,
                         std::string_view mimeType, const TVxSaveOptions &options,
                         std::error_code *writeError = nullptr);

// Between property items and a property bag: one entry per item, identifier =
// tag, the item's type code, its value bytes.
void PropertyItemsToBag(const TVxPropertyItems &items, TVxCustomProperties &bag);
TVxPropertyItems PropertyItemsFromBag(const TVxCustomProperties &bag);
