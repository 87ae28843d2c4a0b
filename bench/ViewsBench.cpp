// The paint cycle of an image view: a full repaint of a 1920x1080 view of a
// 24-megapixel photograph at 1:4, 1:1 and 4:1, and what a 10-pixel scroll
// costs (only the exposed strip is painted). Measured both through the paint
// cycle alone (into an image the size of the window) and through a shown
// window on the offscreen platform, where the window system's part counts too.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <cstdlib>
#include <memory>

#include "QtBenchMain.h"
#include "documents/VxGraphicsDocument.h"
#include "views/VxGraphicsView.h"

namespace {

constexpr int ViewWidth = 1920;
constexpr int ViewHeight = 1080;

struct TScene {
  TScene() : Document(nullptr) {
    Document.Image.SetSize(6000, 4000);
    TVxPixels &pixels = *Document.Image.Pixels();
    uint32_t state = 777;
    for (int32_t y = 0; y < pixels.Height; ++y) {
      uint8_t *row = pixels.PixelAddress(0, y);
      for (int32_t i = 0; i < pixels.Width * 3; ++i) {
        state = state * 1664525u + 1013904223u;
        row[i] = static_cast<uint8_t>(state >> 24);
      }
    }
    View = std::make_unique<TVxGraphicsView>(&Document);
    View->resize(ViewWidth, ViewHeight);
    View->DocumentView()->UpdateBounds();
    View->DocumentView()->SetVisible(true);
  }
  void Zoom(int32_t numerator, int32_t denominator) {
    View->SetZoom(numerator, denominator);
    View->CentreOn({3000, 2000});
  }

  TVxGraphicsDocument Document;
  std::unique_ptr<TVxGraphicsView> View;
  QImage Window{ViewWidth, ViewHeight, QImage::Format_RGB32};
};

TScene &Scene() {
  static TScene scene;
  return scene;
}

// 10 pixels to the left, turning round at either end; the clamped step.
int32_t NextScroll(TScene &scene, int32_t &step) {
  int32_t dx = step, dy = 0;
  scene.View->ClampScroll(dx, dy);
  if (dx == 0) step = -step;
  return dx;
}

void BM_FullRepaint(benchmark::State &state) {
  TScene &scene = Scene();
  scene.Zoom(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
  const QRegion all(0, 0, ViewWidth, ViewHeight);
  for (auto _ : state) scene.View->PaintRegion(&scene.Window, all);
  state.SetLabel(std::to_string(state.range(0)) + ":" + std::to_string(state.range(1)));
}
BENCHMARK(BM_FullRepaint)->Args({1, 4})->Args({1, 1})->Args({4, 1})->Unit(benchmark::kMillisecond);

// A 10-pixel scroll paints the strip it exposed.
void BM_ScrollStrip(benchmark::State &state) {
  TScene &scene = Scene();
  scene.Zoom(1, 1);
  const TVxRect client = scene.View->ClientRect();
  const QRegion strip(client.Width() - 10, 0, 10, client.Height());
  int32_t step = -10;
  for (auto _ : state) {
    scene.View->ShiftOrigin(NextScroll(scene, step), 0);
    scene.View->PaintRegion(&scene.Window, strip);
  }
}
BENCHMARK(BM_ScrollStrip)->Unit(benchmark::kMicrosecond);

// Through a shown window: the whole repaint, and a scroll that moves the
// window's pixels and repaints the strip.
void BM_WindowRepaint(benchmark::State &state) {
  TScene &scene = Scene();
  scene.Zoom(1, 1);
  scene.View->show();
  QApplication::processEvents();
  for (auto _ : state) scene.View->repaint();
  scene.View->hide();
}
BENCHMARK(BM_WindowRepaint)->Unit(benchmark::kMillisecond);

void BM_WindowScroll(benchmark::State &state) {
  TScene &scene = Scene();
  scene.Zoom(1, 1);
  scene.View->show();
  QApplication::processEvents();
  int32_t step = -10;
  for (auto _ : state) {
    scene.View->ScrollBy(NextScroll(scene, step), 0);
    QApplication::processEvents();
  }
  scene.View->hide();
}
BENCHMARK(BM_WindowScroll)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char **argv) { return benchsupport::RunQtBenchmarks(argc, argv); }
