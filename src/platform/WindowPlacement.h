#pragma once
// The 44-byte window placement record kept in the configuration: length,
// flags, show command, minimised and maximised positions and the normal
// rectangle, 32-bit little-endian each, in that order.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform {

struct WindowPlacement {
  static constexpr uint32_t Size = 44;
  // Show commands and the one flag that matters when restoring.
  static constexpr uint32_t ShowNormal = 1, ShowMinimized = 2, ShowMaximized = 3;
  static constexpr uint32_t RestoreToMaximized = 2;

  uint32_t Length = Size;
  uint32_t Flags = 0;
  uint32_t ShowCommand = ShowNormal;
  int32_t MinX = -1, MinY = -1;
  int32_t MaxX = -1, MaxY = -1;
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;  // right and bottom exclusive

  std::array<uint8_t, Size> ToBytes() const;
  // Nothing unless `size` is exactly Size and the record names its own length.
  static std::optional<WindowPlacement> FromBytes(const uint8_t *bytes, size_t size);

  // Whether the window comes back maximised rather than in its normal rectangle.
  bool OpensMaximized() const;

  friend bool operator==(const WindowPlacement &, const WindowPlacement &) = default;
};

}  // namespace platform
