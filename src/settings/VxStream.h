#pragma once
// Seekable byte streams under the configuration format: a file on disk or a
// block of memory. Failures are reported by results, never by exceptions.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

enum class TVxSeekOrigin { Begin, Current, End };

class TVxStream {
 public:
  TVxStream() = default;
  TVxStream(const TVxStream &) = delete;
  TVxStream &operator=(const TVxStream &) = delete;
  virtual ~TVxStream() = default;

  // Bytes actually transferred; fewer than asked at the end or on an error.
  virtual size_t Read(void *buffer, size_t count) = 0;
  virtual size_t Write(const void *buffer, size_t count) = 0;
  // The new position, or -1 (position unchanged) when it would be negative or
  // the stream cannot move there. Moving past the end is allowed, as with files.
  virtual int64_t Seek(int64_t offset, TVxSeekOrigin origin) = 0;
  // -1 when the stream cannot tell.
  virtual int64_t Size() const = 0;

  int64_t Position() { return Seek(0, TVxSeekOrigin::Current); }
  // True only when all `count` bytes arrived.
  bool ReadExact(void *buffer, size_t count) { return Read(buffer, count) == count; }
  bool WriteAll(const void *buffer, size_t count) { return Write(buffer, count) == count; }
  // Copies everything from the source's current position to its end.
  bool CopyFrom(TVxStream &source);
};

// Grows on writes; writing past the end fills the gap with zeros.
class TVxMemoryStream : public TVxStream {
 public:
  TVxMemoryStream() = default;
  explicit TVxMemoryStream(std::vector<uint8_t> bytes) : Bytes(std::move(bytes)) {}
  TVxMemoryStream(const void *bytes, size_t count);

  size_t Read(void *buffer, size_t count) override;
  size_t Write(const void *buffer, size_t count) override;
  int64_t Seek(int64_t offset, TVxSeekOrigin origin) override;
  int64_t Size() const override { return static_cast<int64_t>(Bytes.size()); }

  const std::vector<uint8_t> &Data() const { return Bytes; }
  void Clear();

 private:
  std::vector<uint8_t> Bytes;
  size_t Pos = 0;
};

enum class TVxFileMode {
  Read,    // existing file, read only
  Create,  // new or emptied file, read and write
  Update,  // existing file, read and write
};

class TVxFileStream : public TVxStream {
 public:
  // Null when the file cannot be opened or created in that mode.
  static std::unique_ptr<TVxFileStream> Open(const std::filesystem::path &path, TVxFileMode mode);
  ~TVxFileStream() override;

  size_t Read(void *buffer, size_t count) override;
  size_t Write(const void *buffer, size_t count) override;
  int64_t Seek(int64_t offset, TVxSeekOrigin origin) override;
  int64_t Size() const override;

 private:
  explicit TVxFileStream(int descriptor) : Descriptor(descriptor) {}
  int Descriptor;
};
