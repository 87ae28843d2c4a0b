#pragma once
// Where the running program lives, for the files shipped beside it.

#include <filesystem>

namespace platform {

// Full path of the running executable; empty when the system cannot tell.
std::filesystem::path ProgramPath();
// Its folder; empty when the system cannot tell.
std::filesystem::path ProgramFolder();

}  // namespace platform
