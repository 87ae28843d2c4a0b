#include "platform/VirtualKeys.h"

namespace platform {

namespace {

int KeypadKey(int key) {
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return VkNumpad0 + (key - Qt::Key_0);
  switch (key) {
    case Qt::Key_Asterisk:
      return VkMultiply;
    case Qt::Key_Plus:
      return VkAdd;
    case Qt::Key_Minus:
      return VkSubtract;
    case Qt::Key_Period:
    case Qt::Key_Comma:
      return VkDecimal;
    case Qt::Key_Slash:
      return VkDivide;
    case Qt::Key_Enter:
      return VkReturn;
    default:
      return -1;
  }
}

}  // namespace

int VirtualKeyFromQt(int key, Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::KeypadModifier) {
    const int keypad = KeypadKey(key);
    if (keypad >= 0) return keypad;
  }
  // Letters and digits share their codes with the toolkit's.
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return key;
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VkF1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Cancel:
      return VkCancel;
    case Qt::Key_Backspace:
      return VkBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return VkTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return VkReturn;
    case Qt::Key_Shift:
      return VkShift;
    case Qt::Key_Control:
      return VkControl;
    case Qt::Key_Alt:
      return VkMenu;
    case Qt::Key_Pause:
      return VkPause;
    case Qt::Key_CapsLock:
      return VkCapital;
    case Qt::Key_Escape:
      return VkEscape;
    case Qt::Key_Space:
      return VkSpace;
    case Qt::Key_PageUp:
      return VkPrior;
    case Qt::Key_PageDown:
      return VkNext;
    case Qt::Key_End:
      return VkEnd;
    case Qt::Key_Home:
      return VkHome;
    case Qt::Key_Left:
      return VkLeft;
    case Qt::Key_Up:
      return VkUp;
    case Qt::Key_Right:
      return VkRight;
    case Qt::Key_Down:
      return VkDown;
    case Qt::Key_Execute:
      return VkExecute;
    case Qt::Key_Insert:
      return VkInsert;
    case Qt::Key_Delete:
      return VkDelete;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      return VkOemPlus;
    case Qt::Key_Minus:
      return VkOemMinus;
    case Qt::Key_Comma:
      return VkOemComma;
    case Qt::Key_Period:
      return VkOemPeriod;
    default:
      return 0;
  }
}

}  // namespace platform
