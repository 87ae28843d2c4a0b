// The formats' own test suites: valid files decode to their size, invalid ones
// are refused with a status (the sanitizer build catches any overread).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include <tiffio.h>

#include "CodecTestSupport.h"
#include "support/TestSupport.h"

using codectest::DecodeFile;
using testsupport::DataPath;
namespace fs = std::filesystem;

namespace {

std::vector<fs::path> FilesIn(const std::string &folder, const std::string &extension = "") {
  std::vector<fs::path> files;
  for (const auto &entry : fs::directory_iterator(DataPath("imaging/codecs/" + folder)))
    if (entry.is_regular_file() && (extension.empty() || entry.path().extension() == extension))
      files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// Binary PBM (P4), PGM (P5) and PPM (P6) as 24-bit rows: the reference pictures
// that come with the TIFF suite.
void ReadPnm(const fs::path &path, TVxPixelBuffer &pixels) {
  const std::vector<uint8_t> bytes = codectest::ReadFileBytes(path);
  std::string text(bytes.begin(), bytes.end());
  char kind = 0;
  int width = 0, height = 0, maxValue = 1, consumed = 0;
  if (text[1] == '4') {
    ASSERT_EQ(std::sscanf(text.c_str(), "P%c %d %d%n", &kind, &width, &height, &consumed), 3);
  } else {
    ASSERT_EQ(
        std::sscanf(text.c_str(), "P%c %d %d %d%n", &kind, &width, &height, &maxValue, &consumed),
        4);
  }
  const uint8_t *data = bytes.data() + consumed + 1;
  pixels.SetFormatAndBounds(PixelFormat24, {0, 0, width, height});
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t *p = pixels.PixelAddress(x, y);
      if (kind == '4') {
        const uint8_t bit = (data[y * ((width + 7) / 8) + x / 8] >> (7 - x % 8)) & 1;
        p[0] = p[1] = p[2] = bit ? 0 : 255;
      } else if (kind == '5') {
        p[0] = p[1] = p[2] = data[y * width + x];
      } else {
        const uint8_t *rgb = data + (y * width + x) * 3;
        p[0] = rgb[2];
        p[1] = rgb[1];
        p[2] = rgb[0];
      }
    }
}

}  // namespace

TEST(BmpSuite, GoodFilesDecodeToTheirSize) {
  const std::map<std::string, std::pair<int, int>> sizes{{"pal8nonsquare.bmp", {127, 32}},
                                                         {"pal8w124.bmp", {124, 61}},
                                                         {"pal8w125.bmp", {125, 62}},
                                                         {"pal8w126.bmp", {126, 63}}};
  for (const fs::path &file : FilesIn("bmp/g", ".bmp")) {
    SCOPED_TRACE(file.filename().string());
    TVxPixelBuffer pixels;
    ASSERT_EQ(DecodeFile(file, pixels), TVxImageStatus::Ok);
    const auto found = sizes.find(file.filename().string());
    const auto [w, h] = found == sizes.end() ? std::pair{127, 64} : found->second;
    EXPECT_EQ(pixels.Width, w);
    EXPECT_EQ(pixels.Height, h);
  }
}

TEST(BmpSuite, LayoutsOfOnePictureDecodeAlike) {
  // Each group stores one picture with the same colours in different layouts:
  // row order, palettes, header versions, RLE, bit fields.
  const std::vector<std::vector<const char *>> groups{
      {"g/rgb24.bmp", "g/rgb24pal.bmp", "g/rgb32.bmp", "g/rgb32bf.bmp", "g/rgb32bfdef.bmp",
       "q/rgb32h52.bmp"},
      {"g/pal8.bmp", "g/pal8-0.bmp", "g/pal8topdown.bmp", "g/pal8rle.bmp", "g/pal8v4.bmp",
       "g/pal8v5.bmp", "g/pal8os2.bmp", "q/pal8os2v2.bmp", "q/pal8oversizepal.bmp"},
      {"g/pal4.bmp", "g/pal4rle.bmp"},
      {"g/rgb16.bmp", "q/rgb16faketrns.bmp"},
  };
  for (const auto &group : groups) {
    TVxPixelBuffer reference;
    ASSERT_EQ(DecodeFile(DataPath(std::string("imaging/codecs/bmp/") + group[0]), reference),
              TVxImageStatus::Ok);
    for (const char *name : group) {
      SCOPED_TRACE(name);
      TVxPixelBuffer pixels;
      ASSERT_EQ(DecodeFile(DataPath(std::string("imaging/codecs/bmp/") + name), pixels),
                TVxImageStatus::Ok);
      EXPECT_EQ(codectest::MaxChannelDifference(pixels, reference), 0);
    }
  }
}

TEST(BmpSuite, BadFilesAreRefused) {
  for (const fs::path &file : FilesIn("bmp/b", ".bmp")) {
    SCOPED_TRACE(file.filename().string());
    TVxPixelBuffer pixels;
    EXPECT_NE(DecodeFile(file, pixels), TVxImageStatus::Ok);
  }
}

TEST(BmpSuite, QuestionableFilesDecodeOrAreRefusedAsListed) {
  // Compression schemes of other programs (embedded JPEG/PNG, OS/2 Huffman and
  // RLE24) and 64-bit pixels are not ours to decode; the rest is.
  const std::set<std::string> refused{"pal1huffmsb.bmp", "rgb24jpeg.bmp", "rgb24png.bmp",
                                      "rgb24rle24.bmp", "rgba64.bmp"};
  for (const fs::path &file : FilesIn("bmp/q", ".bmp")) {
    SCOPED_TRACE(file.filename().string());
    TVxPixelBuffer pixels;
    const TVxImageStatus status = DecodeFile(file, pixels);
    if (refused.count(file.filename().string())) {
      EXPECT_NE(status, TVxImageStatus::Ok);
    } else {
      ASSERT_EQ(status, TVxImageStatus::Ok);
      EXPECT_EQ(pixels.Width, 127);
      EXPECT_EQ(pixels.Height, 64);
    }
  }
}

TEST(PngSuite, EveryFileDecodesAndGreyStaysGrey) {
  // Names are <kind><interlace><colour type><bit depth>, e.g. basn0g04: grey, 4 bits.
  for (const fs::path &file : FilesIn("png/pngsuite", ".png")) {
    const std::string name = file.stem().string();
    SCOPED_TRACE(name);
    TVxPixelBuffer pixels;
    ASSERT_EQ(DecodeFile(file, pixels), TVxImageStatus::Ok);
    EXPECT_EQ(pixels.Width, 32);
    EXPECT_EQ(pixels.Height, 32);
    const std::string type = name.substr(name.size() - 4);
    if (type[0] != '0' && type[0] != '4') continue;  // 0: grey, 4: grey and alpha
    const int depth = std::stoi(type.substr(2));
    // Low grey depths expand to exact multiples of 255 / (2^depth - 1).
    const int step = depth < 8 ? 255 / ((1 << depth) - 1) : 1;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const uint8_t *p = pixels.PixelAddress(x, y);
        ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << x << "," << y;
        ASSERT_EQ(p[0] % step, 0) << x << "," << y;
      }
  }
}

TEST(PngSuite, InterlacedFilesMatchTheirProgressiveTwins) {
  std::vector<fs::path> interlaced = FilesIn("png/pngsuite/interlaced", ".png");
  for (const fs::path &file : FilesIn("png/pngsuite", ".png"))
    if (file.filename().string()[0] == 'i') interlaced.push_back(file);
  ASSERT_FALSE(interlaced.empty());
  for (const fs::path &file : interlaced) {
    SCOPED_TRACE(file.filename().string());
    const fs::path twin =
        DataPath("imaging/codecs/png/pngsuite") / file.filename().string().substr(1);
    TVxPixelBuffer a, b;
    ASSERT_EQ(DecodeFile(file, a), TVxImageStatus::Ok);
    ASSERT_EQ(DecodeFile(twin, b), TVxImageStatus::Ok);
    EXPECT_EQ(codectest::MaxChannelDifference(a, b), 0);
  }
}

TEST(PngSuite, CrashersAndBadPalettesNeverCrash) {
  // Only the file whose ancillary chunks are merely empty is a picture; the
  // others break a checksum or declare chunks far beyond any sane size.
  for (const fs::path &file : FilesIn("png/crashers", ".png")) {
    SCOPED_TRACE(file.filename().string());
    TVxPixelBuffer pixels;
    const TVxImageStatus status = DecodeFile(file, pixels);
    EXPECT_EQ(status == TVxImageStatus::Ok, file.filename() == "empty_ancillary_chunks.png");
  }
  for (const fs::path &file : FilesIn("png/badpal", ".png")) {
    SCOPED_TRACE(file.filename().string());
    TVxPixelBuffer pixels;
    EXPECT_EQ(DecodeFile(file, pixels), TVxImageStatus::Ok);
  }
}

TEST(TiffSuite, FilesDecodeToTheirSizeOrAreRefused) {
  struct TCase {
    const char *Name;
    int Width, Height;  // 0: refused
  };
  const TCase cases[] = {
      {"32bpp-None-jpeg.tiff", 162, 20},
      {"32bpp-None.tiff", 162, 20},
      {"custom_dir_EXIF_GPS.tiff", 1, 1},
      {"deflate-last-strip-extra-data.tiff", 500, 500},
      {"logluv-3c-16b.tiff", 1, 1},
      {"lzw-single-strip.tiff", 7795, 3122},
      {"minisblack-1c-16b.tiff", 157, 151},
      {"minisblack-1c-8b.tiff", 157, 151},
      {"minisblack-2c-8b-alpha.tiff", 64, 64},
      {"miniswhite-1c-1b.tiff", 157, 151},
      {"ojpeg_chewey_subsamp21_multi_strip.tiff", 392, 575},
      {"ojpeg_single_strip_no_rowsperstrip.tiff", 234, 213},
      {"ojpeg_zackthecat_subsamp22_single_strip.tiff", 234, 213},
      {"palette-1c-1b.tiff", 157, 151},
      {"palette-1c-4b.tiff", 157, 151},
      {"palette-1c-8b.tiff", 157, 151},
      {"quad-lzw-compat.tiff", 512, 384},
      {"quad-tile.jpg.tiff", 512, 384},
      {"rgb-3c-16b.tiff", 157, 151},
      {"rgb-3c-8b.tiff", 157, 151},
      {"test_float64_predictor2_be_lzw.tif", 0, 0},  // floating-point samples: no picture to show
      {"test_float64_predictor2_le_lzw.tif", 0, 0},
      {"test_ifd_loop_subifd.tif", 1, 1},
      {"test_ifd_loop_to_first.tif", 1, 1},
      {"test_ifd_loop_to_self.tif", 20, 20},
      {"test_two_ifds.tif", 1, 1},
      {"testfax3_bug54_1dnoEOL.tif", 1728, 2320},
      {"testfax3_bug_513.tiff", 32, 2},
      {"testfax4.tiff", 2453, 3369},
      {"tiff_with_subifd_chain.tif", 1024, 512},
      {"webp_lossless_rgba_alpha_fully_opaque.tif", 20, 20},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.Name);
    TVxPixelBuffer pixels;
    const TVxImageStatus status =
        DecodeFile(DataPath(std::string("imaging/codecs/tiff/") + c.Name), pixels);
    if (c.Width == 0) {
      EXPECT_NE(status, TVxImageStatus::Ok);
      continue;
    }
    ASSERT_EQ(status, TVxImageStatus::Ok);
    EXPECT_EQ(pixels.Width, c.Width);
    EXPECT_EQ(pixels.Height, c.Height);
  }
}

TEST(TiffSuite, PixelsMatchTheSuiteReferencePictures) {
  for (const auto &[tiff, reference] :
       {std::pair{"rgb-3c-8b.tiff", "rgb-3c-8b.ppm"},
        std::pair{"minisblack-1c-8b.tiff", "minisblack-1c-8b.pgm"},
        std::pair{"miniswhite-1c-1b.tiff", "miniswhite-1c-1b.pbm"}}) {
    SCOPED_TRACE(tiff);
    TVxPixelBuffer decoded, expected;
    ASSERT_EQ(DecodeFile(DataPath(std::string("imaging/codecs/tiff/") + tiff), decoded),
              TVxImageStatus::Ok);
    ReadPnm(DataPath(std::string("imaging/codecs/tiff/") + reference), expected);
    ASSERT_EQ(decoded.Width, expected.Width);
    ASSERT_EQ(decoded.Height, expected.Height);
    EXPECT_EQ(codectest::MaxChannelDifference(decoded, expected), 0);
  }
}

TEST(TiffDecode, RowsComeOutAsStoredWhateverTheOrientationAcrossBands) {
  // The orientation tag is left to the viewer, as for JPEG: turning the pixels
  // as well would turn a saved copy twice. Taller than one band of the decoder;
  // grey level = the row's place in the file, and the first column is brighter.
  testsupport::TempDir dir;
  constexpr uint32_t Width = 5, Height = 200;
  for (uint16_t orientation = ORIENTATION_TOPLEFT; orientation <= ORIENTATION_LEFTBOT;
       ++orientation) {
    SCOPED_TRACE(orientation);
    const fs::path path = dir / ("orientation" + std::to_string(orientation) + ".tif");
    TIFF *tiff = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tiff, nullptr);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, Width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, Height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 16);
    for (uint32_t row = 0; row < Height; ++row) {
      uint8_t line[Width];
      std::memset(line, static_cast<int>(row), Width);
      line[0] = 255;
      ASSERT_EQ(TIFFWriteScanline(tiff, line, row, 0), 1);
    }
    TIFFClose(tiff);
    TVxPixelBuffer pixels;
    ASSERT_EQ(DecodeFile(path, pixels), TVxImageStatus::Ok);
    ASSERT_EQ(pixels.Width, static_cast<int32_t>(Width));
    for (int32_t y = 0; y < static_cast<int32_t>(Height); ++y) {
      ASSERT_EQ(pixels.PixelAddress(2, y)[1], y) << y;
      ASSERT_EQ(pixels.PixelAddress(0, y)[1], 255) << y;
    }
  }
}
