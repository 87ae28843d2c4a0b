#include "platform/WindowPlacement.h"

namespace platform {

namespace {

void Put(uint8_t *at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t Get(const uint8_t *at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
         static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

}  // namespace

std::array<uint8_t, WindowPlacement::Size> WindowPlacement::ToBytes() const {
  std::array<uint8_t, Size> bytes{};
  const uint32_t fields[11] = {Length,
                               Flags,
                               ShowCommand,
                               static_cast<uint32_t>(MinX),
                               static_cast<uint32_t>(MinY),
                               static_cast<uint32_t>(MaxX),
                               static_cast<uint32_t>(MaxY),
                               static_cast<uint32_t>(Left),
                               static_cast<uint32_t>(Top),
                               static_cast<uint32_t>(Right),
                               static_cast<uint32_t>(Bottom)};
  for (size_t i = 0; i < 11; ++i) Put(bytes.data() + 4 * i, fields[i]);
  return bytes;
}

std::optional<WindowPlacement> WindowPlacement::FromBytes(const uint8_t *bytes, size_t size) {
  if (bytes == nullptr || size != Size || Get(bytes) != Size) return std::nullopt;
  WindowPlacement p;
  p.Length = Get(bytes);
  p.Flags = Get(bytes + 4);
  p.ShowCommand = Get(bytes + 8);
  p.MinX = static_cast<int32_t>(Get(bytes + 12));
  p.MinY = static_cast<int32_t>(Get(bytes + 16));
  p.MaxX = static_cast<int32_t>(Get(bytes + 20));
  p.MaxY = static_cast<int32_t>(Get(bytes + 24));
  p.Left = static_cast<int32_t>(Get(bytes + 28));
  p.Top = static_cast<int32_t>(Get(bytes + 32));
  p.Right = static_cast<int32_t>(Get(bytes + 36));
  p.Bottom = static_cast<int32_t>(Get(bytes + 40));
  return p;
}

bool WindowPlacement::OpensMaximized() const {
  // A window that was minimised comes back in the state it was minimised
  // from, never minimised: a program that starts as an icon looks as if it
  // had not started.
  if (ShowCommand == ShowMaximized) return true;
  return ShowCommand == ShowMinimized && (Flags & RestoreToMaximized) != 0;
}

}  // namespace platform
