#include "tools/VxUndoBrushTool.h"

#include <variant>

#include "base/VxProperties.h"
#include "framework/VxText.h"
#include "retouch/VxBrushBlends.h"

TVxUndoBrushTool::TVxUndoBrushTool(QObject *owner) : TVxBrushTool(owner) {
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
  if (!reader.OpenSection(1, SettingsGuid)) return;
  brushui::LoadBrushItems(reader, *this, [this](bool on) { SetExpertMode(on); });
  reader.CloseNode();
}

void TVxUndoBrushTool::SaveSettings(TVxSDFWriter &writer) {
  TVxBrushTool::SaveSettings(writer);
  writer.BeginSection(1, SettingsGuid);
  brushui::SaveBrushItems(writer, *this, ExpertMode);
  writer.EndNode();
}

const TVxDemoWordTable<TVxUndoBrushTool> &TVxUndoBrushTool::DemoWords() {
  using TTool = TVxUndoBrushTool;
  static const TVxDemoWord<TTool> words[] = {
      {.Word = "ExpertMode",
       .Args = TVxDemoArgs::Bool,
       .Run =
           [](TTool &tool, const TVxDemoCall &call) {
             bool on = false;
             if (brushui::DemoParamBool(call.Params, on)) tool.SetExpertMode(on);
           },
       .Control = [](const TTool &tool) -> QObject * {
         TVxUndoBrushFrame *frame = tool.UndoBrushFrame();
         return frame ? frame->ExpertModeTBXCheckBox : nullptr;
       }},
  };
  static const TVxDemoWordTable<TTool> table(words);
  return table;
}

void TVxUndoBrushTool::ExecuteDemoCommand(IVxDemoRecorder *playback, const QString &word,
                                          bool &handled, bool userAction,
                                          const TVxProperties &params) {
  if (DemoWords().Execute(*this, ToolName, word, {playback, params, userAction})) {
    handled = true;
    return;
  }
  TVxBrushTool::ExecuteDemoCommand(playback, word, handled, userAction, params);
}

void TVxUndoBrushTool::GetDemoCommandPoint(IVxDemoRecorder *playback, const TVxProperties &params,
                                           bool &handled, QPoint &screenPoint) {
  if (DemoWords().CommandPoint(*this, ToolName, params, screenPoint)) {
    handled = true;
    return;
  }
  TVxBrushTool::GetDemoCommandPoint(playback, params, handled, screenPoint);
}

void TVxUndoBrushTool::ListDemoWords(const TVxDemoWordVisitor &visit) {
  TVxBrushTool::ListDemoWords(visit);
  DemoWords().List(*this, ToolName, visit);
}
