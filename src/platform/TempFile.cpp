#include "platform/TempFile.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#endif

namespace platform {

#ifdef _WIN32

std::string CreateUniqueTempFile(const std::string &prefix) {
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH + 1];
  std::wstring widePrefix(prefix.begin(), prefix.end());  // the prefix is ASCII
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH ||
      GetTempFileNameW(folder, widePrefix.c_str(), 0, name) == 0)
    return {};
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, name, -1, nullptr, 0, nullptr, nullptr);
  std::string path(static_cast<size_t>(bytes > 0 ? bytes - 1 : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, name, -1, path.data(), bytes, nullptr, nullptr);
  return path;
}

#else

std::string CreateUniqueTempFile(const std::string &prefix) {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) return {};
  std::string path = (folder / (prefix + "XXXXXX")).string();
  // mkstemp makes the name unique and the file private (0600) in one step.
  const int fd = mkostemp(path.data(), O_CLOEXEC);
  if (fd < 0) return {};
  close(fd);
  return path;
}

#endif

}  // namespace platform
