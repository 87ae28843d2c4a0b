#include "platform/NamedMutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <cstdlib>

namespace platform {

namespace {

std::filesystem::path LockFileFor(const std::string &name) {
  const char *runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/')
    return std::filesystem::path(runtime) / (name + ".lock");
  // The temporary folder is shared by every user: the name carries the user.
  return std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getuid()) + ".lock");
}

}  // namespace

NamedMutex::NamedMutex(const std::string &name) : LockPath(LockFileFor(name)) {
  Fd = open(LockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (Fd < 0) return;
  if (flock(Fd, LOCK_SH | LOCK_NB) != 0) {
    close(Fd);
    Fd = -1;
  }
}

bool NamedMutex::IsHeld() const { return Fd >= 0; }

NamedMutex::~NamedMutex() {
  if (Fd >= 0) close(Fd);  // closing releases the lock
}

bool NamedMutex::IsHeldByAnyone(const std::string &name) {
  int fd = open(LockFileFor(name).c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
  if (!held) flock(fd, LOCK_UN);
  close(fd);
  return held;
}

}  // namespace platform
