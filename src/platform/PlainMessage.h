#pragma once
// A message for the user from code that runs inside another program (the
// filter plug-in): it must not bring a GUI toolkit of ours into the host.
// On Windows a system message box owned by the host's window; elsewhere a
// line on standard error, where the host's own messages go as well.

#include <cstdint>
#include <string>

namespace platform {

enum class PlainMessageIcon { None, Error };

void ShowPlainMessage(intptr_t ownerWindow, const std::string &text, const std::string &caption,
                      PlainMessageIcon icon);

}  // namespace platform
