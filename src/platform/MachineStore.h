#pragma once
// The machine-wide store of settings that installers write and programs
// read, keyed by backslash-separated paths ("SOFTWARE\Maker\Product"). On
// Windows it is the registry under HKEY_LOCAL_MACHINE. Elsewhere each key is
// a folder under the store's root and its default value the file "default"
// in it; the root is $VELORA_MACHINE_STORE when set, else the folder the
// build was configured with (the installation's configuration folder).

#include <cstddef>
#include <filesystem>
#include <string>

namespace platform {

// The key's default value, at most maxBytes of it; empty when the key or the
// value is missing.
std::string ReadMachineValue(const std::string &key, size_t maxBytes);

#ifndef _WIN32
// Where a key's default value lives.
std::filesystem::path MachineValuePath(const std::string &key);
#endif

}  // namespace platform
