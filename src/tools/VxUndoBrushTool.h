#pragma once
// The history brush: paints the photograph back as it was opened, so any
// earlier retouching can be taken back locally, by the stroke's coverage.

#include <QAction>

#include "settings/VxSDF.h"
#include "tools/VxBrushFrame.h"
#include "tools/VxDrawTools.h"

class TVxUndoBrushFrame : public TVxBrushFrame {
  Q_OBJECT
 public:
  explicit TVxUndoBrushFrame(QWidget *parent = nullptr) : TVxBrushFrame(parent, {.Width = 338}) {}
};

class TVxUndoBrushTool : public TVxToolWords<TVxBrushTool, TVxUndoBrushTool> {
  Q_OBJECT
 public:
  static constexpr TVxGUID SettingsGuid =
      TVxGUID::FromLiteral("{85DCD701-37DB-4D73-91B0-D4B42DC388BA}");
  static constexpr int32_t NonExpertHardness = 191;

  explicit TVxUndoBrushTool(QObject *owner);

  bool ExpertMode = false;

  // Sets the check box, whose change then arranges and records.
  void SetExpertMode(bool on);
  void ArrangeControls();
  TVxUndoBrushFrame *UndoBrushFrame() const;

  void ApplyInRect(const TVxRect &rect) override;
  void Localize() override;
  void UpdateControls() override;
  void LoadSettings(TVxSDFReader &reader) override;
  void SaveSettings(TVxSDFWriter &writer) override;

  static const TVxDemoWordTable<TVxUndoBrushTool> &DemoWords();

 private:
  void ExpertModeTBXCheckBoxChange(bool checked);
};
