#include "settings/VxStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

bool TVxStream::CopyFrom(TVxStream &source) {
  uint8_t buffer[64 * 1024];
  for (;;) {
    const size_t got = source.Read(buffer, sizeof buffer);
    if (got == 0) return true;
    if (!WriteAll(buffer, got)) return false;
  }
}

TVxMemoryStream::TVxMemoryStream(const void *bytes, size_t count)
    : Bytes(static_cast<const uint8_t *>(bytes), static_cast<const uint8_t *>(bytes) + count) {}

size_t TVxMemoryStream::Read(void *buffer, size_t count) {
  if (count == 0 || Pos >= Bytes.size()) return 0;
  const size_t n = std::min(count, Bytes.size() - Pos);
  std::memcpy(buffer, Bytes.data() + Pos, n);
  Pos += n;
  return n;
}

size_t TVxMemoryStream::Write(const void *buffer, size_t count) {
  if (count == 0) return 0;
  if (Pos > Bytes.max_size() - count) return 0;
  if (Bytes.size() < Pos + count) Bytes.resize(Pos + count);
  std::memcpy(Bytes.data() + Pos, buffer, count);
  Pos += count;
  return count;
}

int64_t TVxMemoryStream::Seek(int64_t offset, TVxSeekOrigin origin) {
  int64_t base = 0;
  if (origin == TVxSeekOrigin::Current) base = static_cast<int64_t>(Pos);
  if (origin == TVxSeekOrigin::End) base = Size();
  if (offset > 0 && base > std::numeric_limits<int64_t>::max() - offset) return -1;
  const int64_t target = base + offset;
  if (target < 0) return -1;
  Pos = static_cast<size_t>(target);
  return target;
}

void TVxMemoryStream::Clear() {
  Bytes.clear();
  Pos = 0;
}

std::unique_ptr<TVxFileStream> TVxFileStream::Open(const std::filesystem::path &path,
                                                   TVxFileMode mode) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case TVxFileMode::Read:
      flags |= O_RDONLY;
      break;
    case TVxFileMode::Create:
      flags |= O_RDWR | O_CREAT | O_TRUNC;
      break;
    case TVxFileMode::Update:
      flags |= O_RDWR;
      break;
  }
  int fd;
  do fd = ::open(path.c_str(), flags, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return nullptr;
  struct stat info {};
  // A folder opens read-only on Linux but is no stream of bytes.
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<TVxFileStream>(new TVxFileStream(fd));
}

TVxFileStream::~TVxFileStream() { ::close(Descriptor); }

size_t TVxFileStream::Read(void *buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(Descriptor, static_cast<uint8_t *>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

size_t TVxFileStream::Write(const void *buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t n =
        ::write(Descriptor, static_cast<const uint8_t *>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

int64_t TVxFileStream::Seek(int64_t offset, TVxSeekOrigin origin) {
  const int whence = origin == TVxSeekOrigin::Begin     ? SEEK_SET
                     : origin == TVxSeekOrigin::Current ? SEEK_CUR
                                                        : SEEK_END;
  const off_t result = ::lseek(Descriptor, static_cast<off_t>(offset), whence);
  return result < 0 ? -1 : static_cast<int64_t>(result);
}

int64_t TVxFileStream::Size() const {
  struct stat info {};
  if (::fstat(Descriptor, &info) != 0) return -1;
  return static_cast<int64_t>(info.st_size);
}
