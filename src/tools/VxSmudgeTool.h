#pragma once
// Smudge: every pixel under the brush moves towards the average colour of
// the disc around it (itself left out), by the stroke's coverage.

#include <QAction>

#include "settings/VxSDF.h"
#include "tools/VxBrushFrame.h"
#include "tools/VxDrawTools.h"

class TVxSmudgeFrame : public TVxBrushFrame {
  Q_OBJECT
 public:
  explicit TVxSmudgeFrame(QWidget *parent = nullptr)
      : TVxBrushFrame(parent, {.Width = 279, .SmoothingSlider = true}) {}
};

class TVxSmudgeTool : public TVxToolWords<TVxCustomBlurBrushTool, TVxSmudgeTool> {
  Q_OBJECT
 public:
  static constexpr TVxGUID SettingsGuid =
      TVxGUID::FromLiteral("{FBAEF374-D256-4EB1-9C57-55F87212654F}");
  static constexpr int32_t NonExpertHardness = 191;

  explicit TVxSmudgeTool(QObject *owner);

  bool ExpertMode = false;

  // Sets the check box, whose change then arranges and records.
  void SetExpertMode(bool on);
  void ArrangeControls();
  TVxSmudgeFrame *SmudgeFrame() const;

  bool BeginStroke(TVxDrawToolControl *control, TVxMouseButton button,
                   TVxShiftState shift) override;
  void ApplyInRect(const TVxRect &rect) override;
  void Localize() override;
  void UpdateControls() override;
  void LoadSettings(TVxSDFReader &reader) override;
  void SaveSettings(TVxSDFWriter &writer) override;

  static const TVxDemoWordTable<TVxSmudgeTool> &DemoWords();

 private:
  void ExpertModeTBXCheckBoxChange(bool checked);
};
