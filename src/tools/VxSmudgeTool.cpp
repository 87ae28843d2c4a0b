#include "tools/VxSmudgeTool.h"

#include <variant>

#include "base/VxProperties.h"
#include "framework/VxText.h"
#include "retouch/VxBrushBlends.h"

TVxSmudgeTool::TVxSmudgeTool(QObject *owner) : TVxToolWords(owner) {
  MaxSize = 64;
  AccumulateStroke = true;
  CreateToolButton(Text(2651), -1, [](QWidget *parent) { return new TVxSmudgeFrame(parent); });
  if (TVxSmudgeFrame *frame = SmudgeFrame()) {
    brushui::BindFrame(*this, *frame);
    BindSmoothingTrackBar(frame->SmoothingTrackBar);
    // The disc follows the size; its own slider is not offered.
    frame->SmoothingLabel->hide();
    frame->SmoothingTrackBar->hide();
    connect(frame->ExpertModeTBXCheckBox, &QCheckBox::toggled, this,
            [this](bool checked) { ExpertModeTBXCheckBoxChange(checked); });
  }
  ToolName = QStringLiteral("Smudge");
  SetExpertMode(false);
  ArrangeControls();
}

TVxSmudgeFrame *TVxSmudgeTool::SmudgeFrame() const { return qobject_cast<TVxSmudgeFrame *>(Frame); }

void TVxSmudgeTool::SetExpertMode(bool on) {
  if (TVxSmudgeFrame *frame = SmudgeFrame()) frame->ExpertModeTBXCheckBox->setChecked(on);
  ExpertMode = on;
}

void TVxSmudgeTool::ArrangeControls() {
  brushui::ArrangeControls(*this, ExpertMode, NonExpertHardness);
}

void TVxSmudgeTool::ExpertModeTBXCheckBoxChange(bool checked) {
  ExpertMode = checked;
  ArrangeControls();
  if (IsRecording())
    DemoWords().Record(DemoPlayback, ToolName, "ExpertMode", {static_cast<int32_t>(checked)});
}

bool TVxSmudgeTool::BeginStroke(TVxDrawToolControl *control, TVxMouseButton button,
                                TVxShiftState shift) {
  if (!TVxCustomBlurBrushTool::BeginStroke(control, button, shift)) return false;
  if (BackupPixels) Blur.BeginStroke(BackupPixels->GetBounds());
  return true;
}

void TVxSmudgeTool::ApplyInRect(const TVxRect &rect) {
  if (!BackupPixels || !ImagePixels) return;
  BlendTowardsBlurInRect(Blur, *BackupPixels, CurrentMask(), rect, *ImagePixels);
}

void TVxSmudgeTool::Localize() { brushui::Localize(*this, Text(2651), Text(536)); }

void TVxSmudgeTool::UpdateControls() {
  TVxCustomBlurBrushTool::UpdateControls();
  brushui::UpdateLabels(*this, Text(536));
}

void TVxSmudgeTool::LoadSettings(TVxSDFReader &reader) {
  TVxCustomBlurBrushTool::LoadSettings(reader);
  brushui::LoadBrushNode(reader, *this, SettingsGuid, [this](bool on) { SetExpertMode(on); });
}

void TVxSmudgeTool::SaveSettings(TVxSDFWriter &writer) {
  TVxCustomBlurBrushTool::SaveSettings(writer);
  brushui::SaveBrushNode(writer, *this, SettingsGuid, ExpertMode);
}

const TVxDemoWordTable<TVxSmudgeTool> &TVxSmudgeTool::DemoWords() {
  using TTool = TVxSmudgeTool;
  static const TVxDemoWord<TTool> words[] = {
      brushui::ExpertModeWord<TTool>(),
  };
  static const TVxDemoWordTable<TTool> table(words);
  return table;
}
