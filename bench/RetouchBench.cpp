// Band decomposition of a 24 MP photograph and single brush dabs at size 64.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "RetouchBenchImages.h"
#include "imaging/VxPixelMask.h"
#include "imaging/VxPixels.h"
#include "retouch/VxBlurredColours.h"
#include "retouch/VxBrushBlends.h"
#include "retouch/VxBrushMasks.h"
#include "retouch/VxDetailLayer.h"
#include "retouch/VxFrequencyRange.h"
#include "retouch/VxMakeUpBlend.h"

namespace {

void BM_FrequencyRangeCompute(benchmark::State &state) {
  TVxPixelBuffer &photo = Photo24MP();
  TFrequencyRange bands;
  bands.Compute(photo, 1, 1);  // the matrices exist before timing starts
  for (auto _ : state) {
    bands.Invalidate(2);  // copy and both blurs, as after opening a photo
    bands.Compute(photo, static_cast<int32_t>(state.range(0)),
                  static_cast<int32_t>(state.range(1)));
    benchmark::DoNotOptimize(bands.BlurB().data());
  }
}
// Two threads: the CPU column counts both.
BENCHMARK(BM_FrequencyRangeCompute)
    ->Args({1, 5})
    ->Args({5, 25})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// One dab at size 64 in the middle of the photo: the stroke mask grows by
// the brush and the rectangle is blended.
struct TDab {
  TVxPixelBuffer Image;
  TVxPixelMask Brush;
  TVxPixelMask Stroke;
  TVxRect Rect;
  TDab() {
    FillPortraitLike(Image, 512, 512);
    BrushProfile(Brush, 64, 255, 127);
    Rect = BrushRect({256, 256}, 64);
  }
  void Accumulate() {
    Stroke.Clear();
    AccumulateDab(Stroke, Brush, {Rect.Left, Rect.Top});
  }
};

void BM_DabSkinSmoothing(benchmark::State &state) {
  TDab dab;
  TFrequencyRange bands;
  bands.Compute(dab.Image, 1, 5);
  for (auto _ : state) {
    dab.Accumulate();
    BlendBandsInRect(bands, true, dab.Image, dab.Stroke, dab.Rect, dab.Image);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DabSkinSmoothing)->Unit(benchmark::kMicrosecond);

void BM_DabHistoryBrush(benchmark::State &state) {
  TDab dab;
  TVxPixelBuffer opened;
  FillPortraitLike(opened, 512, 512);
  for (auto _ : state) {
    dab.Accumulate();
    BlendTowardsPixelsInRect(dab.Image, opened, dab.Stroke, dab.Rect, dab.Image);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DabHistoryBrush)->Unit(benchmark::kMicrosecond);

// Smudge with a fresh cache: every average of the dab is computed.
void BM_DabSmudgeFreshCache(benchmark::State &state) {
  TDab dab;
  TVxBlurredColours blur;
  blur.SetSmoothing(64);
  for (auto _ : state) {
    blur.BeginStroke(dab.Image.GetBounds());
    dab.Accumulate();
    BlendTowardsBlurInRect(blur, dab.Image, dab.Stroke, dab.Rect, dab.Image);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DabSmudgeFreshCache)->Unit(benchmark::kMicrosecond);

// The make-up texture of a 24 MP photograph, as after another tool's change.
void BM_DetailLayer(benchmark::State &state) {
  TVxPixelBuffer &photo = Photo24MP();
  TMakeUpDetailLayer layer;
  layer.Compute(photo);  // the layer exists before timing starts
  for (auto _ : state) {
    layer.Invalidate();
    layer.PrepareFor(photo);
    benchmark::DoNotOptimize(layer.At(0, 0));
  }
}
BENCHMARK(BM_DetailLayer)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

// One make-up dab at size 100: the surface mask grows by the brush and the
// rectangle is blended. Arguments: mode, texture.
void BM_DabMakeUp(benchmark::State &state) {
  TVxPixelBuffer image;
  FillPortraitLike(image, 512, 512);
  TMakeUpDetailLayer layer;
  layer.Compute(image);
  TVxPixelMask brush, surface;
  BrushProfile(brush, 100, 255, 128);
  TVxRect rect = BrushRect({256, 256}, 100);
  TMakeUpPaint paint{static_cast<TMakeUpMode>(state.range(0)),
                     {60, 110, 200},
                     state.range(1) != 0 ? &layer : nullptr};
  for (auto _ : state) {
    surface.Clear();
    AccumulateDab(surface, brush, {rect.Left, rect.Top});
    BlendMakeUpInRect(paint, image, surface, rect, image);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DabMakeUp)
    ->ArgNames({"mode", "texture"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({2, 0})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
