// Linked against velora_exchange and nothing else of ours: if the exchange
// file came to need a codec, the scanner library or the GUI toolkit, this
// program would no longer link (and CheckExchangeAlone.cmake would see the
// library in its dependencies). Running it proves the pieces work alone:
// an image written as an exchange file reads back unchanged.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "plugin/ExchangeFile.h"

namespace {

int Fail(const char *what) {
  std::fprintf(stderr, "exchange alone: %s\n", what);
  return 1;
}

int RoundTrip(const std::string &path) {
  TVxPixelBuffer image(PixelFormat24, {0, 0, 5, 3});
  if (image.Bits == nullptr) return Fail("no pixel buffer");
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 5 * 3; ++x)
      image.PixelAddress(0, y)[x] = static_cast<uint8_t>(x + 16 * y);
  if (!WriteExchangeFile(path, image)) return Fail("writing failed");

  TVxPixelBuffer back;
  TExchangeImage info;
  if (ReadExchangeFile(path, back, info) != TExchangeStatus::Ok) return Fail("reading failed");
  if (back.GetBounds() != image.GetBounds()) return Fail("the bounds changed");
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 5 * 3; ++x)
      if (back.PixelAddress(0, y)[x] != image.PixelAddress(0, y)[x]) return Fail("a pixel changed");
  if (!info.Exif.empty()) return Fail("a trailer appeared");
  if (BuildExifJpegStream({'I', 'I', 42, 0}).empty()) return Fail("no EXIF stream");
  return 0;
}

}  // namespace

int main() {
  const auto path = std::filesystem::temp_directory_path() /
                    ("velora-exchange-alone-" + std::to_string(getpid()) + ".pspf");
  const int result = RoundTrip(path.string());
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  if (result == 0) std::puts("exchange alone: ok");
  return result;
}
