#include "demo/VxBalloonShape.h"

int32_t BalloonCorner(TVxPoint point, int32_t screenWidth, int32_t screenHeight) {
  const bool left = point.X <= screenWidth / 2, top = point.Y <= screenHeight / 2;
  if (top) return left ? 1 : 2;
  return left ? 3 : 4;
}

TVxBalloonShape BalloonShape(int32_t textWidth, int32_t textHeight, TVxPoint point, int32_t corner,
                             int32_t screenWidth, int32_t screenHeight) {
  TVxBalloonShape shape;
  shape.Corner =
      corner >= 1 && corner <= 4 ? corner : BalloonCorner(point, screenWidth, screenHeight);
  const int32_t w = textWidth + 16, h = textHeight + 16;
  // The text keeps three quarters of the 16-pixel margin on its left.
  constexpr int32_t indent = 16 * 3 / 4;
  shape.Width = w;
  shape.Height = h + 16;
  shape.Body = {0, 0, w, h};
  switch (shape.Corner) {
    case 1:
      shape.Tail[0] = {16, 0}, shape.Tail[1] = {16, -16}, shape.Tail[2] = {32, 0};
      shape.Tip = shape.Tail[1];
      shape.TextOrigin = {indent, 24};
      break;
    case 2:
      shape.Tail[0] = {w - 16, 0}, shape.Tail[1] = {w - 16, -16}, shape.Tail[2] = {w - 32, 0};
      shape.Tip = shape.Tail[1];
      shape.TextOrigin = {indent, 24};
      break;
    case 3:
      shape.Tail[0] = {15, h - 1}, shape.Tail[1] = {31, h - 1}, shape.Tail[2] = {15, h + 15};
      shape.Tip = shape.Tail[2];
      shape.TextOrigin = {indent, 8};
      break;
    default:
      shape.Tail[0] = {w - 17, h - 1}, shape.Tail[1] = {w - 33, h - 1},
      shape.Tail[2] = {w - 17, h + 15};
      shape.Tip = shape.Tail[2];
      shape.TextOrigin = {indent, 8};
      break;
  }
  // A tail above the body moves the whole outline down into the window.
  if (shape.Tip.Y < 0) {
    const int32_t down = -shape.Tip.Y;
    shape.Body = shape.Body.Offset(0, down);
    for (TVxPoint &p : shape.Tail) p.Y += down;
    shape.Tip.Y = 0;
  }
  return shape;
}
