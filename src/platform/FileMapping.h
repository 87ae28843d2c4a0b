#pragma once
// A file mapped into memory. The editor and the plug-in both reach the
// exchange file through this class; it has no toolkit in it so the plug-in
// can share it at source level.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

class TFileMapping {
 public:
  static constexpr int ReadAccess = 1;
  static constexpr int WriteAccess = 2;

  enum TOpenMode {
    CreateReadWrite,  // read and write, creating the file when missing
    ExistingReadWrite,
    ExistingReadOnly,
  };

  explicit TFileMapping(const std::string &path, TOpenMode mode = CreateReadWrite);
  ~TFileMapping();
  TFileMapping(const TFileMapping &) = delete;
  TFileMapping &operator=(const TFileMapping &) = delete;

  bool IsOpen() const;
  // A view of [offset, offset + length); offset 0 and length 0 map the whole
  // file. Null when the file is closed, empty, or the range runs past its end.
  uint8_t *MapView(uint64_t offset, uint64_t length, int access);
  void UnmapView(uint8_t *address);
  // Truncates or extends the file; the blocks of an extended file are
  // reserved on the disk, so writing through a view cannot fail later. False
  // (size unchanged, errno set) when the system refuses.
  bool SetSize(uint64_t size);
  uint64_t FileSize() const;

 private:
#ifdef _WIN32
  void *Handle = nullptr;  // the file's; each view holds a mapping of its own
#else
  int Handle = -1;
#endif
  bool ReadOnly = false;
  struct View {
    void *Base;
    size_t Length;
  };
  std::map<uint8_t *, View> Views;
};
