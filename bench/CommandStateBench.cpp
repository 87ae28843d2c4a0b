// What one undo step of a retouching change costs: the time to record it and
// the memory it keeps (counter "resident_bytes", measured from the process's
// resident set, so it includes the page rounding of the two pixel blocks).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "BenchMemory.h"
#include "documents/VxCommandHistory.h"
#include "documents/VxEditModel.h"
#include "documents/VxGraphicsCommandState.h"

namespace {

void CommandState(benchmark::State &state) {
  const auto imageWidth = static_cast<int32_t>(state.range(0));
  const auto imageHeight = static_cast<int32_t>(state.range(1));
  const auto side = static_cast<int32_t>(state.range(2));
  TVxCommandHistoryList history;
  TVxEditModel model(history);
  model.Image.SetSize(imageWidth, imageHeight, PixelFormat24);
  model.UpdateBackup();
  const TVxRect rect = side > 0 ? TVxRect{0, 0, side, side} : model.WorkingArea();
  long before = benchsupport::ResidentBytes();
  int64_t kept = 0;
  for (auto _ : state) {
    auto made = NewCommandState<TVxGraphicsCommandState>(nullptr, rect, &model);
    benchmark::DoNotOptimize(made.get());
    const long now = benchsupport::ResidentBytes();
    kept += now - before;
    model.AddCommandState(std::move(made));
    before = benchsupport::ResidentBytes();
  }
  state.counters["resident_bytes"] =
      benchmark::Counter(static_cast<double>(kept) / static_cast<double>(state.iterations()));
}

// A 100 x 100 brush step on a 24 MP image, and a whole-image step.
BENCHMARK(CommandState)->Args({6000, 4000, 100})->Iterations(200);
BENCHMARK(CommandState)->Args({6000, 4000, 0})->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
