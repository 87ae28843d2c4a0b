#pragma once
// View objects for the view tests: solid blocks that paint their bounds in
// one colour as a body (taking their area out of the clip, as an opaque body
// must) and a second colour as an overlay, and log what they were asked.

#include <QImage>
#include <string>
#include <vector>

#include "views/VxViewCanvas.h"
#include "views/VxViewObjects.h"

namespace viewtest {

class TBlock : public TVxViewObject {
 public:
  TBlock(std::string name, const TVxRect &bounds, uint32_t body, uint32_t overlay,
         std::vector<std::string> *log = nullptr, uint8_t flags = DefaultFlags)
      : TVxViewObject(flags),
        Name(std::move(name)),
        BodyColour(body),
        OverlayColour(overlay),
        Log(log) {
    Bounds = bounds;
  }

  // Where the overlay reaches beyond the bounds (device pixels, every side).
  int32_t OverlayMargin = 0;
  // The update region of the last paint that reached this object.
  QRegion LastUpdateRegion;

  TVxRect GetOverlayRect(const TVxMapMode &map) const override {
    TVxRect r = map.LogicalToDeviceRect(Bounds);
    return {r.Left - OverlayMargin, r.Top - OverlayMargin, r.Right + OverlayMargin,
            r.Bottom + OverlayMargin};
  }
  void PaintBody(TVxViewCanvas &canvas) override {
    Note("body");
    LastUpdateRegion = canvas.UpdateRegion();
    const TVxRect r = GetBodyRect(canvas.MapMode());
    canvas.FillRect(r, BodyColour);
    canvas.ExcludeClipRect(r);
  }
  void PaintOverlay(TVxViewCanvas &canvas) override {
    Note("overlay");
    canvas.FillRect(GetOverlayRect(canvas.MapMode()), OverlayColour);
  }
  void PaintDone() override { Note("done"); }

 private:
  void Note(const char *what) {
    if (Log) Log->push_back(Name + " " + what);
  }

  std::string Name;
  uint32_t BodyColour;
  uint32_t OverlayColour;
  std::vector<std::string> *Log;
};

inline uint32_t RgbAt(const QImage &image, int x, int y) { return image.pixel(x, y) & 0xFFFFFFu; }

}  // namespace viewtest
