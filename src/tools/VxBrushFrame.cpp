#include "tools/VxBrushFrame.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "base/VxProperties.h"
#include "demo/VxDemoWords.h"

#include "framework/VxText.h"
#include "tools/VxDrawTools.h"

namespace {

constexpr int PreviewSide = 69;

QString LabelText(const QString &text) { return text + QStringLiteral(":"); }

}  // namespace

TVxBrushFrame::TVxBrushFrame(QWidget *parent, const TOptions &options) : TVxFrame(parent) {
  setFixedWidth(options.Width);
  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(6, 6, 6, 6);
  column->setSpacing(2);
  TitleLabel = new QLabel(this);
  TitleLabel->setObjectName(QStringLiteral("TitleLabel"));
  QFont font = TitleLabel->font();
  font.setUnderline(true);
  TitleLabel->setFont(font);
  column->addWidget(TitleLabel);

  PreviewAlignmentPanel = new QWidget(this);
  PreviewAlignmentPanel->setObjectName(QStringLiteral("PreviewAlignmentPanel"));
  auto *row = new QHBoxLayout(PreviewAlignmentPanel);
  row->setContentsMargins(0, 4, 0, 4);
  PreviewPaintBox = new QWidget(PreviewAlignmentPanel);
  PreviewPaintBox->setObjectName(QStringLiteral("PreviewPaintBox"));
  PreviewPaintBox->setFixedSize(PreviewSide, PreviewSide);
  ExpertModeTBXCheckBox = new QCheckBox(PreviewAlignmentPanel);
  ExpertModeTBXCheckBox->setObjectName(QStringLiteral("ExpertModeTBXCheckBox"));
  row->addWidget(PreviewPaintBox);
  row->addWidget(ExpertModeTBXCheckBox, 1);
  column->addWidget(PreviewAlignmentPanel);

  SizeTrackBar = AddSlider("Size", SizeLabel);
  if (options.BandSliders) NaturalnessTrackBar = AddSlider("Naturalness", NaturalnessLabel);
  if (options.BandSliders || options.SmoothingSlider)
    SmoothingTrackBar = AddSlider("Smoothing", SmoothingLabel);
  OpacityTrackBar = AddSlider("Opacity", OpacityLabel);
  HardnessTrackBar = AddSlider("Hardness", HardnessLabel);
  column->addStretch(1);
}

QSlider *TVxBrushFrame::AddSlider(const char *name, QLabel *&label) {
  return brushui::AddLabelledSlider(this, name, label);
}

QSlider *brushui::AddLabelledSlider(QWidget *frame, const char *name, QLabel *&label) {
  label = new QLabel(frame);
  label->setObjectName(QLatin1String(name) + QStringLiteral("Label"));
  auto *slider = new QSlider(Qt::Horizontal, frame);
  slider->setObjectName(QLatin1String(name) + QStringLiteral("TrackBar"));
  slider->setTickPosition(QSlider::TicksBelow);
  frame->layout()->addWidget(label);
  frame->layout()->addWidget(slider);
  return slider;
}

void TVxBrushFrame::ArrangeControls(bool expertMode) {
  // The layout keeps the order; only who takes part changes.
  for (QWidget *widget :
       {static_cast<QWidget *>(OpacityLabel), static_cast<QWidget *>(OpacityTrackBar),
        static_cast<QWidget *>(HardnessLabel), static_cast<QWidget *>(HardnessTrackBar)})
    widget->setVisible(expertMode);
}

void TVxBrushFrame::ShowValue(QLabel *label, const QString &text, const QSlider *slider) {
  if (!label || !slider) return;
  const QString caption = text + QStringLiteral(": ") + QString::number(slider->value());
  if (label->text() != caption) label->setText(caption);
}

namespace brushui {

bool DemoParamBool(const TVxProperties &params, bool &value) {
  int32_t number = 0;
  if (DemoParamNumber(params, 0, number)) {
    value = number != 0;
    return true;
  }
  const QString text = DemoParamText(params, 0);
  if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
    value = true;
  else if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
    value = false;
  else
    return false;
  return true;
}

TVxBrushFrame *FrameOf(const TVxBrushTool &tool) {
  return qobject_cast<TVxBrushFrame *>(tool.Frame);
}

void BindFrame(TVxBrushTool &tool, TVxBrushFrame &frame) {
  frame.Tool = &tool;
  tool.BindSizeTrackBar(frame.SizeTrackBar);
  frame.SizeTrackBar->setTickInterval(8);
  tool.BindOpacityTrackBar(frame.OpacityTrackBar);
  tool.BindHardnessTrackBar(frame.HardnessTrackBar);
  tool.BindPreviewBox(frame.PreviewPaintBox);
}

void ArrangeControls(TVxBrushTool &tool, bool expertMode, int32_t defaultHardness) {
  if (TVxBrushFrame *frame = FrameOf(tool)) frame->ArrangeControls(expertMode);
  if (expertMode) return;
  tool.SetOpacity(255);
  tool.SetHardness(defaultHardness);
}

void Localize(TVxBrushTool &tool, const QString &title, const QString &smoothingLabel) {
  if (tool.Button) {
    tool.Button->setText(title);
    tool.Button->setToolTip(title);
  }
  TVxBrushFrame *frame = FrameOf(tool);
  if (!frame) return;
  frame->TitleLabel->setText(title);
  frame->ExpertModeTBXCheckBox->setText(Text(2650));
  frame->SizeLabel->setText(LabelText(Text(154)));
  frame->OpacityLabel->setText(LabelText(Text(2008)));
  frame->HardnessLabel->setText(LabelText(Text(2009)));
  if (frame->NaturalnessLabel) frame->NaturalnessLabel->setText(LabelText(Text(2659)));
  if (frame->SmoothingLabel) frame->SmoothingLabel->setText(smoothingLabel + QStringLiteral(":"));
}

void UpdateLabels(TVxBrushTool &tool, const QString &smoothingLabel) {
  TVxBrushFrame *frame = FrameOf(tool);
  if (!frame) return;
  TVxBrushFrame::ShowValue(frame->SizeLabel, Text(154), frame->SizeTrackBar);
  TVxBrushFrame::ShowValue(frame->NaturalnessLabel, Text(2659), frame->NaturalnessTrackBar);
  TVxBrushFrame::ShowValue(frame->SmoothingLabel, smoothingLabel, frame->SmoothingTrackBar);
  TVxBrushFrame::ShowValue(frame->OpacityLabel, Text(2008), frame->OpacityTrackBar);
  TVxBrushFrame::ShowValue(frame->HardnessLabel, Text(2009), frame->HardnessTrackBar);
}

void LoadBrushNode(TVxSDFReader &reader, TVxBrushTool &tool, const TVxGUID &id,
                   const std::function<void(bool)> &setExpertMode,
                   const std::function<void(TVxSDFReader &)> &loadMore) {
  if (!reader.OpenSection(1, id)) return;
  int32_t value = 0;
  if (reader.ReadInteger(1, value)) tool.SetBrushSize(value);
  if (reader.ReadInteger(2, value)) tool.SetOpacity(value);
  if (reader.ReadInteger(3, value)) tool.SetHardness(value);
  if (reader.ReadInteger(4, value)) setExpertMode(value != 0);
  if (loadMore) loadMore(reader);
  reader.CloseNode();
}

void SaveBrushNode(TVxSDFWriter &writer, const TVxBrushTool &tool, const TVxGUID &id,
                   bool expertMode, const std::function<void(TVxSDFWriter &)> &saveMore) {
  writer.BeginSection(1, id);
  writer.WriteInteger(1, tool.Size);
  writer.WriteInteger(2, tool.Opacity);
  writer.WriteInteger(3, tool.Hardness);
  writer.WriteInteger(4, expertMode ? 1 : 0);
  if (saveMore) saveMore(writer);
  writer.EndNode();
}

}  // namespace brushui
