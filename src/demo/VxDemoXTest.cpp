#include "demo/VxDemoXTest.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace demoxtest {

bool Usable(void *display) {
  int event = 0, error = 0, major = 0, minor = 0;
  return display &&
         XTestQueryExtension(static_cast<Display *>(display), &event, &error, &major, &minor);
}

void MovePointer(void *display, int32_t x, int32_t y) {
  auto *x11 = static_cast<Display *>(display);
  XTestFakeMotionEvent(x11, -1, x, y, CurrentTime);
  XFlush(x11);
}

void Button(void *display, unsigned int button, bool down) {
  auto *x11 = static_cast<Display *>(display);
  XTestFakeButtonEvent(x11, button, down ? True : False, CurrentTime);
  XFlush(x11);
}

bool ButtonsSwapped(void *display) {
  unsigned char map[8] = {};
  const int count = XGetPointerMapping(static_cast<Display *>(display), map, 8);
  return count >= 3 && map[0] == 3;
}

}  // namespace demoxtest
