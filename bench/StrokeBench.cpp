// The whole path of a brush stroke on a 24-megapixel photograph shown 1:1 in
// a 1920x1080 window: for each of 200 pointer positions the tool's dab (mask,
// blend), the changed rectangle and the window's repaint of what changed,
// then the release that keeps the stroke as one undo step. One dab alone at
// size 64 is measured through the tools too.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "QtBenchMain.h"
#include "documents/VxGraphicsDocument.h"
#include "tools/VxAntiAgingTool.h"
#include "tools/VxSmudgeTool.h"
#include "tools/VxUndoBrushTool.h"
#include "views/VxGraphicsView.h"

namespace {

constexpr int ViewWidth = 1920;
constexpr int ViewHeight = 1080;
constexpr int Dabs = 200;

struct TScene {
  TScene() : Document(nullptr) {
    TVxPixelBuffer photo(PixelFormat24, {0, 0, 6000, 4000});
    uint32_t state = 777;
    for (int32_t y = 0; y < photo.Height; ++y) {
      uint8_t *row = photo.PixelAddress(0, y);
      for (int32_t i = 0; i < photo.Width * 3; ++i) {
        state = state * 1664525u + 1013904223u;
        row[i] = static_cast<uint8_t>(((i / 3 + y) & 0xFF) / 2 + (state >> 26));
      }
    }
    Document.RestoreFromBuffers(photo, &photo);
    View = std::make_unique<TVxGraphicsView>(&Document);
    View->resize(ViewWidth, ViewHeight);
    View->DocumentView()->UpdateBounds();
    View->DocumentView()->SetVisible(true);
    View->SetZoom(1, 1);
    View->CentreOn({3000, 2000});
    View->show();
    QApplication::processEvents();
  }

  TVxGraphicsDocument Document;
  std::unique_ptr<TVxGraphicsView> View;
};

// Made on first use; gone before the application object is.
std::unique_ptr<TScene> TheScene;

TScene &Scene() {
  if (!TheScene) TheScene = std::make_unique<TScene>();
  return *TheScene;
}

template <class TTool>
struct TToolScene {
  TToolScene() {
    TScene &scene = Scene();
    Tool = std::make_unique<TTool>(nullptr);
    Tool->SetBrushSize(64);
    Control = dynamic_cast<TVxMaskDrawToolControl *>(Tool->CreateControl(scene.View.get()));
    Tool->ActivateTool();
    if constexpr (std::is_base_of_v<TVxAntiAgingTool, TTool>)
      Tool->Bands.Compute(scene.Document.Backup, Tool->Naturalness, Tool->Smoothing);
  }
  ~TToolScene() {
    Tool->DeactivateTool();
    Scene().View->Objects().Remove(Control);
  }
  // A device point across the middle of the window, dab i of the stroke.
  static TVxPoint Point(int i) {
    return {60 + i * (ViewWidth - 120) / Dabs, ViewHeight / 2 + (i % 20) - 10};
  }

  std::unique_ptr<TTool> Tool;
  TVxMaskDrawToolControl *Control = nullptr;
};

template <class TTool>
void BM_Stroke(benchmark::State &state) {
  TToolScene<TTool> scene;
  TVxGraphicsDocument &document = Scene().Document;
  for (auto _ : state) {
    scene.Control->MouseMove(0, TToolScene<TTool>::Point(0));
    scene.Control->MouseDown(TVxMouseButton::Left, LeftButtonDown, TToolScene<TTool>::Point(0));
    for (int i = 1; i < Dabs; ++i) {
      scene.Control->MouseMove(LeftButtonDown, TToolScene<TTool>::Point(i));
      QApplication::processEvents();  // the window repaints what changed
    }
    scene.Control->MouseUp(TVxMouseButton::Left, 0, TToolScene<TTool>::Point(Dabs - 1));
    QApplication::processEvents();
    state.PauseTiming();
    document.History().Undo();  // every stroke starts from the same image
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["per dab"] =
      benchmark::Counter(static_cast<double>(Dabs) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Stroke<TVxAntiAgingTool1>)
    ->Name("Stroke/SkinSmoothing")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stroke<TVxSmudgeTool>)->Name("Stroke/Smudge")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stroke<TVxUndoBrushTool>)->Name("Stroke/HistoryBrush")->Unit(benchmark::kMillisecond);

// One dab through the tool: accumulation, blend and changed rectangle; the
// smudge dab starts with a fresh cache every time.
template <class TTool>
void BM_Dab(benchmark::State &state) {
  TToolScene<TTool> scene;
  const TVxPoint at = TToolScene<TTool>::Point(Dabs / 2);
  scene.Control->MouseMove(0, at);
  scene.Control->MouseDown(TVxMouseButton::Left, LeftButtonDown, at);
  const TVxRect rect = scene.Control->Bounds;
  for (auto _ : state) {
    state.PauseTiming();
    scene.Tool->StrokeMask.Clear();
    if constexpr (std::is_base_of_v<TVxCustomBlurBrushTool, TTool>)
      scene.Tool->Blur.BeginStroke(rect);
    state.ResumeTiming();
    scene.Tool->PaintStroke(rect);
  }
  scene.Control->MouseUp(TVxMouseButton::Left, 0, at);
  Scene().Document.History().Undo();
}
BENCHMARK(BM_Dab<TVxAntiAgingTool1>)->Name("Dab64/SkinSmoothing")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Dab<TVxSmudgeTool>)->Name("Dab64/Smudge")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Dab<TVxUndoBrushTool>)->Name("Dab64/HistoryBrush")->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char **argv) {
  return benchsupport::RunQtBenchmarks(argc, argv, [] { TheScene.reset(); });
}
