#pragma once
// The layout of the exchange file, shared by the editor and the plug-in:
//   "PSPF", header size 32, colour mode, left, top, width, height, stride,
//   bytes per pixel (all 32-bit little-endian), then the rows (red, green,
//   blue first in every pixel), then optionally "EXIF", a length, the data.
// Nothing here needs more than the standard library, so the plug-in can
// take it into a build for any platform.

#include <cstdint>
#include <cstring>

constexpr int32_t ExchangeHeaderSize = 32;
constexpr int32_t ExchangePixelOffset = 36;
constexpr int32_t ExchangeModeRGB = 3;
constexpr char ExchangeMagic[4] = {'P', 'S', 'P', 'F'};

struct TExchangeHeader {
  int32_t HeaderSize = ExchangeHeaderSize;
  int32_t ColourMode = ExchangeModeRGB;
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Stride = 0;
  int32_t BytesPerPixel = 0;
};

inline int32_t ReadExchangeInt(const uint8_t *p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 |
                              static_cast<uint32_t>(p[3]) << 24);
}

inline void WriteExchangeInt(uint8_t *p, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

// The header fields after the magic, in file order; file holds at least 36 bytes.
inline TExchangeHeader ReadExchangeHeader(const uint8_t *file) {
  TExchangeHeader h;
  h.HeaderSize = ReadExchangeInt(file + 4);
  h.ColourMode = ReadExchangeInt(file + 8);
  h.Left = ReadExchangeInt(file + 12);
  h.Top = ReadExchangeInt(file + 16);
  h.Width = ReadExchangeInt(file + 20);
  h.Height = ReadExchangeInt(file + 24);
  h.Stride = ReadExchangeInt(file + 28);
  h.BytesPerPixel = ReadExchangeInt(file + 32);
  return h;
}

// The magic and the header, 36 bytes.
inline void WriteExchangeHeader(uint8_t *file, const TExchangeHeader &h) {
  std::memcpy(file, ExchangeMagic, 4);
  const int32_t fields[] = {h.HeaderSize, h.ColourMode, h.Left,   h.Top,
                            h.Width,      h.Height,     h.Stride, h.BytesPerPixel};
  for (size_t i = 0; i < sizeof fields / sizeof fields[0]; ++i)
    WriteExchangeInt(file + 4 + 4 * i, fields[i]);
}

inline bool HasExchangeMagic(const uint8_t *file) {
  return std::memcmp(file, ExchangeMagic, 4) == 0;
}
