#include "tools/VxAntiAgingTool.h"

#include <QApplication>
#include <QCursor>
#include <variant>

#include "base/VxProgress.h"
#include "base/VxProperties.h"
#include "framework/VxText.h"
#include "tools/VxToolHost.h"
#include "tools/VxToolPanel.h"
#include "views/VxGraphicsView.h"

namespace {

constexpr int32_t NaturalnessMax = 5;
constexpr int32_t SmoothingMin = 1;
constexpr int32_t SmoothingMax = 25;
constexpr int PanelWidth = 272;

// The hourglass for as long as it lives, whatever ends the work.
class TBusyCursor {
 public:
  TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
  TBusyCursor(const TBusyCursor &) = delete;
  TBusyCursor &operator=(const TBusyCursor &) = delete;
};

}  // namespace

// --- TVxAntiAgingTool --------------------------------------------------------

TVxAntiAgingTool::TVxAntiAgingTool(QObject *owner)
    : TVxAntiAgingTool(owner, {"AntiAging", true, Text(2654),
                               [](QWidget *parent) { return new TVxAntiAgingFrame(parent); }}) {}

TVxAntiAgingTool::TVxAntiAgingTool(QObject *owner, const TKind &kind) : TVxToolWords(owner) {
  AccumulateStroke = true;
  CreateToolUi(kind);
  MaxSize = 64;
  ControlClass = ControlClassOf<TVxAntiAgingToolControl>();
  if (TVxAntiAgingFrame *frame = BandFrame()) {
    brushui::BindFrame(*this, *frame);
    frame->NaturalnessTrackBar->setRange(0, NaturalnessMax);
    frame->NaturalnessTrackBar->setValue(Naturalness);
    frame->SmoothingTrackBar->setRange(SmoothingMin, SmoothingMax);
    frame->SmoothingTrackBar->setValue(Smoothing);
    connect(frame->ExpertModeTBXCheckBox, &QCheckBox::toggled, this,
            [this](bool checked) { ExpertModeTBXCheckBoxChange(checked); });
    connect(frame->NaturalnessTrackBar, &QSlider::valueChanged, this,
            [this](int position) { NaturalnessTrackBarChange(position); });
    connect(frame->SmoothingTrackBar, &QSlider::valueChanged, this,
            [this](int position) { SmoothingTrackBarChange(position); });
  }
  SetExpertMode(false);
  ArrangeControls();
  if (TVxToolPanelModule *panel = ToolPanel(); panel && Frame) panel->SetPanelWidth(PanelWidth);
}

void TVxAntiAgingTool::CreateToolUi(const TKind &kind) {
  ToolName = QLatin1String(kind.ToolName);
  RemoveBand = kind.RemoveBand;
  CreateToolButton(kind.Title, -1, kind.MakeFrame);
}

TVxAntiAgingFrame *TVxAntiAgingTool::BandFrame() const {
  return qobject_cast<TVxAntiAgingFrame *>(Frame);
}

QString TVxAntiAgingTool::TitleText() const { return Text(2654); }
QString TVxAntiAgingTool::SmoothingText() const { return Text(536); }

void TVxAntiAgingTool::RecomputeBands() {
  IVxToolHost *host = ToolHost();
  TVxGraphicsDocument *document = host ? host->CurrentGraphicsDocument() : nullptr;
  if (!document) return;
  const TVxPixels &backup = document->Backup;
  TVxProgressRun run(host->Progress(), 2 * backup.Height);
  int64_t shown = 0;
  Bands.Compute(backup, Naturalness, Smoothing, [&](int64_t done, int64_t) {
    for (; shown < done; ++shown) run.Step();
  });
}

void TVxAntiAgingTool::RefreshBands() {
  if (Bands.StaleLevel == 0) return;
  TBusyCursor busy;
  RecomputeBands();
}

void TVxAntiAgingTool::SetExpertMode(bool on) {
  TVxAntiAgingFrame *frame = BandFrame();
  if (!frame) {
    ExpertMode = on;
    return;
  }
  frame->ExpertModeTBXCheckBox->setChecked(on);
  ExpertMode = on;
}

void TVxAntiAgingTool::SetNaturalness(int32_t n) {
  if (TVxAntiAgingFrame *frame = BandFrame()) return frame->NaturalnessTrackBar->setValue(n);
  n = std::clamp(n, 0, NaturalnessMax);
  if (n != Naturalness) Bands.Invalidate(2);
  Naturalness = n;
}

void TVxAntiAgingTool::SetSmoothingRadius(int32_t n) {
  if (TVxAntiAgingFrame *frame = BandFrame()) return frame->SmoothingTrackBar->setValue(n);
  n = std::clamp(n, SmoothingMin, SmoothingMax);
  if (n != Smoothing) Bands.Invalidate(2);
  Smoothing = n;
}

void TVxAntiAgingTool::ArrangeControls() {
  brushui::ArrangeControls(*this, ExpertMode, NonExpertHardness);
}

void TVxAntiAgingTool::ExpertModeTBXCheckBoxChange(bool checked) {
  ExpertMode = checked;
  ArrangeControls();
  if (IsRecording())
    DemoWords().Record(DemoPlayback, ToolName, "ExpertMode", {static_cast<int32_t>(checked)});
}

void TVxAntiAgingTool::NaturalnessTrackBarChange(int position) {
  Bands.Invalidate(2);
  Naturalness = position;
  if (IsRecording())
    DemoWords().Record(DemoPlayback, ToolName, "Naturalness", {static_cast<int32_t>(position)});
}

void TVxAntiAgingTool::SmoothingTrackBarChange(int position) {
  Bands.Invalidate(2);
  Smoothing = position;
  if (IsRecording())
    DemoWords().Record(DemoPlayback, ToolName, "Smoothing", {static_cast<int32_t>(position)});
}

void TVxAntiAgingTool::Localize() { brushui::Localize(*this, TitleText(), SmoothingText()); }

void TVxAntiAgingTool::UpdateControls() {
  TVxBrushTool::UpdateControls();
  brushui::UpdateLabels(*this, SmoothingText());
}

void TVxAntiAgingTool::LoadSettings(TVxSDFReader &reader) {
  TVxBrushTool::LoadSettings(reader);
  brushui::LoadBrushNode(
      reader, *this, GetSettingsId(), [this](bool on) { SetExpertMode(on); },
      [this](TVxSDFReader &node) {
        int32_t value = 0;
        if (node.ReadInteger(5, value)) SetNaturalness(value);
        if (node.ReadInteger(6, value)) SetSmoothingRadius(value);
      });
}

void TVxAntiAgingTool::SaveSettings(TVxSDFWriter &writer) {
  TVxBrushTool::SaveSettings(writer);
  brushui::SaveBrushNode(writer, *this, GetSettingsId(), ExpertMode, [this](TVxSDFWriter &node) {
    node.WriteInteger(5, Naturalness);
    node.WriteInteger(6, Smoothing);
  });
}

void TVxAntiAgingTool::DocumentOpened(TVxGraphicsDocument *document) {
  TVxBrushTool::DocumentOpened(document);
  Bands.Invalidate(2);
}

void TVxAntiAgingTool::ImageAreaChanged(TVxGraphicsDocument *, IVxGraphicsDocumentClient *tool,
                                        const TVxRect &) {
  // Our own strokes keep describing the image as it was before them.
  if (tool != this) Bands.Invalidate(2);
}

bool TVxAntiAgingTool::BeginStroke(TVxDrawToolControl *control, TVxMouseButton button,
                                   TVxShiftState shift) {
  if (!TVxBrushTool::BeginStroke(control, button, shift)) return false;
  // A press with no move since the image changed must not blend in the
  // decomposition of what was there before (another photograph, even).
  RefreshBands();
  return true;
}

void TVxAntiAgingTool::ApplyInRect(const TVxRect &rect) {
  if (!BackupPixels || !ImagePixels || Bands.StaleLevel != 0) return;
  BlendBandsInRect(Bands, RemoveBand, *BackupPixels, CurrentMask(), rect, *ImagePixels);
}

const TVxDemoWordTable<TVxAntiAgingTool> &TVxAntiAgingTool::DemoWords() {
  using TTool = TVxAntiAgingTool;
  static const TVxDemoWord<TTool> words[] = {
      brushui::ExpertModeWord<TTool>(),
      {.Word = "Naturalness",
       .Args = TVxDemoArgs::Integer,
       .Run =
           [](TTool &tool, const TVxDemoCall &call) {
             int32_t value = 0;
             if (DemoParamNumber(call.Params, 0, value)) tool.SetNaturalness(value);
           },
       .Control = [](const TTool &tool) -> QObject * {
         TVxAntiAgingFrame *frame = tool.BandFrame();
         return frame ? frame->NaturalnessTrackBar : nullptr;
       }},
      {.Word = "Smoothing",
       .Args = TVxDemoArgs::Integer,
       .Run =
           [](TTool &tool, const TVxDemoCall &call) {
             int32_t value = 0;
             if (DemoParamNumber(call.Params, 0, value)) tool.SetSmoothingRadius(value);
           },
       .Control = [](const TTool &tool) -> QObject * {
         TVxAntiAgingFrame *frame = tool.BandFrame();
         return frame ? frame->SmoothingTrackBar : nullptr;
       }},
  };
  static const TVxDemoWordTable<TTool> table(words);
  return table;
}

// --- TVxAntiAgingTool1, TVxEmphasisTool --------------------------------------

TVxAntiAgingTool1::TVxAntiAgingTool1(QObject *owner)
    : TVxAntiAgingTool(owner, {"AntiAging", true, Text(2654),
                               [](QWidget *parent) { return new TVxAntiAgingFrame1(parent); }}) {}

TVxEmphasisTool::TVxEmphasisTool(QObject *owner)
    : TVxAntiAgingTool(owner, {"Emphasis", false, Text(2819),
                               [](QWidget *parent) { return new TVxEmphasisFrame(parent); }}) {}

QString TVxEmphasisTool::TitleText() const { return Text(2819); }
QString TVxEmphasisTool::SmoothingText() const { return Text(2820); }

// --- TVxAntiAgingToolControl -------------------------------------------------

bool TVxAntiAgingToolControl::MouseMove(TVxShiftState shift, const TVxPoint &point) {
  const bool handled = TVxBrushToolControl::MouseMove(shift, point);
  auto *tool = qobject_cast<TVxAntiAgingTool *>(Tool);
  if (tool && tool->Active) tool->RefreshBands();
  return handled;
}
