// Whole-row copies of a 24-megapixel photograph should run at memcpy speed.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "imaging/VxPixels.h"

namespace {

constexpr TVxRect Photo{0, 0, 6000, 4000};

void BM_Memcpy(benchmark::State &state) {
  const size_t bytes =
      static_cast<size_t>(StrideFor(PixelFormat24, Photo.Width())) * Photo.Height();
  std::vector<uint8_t> src(bytes, 1), dst(bytes, 0);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), bytes);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

void BM_Assign(benchmark::State &state) {
  TVxPixelBuffer src(PixelFormat24, Photo), dst(PixelFormat24, Photo);
  std::memset(src.Bits, 1, static_cast<size_t>(src.Stride) * src.Height);
  std::memset(dst.Bits, 0, static_cast<size_t>(dst.Stride) * dst.Height);  // fault the pages in
  for (auto _ : state) {
    dst.Assign(src);
    benchmark::DoNotOptimize(dst.Bits);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * src.Stride * src.Height);
}

void BM_CopyRectHalf(benchmark::State &state) {
  // A rectangle narrower than the row: one block move per row of 3000 pixels.
  TVxPixelBuffer src(PixelFormat24, Photo), dst(PixelFormat24, Photo);
  std::memset(src.Bits, 1, static_cast<size_t>(src.Stride) * src.Height);
  std::memset(dst.Bits, 0, static_cast<size_t>(dst.Stride) * dst.Height);
  const TVxRect half{1500, 0, 4500, 4000};
  for (auto _ : state) {
    dst.CopyRect(half.Left, half.Top, src, half);
    benchmark::DoNotOptimize(dst.Bits);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * half.Width() * 3 *
                          half.Height());
}

}  // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Assign)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyRectHalf)->Unit(benchmark::kMillisecond);
