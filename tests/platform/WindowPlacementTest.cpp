#include <gtest/gtest.h>

#include <vector>

#include "platform/WindowPlacement.h"

namespace {

using platform::WindowPlacement;

TEST(WindowPlacement, KeepsTheWindowsRecordLayout) {
  WindowPlacement p;
  p.ShowCommand = WindowPlacement::ShowMaximized;
  p.Left = -8;
  p.Top = 20;
  p.Right = 1000;
  p.Bottom = 0x12345;
  const auto bytes = p.ToBytes();
  const std::vector<uint8_t> expected = {
      44,   0,    0,    0,    0,    0,    0,    0,    3, 0, 0, 0,  // length, flags, show command
      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,              // minimised position
      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,              // maximised position
      0xF8, 0xFF, 0xFF, 0xFF, 20,   0,    0,    0,                 // normal left, top
      0xE8, 0x03, 0,    0,    0x45, 0x23, 0x01, 0,                 // normal right, bottom
  };
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), expected);
  EXPECT_EQ(WindowPlacement::FromBytes(bytes.data(), bytes.size()), p);
}

TEST(WindowPlacement, RejectsRecordsOfAnotherSize) {
  const auto bytes = WindowPlacement().ToBytes();
  EXPECT_FALSE(WindowPlacement::FromBytes(bytes.data(), 40));
  EXPECT_FALSE(WindowPlacement::FromBytes(nullptr, 44));
  auto wrongLength = bytes;
  wrongLength[0] = 40;
  EXPECT_FALSE(WindowPlacement::FromBytes(wrongLength.data(), wrongLength.size()));
}

TEST(WindowPlacement, AMinimisedWindowComesBackAsItWasBefore) {
  struct Case {
    uint32_t Show, Flags;
    bool Maximized;
  };
  const Case cases[] = {
      {WindowPlacement::ShowNormal, 0, false},
      {WindowPlacement::ShowMaximized, 0, true},
      {WindowPlacement::ShowMinimized, 0, false},
      {WindowPlacement::ShowMinimized, WindowPlacement::RestoreToMaximized, true},
      {7, 0, false},  // shown minimised without activation
  };
  for (const Case &c : cases) {
    WindowPlacement p;
    p.ShowCommand = c.Show;
    p.Flags = c.Flags;
    EXPECT_EQ(p.OpensMaximized(), c.Maximized) << c.Show << " " << c.Flags;
  }
}

}  // namespace
