#pragma once
// The X server's test extension, which moves the real pointer and presses
// real buttons. Kept apart because Xlib's macros clash with Qt's names; the
// display is Xlib's Display, passed untyped.

#include <cstdint>

namespace demoxtest {

// Whether the display has the extension.
bool Usable(void *display);
void MovePointer(void *display, int32_t x, int32_t y);
// button 1 is the left, 3 the right physical button.
void Button(void *display, unsigned int button, bool down);
// Whether the primary and secondary buttons are swapped.
bool ButtonsSwapped(void *display);

}  // namespace demoxtest
