// A long session of whole-image steps on a 24 MP photograph under a 512 MiB
// history budget: 50 steps, each changing every pixel, committed through the
// edit model, then all of them undone. Reported: how long a commit takes and
// how long an undo takes (most of them bring a spilled step back), the
// history's memory at its highest (its own count, and the growth of the
// process's resident set), and whether undoing everything gave back the
// photograph bit for bit.
//
// The argument is a pause after each step and each undo in milliseconds:
// 0 is a burst no user makes, in which commits and undos wait for the worker
// whenever the budget would otherwise be passed; 1000 is a brisk user. -1
// lets the worker finish before each commit and each undo (untimed), which
// gives the cost of a commit and of undoing a spilled step by themselves,
// as a user sees them when the worker keeps up.
//
// Spills go to the program's own spill folder (the user's cache), as in use.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "BenchMemory.h"
#include "documents/VxCommandHistory.h"
#include "documents/VxEditModel.h"
#include "documents/VxHistoryStore.h"
#include "imaging/VxResamplers.h"
#include "imaging/codecs/VxImage.h"

namespace {

constexpr int32_t PhotoWidth = 6000, PhotoHeight = 4000, Steps = 50;
constexpr uint64_t Budget = uint64_t(512) << 20;

using TClock = std::chrono::steady_clock;

double Milliseconds(TClock::time_point since) {
  return std::chrono::duration<double, std::milli>(TClock::now() - since).count();
}

// The sample portrait enlarged to 24 MP, with a sensor's grain added back,
// since an enlargement alone is far smoother (and more compressible) than a
// real photograph.
void LoadPhoto(TVxLTBitmap &image) {
  TVxImage sample;
  TVxPixelBuffer small;
  if (sample.LoadFromFile(VELORA_SOURCE_DIR "/samples/portrait-large.jpg") != TVxImageStatus::Ok ||
      sample.DecodeAtLeast(1, 1, small) != TVxImageStatus::Ok ||
      !image.SetSize(PhotoWidth, PhotoHeight, PixelFormat24)) {
    std::fprintf(stderr, "cannot make the photograph\n");
    std::abort();
  }
  const TVxRect bounds{0, 0, PhotoWidth, PhotoHeight};
  TVxPixels &pixels = *image.Pixels();
  Resample(pixels, bounds, bounds, TLanczosResampler(), small.GetBounds(), small);
  uint32_t noise = 12345;
  for (int32_t y = 0; y < PhotoHeight; ++y) {
    uint8_t *row = pixels.PixelAddress(0, y);
    for (int32_t i = 0; i < PhotoWidth * 3; ++i) {
      noise = noise * 1664525u + 1013904223u;
      const int value = row[i] + static_cast<int>(noise >> 29) - 4;
      row[i] = static_cast<uint8_t>(std::clamp(value, 0, 255));
    }
  }
}

// A lighting step: every byte moves, the picture stays a photograph.
void Lighten(TVxPixels &pixels, int step) {
  const int delta = step % 2 ? 3 : -2;
  for (int32_t y = 0; y < pixels.Height; ++y) {
    uint8_t *row = pixels.PixelAddress(0, y);
    for (int32_t i = 0; i < pixels.Width * 3; ++i)
      row[i] = static_cast<uint8_t>(std::clamp(row[i] + delta, 1, 254));
  }
}

struct TLightingTool : IVxEditOwner {
  explicit TLightingTool(TVxEditModel &model) : Model(model) {}
  void EndEdit() override { Model.CommitChanges(this); }
  TVxEditModel &Model;
};

void WholeImageSession(benchmark::State &state) {
  const bool settle = state.range(0) < 0;
  const auto pause = std::chrono::milliseconds(std::max<int64_t>(state.range(0), 0));
  double pushMax = 0, pushSum = 0, undoMax = 0, undoSum = 0;
  long residentGrowth = 0;
  uint64_t historyPeak = 0;
  int32_t spilled = 0;
  bool exact = false;
  for (auto _ : state) {
    TVxCommandHistoryList history;
    TVxEditModel model(history);
    TVxHistoryStore::TOptions options{Budget, TVxHistoryStore::DefaultSpillFolder()};
    model.SetHistoryStore(TVxHistoryStore::Create(options));
    TVxHistoryStore &store = model.HistoryStore();
    LoadPhoto(model.Image);
    model.UpdateBackup();
    TVxPixelBuffer photo;
    model.Image.CopyToBuffer(photo);
    TLightingTool tool(model);
    const long baseline = benchsupport::ResidentBytes();
    const auto sample = [&] {
      residentGrowth = std::max(residentGrowth, benchsupport::ResidentBytes() - baseline);
      historyPeak = std::max(historyPeak, store.Usage().MemoryBytes);
      spilled = std::max(spilled, store.Usage().Spilled);
    };
    for (int step = 0; step < Steps; ++step) {
      model.BeginEdit(&tool);
      Lighten(*model.ImagePixels(), step);
      model.AddChangedRect(model.WorkingArea(), true);
      if (settle) store.WaitUntilSettled();
      const auto start = TClock::now();
      model.EndEdit(true);
      const double took = Milliseconds(start);
      pushMax = std::max(pushMax, took);
      pushSum += took;
      sample();
      std::this_thread::sleep_for(pause);
      sample();
    }
    while (history.CanUndo()) {
      if (settle) store.WaitUntilSettled();
      const auto start = TClock::now();
      if (!history.Undo()) break;
      const double took = Milliseconds(start);
      undoMax = std::max(undoMax, took);
      undoSum += took;
      sample();
      std::this_thread::sleep_for(pause);
      sample();
    }
    const TVxPixels &image = *model.ImagePixels();
    exact = !history.CanUndo();
    for (int32_t y = 0; exact && y < PhotoHeight; ++y)
      exact = std::memcmp(image.PixelAddress(0, y), photo.PixelAddress(0, y), PhotoWidth * 3) == 0;
  }
  state.counters["commit_ms_max"] = pushMax;
  state.counters["commit_ms_mean"] = pushSum / Steps;
  state.counters["undo_ms_max"] = undoMax;
  state.counters["undo_ms_mean"] = undoSum / Steps;
  state.counters["history_MiB_peak"] = static_cast<double>(historyPeak) / (1 << 20);
  state.counters["resident_growth_MiB_peak"] = static_cast<double>(residentGrowth) / (1 << 20);
  state.counters["steps_spilled_peak"] = spilled;
  state.counters["undo_all_exact"] = exact ? 1 : 0;
}

BENCHMARK(WholeImageSession)
    ->Arg(-1)
    ->Arg(0)
    ->Arg(1000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace
