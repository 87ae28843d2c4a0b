// Stands in for the editor where a test needs an answer of another size:
// it reads the exchange file as the editor does, cuts one column off the
// image, writes it back with the editor's own writer and ends as after OK.

#include <cstring>

#include "plugin/ExchangeFile.h"

int main(int argc, char **argv) {
  if (argc != 2) return 2;
  TVxPixelBuffer image;
  TExchangeImage info;
  if (ReadExchangeFile(argv[1], image, info) != TExchangeStatus::Ok || image.Width < 2) return 3;
  TVxPixelBuffer narrower(PixelFormat24, {0, 0, image.Width - 1, image.Height});
  for (int32_t y = 0; y < image.Height; ++y)
    std::memcpy(narrower.PixelAddress(0, y), image.PixelAddress(0, y),
                static_cast<size_t>(narrower.Width) * 3);
  return WriteExchangeFile(argv[1], narrower) ? 0 : 4;
}
