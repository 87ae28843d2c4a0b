#pragma once
// What a playing demonstration needs of the machine: the time, the pointer,
// the mouse buttons, the balloon and the program's own tooltips. The program
// gives it the real ones; tests give it a fake clock and a fake pointer.

#include <cstdint>
#include <string>

#include "base/VxTypes.h"

enum class TVxDemoButton { Left, Right };

class IVxDemoDevice {
 public:
  // Milliseconds from any fixed start; wraps like a 32-bit tick count.
  virtual uint32_t TickCount() = 0;
  // Where the system pointer is now, in screen coordinates.
  virtual TVxPoint PointerPosition() = 0;
  virtual void MovePointer(TVxPoint screen) = 0;
  // One physical button event at the pointer's position.
  virtual void SendButton(TVxDemoButton button, bool down) = 0;
  // Whether the user swapped the primary and secondary buttons.
  virtual bool ButtonsSwapped() { return false; }
  virtual void ShowPointer(bool shown) = 0;
  virtual void EnableTooltips(bool enabled) = 0;
  // A balloon with its tail's tip at point; corner 0 chooses by the point.
  virtual void ShowBalloon(TVxPoint point, int32_t corner, const std::u16string &text) = 0;
  virtual void HideBalloon() = 0;
  // The language string number, for "&" texts.
  virtual std::u16string LanguageString(int32_t number) = 0;
  // Playing begins: time the ticks and watch the program's activation and keys.
  virtual void BeginPlaying() {}
  // The program's handlers are given back; the ticks end with the next one.
  virtual void EndPlaying() {}

 protected:
  IVxDemoDevice() = default;
  IVxDemoDevice(const IVxDemoDevice &) = default;
  IVxDemoDevice &operator=(const IVxDemoDevice &) = default;
  ~IVxDemoDevice() = default;
};
