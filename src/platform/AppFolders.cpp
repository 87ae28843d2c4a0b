#include "platform/AppFolders.h"

#include <pwd.h>
#include <unistd.h>
#include <cstdlib>
#include <vector>

namespace platform {

namespace {

std::optional<std::filesystem::path> AbsoluteFromEnvironment(const char *name) {
  const char *value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  std::filesystem::path path(value);
  if (!path.is_absolute()) return std::nullopt;
  return path;
}

std::optional<std::filesystem::path> HomeFolder() {
  if (auto home = AbsoluteFromEnvironment("HOME")) return home;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd *found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr || found->pw_dir[0] != '/')
    return std::nullopt;
  return std::filesystem::path(found->pw_dir);
}

}  // namespace

std::optional<std::filesystem::path> UserAppDataFolder() {
  if (auto config = AbsoluteFromEnvironment("XDG_CONFIG_HOME")) return config;
  if (auto home = HomeFolder()) return *home / ".config";
  return std::nullopt;
}

std::optional<std::filesystem::path> UserCacheFolder() {
  if (auto cache = AbsoluteFromEnvironment("XDG_CACHE_HOME")) return cache;
  if (auto home = HomeFolder()) return *home / ".cache";
  return std::nullopt;
}

std::filesystem::path ConfigFileFor(const std::filesystem::path &program,
                                    const std::optional<std::filesystem::path> &appData) {
  if (!appData) return std::filesystem::path(program).replace_extension(".cfg");
  const auto name = program.stem();
  return *appData / name / name.string().append(".cfg");
}

}  // namespace platform
