#pragma once
// Helpers every test program may use.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/VxBitmap.h"
#include "imaging/VxPixels.h"

namespace testsupport {

// <source>/tests/data/<relative>
std::filesystem::path DataPath(const std::string &relative);
// <source>/samples/<name>
std::filesystem::path SamplePath(const std::string &name);

// A fresh, empty folder under the system's temporary folder, removed when the
// object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  const std::filesystem::path &Path() const { return Dir; }
  std::filesystem::path operator/(const std::string &name) const { return Dir / name; }

 private:
  std::filesystem::path Dir;
};

// A file system of a given size of its own: a tmpfs mounted over a fresh
// folder in a private mount namespace of this process, so that a full disk
// is real and nothing outside the process sees it. Needs the right to
// mount (root here) and a process that runs no other thread yet; Mounted()
// says whether it worked, Why() why not.
class TinyFileSystem {
 public:
  explicit TinyFileSystem(size_t bytes);
  ~TinyFileSystem();
  TinyFileSystem(const TinyFileSystem &) = delete;
  TinyFileSystem &operator=(const TinyFileSystem &) = delete;

  bool Mounted() const { return FMounted; }
  const std::string &Why() const { return FWhy; }
  const std::filesystem::path &Path() const { return Dir.Path(); }
  std::filesystem::path operator/(const std::string &name) const { return Dir / name; }
  // Takes every free block with a file of its own; false when the disk did
  // not fill.
  bool Fill();

 private:
  TempDir Dir;
  bool FMounted = false;
  std::string FWhy;
};

// A 24-bit buffer whose pixel (x, y) holds a pattern unique to its position,
// so a misplaced copy shows up as a wrong value.
void FillPattern(TVxPixels &pixels, uint32_t seed = 0);
// Sizes bitmap to width x height, 24-bit, and fills it with a deterministic
// picture: each byte depends on its position and on seed.
void FillImage(TVxLTBitmap &bitmap, int32_t width, int32_t height, uint32_t seed);
uint32_t PatternAt(int32_t x, int32_t y, uint32_t seed = 0);
// The pixel at (x, y) as 0x00RRGGBB.
uint32_t ColourAt(const TVxPixels &pixels, int32_t x, int32_t y);
// Every pixel byte of a 24-bit surface, row by row, without the row padding.
std::vector<uint8_t> PixelBytes(const TVxPixels &pixels);

}  // namespace testsupport
