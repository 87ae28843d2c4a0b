#pragma once
// A private scratch file for data a process cannot keep in memory. Only its
// owner can read it (mode 0600), it is removed when its owner lets it go,
// and it stays locked while open, so a later run can tell the file of a run
// that was killed from the file of one still running and remove only the
// former.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>

namespace platform {

class SpillFile {
 public:
  // A new, empty file in folder, which is created (mode 0700) when missing.
  // Null, with the system's reason in error, when that fails.
  static std::unique_ptr<SpillFile> Create(const std::filesystem::path &folder,
                                           std::error_code &error);
  // Closes and removes the file.
  ~SpillFile();
  SpillFile(const SpillFile &) = delete;
  SpillFile &operator=(const SpillFile &) = delete;

  // Room for size bytes at the end of the file; where it starts.
  uint64_t Reserve(uint64_t size);
  // Writes into a reserved range. Partial writes are continued; the reason of
  // a failure (ENOSPC on a full disk, or the test seam's fault) is returned.
  std::error_code Write(uint64_t offset, const void *data, size_t size);
  std::error_code Read(uint64_t offset, void *data, size_t size) const;
  // The range's disk blocks go back to the file system; a range at the end
  // shortens the file. Safe from any thread, like the calls above.
  void Discard(uint64_t offset, uint64_t size);

  const std::filesystem::path &Path() const { return FPath; }
  // The bytes reserved and not discarded.
  uint64_t Size() const;

  // Removes every spill file in folder that no running process holds; the
  // number removed. Files of live processes and other files stay.
  static int RemoveStale(const std::filesystem::path &folder);

 private:
  SpillFile(int descriptor, std::filesystem::path path)
      : Descriptor(descriptor), FPath(std::move(path)) {}

  int Descriptor = -1;
  std::filesystem::path FPath;
  mutable std::mutex Lock;
  uint64_t End = 0;
  uint64_t Held = 0;
};

}  // namespace platform
