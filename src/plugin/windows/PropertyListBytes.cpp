// Writes the plug-in's property list to a file, for the resource compiler
// of the Windows build: the same table the Linux library exports.

#include <cstdio>

#include "plugin/VxPluginProperties.h"

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
    return 2;
  }
  constexpr auto bytes = pluginproperties::Bytes();
  std::FILE *out = std::fopen(argv[1], "wb");
  if (out == nullptr) return 1;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  return std::fclose(out) == 0 && written ? 0 : 1;
}
