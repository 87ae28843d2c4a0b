// The file mapping on Windows, for the plug-in's build there.
#include <windows.h>

#include "platform/FileMapping.h"
#include "platform/WideText.h"

TFileMapping::TFileMapping(const std::string &path, TOpenMode mode) {
  ReadOnly = mode == ExistingReadOnly;
  const DWORD access = ReadOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  const DWORD disposition = mode == CreateReadWrite ? OPEN_ALWAYS : OPEN_EXISTING;
  HANDLE file =
      CreateFileW(platform::WideText(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  Handle = file == INVALID_HANDLE_VALUE ? nullptr : file;
}

TFileMapping::~TFileMapping() {
  for (auto &[address, view] : Views) UnmapViewOfFile(view.Base);
  if (Handle) CloseHandle(Handle);
}

bool TFileMapping::IsOpen() const { return Handle != nullptr; }

uint64_t TFileMapping::FileSize() const {
  LARGE_INTEGER size{};
  if (!Handle || !GetFileSizeEx(Handle, &size)) return 0;
  return static_cast<uint64_t>(size.QuadPart);
}

uint8_t *TFileMapping::MapView(uint64_t offset, uint64_t length, int access) {
  const uint64_t size = FileSize();
  if (!Handle || size == 0) return nullptr;
  if (offset == 0 && length == 0) length = size;
  if (length == 0 || offset > size || length > size - offset) return nullptr;
  if (access == WriteAccess && ReadOnly) return nullptr;
  if (length > SIZE_MAX) return nullptr;

  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const uint64_t granularity = system.dwAllocationGranularity;
  const uint64_t aligned = offset - offset % granularity;
  const size_t mapped = static_cast<size_t>(length + (offset - aligned));
  const bool write = access == WriteAccess;
  HANDLE mapping =
      CreateFileMappingW(Handle, nullptr, write ? PAGE_READWRITE : PAGE_READONLY, 0, 0, nullptr);
  if (!mapping) return nullptr;
  void *base =
      MapViewOfFile(mapping, write ? FILE_MAP_WRITE : FILE_MAP_READ,
                    static_cast<DWORD>(aligned >> 32), static_cast<DWORD>(aligned), mapped);
  CloseHandle(mapping);  // the view keeps the mapping alive
  if (!base) return nullptr;
  uint8_t *address = static_cast<uint8_t *>(base) + (offset - aligned);
  Views[address] = {base, mapped};
  return address;
}

void TFileMapping::UnmapView(uint8_t *address) {
  auto it = Views.find(address);
  if (it == Views.end()) return;
  UnmapViewOfFile(it->second.Base);
  Views.erase(it);
}

bool TFileMapping::SetSize(uint64_t size) {
  if (!Handle || ReadOnly || !Views.empty()) return false;
  LARGE_INTEGER position{};
  position.QuadPart = static_cast<LONGLONG>(size);
  // Setting the end of file allocates the blocks; a full disk fails here.
  return SetFilePointerEx(Handle, position, nullptr, FILE_BEGIN) && SetEndOfFile(Handle);
}
