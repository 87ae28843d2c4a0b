#include "support/TestSupport.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

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

TinyFileSystem::TinyFileSystem(size_t bytes) {
  // The mount stays inside this process: its namespace is a private copy.
  if (unshare(CLONE_NEWNS) != 0) {
    FWhy = std::string("unshare: ") + std::strerror(errno);
    return;
  }
  if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    FWhy = std::string("private mounts: ") + std::strerror(errno);
    return;
  }
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
  if (mount("tmpfs", Dir.Path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
    FWhy = std::string("mount tmpfs: ") + std::strerror(errno);
    return;
  }
  FMounted = true;
}

TinyFileSystem::~TinyFileSystem() {
  if (FMounted) umount2(Dir.Path().c_str(), MNT_DETACH);
}

bool TinyFileSystem::Fill() {
  const std::string name = (Dir / ".filler").string();
  const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const std::vector<char> block(4096, 'f');
  // Whole blocks first, then single bytes into the last block's rest.
  for (size_t size : {block.size(), size_t{1}})
    while (write(fd, block.data(), size) > 0) {
    }
  const bool full = errno == ENOSPC;
  close(fd);
  return full;
}

uint32_t PatternAt(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h =
      static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u ^ seed;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return h & 0xFFFFFFu;
}

void FillImage(TVxLTBitmap &bitmap, int32_t width, int32_t height, uint32_t seed) {
  bitmap.SetSize(width, height, PixelFormat24);
  TVxPixels &pixels = *bitmap.Pixels();
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      for (int32_t c = 0; c < 3; ++c)
        pixels.PixelAddress(x, y)[c] =
            static_cast<uint8_t>(seed * 31u + static_cast<uint32_t>(x * 7 + y * 13 + c * 101));
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
