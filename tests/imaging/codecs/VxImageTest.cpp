#include "imaging/codecs/VxImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "CodecTestSupport.h"
#include "base/VxProperties.h"
#include "imaging/VxResamplers.h"
#include "support/TestSupport.h"

using codectest::DecodeBytes;
using codectest::ReadFileBytes;
using testsupport::SamplePath;

namespace {

const TVxPropertyItem *Find(const TVxPropertyItems &items, uint32_t tag) {
  for (const TVxPropertyItem &item : items)
    if (item.Tag == tag) return &item;
  return nullptr;
}

std::string Text(const TVxPropertyItem *item) {
  if (!item) return "<missing>";
  std::string text(item->Value.begin(), item->Value.end());
  return text.substr(0, text.find('\0'));
}

uint32_t Long(const TVxPropertyItem *item) {
  uint32_t v = 0;
  if (item && item->Value.size() >= 4) std::memcpy(&v, item->Value.data(), 4);
  return v;
}

std::vector<uint8_t> Rational(uint32_t num, uint32_t den) {
  std::vector<uint8_t> bytes(8);
  std::memcpy(bytes.data(), &num, 4);
  std::memcpy(bytes.data() + 4, &den, 4);
  return bytes;
}

// A smooth picture JPEG can keep closely, with a sharp edge to catch misplaced rows.
void FillGradient(TVxPixels &pixels) {
  for (int32_t y = 0; y < pixels.Height; ++y)
    for (int32_t x = 0; x < pixels.Width; ++x) {
      uint8_t *p = pixels.PixelAddress(x, y);
      p[0] = static_cast<uint8_t>(x * 255 / pixels.Width);
      p[1] = static_cast<uint8_t>(y * 255 / pixels.Height);
      p[2] = y < pixels.Height / 2 ? 40 : 220;
    }
}

struct TFormatCase {
  const char *Mime;
  TVxRawFormat Format;
  const char *Extension;
};
const TFormatCase Formats[] = {
    {"image/jpeg", TVxRawFormat::Jpeg, ".jpg"},
    {"image/tiff", TVxRawFormat::Tiff, ".tif"},
    {"image/png", TVxRawFormat::Png, ".png"},
    {"image/bmp", TVxRawFormat::Bmp, ".bmp"},
};

}  // namespace

TEST(ImageMetadata, SampleJpegExifAndThumbnailComeBackAsItems) {
  TVxImage image;
  ASSERT_EQ(image.LoadFromFile(SamplePath("portrait.jpg")), TVxImageStatus::Ok);
  EXPECT_EQ(image.RawFormat(), TVxRawFormat::Jpeg);
  EXPECT_EQ(image.Width(), 512);
  EXPECT_FLOAT_EQ(image.HorizontalResolution(), 300);
  EXPECT_FLOAT_EQ(image.VerticalResolution(), 300);
  const TVxPropertyItems &items = image.PropertyItems();

  // Texts keep their terminating zero, as the length counts it.
  struct TText {
    uint32_t Tag;
    const char *Value;
  };
  for (const TText &t : {TText{0x010F, "Example Camera Co."}, TText{0x0110, "EX-100"},
                         TText{0x0132, "2024:05:17 10:21:33"}, TText{0x013B, "Velora sample"},
                         TText{0x0131, "sample generator"}, TText{0x9003, "2024:05:17 10:21:33"}}) {
    SCOPED_TRACE(t.Tag);
    const TVxPropertyItem *item = Find(items, t.Tag);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Type, PropertyTypeASCII);
    EXPECT_EQ(Text(item), t.Value);
    EXPECT_EQ(item->Length(), static_cast<int32_t>(std::strlen(t.Value) + 1));
  }
  EXPECT_EQ(Find(items, 0x829A)->Value, Rational(1, 125));  // exposure time, from the Exif IFD
  EXPECT_EQ(Find(items, 0x829D)->Value, Rational(28, 5));   // f-number
  EXPECT_EQ(Find(items, 0x8827)->Type, PropertyTypeShort);
  EXPECT_EQ(Find(items, 0x8769), nullptr) << "offsets into the file are no metadata";

  // The thumbnail IFD's tags are renumbered; its JPEG comes as data with a description.
  EXPECT_EQ(Find(items, 0x5023)->Value, (std::vector<uint8_t>{6, 0}));  // compression: JPEG
  EXPECT_EQ(Find(items, 0x502D)->Value, Rational(72, 1));
  const TVxPropertyItem *data = Find(items, PropertyTagThumbnailData);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(Long(Find(items, PropertyTagThumbnailFormat)), 1u);
  EXPECT_EQ(Long(Find(items, PropertyTagThumbnailWidth)), 160u);
  EXPECT_EQ(Long(Find(items, PropertyTagThumbnailHeight)), 160u);
  EXPECT_EQ(Long(Find(items, PropertyTagThumbnailCompressedSize)),
            static_cast<uint32_t>(data->Length()));
  TVxImage thumbnail;
  ASSERT_EQ(thumbnail.LoadFromMemory(data->Value.data(), data->Value.size()), TVxImageStatus::Ok);
  EXPECT_EQ(thumbnail.Width(), 160);
  EXPECT_EQ(thumbnail.Height(), 160);
  for (const TVxPropertyItem &item : items) {
    const bool renumbered = item.Tag >= 0x5000 && item.Tag <= 0x50FF;
    EXPECT_EQ(IsThumbnailPropertyTag(item.Tag), renumbered) << item.Tag;
  }
}

TEST(ImageMetadata, ItemsWrittenIntoJpegTiffAndPngReadBackUnchanged) {
  TVxImage sample;
  ASSERT_EQ(sample.LoadFromFile(SamplePath("portrait.jpg")), TVxImageStatus::Ok);
  TVxSaveOptions options;
  options.Items = sample.PropertyItems();  // thumbnail items included: they must be dropped
  options.Items.push_back({0x0001, PropertyTypeASCII, {'N', 0}});  // GPS latitude reference
  options.Items.push_back({0x0002, PropertyTypeRational, [] {
                             std::vector<uint8_t> v;
                             for (uint32_t part : {52u, 31u, 7u}) {
                               const auto r = Rational(part, 1);
                               v.insert(v.end(), r.begin(), r.end());
                             }
                             return v;
                           }()});
  options.Items.push_back({PropertyTagColorTransferFunction, PropertyTypeShort, {1, 0, 2, 0}});
  options.DpiX = options.DpiY = 300;
  TVxPixelBuffer pixels(PixelFormat24, {0, 0, 48, 32});
  testsupport::FillPattern(pixels);
  for (const TFormatCase &f : Formats) {
    if (f.Format == TVxRawFormat::Bmp) continue;
    SCOPED_TRACE(f.Mime);
    std::vector<uint8_t> file;
    ASSERT_EQ(EncodeImage(pixels, f.Mime, options, file), TVxImageStatus::Ok);
    TVxImage image;
    ASSERT_EQ(image.LoadFromMemory(file.data(), file.size()), TVxImageStatus::Ok);
    EXPECT_EQ(image.RawFormat(), f.Format);
    const TVxPropertyItems &items = image.PropertyItems();
    for (const TVxPropertyItem &written : options.Items) {
      SCOPED_TRACE(written.Tag);
      const TVxPropertyItem *read = Find(items, written.Tag);
      // In a TIFF the YCbCr tags describe the file's own pixel encoding, which is RGB.
      const bool ycbcr = written.Tag >= 0x0211 && written.Tag <= 0x0214;
      if (IsThumbnailPropertyTag(written.Tag)) {
        EXPECT_EQ(read, nullptr);
      } else if (!(ycbcr && f.Format == TVxRawFormat::Tiff)) {
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(*read, written);
      }
    }
  }
}

TEST(ImageMetadata, ItemsSurviveTheTripThroughAPropertyBag) {
  TVxImage sample;
  ASSERT_EQ(sample.LoadFromFile(SamplePath("portrait.jpg")), TVxImageStatus::Ok);
  TVxGraphicsDocumentProperties bag;
  PropertyItemsToBag(sample.PropertyItems(), bag);
  ASSERT_EQ(bag.Count(), static_cast<int32_t>(sample.PropertyItems().size()));
  EXPECT_EQ(bag.EntryAt(0)->Type, sample.PropertyItems()[0].Type);
  EXPECT_EQ(PropertyItemsFromBag(bag), sample.PropertyItems());
}

TEST(ImageRoundTrip, EveryEncoderKeepsPixelsAndResolution) {
  // An odd width exercises row padding; unequal resolutions catch swapped axes.
  TVxPixelBuffer pattern(PixelFormat24, {0, 0, 37, 23}), gradient(PixelFormat24, {0, 0, 64, 48});
  testsupport::FillPattern(pattern);
  FillGradient(gradient);
  for (const TFormatCase &f : Formats) {
    SCOPED_TRACE(f.Mime);
    const bool lossy = f.Format == TVxRawFormat::Jpeg;
    const TVxPixels &source = lossy ? gradient : pattern;
    testsupport::TempDir dir;
    const auto path = dir / (std::string("round") + f.Extension);
    TVxSaveOptions options;
    options.DpiX = 150;
    options.DpiY = 200;
    options.Quality = 95;
    ASSERT_EQ(SaveImage(source, path, f.Mime, options), TVxImageStatus::Ok);
    TVxImage image;
    ASSERT_EQ(image.LoadFromFile(path), TVxImageStatus::Ok);
    EXPECT_EQ(image.RawFormat(), f.Format);
    EXPECT_NEAR(image.HorizontalResolution(), 150, 0.05);
    EXPECT_NEAR(image.VerticalResolution(), 200, 0.05);
    TVxPixelBuffer decoded;
    ASSERT_EQ(codectest::DecodeFile(path, decoded), TVxImageStatus::Ok);
    ASSERT_EQ(decoded.Width, source.Width);
    ASSERT_EQ(decoded.Height, source.Height);
    if (lossy)
      EXPECT_LT(codectest::MeanChannelDifference(decoded, source), 2.0);
    else
      EXPECT_EQ(codectest::MaxChannelDifference(decoded, source), 0);
  }
}

TEST(ImageRoundTrip, JpegQualityChangesTheFileAndUnknownEncodersFail) {
  TVxPixelBuffer pixels(PixelFormat24, {0, 0, 64, 64});
  testsupport::FillPattern(pixels);
  std::vector<uint8_t> low, high, file;
  TVxSaveOptions options;
  options.Quality = 10;
  ASSERT_EQ(EncodeImage(pixels, "image/jpeg", options, low), TVxImageStatus::Ok);
  options.Quality = 100;
  ASSERT_EQ(EncodeImage(pixels, "image/jpeg", options, high), TVxImageStatus::Ok);
  EXPECT_LT(low.size() * 2, high.size());
  options.Quality = 101;
  EXPECT_EQ(EncodeImage(pixels, "image/jpeg", options, file), TVxImageStatus::InvalidParameter);
  EXPECT_EQ(EncodeImage(pixels, "image/gif", {}, file), TVxImageStatus::EncoderNotFound);
  EXPECT_EQ(EncodeImage(pixels, "IMAGE/PNG", {}, file), TVxImageStatus::EncoderNotFound);
  TVxPixelBuffer alpha(PixelFormat32Alpha, {0, 0, 4, 4});
  EXPECT_EQ(EncodeImage(alpha, "image/png", {}, file), TVxImageStatus::InvalidParameter);
}

// A retouched photograph saved over itself at a higher quality on a disk
// that has no room for it: the photograph on the disk must survive.
TEST(ImageSave, AFullDiskKeepsThePhotographThatWasThere) {
  testsupport::TinyFileSystem disk(1024 * 1024);
  ASSERT_TRUE(disk.Mounted()) << disk.Why();
  TVxPixelBuffer pixels(PixelFormat24, {0, 0, 300, 300});
  testsupport::FillPattern(pixels);
  const auto photo = disk / "portrait.jpg";
  TVxSaveOptions options;
  options.Quality = 50;
  ASSERT_EQ(SaveImage(pixels, photo, "image/jpeg", options), TVxImageStatus::Ok);
  const std::vector<uint8_t> before = ReadFileBytes(photo);
  ASSERT_TRUE(disk.Fill());

  options.Quality = 100;
  std::error_code error;
  EXPECT_EQ(SaveImage(pixels, photo, "image/jpeg", options, &error), TVxImageStatus::WriteFailed);
  EXPECT_EQ(error, std::error_code(ENOSPC, std::system_category()));
  EXPECT_EQ(ReadFileBytes(photo), before);
  // Nothing half-written is left beside it.
  std::vector<std::string> names;
  for (const auto &entry : std::filesystem::directory_iterator(disk.Path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".filler", "portrait.jpg"}));
}

TEST(ImageDecode, RowsLandAtTheCallersStrideAndNothingBeyond) {
  TVxImage image;
  ASSERT_EQ(image.LoadFromFile(SamplePath("portrait.png")), TVxImageStatus::Ok);
  const int32_t stride = image.Width() * 3 + 13;
  std::vector<uint8_t> block(static_cast<size_t>(stride) * image.Height() + 16, 0xA5);
  ASSERT_EQ(image.ReadPixels(block.data(), stride), TVxImageStatus::Ok);
  for (int32_t y = 0; y < image.Height(); ++y)
    for (int32_t i = image.Width() * 3; i < stride; ++i)
      ASSERT_EQ(block[y * stride + i], 0xA5) << y;
  EXPECT_EQ(image.ReadPixels(block.data(), image.Width() * 3 - 1),
            TVxImageStatus::InvalidParameter);

  // The PNG and the JPEG of the sample are one picture.
  TVxPixelBuffer png, jpeg;
  ASSERT_EQ(codectest::DecodeFile(SamplePath("portrait.png"), png), TVxImageStatus::Ok);
  ASSERT_EQ(codectest::DecodeFile(SamplePath("portrait.jpg"), jpeg), TVxImageStatus::Ok);
  EXPECT_LT(codectest::MeanChannelDifference(png, jpeg), 3.0);
}

TEST(ImageDecode, TruncatedDamagedAndForeignFilesFailCleanly) {
  TVxPixelBuffer pixels(PixelFormat24, {0, 0, 40, 30});
  testsupport::FillPattern(pixels);
  for (const TFormatCase &f : Formats) {
    SCOPED_TRACE(f.Mime);
    std::vector<uint8_t> file;
    ASSERT_EQ(EncodeImage(pixels, f.Mime, {}, file), TVxImageStatus::Ok);
    for (const size_t keep : {size_t(2), size_t(20), file.size() / 2, file.size() - 30}) {
      SCOPED_TRACE(keep);
      TVxPixelBuffer decoded;
      EXPECT_NE(DecodeBytes({file.begin(), file.begin() + static_cast<ptrdiff_t>(keep)}, decoded),
                TVxImageStatus::Ok);
    }
  }
  TVxImage image;
  EXPECT_EQ(image.LoadFromFile("/nonexistent/photo.jpg"), TVxImageStatus::FileNotFound);
  testsupport::TempDir dir;  // a folder named like a photograph is no photograph
  std::filesystem::create_directory(dir / "folder.jpg");
  EXPECT_EQ(image.LoadFromFile(dir / "folder.jpg"), TVxImageStatus::FileNotFound);
  EXPECT_EQ(image.LoadFromMemory(nullptr, 0), TVxImageStatus::UnknownImageFormat);
  const std::string text = "GIF89a is not ours";
  EXPECT_EQ(image.LoadFromMemory(text.data(), text.size()), TVxImageStatus::UnknownImageFormat);
  EXPECT_TRUE(image.IsEmpty());
  EXPECT_EQ(image.ReadPixels(pixels), TVxImageStatus::InvalidParameter);
}

TEST(ImageDecode, OversizedImagesAreRefusedBeforeAllocating) {
  TVxPixelBuffer small(PixelFormat24, {0, 0, 8, 8});
  testsupport::FillPattern(small);
  // Each header is patched to claim 60000 x 60000 pixels (3.6 G) over the few bytes of an 8 x 8
  // file.
  std::vector<uint8_t> bmp, jpeg;
  ASSERT_EQ(EncodeImage(small, "image/bmp", {}, bmp), TVxImageStatus::Ok);
  for (int i : {18, 22}) {
    bmp[i] = 0x60;
    bmp[i + 1] = 0xEA;
  }
  ASSERT_EQ(EncodeImage(small, "image/jpeg", {}, jpeg), TVxImageStatus::Ok);
  for (size_t i = 2; i + 9 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = jpeg[i + 7] = 0xEA;
      jpeg[i + 6] = jpeg[i + 8] = 0x60;
      break;
    }
  for (const auto *file : {&bmp, &jpeg}) {
    TVxImage image;
    EXPECT_EQ(image.LoadFromMemory(file->data(), file->size()), TVxImageStatus::TooLarge);
  }
}

TEST(ImageThumbnail, ExactSizeFromEveryFormat) {
  TVxPixelBuffer full;
  ASSERT_EQ(codectest::DecodeFile(SamplePath("portrait.png"), full), TVxImageStatus::Ok);
  for (const TFormatCase &f : Formats) {
    SCOPED_TRACE(f.Mime);
    std::vector<uint8_t> file;
    TVxSaveOptions options;
    options.Quality = 90;
    ASSERT_EQ(EncodeImage(full, f.Mime, options, file), TVxImageStatus::Ok);
    TVxImage image;
    ASSERT_EQ(image.LoadFromMemory(file.data(), file.size()), TVxImageStatus::Ok);
    TVxPixelBuffer thumbnail;
    ASSERT_EQ(image.GetThumbnail(100, 60, thumbnail), TVxImageStatus::Ok);
    EXPECT_EQ(thumbnail.GetBounds(), (TVxRect{0, 0, 100, 60}));
    EXPECT_EQ(thumbnail.Format, PixelFormat24);
    EXPECT_EQ(image.GetThumbnail(0, 60, thumbnail), TVxImageStatus::InvalidParameter);
  }
}

TEST(ImageThumbnail, JpegScaledDecodingLooksLikeTheFullDecode) {
  TVxImage image;
  ASSERT_EQ(image.LoadFromFile(SamplePath("portrait-large.jpg")), TVxImageStatus::Ok);
  TVxPixelBuffer reduced;
  ASSERT_EQ(image.DecodeAtLeast(224, 224, reduced), TVxImageStatus::Ok);
  EXPECT_EQ(reduced.Width, 300);  // 2400 / 8
  ASSERT_EQ(image.DecodeAtLeast(301, 200, reduced), TVxImageStatus::Ok);
  EXPECT_EQ(reduced.Width, 600);

  TVxPixelBuffer full, fromFull(PixelFormat24, {0, 0, 224, 224}), thumbnail;
  ASSERT_EQ(codectest::DecodeFile(SamplePath("portrait-large.jpg"), full), TVxImageStatus::Ok);
  Resample(fromFull, fromFull.GetBounds(), fromFull.GetBounds(), TLanczosResampler(),
           full.GetBounds(), full);
  ASSERT_EQ(image.GetThumbnail(224, 224, thumbnail), TVxImageStatus::Ok);
  EXPECT_LT(codectest::MeanChannelDifference(thumbnail, fromFull), 3.0);
}

TEST(DrawImage, StretchesIntoTheClippedRectangleOfAnyTarget) {
  // Four flat quadrants; drawn at half size each quadrant becomes 8 x 8.
  TVxPixelBuffer picture(PixelFormat24, {0, 0, 32, 32});
  const uint32_t colours[4] = {0x102030, 0xF0E0D0, 0x20C040, 0x8080FF};
  for (int32_t y = 0; y < 32; ++y)
    for (int32_t x = 0; x < 32; ++x) {
      const uint32_t c = colours[(y / 16) * 2 + x / 16];
      uint8_t *p = picture.PixelAddress(x, y);
      p[0] = static_cast<uint8_t>(c);
      p[1] = static_cast<uint8_t>(c >> 8);
      p[2] = static_cast<uint8_t>(c >> 16);
    }
  std::vector<uint8_t> file;
  ASSERT_EQ(EncodeImage(picture, "image/bmp", {}, file), TVxImageStatus::Ok);
  TVxImage image;
  ASSERT_EQ(image.LoadFromMemory(file.data(), file.size()), TVxImageStatus::Ok);

  for (const int32_t format : {PixelFormat24, PixelFormat32Alpha}) {
    SCOPED_TRACE(format);
    // The target starts at (10, 10); the rectangle hangs off its left edge.
    TVxPixelBuffer target(format, {10, 10, 30, 30});
    std::memset(target.Bits, 0x55, static_cast<size_t>(target.Stride) * target.Height);
    ASSERT_EQ(DrawImage(image, target, {6, 12, 22, 28}), TVxImageStatus::Ok);
    EXPECT_EQ(testsupport::ColourAt(target, 10, 11), 0x555555u) << "above the rectangle";
    EXPECT_EQ(testsupport::ColourAt(target, 22, 20), 0x555555u) << "right of the rectangle";
    // Lanczos taps reach across the quadrant borders: a level or two of ringing.
    const auto near = [](uint32_t a, uint32_t b) {
      for (int shift : {0, 8, 16})
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 2) return false;
      return true;
    };
    EXPECT_PRED2(near, testsupport::ColourAt(target, 11, 13), colours[0]);
    EXPECT_PRED2(near, testsupport::ColourAt(target, 20, 13), colours[1]);
    EXPECT_PRED2(near, testsupport::ColourAt(target, 11, 26), colours[2]);
    EXPECT_PRED2(near, testsupport::ColourAt(target, 20, 26), colours[3]);
    if (format == PixelFormat32Alpha) {
      EXPECT_EQ(target.PixelAddress(11, 13)[3], 0xFF);
      EXPECT_EQ(target.PixelAddress(10, 11)[3], 0x55);
    }
  }
}
