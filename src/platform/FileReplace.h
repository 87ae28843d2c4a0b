#pragma once
// Writing a file so that readers, and a crash or a full disk, see either the
// old content or the new one, never a mix and never nothing.

#include <cstddef>
#include <filesystem>
#include <system_error>

namespace platform {

// Writes `data` into a temporary file in the folder of `path`, flushes it to
// the disk, gives it the permissions (and, where allowed, the owner) of the
// file it replaces and renames it over `path`. A symbolic link is followed:
// the file it names is replaced and the link stays. On any failure the
// temporary file is removed, `path` is untouched and the system's reason is
// returned.
std::error_code ReplaceFile(const std::filesystem::path &path, const void *data, size_t size);

// The same after creating the missing folders of `path`; false on failure.
bool ReplaceFileContents(const std::filesystem::path &path, const void *data, size_t size);

}  // namespace platform
