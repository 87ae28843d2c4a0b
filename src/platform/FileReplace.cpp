#include "platform/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <random>
#include <string>

#include "platform/WriteFault.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

std::error_code LastError() { return {errno, std::system_category()}; }

bool WriteAll(int fd, const void *data, size_t size) {
  if (const int fault = WriteFault(); fault != 0) {
    errno = fault;
    return false;
  }
  const auto *bytes = static_cast<const unsigned char *>(data);
  while (size > 0) {
    const ssize_t written = write(fd, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

// The file a link names, so that replacing it keeps the link; the path
// itself for anything else (a dangling link is replaced by the file).
fs::path FileBehind(const fs::path &path) {
  std::error_code error;
  if (!fs::is_symlink(path, error)) return path;
  fs::path target = fs::canonical(path, error);
  return error ? path : target;
}

// Creates a new, hidden file beside target; -1 with errno set when none can
// be made. Created with 0666 so that the umask applies as to any new file.
int CreateTemporary(const fs::path &target, std::string &name) {
  static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 random{std::random_device{}() ^ static_cast<unsigned>(getpid())};
  std::uniform_int_distribution<size_t> pick(0, sizeof Letters - 2);
  // Short enough for any file system's name limit whatever the target's name.
  const std::string base = "." + target.filename().string().substr(0, 200) + ".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix(6, 'x');
    for (char &c : suffix) c = Letters[pick(random)];
    name = (target.parent_path() / (base + suffix)).string();
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// The replacement looks like the file it replaces to everyone who could use
// it; an owner we may not give (we are not root) stays ours.
void CarryOverOwnership(int fd, const struct stat &old) {
  if (old.st_uid != geteuid() || old.st_gid != getegid()) {
    [[maybe_unused]] const int ignored = fchown(fd, old.st_uid, old.st_gid);
  }
  fchmod(fd, old.st_mode & 0777);
}

// The rename itself is only durable once the folder is on the disk too.
void SyncFolder(const fs::path &folder) {
  const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

std::error_code ReplaceFile(const fs::path &path, const void *data, size_t size) {
  const fs::path target = FileBehind(path);
  struct stat old {};
  const bool existed = stat(target.c_str(), &old) == 0;
  if (existed && S_ISDIR(old.st_mode)) return std::make_error_code(std::errc::is_a_directory);

  std::string temporary;
  const int fd = CreateTemporary(target, temporary);
  if (fd < 0) return LastError();
  if (existed) CarryOverOwnership(fd, old);
  std::error_code error;
  if (!WriteAll(fd, data, size) || fsync(fd) != 0) error = LastError();
  if (close(fd) != 0 && !error) error = LastError();
  if (!error && std::rename(temporary.c_str(), target.c_str()) != 0) error = LastError();
  if (error) {
    unlink(temporary.c_str());
    return error;
  }
  SyncFolder(target.parent_path());
  return {};
}

bool ReplaceFileContents(const fs::path &path, const void *data, size_t size) {
  std::error_code error;
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), error);
  return !error && !ReplaceFile(path, data, size);
}

}  // namespace platform
