#pragma once
// The main of the benchmarks that need widgets: a QApplication on the
// offscreen platform unless the environment names another.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <functional>

namespace benchsupport {

// beforeQuit runs while the application still exists, for whatever holds widgets.
inline int RunQtBenchmarks(int argc, char **argv, const std::function<void()> &beforeQuit = {}) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (beforeQuit) beforeQuit();
  return 0;
}

}  // namespace benchsupport
