#pragma once
// The property list a host reads before it loads the plug-in: what the
// plug-in is, where its menu item goes, which entry point to call and for
// which images it is enabled. One table gives the bytes of both builds: the
// Windows resource and the symbol the Linux library exports.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pluginproperties {

constexpr int16_t ResourceId = 16000;

// A four-character code as the host reads it: a 32-bit little-endian value,
// so its characters appear reversed in the file.
constexpr uint32_t Code(std::string_view c) {
  return static_cast<uint32_t>(static_cast<unsigned char>(c[0])) << 24 |
         static_cast<uint32_t>(static_cast<unsigned char>(c[1])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(c[2])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(c[3]));
}

enum class TKind { Code, LengthPrefixed, ZeroTerminated, Integer, FilterCases };

struct TProperty {
  std::string_view Key;
  TKind Kind;
  std::string_view Text;  // Code, LengthPrefixed, ZeroTerminated
  uint32_t Value;         // Integer
};

// Input handling, output handling, flags 1 and flags 2 of each of the
// seven filter cases.
constexpr uint8_t FilterCases[7][4] = {{1, 1, 7, 0},  {1, 1, 15, 0}, {1, 1, 15, 0}, {1, 1, 7, 0},
                                       {1, 1, 15, 0}, {1, 1, 7, 0},  {1, 1, 15, 0}};

constexpr TProperty Table[] = {
    {"kind", TKind::Code, "8BFM", 0},
    {"name", TKind::LengthPrefixed, "Velora...", 0},
    {"catg", TKind::LengthPrefixed, "Lumetra", 0},
    {"vers", TKind::Integer, {}, 0x00020005},
    {"wx86", TKind::ZeroTerminated, "ENTRYPOINT", 0},
    {"mode", TKind::Integer, {}, 0x00000010},
    {"enbl", TKind::ZeroTerminated, "in (PSHOP_ImageMode,RGBMode)", 0},
    {"fici", TKind::FilterCases, {}, 0},
};

// Writes the list through out(byte) and returns its length; out may be
// null to measure only.
template <class Out>
constexpr size_t Write(Out out) {
  size_t at = 0;
  const auto byte = [&](uint32_t b) { out(at++, static_cast<uint8_t>(b)); };
  const auto int16 = [&](uint32_t v) {
    byte(v);
    byte(v >> 8);
  };
  const auto int32 = [&](uint32_t v) {
    int16(v);
    int16(v >> 16);
  };
  int16(1);
  int32(0);
  int32(static_cast<uint32_t>(std::size(Table)));
  for (const TProperty &p : Table) {
    size_t length = 0;
    switch (p.Kind) {
      case TKind::Code:
      case TKind::Integer:
        length = 4;
        break;
      case TKind::LengthPrefixed:
      case TKind::ZeroTerminated:
        length = p.Text.size() + 1;
        break;
      case TKind::FilterCases:
        length = sizeof FilterCases;
        break;
    }
    int32(Code("8BIM"));
    int32(Code(p.Key));
    int32(0);
    int32(static_cast<uint32_t>(length));
    switch (p.Kind) {
      case TKind::Code:
        int32(Code(p.Text));
        break;
      case TKind::Integer:
        int32(p.Value);
        break;
      case TKind::LengthPrefixed:
        byte(static_cast<uint32_t>(p.Text.size()));
        for (char c : p.Text) byte(static_cast<unsigned char>(c));
        break;
      case TKind::ZeroTerminated:
        for (char c : p.Text) byte(static_cast<unsigned char>(c));
        byte(0);
        break;
      case TKind::FilterCases:
        for (const auto &filterCase : FilterCases)
          for (uint8_t b : filterCase) byte(b);
        break;
    }
    for (; length % 4 != 0; ++length) byte(0);
  }
  return at;
}

constexpr size_t Size = Write([](size_t, uint8_t) {});

constexpr std::array<uint8_t, Size> Bytes() {
  std::array<uint8_t, Size> bytes{};
  Write([&](size_t at, uint8_t b) { bytes[at] = b; });
  return bytes;
}

}  // namespace pluginproperties
