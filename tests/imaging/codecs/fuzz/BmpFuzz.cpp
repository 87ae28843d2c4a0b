#include "FuzzImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  return FuzzImage(data, size, TVxRawFormat::Bmp);
}
