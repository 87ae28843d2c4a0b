#pragma once
// The options frame of the make-up tools: the brush size, the eyedropper
// button beside the colour swatch, the tint switch, the brightness slider,
// the axis buttons and the colour plane itself. The teeth whitening frame is
// the same with everything but the size slider hidden by its tool.

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QToolButton>
#include <QWidget>
#include <functional>

#include "framework/VxForms.h"

// A widget whose painting and mouse handling belong to someone else.
class TVxPaintBox : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;

  std::function<void(QPainter &)> OnPaint;
  // Image point and whether the left button is (or was just) pressed.
  std::function<void(QPoint, Qt::MouseButtons)> OnMouseDown;
  std::function<void(QPoint, Qt::MouseButtons)> OnMouseMove;
  std::function<void()> OnClick;

 protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
};

class TVxMakeUpSurfaceFrame : public TVxFrame {
  Q_OBJECT
 public:
  explicit TVxMakeUpSurfaceFrame(QWidget *parent = nullptr);

  QLabel *TitleLabel = nullptr;
  QLabel *SizeLabel = nullptr;
  QSlider *SizeTrackBar = nullptr;
  QLabel *OpacityLabel = nullptr;
  QSlider *OpacityTrackBar = nullptr;
  QLabel *HardnessLabel = nullptr;
  QSlider *HardnessTrackBar = nullptr;
  QWidget *TBXAlignmentPanel = nullptr;
  QToolButton *ColorSelectorTntSpeedButton = nullptr;
  TVxPaintBox *ColorTntPaintBox = nullptr;
  QCheckBox *TintTBXCheckBox = nullptr;
  QLabel *BrightnessTBXLabel = nullptr;
  QSlider *BrightnessTrackBar = nullptr;
  QWidget *TBXAlignmentPanel1 = nullptr;
  QToolButton *RedTntSpeedButton = nullptr;
  QToolButton *GreenTntSpeedButton = nullptr;
  QToolButton *BlueTntSpeedButton = nullptr;
  QButtonGroup *AxisGroup = nullptr;
  TVxPaintBox *PaletteTntPaintBox = nullptr;

  // The axis button of 1 (red), 2 (green) or 3 (blue); null otherwise.
  QToolButton *AxisButton(int axis) const;

 private:
  QSlider *AddSlider(const char *name, QLabel *&label);
  QToolButton *AddAxisButton(const char *name, int tag);
};

class TVxTeethBleachFrame : public TVxMakeUpSurfaceFrame {
  Q_OBJECT
 public:
  using TVxMakeUpSurfaceFrame::TVxMakeUpSurfaceFrame;
};
