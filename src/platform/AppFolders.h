#pragma once
// Where per-user data goes.

#include <filesystem>
#include <optional>

namespace platform {

// The per-user application-data folder: $XDG_CONFIG_HOME, else ~/.config
// (XDG's default). Relative values are ignored, as XDG asks. Nothing when no
// home can be found. The folder is not created.
std::optional<std::filesystem::path> UserAppDataFolder();

// The per-user cache folder: $XDG_CACHE_HOME, else ~/.cache. Relative values
// are ignored. Nothing when no home can be found. The folder is not created.
std::optional<std::filesystem::path> UserCacheFolder();

// <appdata>/<name>/<name>.cfg, where <name> is the program's file name without
// extension; beside the program with the extension ".cfg" when there is no
// application-data folder.
std::filesystem::path ConfigFileFor(const std::filesystem::path &program,
                                    const std::optional<std::filesystem::path> &appData);

}  // namespace platform
