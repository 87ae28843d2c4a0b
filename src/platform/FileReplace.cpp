#include "platform/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <string>

namespace platform {

namespace {

bool WriteAll(int fd, const void *data, size_t size) {
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

}  // namespace

bool ReplaceFileContents(const std::filesystem::path &path, const void *data, size_t size) {
  std::error_code error;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), error);
  if (error) return false;
  std::string temporary = path.string() + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return false;
  // mkstemp creates 0600; a replaced file keeps the usual permissions.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  const bool written = WriteAll(fd, data, size) && fsync(fd) == 0;
  if (close(fd) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace platform
