#include "platform/PlainMessage.h"
#include "platform/WideText.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace platform {

#ifdef _WIN32

void ShowPlainMessage(intptr_t ownerWindow, const std::string &text, const std::string &caption,
                      PlainMessageIcon icon) {
  const UINT flags = MB_OK | (icon == PlainMessageIcon::Error ? MB_ICONERROR : 0);
  MessageBoxW(reinterpret_cast<HWND>(ownerWindow), platform::WideText(text).c_str(),
              platform::WideText(caption).c_str(), flags);
}

#else

void ShowPlainMessage(intptr_t, const std::string &text, const std::string &caption,
                      PlainMessageIcon) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
}

#endif

}  // namespace platform
