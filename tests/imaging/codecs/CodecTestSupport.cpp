#include "CodecTestSupport.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace codectest {

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::filesystem::path &path, const std::vector<uint8_t> &bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char *>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

static TVxImageStatus DecodeImage(const TVxImage &image, TVxPixelBuffer &pixels) {
  pixels.SetFormatAndBounds(PixelFormat24, {0, 0, image.Width(), image.Height()});
  if (!pixels.Bits) return TVxImageStatus::OutOfMemory;
  return image.ReadPixels(pixels);
}

TVxImageStatus DecodeFile(const std::filesystem::path &path, TVxPixelBuffer &pixels) {
  TVxImage image;
  if (const TVxImageStatus status = image.LoadFromFile(path); status != TVxImageStatus::Ok)
    return status;
  return DecodeImage(image, pixels);
}

TVxImageStatus DecodeBytes(const std::vector<uint8_t> &bytes, TVxPixelBuffer &pixels) {
  TVxImage image;
  if (const TVxImageStatus status = image.LoadFromMemory(bytes.data(), bytes.size());
      status != TVxImageStatus::Ok)
    return status;
  return DecodeImage(image, pixels);
}

int MaxChannelDifference(const TVxPixels &a, const TVxPixels &b) {
  int worst = 0;
  for (int32_t y = 0; y < a.Height; ++y)
    for (int32_t x = 0; x < a.Width * 3; ++x)
      worst = std::max(worst, std::abs(a.Bits[y * a.Stride + x] - b.Bits[y * b.Stride + x]));
  return worst;
}

double MeanChannelDifference(const TVxPixels &a, const TVxPixels &b) {
  double sum = 0;
  for (int32_t y = 0; y < a.Height; ++y)
    for (int32_t x = 0; x < a.Width * 3; ++x)
      sum += std::abs(a.Bits[y * a.Stride + x] - b.Bits[y * b.Stride + x]);
  return sum / (3.0 * a.Width * a.Height);
}

}  // namespace codectest
