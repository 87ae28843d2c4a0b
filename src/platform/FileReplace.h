#pragma once
// Writing a small file so that readers see either the old or the new content.

#include <cstddef>
#include <filesystem>

namespace platform {

// Creates the missing folders of `path`, writes `data` into a temporary file
// beside it and renames that over `path`. False, with `path` untouched, when
// any step fails.
bool ReplaceFileContents(const std::filesystem::path &path, const void *data, size_t size);

}  // namespace platform
