#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "imaging/codecs/VxImage.h"
#include "platform/FileMapping.h"
#include "plugin/ExchangeFile.h"
#include "support/TestSupport.h"

using testsupport::TempDir;

namespace {

// What a host writes: its own stride and plane count, red first in each pixel.
struct HostFile {
  TExchangeHeader Header;
  std::vector<uint8_t> Rows;
  std::vector<uint8_t> Tail;

  static HostFile Make(int32_t width, int32_t height, int32_t planes, int32_t stride) {
    HostFile f;
    f.Header = {32, 3, 100, 50, width, height, stride, planes};
    f.Rows.assign(static_cast<size_t>(stride) * static_cast<size_t>(height), 0xEE);
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x)
        for (int32_t p = 0; p < planes; ++p)
          f.Rows[static_cast<size_t>(y * stride + x * planes + p)] = Value(x, y, p);
    return f;
  }
  static uint8_t Value(int32_t x, int32_t y, int32_t plane) {
    return static_cast<uint8_t>(x * 7 + y * 13 + plane * 50);
  }
  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out = {'P', 'S', 'P', 'F'};
    const int32_t fields[] = {Header.HeaderSize, Header.ColourMode,   Header.Left,
                              Header.Top,        Header.Width,        Header.Height,
                              Header.Stride,     Header.BytesPerPixel};
    for (int32_t v : fields)
      for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
    out.insert(out.end(), Rows.begin(), Rows.end());
    out.insert(out.end(), Tail.begin(), Tail.end());
    return out;
  }
  void Write(const std::filesystem::path &path) const {
    const auto bytes = Bytes();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
};

std::vector<uint8_t> ReadAll(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> Trailer(size_t length, uint8_t fill) {
  std::vector<uint8_t> t = {'E', 'X', 'I', 'F'};
  for (int i = 0; i < 4; ++i) t.push_back(static_cast<uint8_t>(length >> (8 * i)));
  t.insert(t.end(), length, fill);
  return t;
}

TEST(ExchangeFile, ReadsHostRowsAndWritesPaddedRowsBack) {
  struct Case {
    int32_t Planes, Stride;
  };
  // 10 pixels wide: 30-byte host rows, and a 4-plane host whose fourth byte is ignored.
  for (const Case c : {Case{3, 30}, Case{4, 40}, Case{3, 36}}) {
    TempDir dir;
    const auto path = dir / "x.pspf";
    HostFile::Make(10, 3, c.Planes, c.Stride).Write(path);

    TVxPixelBuffer image;
    TExchangeImage info;
    ASSERT_EQ(ReadExchangeFile(path, image, info), TExchangeStatus::Ok) << c.Planes;
    EXPECT_EQ(info.Header.Left, 100);
    EXPECT_EQ(info.Header.Top, 50);
    ASSERT_EQ(image.GetBounds(), (TVxRect{0, 0, 10, 3}));
    for (int32_t y = 0; y < 3; ++y)
      for (int32_t x = 0; x < 10; ++x) {
        const uint8_t *p = image.PixelAddress(x, y);
        ASSERT_EQ(p[0], HostFile::Value(x, y, 2));  // blue from byte 2
        ASSERT_EQ(p[2], HostFile::Value(x, y, 0));  // red from byte 0
      }
    EXPECT_TRUE(info.Exif.empty());

    ASSERT_TRUE(WriteExchangeFile(path, image));
    const auto written = ReadAll(path);
    ASSERT_EQ(written.size(), 36u + 32u * 3u);  // the editor's padded 32-byte rows
    TExchangeImage back;
    TVxPixelBuffer again;
    ASSERT_EQ(ReadExchangeFile(path, again, back), TExchangeStatus::Ok);
    EXPECT_EQ(back.Header.Left, 0);
    EXPECT_EQ(back.Header.Stride, 32);
    EXPECT_EQ(back.Header.BytesPerPixel, 3);
    EXPECT_EQ(std::memcmp(again.Bits, image.Bits, static_cast<size_t>(image.Stride) * 3), 0);
  }
}

TEST(ExchangeFile, TrailerIsReadOnlyWhenEnoughBytesFollowTheRows) {
  TempDir dir;
  HostFile f = HostFile::Make(4, 2, 3, 12);
  // A file of exactly header + rows: nothing after the rows, even if they spell EXIF.
  std::memcpy(f.Rows.data(), "EXIF", 4);
  f.Write(dir / "exact");
  TVxPixelBuffer image;
  TExchangeImage info;
  ASSERT_EQ(ReadExchangeFile(dir / "exact", image, info), TExchangeStatus::Ok);
  EXPECT_TRUE(info.Exif.empty());

  f.Tail = Trailer(600, 0x42);
  f.Write(dir / "trailer");
  ASSERT_EQ(ReadExchangeFile(dir / "trailer", image, info), TExchangeStatus::Ok);
  EXPECT_EQ(info.Exif, std::vector<uint8_t>(600, 0x42));

  f.Tail = Trailer(100, 0x42);  // only 108 bytes follow: too few to be looked at
  f.Write(dir / "short");
  ASSERT_EQ(ReadExchangeFile(dir / "short", image, info), TExchangeStatus::Ok);
  EXPECT_TRUE(info.Exif.empty());
}

TEST(ExchangeFile, InconsistentHeadersAreRefusedWithoutReadingPastTheFile) {
  struct Case {
    const char *Name;
    void (*Spoil)(HostFile &);
    TExchangeStatus Expected;
  };
  const Case cases[] = {
      {"not PSPF", [](HostFile &) {}, TExchangeStatus::NotExchange},
      {"colour mode 4", [](HostFile &f) { f.Header.ColourMode = 4; }, TExchangeStatus::NotExchange},
      {"width 0", [](HostFile &f) { f.Header.Width = 0; }, TExchangeStatus::Invalid},
      {"negative height", [](HostFile &f) { f.Header.Height = -3; }, TExchangeStatus::Invalid},
      {"two planes", [](HostFile &f) { f.Header.BytesPerPixel = 2; }, TExchangeStatus::Invalid},
      {"stride below width x planes", [](HostFile &f) { f.Header.Stride = 11; },
       TExchangeStatus::Invalid},
      {"rows past the end", [](HostFile &f) { f.Rows.pop_back(); }, TExchangeStatus::Invalid},
      {"huge height", [](HostFile &f) { f.Header.Height = 0x7FFFFFFF; }, TExchangeStatus::Invalid},
      {"huge stride", [](HostFile &f) { f.Header.Stride = 0x7FFFFFFF; }, TExchangeStatus::Invalid},
      {"trailer past the end",
       [](HostFile &f) {
         f.Tail = Trailer(600, 1);
         f.Tail[4] = 0xFF;  // claims 600 + 255 bytes
       },
       TExchangeStatus::Invalid},
      {"negative trailer length",
       [](HostFile &f) {
         f.Tail = Trailer(600, 1);
         f.Tail[7] = 0x80;
       },
       TExchangeStatus::Invalid},
  };
  for (const auto &c : cases) {
    TempDir dir;
    HostFile f = HostFile::Make(4, 2, 3, 12);
    c.Spoil(f);
    auto bytes = f.Bytes();
    if (std::string(c.Name) == "not PSPF") bytes[0] = 'X';
    std::ofstream(dir / "f", std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    TVxPixelBuffer image;
    TExchangeImage info;
    EXPECT_EQ(ReadExchangeFile(dir / "f", image, info), c.Expected) << c.Name;
  }
}

TEST(ExchangeFile, ShortMissingAndEmptyFilesAreNotExchangeFiles) {
  TempDir dir;
  std::ofstream(dir / "short", std::ios::binary) << "PSPF";
  std::ofstream(dir / "empty", std::ios::binary);
  TVxPixelBuffer image;
  TExchangeImage info;
  for (const char *name : {"short", "empty", "missing"})
    EXPECT_EQ(ReadExchangeFile(dir / name, image, info), TExchangeStatus::NotExchange) << name;
  EXPECT_FALSE(std::filesystem::exists(dir / "missing"));  // reading never creates a file
}

TEST(ExchangeFile, ExifStreamIsOneWellFormedApp1Segment) {
  const std::vector<uint8_t> exif(300, 0x11);
  const auto stream = BuildExifJpegStream(exif);
  ASSERT_GT(stream.size(), 12u + exif.size());
  EXPECT_EQ(stream[0], 0xFF);
  EXPECT_EQ(stream[3], 0xE1);
  const size_t segment = static_cast<size_t>(stream[4]) << 8 | stream[5];
  EXPECT_EQ(segment, exif.size() + 8);
  EXPECT_EQ(std::memcmp(stream.data() + 6, "Exif\0\0", 6), 0);
  // The next marker starts right where the segment says it ends.
  EXPECT_EQ(stream[4 + segment], 0xFF);
  EXPECT_EQ(stream[stream.size() - 2], 0xFF);
  EXPECT_EQ(stream.back(), 0xD9);
  EXPECT_TRUE(BuildExifJpegStream(std::vector<uint8_t>(70000, 0)).empty());
  EXPECT_TRUE(BuildExifJpegStream({}).empty());
}

// The EXIF data of a JPEG's APP1 segment, as a host would put it into the trailer.
std::vector<uint8_t> ExifOf(const std::filesystem::path &jpeg) {
  const auto bytes = ReadAll(jpeg);
  for (size_t i = 2; i + 10 < bytes.size();) {
    const size_t length = static_cast<size_t>(bytes[i + 2]) << 8 | bytes[i + 3];
    if (bytes[i + 1] == 0xE1 && std::memcmp(&bytes[i + 4], "Exif\0\0", 6) == 0)
      return {bytes.begin() + static_cast<ptrdiff_t>(i + 10),
              bytes.begin() + static_cast<ptrdiff_t>(i + 2 + length)};
    i += 2 + length;
  }
  return {};
}

TEST(ExchangeFile, ExifStreamOpensAndYieldsTheItems) {
  const auto exif = ExifOf(testsupport::SamplePath("portrait.jpg"));
  ASSERT_FALSE(exif.empty());
  const auto stream = BuildExifJpegStream(exif);
  TVxImage image;
  ASSERT_EQ(image.LoadFromMemory(stream.data(), stream.size()), TVxImageStatus::Ok);
  EXPECT_EQ(image.Width(), 8);
  const TVxPropertyItem *make = image.PropertyItem(271);
  ASSERT_NE(make, nullptr);
  EXPECT_GT(make->Length(), 1);
  EXPECT_NE(image.PropertyItem(306), nullptr);
}

// The editor's write-back grows the host's file (its rows are padded). On a
// full temporary folder that must fail as a write fails, not kill the
// process with SIGBUS on the first store into the grown part, and the
// host's pixels stay as they were.
TEST(ExchangeFile, AFullTemporaryFolderFailsTheWriteBackWithoutACrash) {
  testsupport::TinyFileSystem disk(1024 * 1024);
  ASSERT_TRUE(disk.Mounted()) << disk.Why();
  const auto path = disk / "host.pspf";
  // 1001 pixels: 3003-byte host rows, 3004-byte rows from the editor.
  HostFile::Make(1001, 300, 3, 3003).Write(path);
  const auto written = ReadAll(path);
  TVxPixelBuffer image;
  TExchangeImage info;
  ASSERT_EQ(ReadExchangeFile(path, image, info), TExchangeStatus::Ok);
  ASSERT_TRUE(disk.Fill());

  EXPECT_FALSE(WriteExchangeFile(path, image));
  EXPECT_EQ(ReadAll(path), written);

  // The plug-in's side of the same code: a file that cannot grow keeps its size.
  TFileMapping mapping(path, TFileMapping::ExistingReadWrite);
  EXPECT_FALSE(mapping.SetSize(written.size() + 100000));
  EXPECT_EQ(mapping.FileSize(), written.size());
}

TEST(FileMapping, ViewsSizesAndAccess) {
  TempDir dir;
  const std::string path = dir / "m";
  {
    TFileMapping mapping(path);
    ASSERT_TRUE(mapping.IsOpen());
    EXPECT_EQ(mapping.FileSize(), 0u);
    EXPECT_EQ(mapping.MapView(0, 0, TFileMapping::WriteAccess), nullptr);  // nothing to map
    ASSERT_TRUE(mapping.SetSize(10000));
    uint8_t *whole = mapping.MapView(0, 0, TFileMapping::WriteAccess);
    ASSERT_NE(whole, nullptr);
    whole[5000] = 7;
    uint8_t *inner = mapping.MapView(5000, 10, TFileMapping::ReadAccess);  // unaligned offset
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner[0], 7);
    EXPECT_EQ(mapping.MapView(9995, 10, TFileMapping::ReadAccess), nullptr);  // past the end
    mapping.UnmapView(inner);
    mapping.UnmapView(whole);
  }
  TFileMapping readOnly(path, TFileMapping::ExistingReadOnly);
  EXPECT_EQ(readOnly.MapView(0, 0, TFileMapping::WriteAccess), nullptr);
  EXPECT_FALSE(readOnly.SetSize(5));
  EXPECT_EQ(readOnly.FileSize(), 10000u);
  EXPECT_FALSE(TFileMapping(dir / "none", TFileMapping::ExistingReadOnly).IsOpen());
}

}  // namespace
