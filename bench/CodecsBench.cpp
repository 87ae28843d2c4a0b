// JPEG decode, encode and thumbnails of a 24-megapixel photograph through our
// codecs, each beside the plain libjpeg-turbo API doing the same work.

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "imaging/VxResamplers.h"
#include "imaging/codecs/VxImage.h"

namespace {

constexpr int32_t PhotoWidth = 6000, PhotoHeight = 4000;

// The sample portrait enlarged to 6000 x 4000 and encoded at quality 90: made
// once per run so no large file lives in the repository.
struct TPhoto {
  TVxPixelBuffer Pixels;
  std::vector<uint8_t> Jpeg;

  TPhoto() {
    TVxImage sample;
    TVxPixelBuffer small;
    if (sample.LoadFromFile(VELORA_SOURCE_DIR "/samples/portrait-large.jpg") !=
            TVxImageStatus::Ok ||
        sample.DecodeAtLeast(1, 1, small) != TVxImageStatus::Ok) {
      std::fprintf(stderr, "cannot read the sample photograph\n");
      std::abort();
    }
    const TVxRect bounds{0, 0, PhotoWidth, PhotoHeight};
    Pixels.SetFormatAndBounds(PixelFormat24, bounds);
    Resample(Pixels, bounds, bounds, TLanczosResampler(), small.GetBounds(), small);
    TVxSaveOptions options;
    options.Quality = 90;
    if (EncodeImage(Pixels, "image/jpeg", options, Jpeg) != TVxImageStatus::Ok) std::abort();
  }
};

const TPhoto &Photo() {
  static const TPhoto photo;
  return photo;
}

void BM_DecodeTurboJpeg(benchmark::State &state) {
  const TPhoto &photo = Photo();
  TVxPixelBuffer target(PixelFormat24, {0, 0, PhotoWidth, PhotoHeight});
  tjhandle handle = tjInitDecompress();
  for (auto _ : state) {
    if (tjDecompress2(handle, photo.Jpeg.data(), static_cast<unsigned long>(photo.Jpeg.size()),
                      target.Bits, PhotoWidth, target.Stride, PhotoHeight, TJPF_BGR, 0) != 0)
      state.SkipWithError("decode failed");
    benchmark::ClobberMemory();
  }
  tjDestroy(handle);
}

void BM_DecodeOurs(benchmark::State &state) {
  const TPhoto &photo = Photo();
  TVxPixelBuffer target(PixelFormat24, {0, 0, PhotoWidth, PhotoHeight});
  for (auto _ : state) {
    TVxImage image;
    if (image.LoadFromMemory(photo.Jpeg.data(), photo.Jpeg.size()) != TVxImageStatus::Ok ||
        image.ReadPixels(target) != TVxImageStatus::Ok)
      state.SkipWithError("decode failed");
    benchmark::ClobberMemory();
  }
}

void BM_EncodeTurboJpegQ80(benchmark::State &state) {
  const TPhoto &photo = Photo();
  tjhandle handle = tjInitCompress();
  unsigned char *buffer = nullptr;
  unsigned long size = 0;  // the buffer's capacity, kept between rounds
  for (auto _ : state) {
    if (tjCompress2(handle, photo.Pixels.Bits, PhotoWidth, photo.Pixels.Stride, PhotoHeight,
                    TJPF_BGR, &buffer, &size, TJSAMP_420, 80, 0) != 0)
      state.SkipWithError("encode failed");
    benchmark::DoNotOptimize(buffer);
  }
  tjFree(buffer);
  tjDestroy(handle);
}

void BM_EncodeOursQ80(benchmark::State &state) {
  const TPhoto &photo = Photo();
  TVxSaveOptions options;
  options.Quality = 80;
  std::vector<uint8_t> file;
  for (auto _ : state) {
    if (EncodeImage(photo.Pixels, "image/jpeg", options, file) != TVxImageStatus::Ok)
      state.SkipWithError("encode failed");
    benchmark::DoNotOptimize(file.data());
  }
}

void BM_ThumbnailTurboJpegEighth(benchmark::State &state) {
  const TPhoto &photo = Photo();
  const int w = PhotoWidth / 8, h = PhotoHeight / 8;
  std::vector<uint8_t> target(static_cast<size_t>(w) * 3 * h);
  tjhandle handle = tjInitDecompress();
  for (auto _ : state) {
    if (tjDecompress2(handle, photo.Jpeg.data(), static_cast<unsigned long>(photo.Jpeg.size()),
                      target.data(), w, w * 3, h, TJPF_BGR, 0) != 0)
      state.SkipWithError("decode failed");
    benchmark::ClobberMemory();
  }
  tjDestroy(handle);
}

void BM_Thumbnail224Ours(benchmark::State &state) {
  const TPhoto &photo = Photo();
  for (auto _ : state) {
    TVxImage image;
    TVxPixelBuffer thumbnail;
    if (image.LoadFromMemory(photo.Jpeg.data(), photo.Jpeg.size()) != TVxImageStatus::Ok ||
        image.GetThumbnail(224, 224, thumbnail) != TVxImageStatus::Ok)
      state.SkipWithError("thumbnail failed");
    benchmark::DoNotOptimize(thumbnail.Bits);
  }
}

}  // namespace

BENCHMARK(BM_DecodeTurboJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeTurboJpegQ80)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeOursQ80)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThumbnailTurboJpegEighth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Thumbnail224Ours)->Unit(benchmark::kMillisecond);
