// The band decomposition next to OpenCV's box filter on the same 24 MP
// photograph, in one run. Built only where OpenCV is installed; nothing else
// needs it. Both sides use two threads; the CPU column counts all of them.

#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "RetouchBenchImages.h"
#include "retouch/VxFrequencyRange.h"

namespace {

// The copy and both blurs, as after opening a photograph.
void BM_OurDecomposition(benchmark::State &state) {
  TVxPixelBuffer &photo = Photo24MP();
  TFrequencyRange bands;
  bands.Compute(photo, 1, 1);
  for (auto _ : state) {
    bands.Invalidate(2);
    bands.Compute(photo, static_cast<int32_t>(state.range(0)),
                  static_cast<int32_t>(state.range(1)));
    benchmark::DoNotOptimize(bands.BlurB().data());
  }
}
BENCHMARK(BM_OurDecomposition)
    ->Args({1, 5})
    ->Args({5, 25})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The same work with cv::blur: a copy of the photo and two normalised box
// filters of side 2r + 1 (OpenCV mirrors the border instead of averaging
// over the pixels that exist, which costs the same).
void BM_OpenCvDecomposition(benchmark::State &state) {
  TVxPixelBuffer &photo = Photo24MP();
  cv::Mat view(photo.Height, photo.Width, CV_8UC3, photo.Bits, static_cast<size_t>(photo.Stride));
  cv::Mat source, narrow, wide;
  view.copyTo(source);
  cv::blur(source, narrow, cv::Size(3, 3));
  cv::blur(source, wide, cv::Size(3, 3));
  int a = 2 * static_cast<int>(state.range(0)) + 1;
  int b = 2 * static_cast<int>(state.range(1)) + 1;
  for (auto _ : state) {
    view.copyTo(source);
    cv::blur(source, narrow, cv::Size(a, a));
    cv::blur(source, wide, cv::Size(b, b));
    benchmark::DoNotOptimize(wide.data);
  }
  state.counters["threads"] = cv::getNumThreads();
}
BENCHMARK(BM_OpenCvDecomposition)
    ->Args({1, 5})
    ->Args({5, 25})
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// One blur alone, each side.
void BM_OurBoxBlur(benchmark::State &state) {
  TVxPixelBuffer &photo = Photo24MP();
  TFrequencyRange bands;
  bands.Compute(photo, 0, 0);
  std::vector<uint8_t> target(bands.SourceBGR().size());
  int32_t r = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    BoxBlurBGR(bands.SourceBGR().data(), target.data(), bands.Width, bands.Height, r);
    benchmark::DoNotOptimize(target.data());
  }
}
BENCHMARK(BM_OurBoxBlur)
    ->Arg(5)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_OpenCvBlur(benchmark::State &state) {
  TVxPixelBuffer &photo = Photo24MP();
  cv::Mat source;
  cv::Mat(photo.Height, photo.Width, CV_8UC3, photo.Bits, static_cast<size_t>(photo.Stride))
      .copyTo(source);
  cv::Mat target;
  int side = 2 * static_cast<int>(state.range(0)) + 1;
  cv::blur(source, target, cv::Size(side, side));
  for (auto _ : state) {
    cv::blur(source, target, cv::Size(side, side));
    benchmark::DoNotOptimize(target.data);
  }
}
BENCHMARK(BM_OpenCvBlur)
    ->Arg(5)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
