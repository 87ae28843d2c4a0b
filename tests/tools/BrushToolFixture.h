#pragma once
// The editor with the sample portrait open at 1:1, brush tools added as the
// product adds them, and strokes made through a tool's view control, as the
// mouse makes them.

#include <initializer_list>
#include <vector>

#include "ToolFixture.h"
#include "tools/VxDrawTools.h"
#include "views/VxGraphicsView.h"

namespace tooltest {

std::vector<uint8_t> PixelsOf(const TVxPixels &pixels);
// Blue, green, red at (x, y).
TVxBGR PixelAt(const TVxPixels &pixels, int32_t x, int32_t y);

class BrushToolTest : public ToolTest {
 protected:
  void SetUp() override;

  template <class TTool>
  TTool *Add() {
    auto *tool = new TTool(App.get());
    tool->RegisterDemoNames();
    tool->Initialize();
    if (TVxGraphicsView *view = View()) tool->CreateControl(view);
    return tool;
  }
  TVxMaskDrawToolControl *ControlOf(const TVxGraphicsTool *tool) const;
  TVxPoint Device(TVxPoint image) const;
  // Selects the tool, moves to the first point, presses, moves through the
  // rest and releases at the last.
  void Stroke(TVxGraphicsTool *tool, std::initializer_list<TVxPoint> points);
  std::vector<uint8_t> Image() const { return PixelsOf(*Document()->ImagePixels()); }
};

}  // namespace tooltest
