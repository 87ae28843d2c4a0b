#include "platform/MachineStore.h"

#ifdef _WIN32
#include <windows.h>

#include <vector>
#else
#include <cstdlib>
#include <fstream>
#endif

#ifndef VELORA_MACHINE_STORE_DIR
#define VELORA_MACHINE_STORE_DIR "/etc/velora/machine"
#endif

namespace platform {

#ifdef _WIN32

std::string ReadMachineValue(const std::string &key, size_t maxBytes) {
  const std::wstring wideKey(key.begin(), key.end());  // keys are ASCII
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, wideKey.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
    return {};
  std::vector<wchar_t> value(maxBytes / sizeof(wchar_t) + 1, L'\0');
  DWORD bytes = static_cast<DWORD>(maxBytes);
  DWORD type = 0;
  const LONG status = RegQueryValueExW(handle, nullptr, nullptr, &type,
                                       reinterpret_cast<BYTE *>(value.data()), &bytes);
  RegCloseKey(handle);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, value.data(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(length > 0 ? length - 1 : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, value.data(), -1, text.data(), length, nullptr, nullptr);
  return text;
}

#else

std::filesystem::path MachineValuePath(const std::string &key) {
  const char *root = std::getenv("VELORA_MACHINE_STORE");
  std::filesystem::path path = root != nullptr && root[0] != '\0' ? root : VELORA_MACHINE_STORE_DIR;
  std::string relative = key;
  for (char &c : relative)
    if (c == '\\') c = '/';
  return path / std::filesystem::path(relative).relative_path() / "default";
}

std::string ReadMachineValue(const std::string &key, size_t maxBytes) {
  std::ifstream in(MachineValuePath(key), std::ios::binary);
  if (!in) return {};
  std::string value(maxBytes, '\0');
  in.read(value.data(), static_cast<std::streamsize>(maxBytes));
  value.resize(static_cast<size_t>(in.gcount()));
  // An editor or echo leaves a line end that is no part of the value.
  while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.pop_back();
  const size_t end = value.find('\0');
  if (end != std::string::npos) value.resize(end);
  return value;
}

#endif

}  // namespace platform
