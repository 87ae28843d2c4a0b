#include "tools/VxMakeUpSurfaceFrame.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "framework/VxCursors.h"
#include "tools/VxBrushFrame.h"

namespace {
constexpr int FrameWidth = 451;
constexpr int SpeedButtonSide = 41;
constexpr int SwatchWidth = 80;
constexpr int PaletteSide = 256;
}  // namespace

void TVxPaintBox::paintEvent(QPaintEvent *) {
  if (!OnPaint) return;
  QPainter painter(this);
  OnPaint(painter);
}

void TVxPaintBox::mousePressEvent(QMouseEvent *event) {
  if (OnMouseDown) OnMouseDown(event->position().toPoint(), event->buttons());
  if (OnClick && event->button() == Qt::LeftButton) OnClick();
}

void TVxPaintBox::mouseMoveEvent(QMouseEvent *event) {
  if (OnMouseMove) OnMouseMove(event->position().toPoint(), event->buttons());
}

TVxMakeUpSurfaceFrame::TVxMakeUpSurfaceFrame(QWidget *parent) : TVxFrame(parent) {
  setFixedWidth(FrameWidth);
  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(6, 6, 6, 6);
  column->setSpacing(2);
  TitleLabel = new QLabel(QStringLiteral("MakeUpSurface"), this);
  TitleLabel->setObjectName(QStringLiteral("TitleLabel"));
  QFont font = TitleLabel->font();
  font.setBold(true);
  TitleLabel->setFont(font);
  column->addWidget(TitleLabel);
  SizeTrackBar = AddSlider("Size", SizeLabel);
  OpacityTrackBar = AddSlider("Opacity", OpacityLabel);
  HardnessTrackBar = AddSlider("Hardness", HardnessLabel);

  TBXAlignmentPanel = new QWidget(this);
  TBXAlignmentPanel->setObjectName(QStringLiteral("TBXAlignmentPanel"));
  auto *row = new QHBoxLayout(TBXAlignmentPanel);
  row->setContentsMargins(0, 4, 0, 4);
  ColorSelectorTntSpeedButton = new QToolButton(TBXAlignmentPanel);
  ColorSelectorTntSpeedButton->setObjectName(QStringLiteral("ColorSelectorTntSpeedButton"));
  ColorSelectorTntSpeedButton->setFixedSize(SpeedButtonSide, SpeedButtonSide);
  ColorSelectorTntSpeedButton->setCheckable(true);
  ColorSelectorTntSpeedButton->setIcon(QIcon(ScreenCursor(CursorEyedropper).pixmap()));
  ColorTntPaintBox = new TVxPaintBox(TBXAlignmentPanel);
  ColorTntPaintBox->setObjectName(QStringLiteral("ColorTntPaintBox"));
  ColorTntPaintBox->setFixedSize(SwatchWidth, SpeedButtonSide);
  TintTBXCheckBox = new QCheckBox(TBXAlignmentPanel);
  TintTBXCheckBox->setObjectName(QStringLiteral("TintTBXCheckBox"));
  row->addWidget(ColorSelectorTntSpeedButton);
  row->addWidget(ColorTntPaintBox);
  row->addWidget(TintTBXCheckBox, 1);
  column->addWidget(TBXAlignmentPanel);

  BrightnessTrackBar = AddSlider("Brightness", BrightnessTBXLabel);
  BrightnessTBXLabel->setObjectName(QStringLiteral("BrightnessTBXLabel"));

  TBXAlignmentPanel1 = new QWidget(this);
  TBXAlignmentPanel1->setObjectName(QStringLiteral("TBXAlignmentPanel1"));
  auto *axes = new QHBoxLayout(TBXAlignmentPanel1);
  axes->setContentsMargins(0, 4, 0, 4);
  AxisGroup = new QButtonGroup(this);
  AxisGroup->setExclusive(true);
  RedTntSpeedButton = AddAxisButton("RedTntSpeedButton", 1);
  GreenTntSpeedButton = AddAxisButton("GreenTntSpeedButton", 2);
  BlueTntSpeedButton = AddAxisButton("BlueTntSpeedButton", 3);
  axes->addStretch(1);
  RedTntSpeedButton->setChecked(true);
  column->addWidget(TBXAlignmentPanel1);

  PaletteTntPaintBox = new TVxPaintBox(this);
  PaletteTntPaintBox->setObjectName(QStringLiteral("PaletteTntPaintBox"));
  PaletteTntPaintBox->setFixedSize(PaletteSide, PaletteSide);
  PaletteTntPaintBox->setCursor(ScreenCursor(CursorEyedropper));
  column->addWidget(PaletteTntPaintBox);
  column->addStretch(1);
}

QSlider *TVxMakeUpSurfaceFrame::AddSlider(const char *name, QLabel *&label) {
  return brushui::AddLabelledSlider(this, name, label);
}

QToolButton *TVxMakeUpSurfaceFrame::AddAxisButton(const char *name, int tag) {
  auto *button = new QToolButton(TBXAlignmentPanel1);
  button->setObjectName(QLatin1String(name));
  button->setCheckable(true);
  button->setMinimumWidth(64);
  AxisGroup->addButton(button, tag);
  TBXAlignmentPanel1->layout()->addWidget(button);
  return button;
}

QToolButton *TVxMakeUpSurfaceFrame::AxisButton(int axis) const {
  return qobject_cast<QToolButton *>(AxisGroup->button(axis));
}
