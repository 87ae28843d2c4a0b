// The named mutex on Windows, for the plug-in's build there: a system
// mutex object of that name, created without taking ownership.
#include <windows.h>

#include "platform/NamedMutex.h"
#include "platform/WideText.h"

namespace platform {

NamedMutex::NamedMutex(const std::string &name) {
  Handle = CreateMutexW(nullptr, FALSE, platform::WideText(name).c_str());
  Fd = Handle ? 0 : -1;
}

NamedMutex::~NamedMutex() {
  if (Handle) CloseHandle(Handle);
}

bool NamedMutex::IsHeld() const { return Handle != nullptr; }

bool NamedMutex::IsHeldByAnyone(const std::string &name) {
  HANDLE handle = OpenMutexW(SYNCHRONIZE, FALSE, platform::WideText(name).c_str());
  if (!handle) return false;
  CloseHandle(handle);
  return true;
}

}  // namespace platform
