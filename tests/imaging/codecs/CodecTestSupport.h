#pragma once
// Small helpers shared by the codec tests.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "imaging/VxPixels.h"
#include "imaging/codecs/VxImage.h"

namespace codectest {

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path &path);
void WriteFileBytes(const std::filesystem::path &path, const std::vector<uint8_t> &bytes);

// Loads and decodes a whole image; Ok only when both steps succeed.
TVxImageStatus DecodeFile(const std::filesystem::path &path, TVxPixelBuffer &pixels);
TVxImageStatus DecodeBytes(const std::vector<uint8_t> &bytes, TVxPixelBuffer &pixels);

// Largest difference of any channel between two PixelFormat24 surfaces of one size.
int MaxChannelDifference(const TVxPixels &a, const TVxPixels &b);
double MeanChannelDifference(const TVxPixels &a, const TVxPixels &b);

}  // namespace codectest
