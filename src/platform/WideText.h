#pragma once
// UTF-8 to the UTF-16 the Windows API takes; only the Windows build uses it.
#ifdef _WIN32
#include <windows.h>

#include <string>

namespace platform {

inline std::wstring WideText(const std::string &text) {
  if (text.empty()) return {};
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

}  // namespace platform
#endif
