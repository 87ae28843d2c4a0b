// A save must keep what a photographer's file says about itself. Each fixture
// is loaded, decoded and saved through the codecs as JPEG, TIFF and PNG, the
// way the document saves it, and exiftool, an independent reader, lists the
// metadata of the source and of the copy. Everything must match, group by
// group, apart from what describes the new pixel data.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "CodecTestSupport.h"
#include "imaging/codecs/VxImage.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using testsupport::DataPath;

namespace {

// exiftool's "-args" lines, "-Group:Tag=value", grouped by "Group:Tag".
using TTagValues = std::map<std::string, std::multiset<std::string>>;

bool HaveExiftool() { return std::system("exiftool -ver >/dev/null 2>&1") == 0; }

std::string RunExiftool(const fs::path &file) {
  const std::string command = "exiftool -args -G1 -a -u -n -q -q '" + file.string() + "' 2>&1";
  std::string output;
  if (FILE *pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (const size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    pclose(pipe);
  }
  return output;
}

// Groups about the file rather than its metadata, and groups that only hold
// the containers or the old file's thumbnail.
bool IsFileGroup(const std::string &group) {
  static const std::set<std::string> groups{"File", "System",   "Composite", "JFIF", "IFD1",
                                            "PNG",  "PNG-pHYs", "Photoshop", "Adobe"};
  return groups.count(group) > 0;
}

// Tags that describe the pixel data of the file at hand: its layout, where it
// lies, its resolution (the document's resolution is written) and the old thumbnail.
bool DescribesPixelData(const std::string &tag) {
  static const std::set<std::string> tags{"ImageWidth",
                                          "ImageHeight",
                                          "BitsPerSample",
                                          "Compression",
                                          "PhotometricInterpretation",
                                          "FillOrder",
                                          "StripOffsets",
                                          "SamplesPerPixel",
                                          "RowsPerStrip",
                                          "StripByteCounts",
                                          "PlanarConfiguration",
                                          "Predictor",
                                          "XResolution",
                                          "YResolution",
                                          "ResolutionUnit",
                                          "ThumbnailOffset",
                                          "ThumbnailLength"};
  return tags.count(tag) > 0;
}

// A TIFF file describes its own pixels with these main-IFD tags; the encoder
// writes its own (RGB, one page) and the old ones are not carried into it.
bool DescribesTiffPixels(const std::string &key) {
  static const std::set<std::string> keys{"IFD0:YCbCrPositioning", "IFD0:WhitePoint",
                                          "IFD0:PrimaryChromaticities", "IFD0:PageNumber"};
  return keys.count(key) > 0;
}

TTagValues Metadata(const fs::path &file) {
  TTagValues values;
  const std::string output = RunExiftool(file);
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(start, end - start);
    start = end + 1;
    const size_t colon = line.find(':'), equals = line.find('=');
    if (line.empty() || line[0] != '-' || colon == std::string::npos || equals < colon) continue;
    const std::string group = line.substr(1, colon - 1);
    const std::string tag = line.substr(colon + 1, equals - colon - 1);
    if (IsFileGroup(group) || DescribesPixelData(tag) || tag == "ExifToolVersion") continue;
    values[group + ":" + tag].insert(line.substr(equals + 1));
  }
  return values;
}

std::string Differences(const TTagValues &source, const TTagValues &saved) {
  std::string text;
  auto list = [](const std::multiset<std::string> &values) {
    std::string joined;
    for (const std::string &v : values) joined += (joined.empty() ? "" : " | ") + v;
    return joined;
  };
  std::set<std::string> keys;
  for (const auto &[key, values] : source) keys.insert(key);
  for (const auto &[key, values] : saved) keys.insert(key);
  for (const std::string &key : keys) {
    const auto a = source.find(key), b = saved.find(key);
    const std::string was = a == source.end() ? "<missing>" : list(a->second);
    const std::string is = b == saved.end() ? "<missing>" : list(b->second);
    if (was != is) text += "  " + key + ": " + was + "  ->  " + is + "\n";
  }
  return text;
}

bool Contains(const std::vector<uint8_t> &file, const std::string &bytes) {
  return std::search(file.begin(), file.end(), bytes.begin(), bytes.end()) != file.end();
}

struct TTarget {
  const char *Mime;
  const char *Extension;
  const char *ProfileMarker;  // where the format keeps a colour profile
};
const TTarget Targets[] = {
    {"image/jpeg", ".jpg", "ICC_PROFILE"},
    {"image/tiff", ".tif", nullptr},
    {"image/png", ".png", "iCCP"},
};

const char *const Fixtures[] = {
    "Canon_PowerShot_S40.jpg", "olympus-c960.jpg",  "DSCN0010.jpg",     "BlueSquare.jpg",
    "landscape_6.jpg",         "adobe_rgb_r03.jpg", "orientation3.tif", "orientation6.tif",
};

fs::path Fixture(const std::string &name) { return DataPath("imaging/codecs/metadata/" + name); }

// Saves as the document does: its pixels, its resolution rounded to whole dots
// per inch, and every item read from the file.
std::vector<uint8_t> SaveCopy(const TVxImage &source, const TVxPixels &pixels,
                              const TTarget &target) {
  TVxSaveOptions options;
  options.Quality = 90;
  options.DpiX = std::nearbyint(source.HorizontalResolution());
  options.DpiY = std::nearbyint(source.VerticalResolution());
  options.Items = source.PropertyItems();
  std::vector<uint8_t> file;
  EXPECT_EQ(EncodeImage(pixels, target.Mime, options, file), TVxImageStatus::Ok);
  return file;
}

}  // namespace

TEST(MetadataSurvival, ExiftoolReadsTheSameMetadataFromEverySavedCopy) {
  if (!HaveExiftool()) GTEST_SKIP() << "exiftool is missing: scripts/bootstrap installs it";
  testsupport::TempDir dir;
  for (const char *name : Fixtures) {
    TVxImage source;
    ASSERT_EQ(source.LoadFromFile(Fixture(name)), TVxImageStatus::Ok) << name;
    TVxPixelBuffer pixels;
    ASSERT_EQ(codectest::DecodeFile(Fixture(name), pixels), TVxImageStatus::Ok) << name;
    const TTagValues expected = Metadata(Fixture(name));
    const bool hasProfile = source.PropertyItem(PropertyTagICCProfile) != nullptr;
    for (const TTarget &target : Targets) {
      SCOPED_TRACE(std::string(name) + " saved as " + target.Mime);
      const std::vector<uint8_t> file = SaveCopy(source, pixels, target);
      const fs::path copy = dir / (std::string(name) + target.Extension);
      codectest::WriteFileBytes(copy, file);
      TTagValues kept = expected;
      if (std::strcmp(target.Mime, "image/tiff") == 0)
        std::erase_if(kept, [](const auto &entry) { return DescribesTiffPixels(entry.first); });
      EXPECT_EQ(Differences(kept, Metadata(copy)), "");
      if (hasProfile && target.ProfileMarker) {
        EXPECT_TRUE(Contains(file, target.ProfileMarker))
            << "the profile is not where viewers look";
      }

      // The copy holds the same stored pixels under the same orientation tag:
      // nothing was turned on the way. JPEG changes pixels a little, a turn
      // changes them a lot.
      TVxPixelBuffer saved;
      ASSERT_EQ(codectest::DecodeBytes(file, saved), TVxImageStatus::Ok);
      ASSERT_EQ(saved.Width, pixels.Width);
      ASSERT_EQ(saved.Height, pixels.Height);
      if (std::strcmp(target.Mime, "image/jpeg") == 0)
        EXPECT_LT(codectest::MeanChannelDifference(saved, pixels), 16.0);
      else
        EXPECT_EQ(codectest::MaxChannelDifference(saved, pixels), 0);
    }
  }
}

TEST(MetadataSurvival, TiffPixelsAreDecodedAsStoredUnderAnyOrientation) {
  // The fixtures store red = 10 + 40 x column, green = 10 + 60 x row and a blue
  // first pixel; orientations 3 and 6 must not move any of them.
  for (const char *name : {"orientation3.tif", "orientation6.tif"}) {
    SCOPED_TRACE(name);
    TVxImage image;
    ASSERT_EQ(image.LoadFromFile(Fixture(name)), TVxImageStatus::Ok);
    EXPECT_EQ(image.Width(), 6);
    EXPECT_EQ(image.Height(), 4);
    TVxPixelBuffer pixels;
    ASSERT_EQ(codectest::DecodeFile(Fixture(name), pixels), TVxImageStatus::Ok);
    for (int32_t y = 0; y < 4; ++y)
      for (int32_t x = 0; x < 6; ++x) {
        const uint8_t *p = pixels.PixelAddress(x, y);
        EXPECT_EQ(p[2], 10 + 40 * x) << x << "," << y;
        EXPECT_EQ(p[1], 10 + 60 * y) << x << "," << y;
        EXPECT_EQ(p[0], x == 0 && y == 0 ? 200 : 30) << x << "," << y;
      }
  }
}

namespace {

std::string AsText(const TVxPropertyItem *item) {
  return item ? std::string(item->Value.begin(), item->Value.end()) : "<missing>";
}

}  // namespace

TEST(MetadataSurvival, ItemsKeepTheirDirectoryAndTheEmbeddedMetadataAcrossASave) {
  // Read and written back by the codecs alone, so that a missing exiftool
  // still leaves these checked.
  struct TCase {
    const char *File;
    uint32_t Tag;
    const char *Contains;
  };
  const uint32_t processingSoftware = PropertyTagInDirectory(PropertyDirectoryImage, 0x000B);
  const TCase cases[] = {
      {"adobe_rgb_r03.jpg", processingSoftware, "Velora fixture"},
      {"orientation6.tif", processingSoftware, "Velora fixture"},
      {"adobe_rgb_r03.jpg", PropertyTagInDirectory(PropertyDirectoryInterop, 0x0001), "R03"},
      {"adobe_rgb_r03.jpg", 0x0001, "N"},  // a bare low number stays a GPS tag
      {"adobe_rgb_r03.jpg", PropertyTagICCProfile, "Compatible with Adobe RGB (1998)"},
      {"orientation6.tif", PropertyTagICCProfile, "Compatible with Adobe RGB (1998)"},
      {"BlueSquare.jpg", PropertyTagXMP, "Blue Square Test File - .jpg"},
      {"BlueSquare.jpg", PropertyTagIPTC, "Blue Square Test File - .jpg"},
      {"orientation3.tif", PropertyTagXMP, "Harbour at dawn"},
      {"orientation3.tif", PropertyTagIPTC, "Boats at the harbour"},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(std::string(c.File) + " item " + std::to_string(c.Tag));
    TVxImage source;
    ASSERT_EQ(source.LoadFromFile(Fixture(c.File)), TVxImageStatus::Ok);
    const TVxPropertyItem *item = source.PropertyItem(c.Tag);
    ASSERT_NE(item, nullptr);
    EXPECT_NE(AsText(item).find(c.Contains), std::string::npos) << AsText(item);
    TVxPixelBuffer pixels;
    ASSERT_EQ(codectest::DecodeFile(Fixture(c.File), pixels), TVxImageStatus::Ok);
    for (const TTarget &target : Targets) {
      SCOPED_TRACE(target.Mime);
      const std::vector<uint8_t> file = SaveCopy(source, pixels, target);
      TVxImage saved;
      ASSERT_EQ(saved.LoadFromMemory(file.data(), file.size()), TVxImageStatus::Ok);
      const TVxPropertyItem *read = saved.PropertyItem(c.Tag);
      ASSERT_NE(read, nullptr);
      // Exiv2 may write a TIFF's XMP from its own parse: the same values, laid
      // out anew. JPEG and PNG keep the file's packet byte for byte.
      if (c.Tag == PropertyTagXMP && std::strcmp(target.Mime, "image/tiff") == 0)
        EXPECT_NE(AsText(read).find(c.Contains), std::string::npos);
      else
        EXPECT_EQ(*read, *item);
    }
  }
}

TEST(MetadataSurvival, AChangedOrDamagedMakerNoteIsWrittenAsItIs) {
  // The decoded note stands for the bytes it was read from; once the 0x927C
  // item differs, or the decoded form is damaged, the item's bytes are written.
  TVxImage source;
  ASSERT_EQ(source.LoadFromFile(Fixture("Canon_PowerShot_S40.jpg")), TVxImageStatus::Ok);
  TVxPixelBuffer pixels;
  ASSERT_EQ(codectest::DecodeFile(Fixture("Canon_PowerShot_S40.jpg"), pixels), TVxImageStatus::Ok);
  const auto changeNote = [](TVxPropertyItem &note, TVxPropertyItem &) {
    note.Value.assign(note.Value.size(), 0x5A);
  };
  const auto damageFields = [](TVxPropertyItem &, TVxPropertyItem &fields) {
    fields.Value.resize(12);  // the checksum still matches; the block is cut off
    fields.Value.back() = 0xFF;
  };
  for (const auto &mutate :
       {std::function<void(TVxPropertyItem &, TVxPropertyItem &)>(changeNote),
        std::function<void(TVxPropertyItem &, TVxPropertyItem &)>(damageFields)}) {
    TVxSaveOptions options;
    options.Items = source.PropertyItems();
    TVxPropertyItem *note = nullptr, *fields = nullptr;
    for (TVxPropertyItem &item : options.Items) {
      if (item.Tag == PropertyTagMakerNote) note = &item;
      if (item.Tag == PropertyTagMakerNoteFields) fields = &item;
    }
    ASSERT_NE(note, nullptr);
    ASSERT_NE(fields, nullptr);
    mutate(*note, *fields);
    std::vector<uint8_t> file;
    ASSERT_EQ(EncodeImage(pixels, "image/jpeg", options, file), TVxImageStatus::Ok);
    TVxImage saved;
    ASSERT_EQ(saved.LoadFromMemory(file.data(), file.size()), TVxImageStatus::Ok);
    ASSERT_NE(saved.PropertyItem(PropertyTagMakerNote), nullptr);
    EXPECT_EQ(saved.PropertyItem(PropertyTagMakerNote)->Value, note->Value);
  }
}

TEST(MetadataSurvival, AnXmpPacketExiv2CannotParseNeitherFailsTheSaveNorGetsLost) {
  const std::string packet = "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF>unclosed";
  TVxSaveOptions options;
  options.Items.push_back(
      {PropertyTagXMP, PropertyTypeByte, std::vector<uint8_t>(packet.begin(), packet.end())});
  TVxPixelBuffer pixels(PixelFormat24, {0, 0, 8, 8});
  testsupport::FillPattern(pixels);
  for (const char *mime : {"image/jpeg", "image/png", "image/tiff"}) {
    SCOPED_TRACE(mime);
    std::vector<uint8_t> file;
    ASSERT_EQ(EncodeImage(pixels, mime, options, file), TVxImageStatus::Ok);
    if (std::strcmp(mime, "image/tiff") == 0) continue;  // TIFF takes only XMP Exiv2 understands
    TVxImage saved;
    ASSERT_EQ(saved.LoadFromMemory(file.data(), file.size()), TVxImageStatus::Ok);
    EXPECT_EQ(AsText(saved.PropertyItem(PropertyTagXMP)), packet);
  }
}
