#include "tools/VxUndoBrushTool.h"

#include <variant>

#include "base/VxProperties.h"
#include "framework/VxText.h"
#include "retouch/VxBrushBlends.h"

TVxUndoBrushTool::TVxUndoBrushTool(QObject *owner) : TVxToolWords(owner) {
  MaxSize = 64;
  AccumulateStroke = true;
  CreateToolButton(Text(2002), -1, [](QWidget *parent) { return new TVxUndoBrushFrame(parent); });
  if (TVxUndoBrushFrame *frame = UndoBrushFrame()) {
    brushui::BindFrame(*this, *frame);
    connect(frame->ExpertModeTBXCheckBox, &QCheckBox::toggled, this,
            [this](bool checked) { ExpertModeTBXCheckBoxChange(checked); });
  }
  ToolName = QStringLiteral("UndoBrush");
  SetExpertMode(false);
  ArrangeControls();
}

TVxUndoBrushFrame *TVxUndoBrushTool::UndoBrushFrame() const {
  return qobject_cast<TVxUndoBrushFrame *>(Frame);
}

void TVxUndoBrushTool::SetExpertMode(bool on) {
  if (TVxUndoBrushFrame *frame = UndoBrushFrame()) frame->ExpertModeTBXCheckBox->setChecked(on);
  ExpertMode = on;
}

void TVxUndoBrushTool::ArrangeControls() {
  brushui::ArrangeControls(*this, ExpertMode, NonExpertHardness);
}

void TVxUndoBrushTool::ExpertModeTBXCheckBoxChange(bool checked) {
  ExpertMode = checked;
  ArrangeControls();
  if (IsRecording())
    DemoWords().Record(DemoPlayback, ToolName, "ExpertMode", {static_cast<int32_t>(checked)});
}

void TVxUndoBrushTool::ApplyInRect(const TVxRect &rect) {
  if (!BackupPixels || !ImagePixels || !OriginalPixels) return;
  BlendTowardsPixelsInRect(*BackupPixels, *OriginalPixels, CurrentMask(), rect, *ImagePixels);
}

void TVxUndoBrushTool::Localize() { brushui::Localize(*this, Text(2002), {}); }

void TVxUndoBrushTool::UpdateControls() {
  TVxBrushTool::UpdateControls();
  brushui::UpdateLabels(*this, {});
}

void TVxUndoBrushTool::LoadSettings(TVxSDFReader &reader) {
  TVxBrushTool::LoadSettings(reader);
  brushui::LoadBrushNode(reader, *this, SettingsGuid, [this](bool on) { SetExpertMode(on); });
}

void TVxUndoBrushTool::SaveSettings(TVxSDFWriter &writer) {
  TVxBrushTool::SaveSettings(writer);
  brushui::SaveBrushNode(writer, *this, SettingsGuid, ExpertMode);
}

const TVxDemoWordTable<TVxUndoBrushTool> &TVxUndoBrushTool::DemoWords() {
  using TTool = TVxUndoBrushTool;
  static const TVxDemoWord<TTool> words[] = {
      brushui::ExpertModeWord<TTool>(),
  };
  static const TVxDemoWordTable<TTool> table(words);
  return table;
}
