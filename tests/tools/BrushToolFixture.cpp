#include "BrushToolFixture.h"

namespace tooltest {

std::vector<uint8_t> PixelsOf(const TVxPixels &pixels) {
  std::vector<uint8_t> bytes;
  for (int32_t y = pixels.Top; y < pixels.Top + pixels.Height; ++y) {
    const uint8_t *row = pixels.PixelAddress(pixels.Left, y);
    bytes.insert(bytes.end(), row, row + pixels.Width * pixels.BytesPerPixel);
  }
  return bytes;
}

TVxBGR PixelAt(const TVxPixels &pixels, int32_t x, int32_t y) {
  const uint8_t *p = pixels.PixelAddress(x, y);
  return {p[0], p[1], p[2]};
}

void BrushToolTest::SetUp() {
  ToolTest::SetUp();
  ASSERT_NE(Open(CopySample("a.png")), nullptr);
  View()->SetZoom(1, 1);
}

TVxMaskDrawToolControl *BrushToolTest::ControlOf(const TVxGraphicsTool *tool) const {
  return dynamic_cast<TVxMaskDrawToolControl *>(tool->Control(0));
}

TVxPoint BrushToolTest::Device(TVxPoint image) const {
  return View()->MapMode().LogicalToDevice(image);
}

void BrushToolTest::Stroke(TVxGraphicsTool *tool, std::initializer_list<TVxPoint> points) {
  if (Editor->CurrentTool() != tool) Editor->SelectTool(tool);
  TVxMaskDrawToolControl *control = ControlOf(tool);
  ASSERT_NE(control, nullptr);
  const TVxPoint *p = points.begin();
  control->MouseMove(0, Device(*p));
  control->MouseDown(TVxMouseButton::Left, LeftButtonDown, Device(*p));
  for (++p; p != points.end(); ++p) control->MouseMove(LeftButtonDown, Device(*p));
  control->MouseUp(TVxMouseButton::Left, 0, Device(*(points.end() - 1)));
}

}  // namespace tooltest
