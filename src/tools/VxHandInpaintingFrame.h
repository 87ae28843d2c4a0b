#pragma once
// Options of the blemish removal tool: the brush size, the magnified preview
// of the target with its Cancel button, and the patching options.

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <array>

#include "framework/VxForms.h"

class TVxHandInpaintingFrame : public TVxFrame {
  Q_OBJECT
 public:
  static constexpr int FrameWidth = 451;
  static constexpr int PreviewSide = 240;

  explicit TVxHandInpaintingFrame(QWidget *parent = nullptr);

  QLabel *TitleLabel = nullptr;
  QLabel *SizeLabel = nullptr;
  QSlider *SizeTrackBar = nullptr;
  QFrame *ImagePanel = nullptr;
  QLabel *TargetImage = nullptr;
  QPushButton *CancelTBXButton = nullptr;
  QFrame *OptionsPanel = nullptr;
  QCheckBox *LongDefectTBXCheckBox = nullptr;
  QFrame *AdjustmentPanel = nullptr;
  QCheckBox *AdjustmentTBXCheckBox = nullptr;
  QCheckBox *AntiAliasingTBXCheckBox = nullptr;
  QFrame *AreaReflectionPanel = nullptr;
  // In Tag order: north, north mirrored, east, east mirrored, south, ...
  std::array<QToolButton *, 8> ReflectionButtons{};
  QCheckBox *AutoReflectionTBXCheckBox = nullptr;

  // The names scripts and the tool use for the reflection buttons.
  static const std::array<const char *, 8> &ReflectionButtonNames();

  void Localize() override;
};
