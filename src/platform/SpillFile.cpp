#include "platform/SpillFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/WriteFault.h"

namespace platform {

namespace {

constexpr const char *SpillExtension = ".spill";

std::error_code LastError() { return {errno, std::generic_category()}; }

}  // namespace

std::unique_ptr<SpillFile> SpillFile::Create(const std::filesystem::path &folder,
                                             std::error_code &error) {
  error.clear();
  std::filesystem::create_directories(folder, error);
  if (error) return nullptr;
  // The file is made under a name the stale sweep ignores and renamed only
  // once it is locked, so a sweep by another run never sees it unlocked.
  std::string name = (folder / "history-XXXXXX").string();
  std::vector<char> pattern(name.begin(), name.end());
  pattern.push_back('\0');
  const int descriptor = mkostemp(pattern.data(), O_CLOEXEC);
  if (descriptor < 0) {
    error = LastError();
    return nullptr;
  }
  const std::filesystem::path made(pattern.data());
  std::filesystem::path path = made;
  path += SpillExtension;
  if (fchmod(descriptor, S_IRUSR | S_IWUSR) != 0 || flock(descriptor, LOCK_EX | LOCK_NB) != 0 ||
      rename(made.c_str(), path.c_str()) != 0) {
    error = LastError();
    unlink(made.c_str());
    close(descriptor);
    return nullptr;
  }
  return std::unique_ptr<SpillFile>(new SpillFile(descriptor, std::move(path)));
}

SpillFile::~SpillFile() {
  unlink(FPath.c_str());
  close(Descriptor);
}

uint64_t SpillFile::Reserve(uint64_t size) {
  std::lock_guard guard(Lock);
  const uint64_t offset = End;
  End += size;
  Held += size;
  return offset;
}

std::error_code SpillFile::Write(uint64_t offset, const void *data, size_t size) {
  if (const int fault = WriteFault()) return {fault, std::generic_category()};
  const auto *bytes = static_cast<const uint8_t *>(data);
  while (size > 0) {
    const ssize_t written = pwrite(Descriptor, bytes, size, static_cast<off_t>(offset));
    if (written < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    if (written == 0) return std::make_error_code(std::errc::no_space_on_device);
    bytes += written;
    size -= static_cast<size_t>(written);
    offset += static_cast<uint64_t>(written);
  }
  return {};
}

std::error_code SpillFile::Read(uint64_t offset, void *data, size_t size) const {
  auto *bytes = static_cast<uint8_t *>(data);
  while (size > 0) {
    const ssize_t got = pread(Descriptor, bytes, size, static_cast<off_t>(offset));
    if (got < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    if (got == 0) return std::make_error_code(std::errc::io_error);  // cut short
    bytes += got;
    size -= static_cast<size_t>(got);
    offset += static_cast<uint64_t>(got);
  }
  return {};
}

void SpillFile::Discard(uint64_t offset, uint64_t size) {
  if (size == 0) return;
  std::lock_guard guard(Lock);
  Held -= std::min(Held, size);
  if (Held == 0 || offset + size == End) {
    // Holes before the new end stay holes; only the tail can be cut.
    End = Held == 0 ? 0 : offset;
    if (ftruncate(Descriptor, static_cast<off_t>(End)) == 0) return;
  }
  // Best effort: a file system without holes keeps the blocks until the
  // file goes, which loses nothing.
  (void)fallocate(Descriptor, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE,
                  static_cast<off_t>(offset), static_cast<off_t>(size));
}

uint64_t SpillFile::Size() const {
  std::lock_guard guard(Lock);
  return Held;
}

int SpillFile::RemoveStale(const std::filesystem::path &folder) {
  std::error_code error;
  int removed = 0;
  for (const auto &item : std::filesystem::directory_iterator(folder, error)) {
    const std::filesystem::path &path = item.path();
    if (path.extension() != SpillExtension || !item.is_regular_file(error)) continue;
    const int descriptor = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) continue;
    // The lock of a live owner refuses ours; a killed owner's lock went with it.
    if (flock(descriptor, LOCK_EX | LOCK_NB) == 0 && unlink(path.c_str()) == 0) ++removed;
    close(descriptor);
  }
  return removed;
}

}  // namespace platform
