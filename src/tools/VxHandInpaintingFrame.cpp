#include "tools/VxHandInpaintingFrame.h"

#include <QButtonGroup>
#include <QFont>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "framework/VxText.h"

namespace {

QFrame *NamedPanel(QWidget *parent, const char *name) {
  auto *panel = new QFrame(parent);
  panel->setObjectName(QLatin1String(name));
  return panel;
}

QCheckBox *CheckBox(QWidget *parent, const char *name) {
  auto *box = new QCheckBox(parent);
  box->setObjectName(QLatin1String(name));
  return box;
}

}  // namespace

const std::array<const char *, 8> &TVxHandInpaintingFrame::ReflectionButtonNames() {
  static const std::array<const char *, 8> names = {
      "arNorthSpeedButton",      "arNorthReflexSpeedButton", "arEastSpeedButton",
      "arEastReflexSpeedButton", "arSouthSpeedButton",       "arSouthReflexSpeedButton",
      "arWestSpeedButton",       "arWestReflexSpeedButton"};
  return names;
}

TVxHandInpaintingFrame::TVxHandInpaintingFrame(QWidget *parent) : TVxFrame(parent) {
  setObjectName(QStringLiteral("HandInpaintingFrame"));
  setMaximumWidth(FrameWidth);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);

  TitleLabel = new QLabel(this);
  TitleLabel->setObjectName(QStringLiteral("TitleLabel"));
  QFont title = TitleLabel->font();
  title.setBold(true);
  title.setUnderline(true);
  TitleLabel->setFont(title);
  SizeLabel = new QLabel(this);
  SizeLabel->setObjectName(QStringLiteral("SizeLabel"));
  SizeTrackBar = new QSlider(Qt::Horizontal, this);
  SizeTrackBar->setObjectName(QStringLiteral("SizeTrackBar"));
  SizeTrackBar->setTickPosition(QSlider::TicksBelow);

  ImagePanel = NamedPanel(this, "ImagePanel");
  ImagePanel->setFixedHeight(273);
  auto *imageLayout = new QVBoxLayout(ImagePanel);
  imageLayout->setContentsMargins(4, 4, 4, 0);
  TargetImage = new QLabel(ImagePanel);
  TargetImage->setObjectName(QStringLiteral("TargetImage"));
  TargetImage->setFixedSize(PreviewSide, PreviewSide);
  TargetImage->setScaledContents(true);
  TargetImage->hide();
  CancelTBXButton = new QPushButton(ImagePanel);
  CancelTBXButton->setObjectName(QStringLiteral("CancelTBXButton"));
  imageLayout->addWidget(TargetImage, 0, Qt::AlignLeft | Qt::AlignTop);
  imageLayout->addStretch();
  imageLayout->addWidget(CancelTBXButton, 0, Qt::AlignLeft);

  OptionsPanel = NamedPanel(this, "OptionsPanel");
  auto *optionsLayout = new QVBoxLayout(OptionsPanel);
  optionsLayout->setContentsMargins(0, 0, 0, 0);
  LongDefectTBXCheckBox = CheckBox(OptionsPanel, "LongDefectTBXCheckBox");
  optionsLayout->addWidget(LongDefectTBXCheckBox);

  AdjustmentPanel = NamedPanel(this, "AdjustmentPanel");
  auto *adjustmentLayout = new QVBoxLayout(AdjustmentPanel);
  adjustmentLayout->setContentsMargins(0, 0, 0, 0);
  AdjustmentTBXCheckBox = CheckBox(AdjustmentPanel, "AdjustmentTBXCheckBox");
  AntiAliasingTBXCheckBox = CheckBox(AdjustmentPanel, "AntiAliasingTBXCheckBox");
  AntiAliasingTBXCheckBox->setChecked(true);
  AntiAliasingTBXCheckBox->setVisible(false);
  adjustmentLayout->addWidget(AdjustmentTBXCheckBox);
  adjustmentLayout->addWidget(AntiAliasingTBXCheckBox);

  AreaReflectionPanel = NamedPanel(this, "AreaReflectionPanel");
  auto *reflectionLayout = new QHBoxLayout(AreaReflectionPanel);
  reflectionLayout->setContentsMargins(0, 0, 0, 0);
  reflectionLayout->setSpacing(0);
  auto *group = new QButtonGroup(this);
  group->setExclusive(true);
  for (size_t tag = 0; tag < ReflectionButtons.size(); ++tag) {
    auto *button = new QToolButton(AreaReflectionPanel);
    button->setObjectName(QLatin1String(ReflectionButtonNames()[tag]));
    button->setProperty("Tag", static_cast<int>(tag));
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setFixedSize(22, 22);
    group->addButton(button, static_cast<int>(tag));
    reflectionLayout->addWidget(button);
    ReflectionButtons[tag] = button;
  }
  ReflectionButtons[0]->setChecked(true);
  reflectionLayout->addSpacing(6);
  AutoReflectionTBXCheckBox = CheckBox(AreaReflectionPanel, "AutoReflectionTBXCheckBox");
  reflectionLayout->addWidget(AutoReflectionTBXCheckBox);
  reflectionLayout->addStretch();

  for (QWidget *widget :
       {static_cast<QWidget *>(TitleLabel), static_cast<QWidget *>(SizeLabel),
        static_cast<QWidget *>(SizeTrackBar), static_cast<QWidget *>(ImagePanel),
        static_cast<QWidget *>(OptionsPanel), static_cast<QWidget *>(AdjustmentPanel),
        static_cast<QWidget *>(AreaReflectionPanel)})
    layout->addWidget(widget);
  layout->addStretch();
}

void TVxHandInpaintingFrame::Localize() {
  TitleLabel->setText(Text(2450));
  CancelTBXButton->setText(Text(2));
  LongDefectTBXCheckBox->setText(Text(2451));
  AdjustmentTBXCheckBox->setText(Text(2453));
  AntiAliasingTBXCheckBox->setText(Text(5550));
  AutoReflectionTBXCheckBox->setText(Text(562));
  AutoReflectionTBXCheckBox->setToolTip(Text(2457));
  // Arrows show where the top of the source ends up; a bar marks the mirrored ones.
  ReflectionButtons[0]->setText(Text(5561));
  ReflectionButtons[1]->setText(Text(5562));
  ReflectionButtons[2]->setText(Text(5563));
  ReflectionButtons[3]->setText(Text(5564));
  ReflectionButtons[4]->setText(Text(5565));
  ReflectionButtons[5]->setText(Text(5566));
  ReflectionButtons[6]->setText(Text(5567));
  ReflectionButtons[7]->setText(Text(5568));
  ReflectionButtons[0]->setToolTip(Text(5551));
  ReflectionButtons[1]->setToolTip(Text(5552));
  ReflectionButtons[2]->setToolTip(Text(5553));
  ReflectionButtons[3]->setToolTip(Text(5554));
  ReflectionButtons[4]->setToolTip(Text(5555));
  ReflectionButtons[5]->setToolTip(Text(5556));
  ReflectionButtons[6]->setToolTip(Text(5557));
  ReflectionButtons[7]->setToolTip(Text(5558));
}
