#pragma once
// The editor's side of the exchange file through which the filter plug-in
// hands a host image to the editor and receives it back (layout in
// ExchangeLayout.h).

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/VxPixels.h"
#include "plugin/ExchangeLayout.h"

enum class TExchangeStatus {
  NotExchange,  // no "PSPF" magic or not an RGB file: try the ordinary formats
  Invalid,      // claims to be an exchange file but its header or size is inconsistent
  Ok,
};

struct TExchangeImage {
  TExchangeHeader Header;
  std::vector<uint8_t> Exif;  // the trailer's data, empty when there is none
};

// Reads the file's pixels into image as a 24-bit buffer at (0, 0).
TExchangeStatus ReadExchangeFile(const std::string &path, TVxPixelBuffer &image,
                                 TExchangeImage &info);

// Rewrites path as an exchange file holding image (24-bit), the editor's way:
// header (32, 3, 0, 0, width, height, stride, 3) and rows of the image's own stride.
bool WriteExchangeFile(const std::string &path, const TVxPixels &image);

// A complete JPEG stream around EXIF data (an APP1 segment and a tiny 8 x 8
// body), so that the image library can read its items. Empty when the data
// does not fit one segment.
std::vector<uint8_t> BuildExifJpegStream(const std::vector<uint8_t> &exif);
