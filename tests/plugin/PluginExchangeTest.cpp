// The plug-in's side of the exchange file: what it writes for the editor
// and what it accepts back. The editor's answer is made with the editor's
// own writer (WriteExchangeFile) wherever the editor could have written it.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <numeric>
#include <vector>

#include "platform/FileMapping.h"
#include "plugin/ExchangeFile.h"
#include "plugin/PluginExchange.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

// A host's pixel block: width x height pixels of `planes` bytes, rows
// `stride` bytes apart, every byte numbered.
struct THostBlock {
  TExchangeHeader Header;
  std::vector<uint8_t> Bytes;

  THostBlock(int32_t width, int32_t height, int32_t planes, int32_t stride) {
    Header.Left = 100;
    Header.Top = 50;
    Header.Width = width;
    Header.Height = height;
    Header.Stride = stride;
    Header.BytesPerPixel = planes;
    Bytes.resize(static_cast<size_t>(stride) * static_cast<size_t>(height));
    std::iota(Bytes.begin(), Bytes.end(), uint8_t{7});
  }
};

std::vector<uint8_t> ReadAll(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The editor's answer: the image it read from the file, as it writes it back.
void AnswerAsEditor(const fs::path &file, void (*edit)(TVxPixelBuffer &) = nullptr) {
  TVxPixelBuffer image;
  TExchangeImage info;
  ASSERT_EQ(ReadExchangeFile(file.string(), image, info), TExchangeStatus::Ok);
  if (edit) edit(image);
  ASSERT_TRUE(WriteExchangeFile(file.string(), image));
}

TEST(PluginExchange, WritesTheHostBlockAsItIsAfterTheHeader) {
  testsupport::TempDir dir;
  const THostBlock host(10, 4, 4, 44);
  ASSERT_TRUE(WriteHostImage((dir / "x").string(), host.Header, host.Bytes.data()));
  const std::vector<uint8_t> file = ReadAll(dir / "x");
  ASSERT_EQ(file.size(), 36 + host.Bytes.size());
  EXPECT_EQ(std::memcmp(file.data(), "PSPF", 4), 0);
  const TExchangeHeader h = ReadExchangeHeader(file.data());
  EXPECT_EQ(std::vector<int32_t>({h.HeaderSize, h.ColourMode, h.Left, h.Top, h.Width, h.Height,
                                  h.Stride, h.BytesPerPixel}),
            std::vector<int32_t>({32, 3, 100, 50, 10, 4, 44, 4}));
  EXPECT_TRUE(std::equal(host.Bytes.begin(), host.Bytes.end(), file.begin() + 36));
}

// The editor writes 3 bytes a pixel in rows padded to 4 bytes, at (0, 0):
// unpadded 3-plane rows and 4-plane rows both come back whole, and the
// fourth byte of a host pixel is left as the host had it.
TEST(PluginExchange, TakesTheEditorsRowsBackIntoTheHostsLayout) {
  struct TCase {
    int32_t Width, Planes, Stride;
  };
  for (const TCase &c : {TCase{10, 3, 30}, TCase{10, 4, 40}, TCase{7, 4, 32}, TCase{5, 3, 16}}) {
    SCOPED_TRACE(testing::Message() << c.Width << " pixels, " << c.Planes << " planes");
    testsupport::TempDir dir;
    const fs::path file = dir / "x";
    const THostBlock host(c.Width, 3, c.Planes, c.Stride);
    ASSERT_TRUE(WriteHostImage(file.string(), host.Header, host.Bytes.data()));
    AnswerAsEditor(file, [](TVxPixelBuffer &image) {
      for (int32_t y = 0; y < image.Height; ++y)
        for (int32_t x = 0; x < image.Width * 3; ++x) image.PixelAddress(0, y)[x] ^= 0xFF;
    });

    std::vector<uint8_t> out(host.Bytes.size(), 0xA5);
    ASSERT_EQ(ReadBackHostImage(file.string(), host.Header, {out.data(), c.Stride, c.Planes}),
              TReadBackStatus::Ok);
    for (size_t i = 0; i < out.size(); ++i) {
      const size_t inRow = i % static_cast<size_t>(c.Stride);
      const bool pixelByte = inRow < static_cast<size_t>(c.Width * c.Planes);
      const bool colour = pixelByte && inRow % static_cast<size_t>(c.Planes) < 3;
      const uint8_t expected = colour ? static_cast<uint8_t>(host.Bytes[i] ^ 0xFF) : 0xA5;
      ASSERT_EQ(out[i], expected) << "byte " << i;
    }
  }
}

// Whatever the file says, nothing is copied unless it holds the image that
// was handed over, with every row it claims.
TEST(PluginExchange, RefusesAnAnswerThatIsNotTheImageOrDoesNotFitItsFile) {
  const THostBlock host(6, 4, 3, 20);
  struct TCase {
    const char *What;
    int32_t Field;  // byte offset of the header field to change, -1 for none
    int32_t Value;
    int64_t Truncate;  // bytes to cut off the end
    TReadBackStatus Expected;
  };
  const TCase cases[] = {
      {"no magic", 0, 0x46505350 ^ 1, 0, TReadBackStatus::Mismatch},
      {"another mode", 8, 1, 0, TReadBackStatus::Mismatch},
      {"narrower", 20, 5, 0, TReadBackStatus::Mismatch},
      {"taller", 24, 5, 0, TReadBackStatus::Mismatch},
      {"a row short", -1, 0, 20, TReadBackStatus::Damaged},
      {"one byte short", -1, 0, 1, TReadBackStatus::Damaged},
      {"stride past the end", 28, 1 << 30, 0, TReadBackStatus::Damaged},
      {"negative stride", 28, -24, 0, TReadBackStatus::Damaged},
      {"stride shorter than a row", 28, 17, 0, TReadBackStatus::Damaged},
      {"header past the end", 4, 1 << 30, 0, TReadBackStatus::Damaged},
      {"header too small", 4, -4, 0, TReadBackStatus::Damaged},
      {"two bytes a pixel", 32, 2, 0, TReadBackStatus::Damaged},
      {"only a header", -1, 0, 80, TReadBackStatus::Damaged},
      {"less than a header", -1, 0, 81, TReadBackStatus::Unreadable},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.What);
    testsupport::TempDir dir;
    const fs::path file = dir / "x";
    ASSERT_TRUE(WriteHostImage(file.string(), host.Header, host.Bytes.data()));
    AnswerAsEditor(file);
    {
      TFileMapping mapping(file.string(), TFileMapping::ExistingReadWrite);
      uint8_t *bytes = mapping.MapView(0, 0, TFileMapping::WriteAccess);
      ASSERT_NE(bytes, nullptr);
      if (c.Field >= 0) WriteExchangeInt(bytes + c.Field, c.Value);
      mapping.UnmapView(bytes);
      if (c.Truncate > 0) {
        ASSERT_TRUE(mapping.SetSize(mapping.FileSize() - static_cast<uint64_t>(c.Truncate)));
      }
    }
    std::vector<uint8_t> out(host.Bytes.size(), 0xA5);
    EXPECT_EQ(ReadBackHostImage(file.string(), host.Header, {out.data(), 20, 3}), c.Expected);
    EXPECT_EQ(out, std::vector<uint8_t>(out.size(), 0xA5)) << "the host's rows were touched";
  }
}

TEST(PluginExchange, RefusesHostRowsTooShortForTheImage) {
  testsupport::TempDir dir;
  const fs::path file = dir / "x";
  const THostBlock host(6, 4, 4, 24);
  ASSERT_TRUE(WriteHostImage(file.string(), host.Header, host.Bytes.data()));
  AnswerAsEditor(file);
  std::vector<uint8_t> out(host.Bytes.size());
  EXPECT_EQ(ReadBackHostImage(file.string(), host.Header, {out.data(), 20, 4}),
            TReadBackStatus::Damaged);
  EXPECT_EQ(ReadBackHostImage(file.string(), host.Header, {nullptr, 24, 4}),
            TReadBackStatus::Damaged);
  EXPECT_EQ(ReadBackHostImage((dir / "gone").string(), host.Header, {out.data(), 24, 4}),
            TReadBackStatus::Unreadable);
}

// The file's blocks are taken when it is sized, so a full disk is an
// ordinary failure there, not a fault when the rows are stored.
TEST(PluginExchange, AFullDiskFailsTheWriteInsteadOfKillingTheHost) {
  testsupport::TinyFileSystem disk(64 * 1024);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
  ASSERT_TRUE(disk.Fill());
  const THostBlock host(100, 100, 4, 400);
  EXPECT_FALSE(WriteHostImage((disk / "x").string(), host.Header, host.Bytes.data()));
}

}  // namespace
