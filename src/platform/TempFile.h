#pragma once
// A new file of our own in the user's temporary folder.

#include <string>

namespace platform {

// Creates an empty file with a name nobody else holds, beginning with
// prefix, readable and writable by the user alone. Its path; empty when
// the folder cannot take one.
std::string CreateUniqueTempFile(const std::string &prefix);

}  // namespace platform
