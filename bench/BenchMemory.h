#pragma once
// Memory figures the benchmarks report next to their times.

#include <cstdio>

namespace benchsupport {

// The process's resident set in bytes, read from /proc; 0 where it cannot be read.
inline long ResidentBytes() {
  long pages = 0, resident = 0;
  if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * 4096;
}

}  // namespace benchsupport
