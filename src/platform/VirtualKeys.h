#pragma once
// Tools and demonstration scripts name keys by the platform-neutral virtual
// key codes (13 Enter, 27 Escape, 32 space, 37-40 arrows, 65-90 letters, 187
// plus, 189 minus, ...). This maps the toolkit's key events onto them.

#include <Qt>

namespace platform {

enum : int {
  VkCancel = 3,
  VkBack = 8,
  VkTab = 9,
  VkReturn = 13,
  VkShift = 16,
  VkControl = 17,
  VkMenu = 18,
  VkPause = 19,
  VkCapital = 20,
  VkEscape = 27,
  VkSpace = 32,
  VkPrior = 33,
  VkNext = 34,
  VkEnd = 35,
  VkHome = 36,
  VkLeft = 37,
  VkUp = 38,
  VkRight = 39,
  VkDown = 40,
  VkExecute = 43,
  VkInsert = 45,
  VkDelete = 46,
  VkNumpad0 = 96,
  VkMultiply = 106,
  VkAdd = 107,
  VkSubtract = 109,
  VkDecimal = 110,
  VkDivide = 111,
  VkF1 = 112,
  VkOemPlus = 187,
  VkOemComma = 188,
  VkOemMinus = 189,
  VkOemPeriod = 190,
};

// The virtual key of a toolkit key; 0 for keys without one. Keys of the
// numeric keypad (keypad modifier set) get their own codes.
int VirtualKeyFromQt(int key, Qt::KeyboardModifiers modifiers);

}  // namespace platform
