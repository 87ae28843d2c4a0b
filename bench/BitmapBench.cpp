// Painting a 1920x1080 view of a 24-megapixel photograph into a 32-bit canvas
// at the zooms a view uses, beside a plain copy of as many bytes; and the
// bitmap's whole-image operations, which pay for a fresh block each time.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "imaging/VxBitmap.h"

namespace {

constexpr TVxRect View{0, 0, 1920, 1080};

void FillNoise(TVxPixels &pixels) {
  uint32_t state = 777;
  for (int32_t y = 0; y < pixels.Height; ++y) {
    uint8_t *row = pixels.PixelAddress(pixels.Left, pixels.Top + y);
    for (int32_t i = 0; i < pixels.Width * pixels.BytesPerPixel; ++i) {
      state = state * 1664525u + 1013904223u;
      row[i] = static_cast<uint8_t>(state >> 24);
    }
  }
}

TVxLTBitmap &Photo() {
  static TVxLTBitmap photo;
  if (photo.Pixels() == nullptr) {
    photo.SetSize(6000, 4000);
    FillNoise(*photo.Pixels());
  }
  return photo;
}

void BM_MemcpyView(benchmark::State &state) {
  const size_t bytes = size_t(View.Width()) * View.Height() * 4;
  std::vector<uint8_t> src(bytes, 1), dst(bytes, 0);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), bytes);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
}

// range(0): device pixels per image pixel times 4 (1 = 1:4, 4 = 1:1, 16 = 4:1).
void BM_DrawView(benchmark::State &state) {
  TVxLTBitmap &photo = Photo();
  TVxPixelBuffer canvas(PixelFormat32Alpha, View);
  std::memset(canvas.Bits, 0, size_t(canvas.Stride) * canvas.Height);
  const auto zoom4 = static_cast<int32_t>(state.range(0));
  // The image part the view shows, from the image's centre outwards.
  const int32_t w = std::min(6000, View.Width() * 4 / zoom4);
  const int32_t h = std::min(4000, View.Height() * 4 / zoom4);
  const TVxRect source = Bounds((6000 - w) / 2, (4000 - h) / 2, w, h);
  const TVxRect dest = Bounds(0, 0, w * zoom4 / 4, h * zoom4 / 4);
  for (auto _ : state) {
    photo.Draw(canvas, dest, &source, &View);
    benchmark::DoNotOptimize(canvas.Bits);
    benchmark::ClobberMemory();
  }
}

void BM_RotateLeft(benchmark::State &state) {
  TVxLTBitmap &photo = Photo();
  for (auto _ : state) photo.RotateLeft();
}

void BM_FlipHorizontal(benchmark::State &state) {
  TVxLTBitmap &photo = Photo();
  for (auto _ : state) photo.FlipHorizontal();
}

void BM_ResampleBitmapHalf(benchmark::State &state) {
  // Includes the fresh block of the result.
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<TVxLTBitmap> copy = Photo().Clone();
    state.ResumeTiming();
    copy->Resample(3000, 2000);
    benchmark::DoNotOptimize(copy->Pixels()->Bits);
  }
}

}  // namespace

BENCHMARK(BM_MemcpyView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawView)->Arg(1)->Arg(4)->Arg(16)->ArgName("zoom4")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateLeft)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlipHorizontal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleBitmapHalf)->Unit(benchmark::kMillisecond);
