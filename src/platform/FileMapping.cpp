#include "platform/FileMapping.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "platform/WriteFault.h"

TFileMapping::TFileMapping(const std::string &path, TOpenMode mode) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case CreateReadWrite:
      flags |= O_RDWR | O_CREAT;
      break;
    case ExistingReadWrite:
      flags |= O_RDWR;
      break;
    case ExistingReadOnly:
      flags |= O_RDONLY;
      break;
  }
  Handle = ::open(path.c_str(), flags, 0600);
  ReadOnly = mode == ExistingReadOnly;
}

bool TFileMapping::IsOpen() const { return Handle >= 0; }

TFileMapping::~TFileMapping() {
  for (auto &[address, view] : Views) munmap(view.Base, view.Length);
  if (Handle >= 0) ::close(Handle);
}

uint64_t TFileMapping::FileSize() const {
  struct stat info {};
  if (Handle < 0 || fstat(Handle, &info) != 0) return 0;
  return static_cast<uint64_t>(info.st_size);
}

uint8_t *TFileMapping::MapView(uint64_t offset, uint64_t length, int access) {
  const uint64_t size = FileSize();
  if (Handle < 0 || size == 0) return nullptr;
  if (offset == 0 && length == 0) length = size;
  if (length == 0 || offset > size || length > size - offset) return nullptr;

  // mmap wants a page-aligned offset; map from the page start and hand out the inner address.
  const uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
  const uint64_t aligned = offset - offset % page;
  const size_t mapped = static_cast<size_t>(length + (offset - aligned));
  if (access == WriteAccess && ReadOnly) return nullptr;
  const int protection = access == WriteAccess ? PROT_READ | PROT_WRITE : PROT_READ;
  void *base = mmap(nullptr, mapped, protection, MAP_SHARED, Handle, static_cast<off_t>(aligned));
  if (base == MAP_FAILED) return nullptr;
  uint8_t *address = static_cast<uint8_t *>(base) + (offset - aligned);
  Views[address] = {base, mapped};
  return address;
}

void TFileMapping::UnmapView(uint8_t *address) {
  auto it = Views.find(address);
  if (it == Views.end()) return;
  munmap(it->second.Base, it->second.Length);
  Views.erase(it);
}

bool TFileMapping::SetSize(uint64_t size) {
  if (Handle < 0 || ReadOnly) return false;
  const uint64_t before = FileSize();
  // A file grown by ftruncate alone, or written with holes by whoever made
  // it, has no blocks behind those parts; storing into such a part of a view
  // on a full disk raises SIGBUS and kills the process. Taking every block
  // first makes a full disk an ordinary failure here.
  if (size > 0) {
    const int fault = platform::WriteFault();
    const int error = fault != 0 ? fault : posix_fallocate(Handle, 0, static_cast<off_t>(size));
    if (error != 0) {
      // A failed reservation may have grown the file part of the way.
      if (FileSize() != before) {
        [[maybe_unused]] const int ignored = ::ftruncate(Handle, static_cast<off_t>(before));
      }
      errno = error;
      return false;
    }
  }
  return size >= before || ::ftruncate(Handle, static_cast<off_t>(size)) == 0;
}
