#include "retouch/VxRowBands.h"

#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

namespace {

// Below this a thread costs more than it saves.
constexpr int64_t kMinPixelsToSplit = int64_t{1} << 17;

bool WorthSplitting(int32_t height, int32_t width) {
  static const bool twoCores = std::thread::hardware_concurrency() >= 2;
  return twoCores && height >= 16 && int64_t{height} * width >= kMinPixelsToSplit;
}

}  // namespace

void SplitRows(int32_t height, int32_t width, const TVxRowWorkFn &work,
               const TVxRowsDoneFn &progress) {
  auto report = [&](int32_t rows) {
    if (progress) progress(rows);
  };
  if (height <= 0) return;
  if (!WorthSplitting(height, width)) {
    work(0, height, report);
    return;
  }
  // A multiple of four keeps the four-row groups of the passes whole.
  int32_t split = (height / 2) & ~3;
  std::atomic<int32_t> lowerDone{0};
  std::exception_ptr lowerError;
  std::jthread lower;
  try {
    lower = std::jthread([&] {
      try {
        work(split, height,
             [&](int32_t rows) { lowerDone.store(rows, std::memory_order_relaxed); });
      } catch (...) {
        lowerError = std::current_exception();
      }
    });
  } catch (const std::system_error &) {
    // No thread to be had: one band does it all.
    work(0, height, report);
    return;
  }
  {
    // Joins before an exception from the upper band leaves this scope.
    std::jthread joined = std::move(lower);
    work(0, split, [&](int32_t rows) { report(rows + lowerDone.load(std::memory_order_relaxed)); });
  }
  if (lowerError) std::rethrow_exception(lowerError);
  report(height);
}
