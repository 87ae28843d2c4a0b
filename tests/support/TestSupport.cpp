#include "support/TestSupport.h"

#include <unistd.h>
#include <atomic>
#include <cstdlib>

namespace testsupport {

std::filesystem::path DataPath(const std::string &relative) {
  return std::filesystem::path(VELORA_TEST_DATA_DIR) / relative;
}

std::filesystem::path SamplePath(const std::string &name) {
  return std::filesystem::path(VELORA_SOURCE_DIR) / "samples" / name;
}

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  Dir = std::filesystem::temp_directory_path() /
        ("velora-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(Dir);
  std::filesystem::create_directories(Dir);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(Dir, ignored);
}

uint32_t PatternAt(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h =
      static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u ^ seed;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return h & 0xFFFFFFu;
}

void FillPattern(TVxPixels &pixels, uint32_t seed) {
  for (int32_t y = pixels.Top; y < pixels.Top + pixels.Height; ++y)
    for (int32_t x = pixels.Left; x < pixels.Left + pixels.Width; ++x) {
      uint8_t *p = pixels.PixelAddress(x, y);
      const uint32_t c = PatternAt(x, y, seed);
      p[0] = static_cast<uint8_t>(c);
      p[1] = static_cast<uint8_t>(c >> 8);
      p[2] = static_cast<uint8_t>(c >> 16);
      for (int32_t i = 3; i < pixels.BytesPerPixel; ++i) p[i] = 0xFF;
    }
}

uint32_t ColourAt(const TVxPixels &pixels, int32_t x, int32_t y) {
  const uint8_t *p = pixels.PixelAddress(x, y);
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16;
}

std::vector<uint8_t> PixelBytes(const TVxPixels &pixels) {
  std::vector<uint8_t> bytes;
  for (int32_t y = 0; y < pixels.Height; ++y) {
    const uint8_t *row = pixels.PixelAddress(pixels.Left, pixels.Top + y);
    bytes.insert(bytes.end(), row, row + static_cast<ptrdiff_t>(pixels.Width) * 3);
  }
  return bytes;
}

}  // namespace testsupport
