// Lanczos-3 on photograph-sized images, single thread, into buffers whose
// pages are already touched (a fresh block's page faults are measured apart).

#include <benchmark/benchmark.h>

#include <cstring>

#include "imaging/VxResampleRows.h"
#include "imaging/VxResamplers.h"

namespace {

void FillNoise(TVxPixels &pixels) {
  uint32_t state = 12345;
  for (int32_t y = 0; y < pixels.Height; ++y) {
    uint8_t *row = pixels.PixelAddress(pixels.Left, pixels.Top + y);
    for (int32_t i = 0; i < pixels.Width * 3; ++i) {
      state = state * 1664525u + 1013904223u;
      row[i] = static_cast<uint8_t>(state >> 24);
    }
  }
}

void Scale(benchmark::State &state, TResampleCode code, const TPixelResampler &kernel) {
  const TVxRect from{0, 0, static_cast<int32_t>(state.range(0)),
                     static_cast<int32_t>(state.range(1))};
  const TVxRect to{0, 0, static_cast<int32_t>(state.range(2)),
                   static_cast<int32_t>(state.range(3))};
  if (!ResampleCodeAvailable(code)) {
    state.SkipWithError("instruction set not available");
    return;
  }
  TVxPixelBuffer src(PixelFormat24, from), dst(PixelFormat24, to);
  FillNoise(src);
  std::memset(dst.Bits, 0, static_cast<size_t>(dst.Stride) * dst.Height);
  for (auto _ : state) {
    ResampleWith(code, dst, to, to, kernel, from, src);
    benchmark::DoNotOptimize(dst.Bits);
    benchmark::ClobberMemory();
  }
}

void BM_Lanczos(benchmark::State &state) { Scale(state, TResampleCode::Avx2, TLanczosResampler()); }

void BM_LanczosPortable(benchmark::State &state) {
  Scale(state, TResampleCode::Portable, TLanczosResampler());
}

void BM_QuickDraft(benchmark::State &state) {
  Scale(state, TResampleCode::Avx2, TQuickDraftResampler());
}

void Sizes(benchmark::internal::Benchmark *b) {
  b->Args({6000, 4000, 3000, 2000})->Args({6000, 4000, 1500, 1000})->Args({2000, 1500, 4000, 3000});
  b->ArgNames({"sw", "sh", "dw", "dh"})->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_Lanczos)->Apply(Sizes);
BENCHMARK(BM_LanczosPortable)->Apply(Sizes);
BENCHMARK(BM_QuickDraft)->Apply(Sizes);
