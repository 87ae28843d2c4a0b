// The editor program. Until the main window exists it reports what it can
// already do with the photograph it was given.

#include <cstdio>

int main(int argc, char **argv) {
  std::printf("Velora: the pixel core and property bags are built; the editor window comes next.\n");
  if (argc > 1) std::printf("It will open %s.\n", argv[1]);
  return 0;
}
