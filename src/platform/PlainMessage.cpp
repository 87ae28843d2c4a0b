#include "platform/PlainMessage.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace platform {

#ifdef _WIN32

namespace {

std::wstring Wide(const std::string &text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), length);
  return wide;
}

}  // namespace

void ShowPlainMessage(intptr_t ownerWindow, const std::string &text, const std::string &caption,
                      PlainMessageIcon icon) {
  const UINT flags = MB_OK | (icon == PlainMessageIcon::Error ? MB_ICONERROR : 0);
  MessageBoxW(reinterpret_cast<HWND>(ownerWindow), Wide(text).c_str(), Wide(caption).c_str(),
              flags);
}

#else

void ShowPlainMessage(intptr_t, const std::string &text, const std::string &caption,
                      PlainMessageIcon) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
}

#endif

}  // namespace platform
