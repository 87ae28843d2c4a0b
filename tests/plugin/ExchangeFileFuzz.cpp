// Any byte string handed to the editor as an exchange file is read or refused
// without reading outside the file.

#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <string>

#include "plugin/ExchangeFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const std::string path = "/tmp/velora-exchange-fuzz-" + std::to_string(getpid());
  FILE *file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  if (size != 0) std::fwrite(data, 1, size, file);
  std::fclose(file);
  TVxPixelBuffer image;
  TExchangeImage info;
  if (ReadExchangeFile(path, image, info) == TExchangeStatus::Ok) BuildExifJpegStream(info.Exif);
  std::remove(path.c_str());
  return 0;
}
