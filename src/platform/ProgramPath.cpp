#include "platform/ProgramPath.h"

#include <system_error>

namespace platform {

std::filesystem::path ProgramPath() {
  std::error_code error;
  auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : path;
}

std::filesystem::path ProgramFolder() { return ProgramPath().parent_path(); }

}  // namespace platform
