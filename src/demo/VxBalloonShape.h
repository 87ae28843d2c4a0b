#pragma once
// The outline of a balloon hint: a rounded body around its text and a tail
// whose tip touches the point the balloon explains. The body always extends
// towards the middle of the screen unless a corner is asked for.

#include <cstdint>

#include "base/VxTypes.h"

struct TVxBalloonShape {
  // 1 tail at the top left, 2 top right, 3 bottom left, 4 bottom right.
  int32_t Corner = 1;
  // The window's size; everything below is in window coordinates.
  int32_t Width = 0, Height = 0;
  // The rounded rectangle of the body (16 x 16 corner ellipses).
  TVxRect Body;
  TVxPoint Tail[3];
  TVxPoint Tip;
  // Where the text rectangle's top left goes.
  TVxPoint TextOrigin;
};

// 1 to 4 by the screen quarter the point lies in.
int32_t BalloonCorner(TVxPoint point, int32_t screenWidth, int32_t screenHeight);

// The shape for a text rectangle of textWidth x textHeight. corner 1 to 4 is
// taken as it is; any other value is chosen by the point.
TVxBalloonShape BalloonShape(int32_t textWidth, int32_t textHeight, TVxPoint point, int32_t corner,
                             int32_t screenWidth, int32_t screenHeight);
