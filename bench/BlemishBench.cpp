// The blemish engine at the tool's largest brush (size 100): preparing a new
// target, and one live re-patch as the pointer moves over the source.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "imaging/VxPixelMask.h"
#include "imaging/VxPixels.h"
#include "retouch/VxAreaCorrelator.h"
#include "retouch/VxBrushMasks.h"
#include "retouch/VxLoupe.h"

namespace {

// Skin-like: a smooth gradient with a little noise, so the ring has many colours.
void FillSkin(TVxPixelBuffer &buffer, int32_t width, int32_t height) {
  buffer.SetFormatAndBounds(PixelFormat24, {0, 0, width, height});
  uint32_t state = 4711;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t *p = buffer.PixelAddress(0, y);
    for (int32_t x = 0; x < width; ++x) {
      for (int32_t c = 0; c < 3; ++c) {
        state = state * 1664525u + 1013904223u;
        p[3 * x + c] = static_cast<uint8_t>(120 + c * 30 + (x + y) / 16 + (state >> 28));
      }
    }
  }
}

struct TTarget {
  static constexpr int32_t Size = 100;
  TVxPixelBuffer Backup;
  TVxPixelBuffer Image;
  TVxPixelMask Brush;
  TVxRect Rect = Bounds(200, 200, Size, Size);
  TTarget() {
    FillSkin(Backup, 512, 512);
    Image.SetFormatAndBounds(PixelFormat24, Backup.GetBounds());
    Image.Assign(Backup);
    PowerProfile(Brush, Size, 255, 160);
  }
  std::unique_ptr<TAreaCorrelator> Prepare() {
    auto engine = std::make_unique<TAreaCorrelator>(Rect, Image, Backup, 2);
    for (int32_t x = 0; x < Size; ++x)
      for (int32_t y = 0; y < Size; ++y)
        engine->SetDefect(Rect.Left + x, Rect.Top + y, *Brush.ByteAt(x, y) != 0);
    engine->BuildAreas();
    engine->DropLongDefect(0.2);
    engine->ComputeBlendWeights();
    return engine;
  }
};

void BM_BlemishPrepare(benchmark::State &state) {
  TTarget target;
  for (auto _ : state) {
    auto engine = target.Prepare();
    benchmark::DoNotOptimize(engine->Interior.Count);
  }
}
BENCHMARK(BM_BlemishPrepare)->Unit(benchmark::kMillisecond);

// BestReflection over the eight reflections, Patch with per-channel
// adjustment and the redraw of the target part of the 120 x 120 preview.
void BM_BlemishRepatch(benchmark::State &state) {
  TTarget target;
  auto engine = target.Prepare();
  constexpr int32_t side = 120, offset = (side - TTarget::Size) / 2;
  TVxPixelBuffer preview(PixelFormat24, {0, 0, side, side});
  int32_t step = 0;
  for (auto _ : state) {
    const TVxRect source = Bounds(40 + step % 7, 320 + step % 5, TTarget::Size, TTarget::Size);
    ++step;
    const int32_t r = engine->BestReflection(source);
    engine->Patch({source.Left, source.Top}, r, true, 2, 2);
    PaintLoupe(target.Image, {target.Rect.Left - offset, target.Rect.Top - offset}, preview,
               {offset, offset, offset + TTarget::Size, offset + TTarget::Size});
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BlemishRepatch)->Unit(benchmark::kMillisecond);

}  // namespace
