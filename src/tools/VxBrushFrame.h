#pragma once
// The options frame the painted retouching tools share: title, brush preview
// and the Expert Mode check box, then the size slider, the tool's own
// sliders, and the opacity and hardness sliders that only experts see. The
// functions below it are the frame plumbing those tools have in common, so
// each tool only says which sliders it has and what they mean.

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QSlider>
#include <QWidget>
#include <functional>

#include "demo/VxDemoWords.h"
#include "framework/VxForms.h"
#include "settings/VxSDF.h"

class TVxBrushTool;
class TVxProperties;

class TVxBrushFrame : public TVxFrame {
  Q_OBJECT
 public:
  struct TOptions {
    int Width = 338;
    // Naturalness and Smoothing sliders (skin smoothing and emphasis).
    bool BandSliders = false;
    // A Smoothing slider without Naturalness (the blur brush's disc).
    bool SmoothingSlider = false;
  };

  TVxBrushFrame(QWidget *parent, const TOptions &options);

  // The tool the frame belongs to.
  QPointer<TVxBrushTool> Tool;

  QLabel *TitleLabel = nullptr;
  QWidget *PreviewAlignmentPanel = nullptr;
  QWidget *PreviewPaintBox = nullptr;
  QCheckBox *ExpertModeTBXCheckBox = nullptr;
  QLabel *SizeLabel = nullptr;
  QSlider *SizeTrackBar = nullptr;
  QLabel *NaturalnessLabel = nullptr;
  QSlider *NaturalnessTrackBar = nullptr;
  QLabel *SmoothingLabel = nullptr;
  QSlider *SmoothingTrackBar = nullptr;
  QLabel *OpacityLabel = nullptr;
  QSlider *OpacityTrackBar = nullptr;
  QLabel *HardnessLabel = nullptr;
  QSlider *HardnessTrackBar = nullptr;

  // Shows the opacity and hardness sliders only to experts.
  void ArrangeControls(bool expertMode);
  // The label's text followed by ": " and the slider's position.
  static void ShowValue(QLabel *label, const QString &text, const QSlider *slider);

 private:
  QSlider *AddSlider(const char *name, QLabel *&label);
};

// What the tools with an Expert Mode share. The tool's frame must be a
// TVxBrushFrame; a tool without a frame (no tool panel) gets no-ops.
namespace brushui {

// A slider named <name>TrackBar under its label <name>Label, appended to the
// frame's column.
QSlider *AddLabelledSlider(QWidget *frame, const char *name, QLabel *&label);

// Binds the frame's size, opacity, hardness sliders and preview to the tool;
// the size slider ticks every 8.
void BindFrame(TVxBrushTool &tool, TVxBrushFrame &frame);
// Experts see opacity and hardness; everyone else paints with full opacity
// and the given hardness, set (and recorded) through the tool's setters.
void ArrangeControls(TVxBrushTool &tool, bool expertMode, int32_t defaultHardness);
// Title, hint and label captions; the smoothing label's text when there is one.
void Localize(TVxBrushTool &tool, const QString &title, const QString &smoothingLabel);
// Label values of every visible slider.
void UpdateLabels(TVxBrushTool &tool, const QString &smoothingLabel);
// A script's on/off argument: true or false, or a number (0 is off).
bool DemoParamBool(const TVxProperties &params, bool &value);
// The frame of the tool, or null.
TVxBrushFrame *FrameOf(const TVxBrushTool &tool);

// A brush tool's settings node id: items 1 to 4 are size, opacity, hardness
// and Expert Mode, then the tool's own (from 5 on) through loadMore/saveMore.
// Load calls setExpertMode for item 4 when present; a missing node changes
// nothing.
void LoadBrushNode(TVxSDFReader &reader, TVxBrushTool &tool, const TVxGUID &id,
                   const std::function<void(bool)> &setExpertMode,
                   const std::function<void(TVxSDFReader &)> &loadMore = {});
void SaveBrushNode(TVxSDFWriter &writer, const TVxBrushTool &tool, const TVxGUID &id,
                   bool expertMode, const std::function<void(TVxSDFWriter &)> &saveMore = {});

// The Expert Mode check box as the script word "ExpertMode" of a tool with
// SetExpertMode(bool) and a TVxBrushFrame.
template <class TTool>
TVxDemoWord<TTool> ExpertModeWord() {
  return {.Word = "ExpertMode",
          .Args = TVxDemoArgs::Bool,
          .Run =
              [](TTool &tool, const TVxDemoCall &call) {
                bool on = false;
                if (DemoParamBool(call.Params, on)) tool.SetExpertMode(on);
              },
          .Control = [](const TTool &tool) -> QObject * {
            TVxBrushFrame *frame = FrameOf(tool);
            return frame ? frame->ExpertModeTBXCheckBox : nullptr;
          }};
}

}  // namespace brushui
