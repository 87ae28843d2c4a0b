#include "tools/VxMakeUpSurfaceTool.h"

#include <QPainter>
#include <optional>

#include "base/VxProgress.h"
#include "base/VxProperties.h"
#include "framework/VxCursors.h"
#include "framework/VxText.h"
#include "retouch/VxBrushMasks.h"
#include "tools/VxToolHost.h"
#include "tools/VxToolPanel.h"
#include "views/VxGraphicsView.h"

namespace {
constexpr int PanelWidth = 264;
constexpr int32_t MakeUpMaxSize = 100;
constexpr int32_t TeethOpacity = 32;
constexpr int32_t TeethHardness = 127;
constexpr int CrossArm = 7;
constexpr int VkP = 'P';
const TVxRect SwatchEllipse{0, 0, 80, 41};

QString LabelText(const QString &text) { return text + QStringLiteral(":"); }

// Red in the low byte, then green, then blue: how the settings keep colours.
int32_t PackColour(const TVxBGR &colour) {
  return colour.Red | (colour.Green << 8) | (colour.Blue << 16);
}

QImage ToImage(const TVxPixelBuffer &bitmap) {
  QImage image(bitmap.Width, bitmap.Height, QImage::Format_RGB888);
  for (int32_t y = 0; y < bitmap.Height; ++y) {
    const uint8_t *source = bitmap.PixelAddress(bitmap.Left, bitmap.Top + y);
    uchar *target = image.scanLine(y);
    for (int32_t x = 0; x < bitmap.Width; ++x) {
      target[3 * x] = source[3 * x + 2];
      target[3 * x + 1] = source[3 * x + 1];
      target[3 * x + 2] = source[3 * x];
    }
  }
  return image;
}
}  // namespace

// --- TVxMakeUpSurfaceTool ----------------------------------------------------

TMakeUpDetailLayer &TVxMakeUpSurfaceTool::DetailLayer() {
  static TMakeUpDetailLayer layer;
  return layer;
}

TVxMakeUpSurfaceTool::TVxMakeUpSurfaceTool(QObject *owner)
    : TVxMakeUpSurfaceTool(owner, {"MakeUpSurface", Text(5800), [](QWidget *parent) {
                                     return new TVxMakeUpSurfaceFrame(parent);
                                   }}) {}

TVxMakeUpSurfaceTool::TVxMakeUpSurfaceTool(QObject *owner, const TKind &kind)
    : TVxToolWords(owner) {
  CreateToolUi(kind);
  MaxSize = MakeUpMaxSize;
  if (TVxMakeUpSurfaceFrame *frame = MakeUpFrame()) BindMakeUpFrame(*frame);
  ControlClass = ControlClassOf<TVxMakeUpSurfaceToolControl>();
  SyncControls();
  if (TVxToolPanelModule *panel = ToolPanel(); panel && Frame) panel->SetPanelWidth(PanelWidth);
}

void TVxMakeUpSurfaceTool::CreateToolUi(const TKind &kind) {
  ToolName = QLatin1String(kind.ToolName);
  CreateToolButton(kind.Caption, -1, kind.MakeFrame);
}

QString TVxMakeUpSurfaceTool::Caption() const { return Text(5800); }

TVxMakeUpSurfaceFrame *TVxMakeUpSurfaceTool::MakeUpFrame() const {
  return qobject_cast<TVxMakeUpSurfaceFrame *>(Frame);
}

void TVxMakeUpSurfaceTool::BindMakeUpFrame(TVxMakeUpSurfaceFrame &frame) {
  for (QWidget *widget :
       {static_cast<QWidget *>(frame.OpacityLabel), static_cast<QWidget *>(frame.OpacityTrackBar),
        static_cast<QWidget *>(frame.HardnessLabel),
        static_cast<QWidget *>(frame.HardnessTrackBar)})
    widget->hide();
  BindSizeTrackBar(frame.SizeTrackBar);
  BindOpacityTrackBar(frame.OpacityTrackBar);
  BindHardnessTrackBar(frame.HardnessTrackBar);
  frame.BrightnessTrackBar->setRange(0, 255);
  frame.BrightnessTrackBar->setTickInterval(16);
  connect(frame.BrightnessTrackBar, &QSlider::valueChanged, this, [this](int position) {
    SetBrightness(position);
    RecordWord("Brightness", {static_cast<int32_t>(position)});
  });
  connect(frame.ColorSelectorTntSpeedButton, &QToolButton::clicked, this, [this](bool checked) {
    ColorSelector = checked;
    RefreshPointerCursor();
    RecordWord("ColorSelector", {static_cast<int32_t>(checked)});
  });
  connect(frame.TintTBXCheckBox, &QCheckBox::toggled, this, [this](bool checked) {
    SetMode(checked ? TMakeUpMode::Luminosity : TMakeUpMode::Normal);
  });
  connect(frame.AxisGroup, &QButtonGroup::idClicked, this,
          [this](int axis) { AxisButtonClick(axis); });
  frame.ColorTntPaintBox->OnPaint = [this](QPainter &painter) { PaintSwatch(painter); };
  frame.ColorTntPaintBox->OnClick = [this] {
    if (IsRecording()) DemoWords().RecordAt(DemoPlayback, "MouseCurvedMove", ToolName, "Ellipse");
  };
  frame.PaletteTntPaintBox->OnPaint = [this](QPainter &painter) { PaintPalette(painter); };
  const auto pick = [this](QPoint point, Qt::MouseButtons buttons) {
    if (buttons & Qt::LeftButton) PickPalettePoint(point.x(), point.y());
  };
  frame.PaletteTntPaintBox->OnMouseDown = pick;
  frame.PaletteTntPaintBox->OnMouseMove = pick;
}

void TVxMakeUpSurfaceTool::SyncControls() {
  TVxMakeUpSurfaceFrame *frame = MakeUpFrame();
  if (!frame) return;
  if (frame->BrightnessTrackBar->value() != Palette.Brightness) {
    const QSignalBlocker quiet(frame->BrightnessTrackBar);
    frame->BrightnessTrackBar->setValue(Palette.Brightness);
  }
  if (QToolButton *button = frame->AxisButton(Palette.Axis)) button->setChecked(true);
  frame->PaletteTntPaintBox->update();
  frame->ColorTntPaintBox->update();
}

void TVxMakeUpSurfaceTool::RecordWord(std::string_view word,
                                      std::initializer_list<TVxDemoArgument> arguments) {
  if (IsRecording()) DemoWords().Record(DemoPlayback, ToolName, word, arguments);
}

void TVxMakeUpSurfaceTool::SetMode(TMakeUpMode mode) {
  if (mode == Mode) return;
  Mode = mode;
  const bool tint = mode == TMakeUpMode::Luminosity;
  if (TVxMakeUpSurfaceFrame *frame = MakeUpFrame()) {
    const QSignalBlocker quiet(frame->TintTBXCheckBox);
    frame->TintTBXCheckBox->setChecked(tint);
  }
  Palette.SetTint(tint);
  SyncControls();
  UpdateControls();
  RecordWord(tint ? "LuminosityMode" : "NormalMode");
}

void TVxMakeUpSurfaceTool::SetColorSelector(bool on) {
  ColorSelector = on;
  if (TVxMakeUpSurfaceFrame *frame = MakeUpFrame())
    frame->ColorSelectorTntSpeedButton->setChecked(on);
  RefreshPointerCursor();
}

void TVxMakeUpSurfaceTool::ToggleColorSelectorByKey() {
  SetColorSelector(!ColorSelector);
  // A key has no control to move to: the line alone.
  if (IsRecording())
    RecordDemoLine(DemoPlayback, (ToolName + QStringLiteral("ColorSelector")).toStdString(),
                   {static_cast<int32_t>(ColorSelector)});
}

void TVxMakeUpSurfaceTool::RefreshPointerCursor() {
  for (int i = 0; i < ControlCount(); ++i)
    if (TVxGraphicsToolControl *control = Control(i); control && control->View)
      control->View->UpdateCursor();
}

void TVxMakeUpSurfaceTool::PickPalettePoint(int32_t x, int32_t y) {
  Palette.SetPoint({std::clamp(x, 0, 255), std::clamp(y, 0, 255)});
  SyncControls();
  ShowColour();
  RecordWord("Palette", {Palette.PalettePoint.X, Palette.PalettePoint.Y});
}

void TVxMakeUpSurfaceTool::SetBrightness(int32_t brightness) {
  Palette.SetBrightness(brightness);
  SyncControls();
  UpdateControls();
}

void TVxMakeUpSurfaceTool::SetAxis(int32_t axis) {
  Palette.SetAxis(axis);
  SyncControls();
}

void TVxMakeUpSurfaceTool::AxisButtonClick(int axis) {
  SetAxis(axis);
  static constexpr std::string_view names[] = {"Red", "Green", "Blue"};
  if (axis >= 1 && axis <= 3) RecordWord(names[axis - 1]);
}

void TVxMakeUpSurfaceTool::PickColour() {
  if (!BackupPixels || StrokeControl == nullptr) return;
  auto *control = dynamic_cast<TVxMaskDrawToolControl *>(StrokeControl);
  if (!control) return;
  Blur.BeginStroke(BrushRect(control->BrushPosition, Size));
  const TVxBGR c = BlurredColourAt(control->BrushPosition.X, control->BrushPosition.Y);
  Palette.SetColour(c.Red, c.Green, c.Blue);
  SyncControls();
  ShowColour();
}

void TVxMakeUpSurfaceTool::AutoBrightness() {
  if (!BackupPixels || StrokeControl == nullptr) return;
  auto *control = dynamic_cast<TVxMaskDrawToolControl *>(StrokeControl);
  if (!control) return;
  Blur.BeginStroke(BrushRect(control->BrushPosition, Size));
  const TVxBGR c = BlurredColourAt(control->BrushPosition.X, control->BrushPosition.Y);
  Palette.SetBrightness(std::max({c.Red, c.Green, c.Blue}));
  SyncControls();
}

void TVxMakeUpSurfaceTool::RefreshDetailLayer() {
  IVxToolHost *host = ToolHost();
  TVxGraphicsDocument *document = host ? host->CurrentGraphicsDocument() : nullptr;
  if (!document) return;
  TMakeUpDetailLayer &layer = DetailLayer();
  if (!layer.Stale && layer.GetBounds() == document->Backup.GetBounds()) return;
  TVxWaitCursor busy;
  std::optional<TVxProgressRun> run;
  int64_t shown = 0;
  layer.PrepareFor(document->Backup, [&](int64_t done, int64_t total) {
    if (!run) run.emplace(host->Progress(), static_cast<int32_t>(total));
    for (; shown < done; ++shown) run->Step();
  });
}

void TVxMakeUpSurfaceTool::PaintPalette(QPainter &painter) const {
  QImage image = ToImage(Palette.Bitmap);
  {
    // The cross inverts what is under it, so it shows on every colour.
    QPainter cross(&image);
    cross.setCompositionMode(QPainter::RasterOp_NotDestination);
    cross.setPen(QPen(Qt::black, 3));
    const TVxPoint p = Palette.PalettePoint;
    cross.drawLine(p.X - CrossArm, p.Y, p.X + CrossArm, p.Y);
    cross.drawLine(p.X, p.Y - CrossArm, p.X, p.Y + CrossArm);
  }
  painter.drawImage(0, 0, image);
}

void TVxMakeUpSurfaceTool::PaintSwatch(QPainter &painter) const {
  const TVxBGR c = Palette.Colour;
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(c.Red, c.Green, c.Blue));
  painter.drawEllipse(
      QRect(SwatchEllipse.Left, SwatchEllipse.Top, SwatchEllipse.Width(), SwatchEllipse.Height()));
  ShowColour();
}

void TVxMakeUpSurfaceTool::ShowColour() const {
  if (IVxToolHost *host = ToolHost())
    host->ShowColourStatus(Palette.Colour.Red, Palette.Colour.Green, Palette.Colour.Blue);
}

void TVxMakeUpSurfaceTool::Localize() {
  const QString caption = Caption();
  if (Button) {
    Button->setText(caption);
    Button->setToolTip(caption);
  }
  TVxMakeUpSurfaceFrame *frame = MakeUpFrame();
  if (!frame) return;
  frame->TitleLabel->setText(caption);
  frame->SizeLabel->setText(LabelText(Text(154)));
  frame->OpacityLabel->setText(LabelText(Text(2008)));
  frame->HardnessLabel->setText(LabelText(Text(2009)));
  frame->BrightnessTBXLabel->setText(LabelText(Text(550)));
  frame->TintTBXCheckBox->setText(Text(2610));
  frame->RedTntSpeedButton->setText(Text(540));
  frame->GreenTntSpeedButton->setText(Text(541));
  frame->BlueTntSpeedButton->setText(Text(542));
}

void TVxMakeUpSurfaceTool::UpdateControls() {
  TVxCustomBlurBrushTool::UpdateControls();
  TVxMakeUpSurfaceFrame *frame = MakeUpFrame();
  if (!frame) return;
  // A tint takes its brightness from the photo.
  const bool ownBrightness = Mode != TMakeUpMode::Luminosity;
  frame->BrightnessTrackBar->setEnabled(ownBrightness && frame->ControlsEnabled());
  frame->BrightnessTBXLabel->setEnabled(ownBrightness && frame->ControlsEnabled());
  const auto show = [](QLabel *label, const QString &text, const QSlider *slider) {
    const QString caption = text + QStringLiteral(": ") + QString::number(slider->value());
    if (label->text() != caption) label->setText(caption);
  };
  show(frame->SizeLabel, Text(154), frame->SizeTrackBar);
  show(frame->BrightnessTBXLabel, Text(550), frame->BrightnessTrackBar);
}

void TVxMakeUpSurfaceTool::LoadSettings(TVxSDFReader &reader) {
  TVxCustomBlurBrushTool::LoadSettings(reader);
  if (!reader.OpenSection(1, GetSettingsId())) return;
  int32_t value = 0;
  if (reader.ReadInteger(1, value)) SetBrushSize(value);
  if (reader.ReadInteger(4, value))
    Palette.SetColour(static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>((value >> 8) & 0xFF),
                      static_cast<uint8_t>((value >> 16) & 0xFF));
  reader.CloseNode();
  SyncControls();
}

void TVxMakeUpSurfaceTool::SaveSettings(TVxSDFWriter &writer) {
  TVxCustomBlurBrushTool::SaveSettings(writer);
  writer.BeginSection(1, GetSettingsId());
  writer.WriteInteger(1, Size);
  writer.WriteInteger(4, PackColour(Palette.Colour));
  writer.EndNode();
}

void TVxMakeUpSurfaceTool::CommitChanges() {
  // A picking stroke changes no pixel and leaves no step.
  if (ColorSelector) return;
  TVxCustomBlurBrushTool::CommitChanges();
}

void TVxMakeUpSurfaceTool::DocumentOpened(TVxGraphicsDocument *) { DetailLayer().Invalidate(); }

void TVxMakeUpSurfaceTool::ImageAreaChanged(TVxGraphicsDocument *, IVxGraphicsDocumentClient *tool,
                                            const TVxRect &) {
  // Make-up keeps the texture of the skin as it was before any make-up.
  if (!dynamic_cast<TVxMakeUpSurfaceTool *>(tool)) DetailLayer().Invalidate();
}

bool TVxMakeUpSurfaceTool::BeginStroke(TVxDrawToolControl *control, TVxMouseButton button,
                                       TVxShiftState shift) {
  if (!TVxCustomBlurBrushTool::BeginStroke(control, button, shift)) return false;
  if (ColorSelector) {
    auto *mask = dynamic_cast<TVxMaskDrawToolControl *>(control);
    if (mask && BackupPixels &&
        BackupPixels->GetBounds().Contains(mask->BrushPosition.X, mask->BrushPosition.Y))
      PickColour();
    return true;
  }
  // A press straight after the image changed size must not read a layer of
  // another size.
  if (Mode == TMakeUpMode::Normal && PreserveTexture) RefreshDetailLayer();
  return true;
}

void TVxMakeUpSurfaceTool::ApplyInRect(const TVxRect &rect) {
  if (ColorSelector || !BackupPixels || !ImagePixels) return;
  SurfaceMask.MaxWith(BrushMask);
  const bool texture = Mode == TMakeUpMode::Normal && PreserveTexture;
  const TMakeUpPaint paint{Mode, Palette.Colour, texture ? &DetailLayer() : nullptr};
  BlendMakeUpInRect(paint, *BackupPixels, SurfaceMask, rect, *ImagePixels);
}

void TVxMakeUpSurfaceTool::EndStroke() {
  SurfaceMask.Clear();
  RefreshPointerCursor();
  TVxCustomBlurBrushTool::EndStroke();
  // Picking ends with the stroke.
  SetColorSelector(false);
}

const TVxDemoWordTable<TVxMakeUpSurfaceTool> &TVxMakeUpSurfaceTool::DemoWords() {
  using TTool = TVxMakeUpSurfaceTool;
  using TFrame = TVxMakeUpSurfaceFrame;
  static const TVxDemoWord<TTool> words[] = {
      {.Word = "ColorSelector",
       .Args = TVxDemoArgs::Bool,
       .Run =
           [](TTool &tool, const TVxDemoCall &call) {
             int32_t value = 0;
             if (DemoParamNumber(call.Params, 0, value)) tool.SetColorSelector(value != 0);
           },
       .Control = [](const TTool &tool) -> QObject * {
         TFrame *frame = tool.MakeUpFrame();
         return frame ? frame->ColorSelectorTntSpeedButton : nullptr;
       }},
      {.Word = "Color",
       .Control = [](const TTool &tool) -> QObject * {
         TFrame *frame = tool.MakeUpFrame();
         return frame ? frame->ColorTntPaintBox : nullptr;
       }},
      {.Word = "Ellipse",
       .Control = [](const TTool &tool) -> QObject * {
         TFrame *frame = tool.MakeUpFrame();
         return frame ? frame->ColorTntPaintBox : nullptr;
       }},
      {.Word = "Brightness",
       .Args = TVxDemoArgs::Integer,
       .Run =
           [](TTool &tool, const TVxDemoCall &call) {
             int32_t value = 0;
             TFrame *frame = tool.MakeUpFrame();
             if (!DemoParamNumber(call.Params, 0, value)) return;
             if (frame)
               frame->BrightnessTrackBar->setValue(value);
             else
               tool.SetBrightness(value);
           },
       .Control = [](const TTool &tool) -> QObject * {
         TFrame *frame = tool.MakeUpFrame();
         return frame ? frame->BrightnessTrackBar : nullptr;
       }},
      {.Word = "Red",
       .Run = [](TTool &tool, const TVxDemoCall &) { tool.AxisButtonClick(1); },
       .Control = [](const TTool &tool) -> QObject * {
         TFrame *frame = tool.MakeUpFrame();
         return frame ? frame->RedTntSpeedButton : nullptr;
       }},
      {.Word = "Green",
       .Run = [](TTool &tool, const TVxDemoCall &) { tool.AxisButtonClick(2); },
       .Control = [](const TTool &tool) -> QObject * {
         TFrame *frame = tool.MakeUpFrame();
         return frame ? frame->GreenTntSpeedButton : nullptr;
       }},
      {.Word = "Blue",
       .Run = [](TTool &tool, const TVxDemoCall &) { tool.AxisButtonClick(3); },
       .Control = [](const TTool &tool) -> QObject * {
         TFrame *frame = tool.MakeUpFrame();
         return frame ? frame->BlueTntSpeedButton : nullptr;
       }},
      {.Word = "Palette",
       .Args = TVxDemoArgs::Point,
       .Run =
           [](TTool &tool, const TVxDemoCall &call) {
             int32_t x = 0, y = 0;
             if (DemoParamNumber(call.Params, 0, x) && DemoParamNumber(call.Params, 1, y))
               tool.PickPalettePoint(x, y);
           },
       .Control = [](const TTool &tool) -> QObject * {
         TFrame *frame = tool.MakeUpFrame();
         return frame ? frame->PaletteTntPaintBox : nullptr;
       }},
      {.Word = "NormalMode",
       .Run = [](TTool &tool, const TVxDemoCall &) { tool.SetMode(TMakeUpMode::Normal); },
       .Control = [](const TTool &tool) -> QObject * {
         TFrame *frame = tool.MakeUpFrame();
         return frame ? frame->TintTBXCheckBox : nullptr;
       }},
      {.Word = "LuminosityMode",
       .Run = [](TTool &tool, const TVxDemoCall &) { tool.SetMode(TMakeUpMode::Luminosity); },
       .Control = [](const TTool &tool) -> QObject * {
         TFrame *frame = tool.MakeUpFrame();
         return frame ? frame->TintTBXCheckBox : nullptr;
       }},
  };
  static const TVxDemoWordTable<TTool> table(words);
  return table;
}

// --- TVxTeethBleachTool ------------------------------------------------------

TVxTeethBleachTool::TVxTeethBleachTool(QObject *owner)
    : TVxMakeUpSurfaceTool(owner, {"TeethBleach", Text(2615), [](QWidget *parent) {
                                     return new TVxTeethBleachFrame(parent);
                                   }}) {
  SetHardness(TeethHardness);
  SetOpacity(TeethOpacity);
  SetMode(TMakeUpMode::Normal);
  PreserveTexture = false;
  SetColorSelector(false);
  if (TVxMakeUpSurfaceFrame *frame = MakeUpFrame()) {
    for (QWidget *widget : {static_cast<QWidget *>(frame->TBXAlignmentPanel),
                            static_cast<QWidget *>(frame->BrightnessTBXLabel),
                            static_cast<QWidget *>(frame->BrightnessTrackBar),
                            static_cast<QWidget *>(frame->TBXAlignmentPanel1),
                            static_cast<QWidget *>(frame->PaletteTntPaintBox)})
      widget->hide();
  }
  Palette.SetColour(255, 255, 255);
  SyncControls();
}

QString TVxTeethBleachTool::Caption() const { return Text(2615); }

void TVxTeethBleachTool::LoadSettings(TVxSDFReader &reader) {
  TVxMakeUpSurfaceTool::LoadSettings(reader);
  // Whatever a settings file says, teeth are whitened.
  Palette.SetColour(255, 255, 255);
}

void TVxTeethBleachTool::UpdateControls() {
  TVxMakeUpSurfaceTool::UpdateControls();
  if (ColorSelector) SetColorSelector(false);
}

// --- TVxMakeUpSurfaceToolControl ---------------------------------------------

TVxMakeUpSurfaceToolControl::TVxMakeUpSurfaceToolControl(TVxGraphicsTool *tool,
                                                         TVxGraphicsView *view)
    : TVxBrushToolControl(tool, view, ViewObjectBody | ViewObjectOverlay | ViewObjectNoExtent) {
  WheelDuringStroke = true;
}

TVxMakeUpSurfaceTool *TVxMakeUpSurfaceToolControl::MakeUpTool() const {
  return qobject_cast<TVxMakeUpSurfaceTool *>(Tool);
}

bool TVxMakeUpSurfaceToolControl::BrushInsideImage() const {
  TVxGraphicsDocument *document = View ? View->Document() : nullptr;
  return document && document->Backup.GetBounds().Contains(BrushPosition.X, BrushPosition.Y);
}

bool TVxMakeUpSurfaceToolControl::GetCursor(TVxShiftState shift, const TVxPoint &point,
                                            int &cursor) {
  if (!TVxBrushToolControl::GetCursor(shift, point, cursor)) return false;
  TVxMakeUpSurfaceTool *tool = MakeUpTool();
  if (tool && tool->ColorSelector) cursor = CursorEyedropper;
  return true;
}

bool TVxMakeUpSurfaceToolControl::MouseDown(TVxMouseButton button, TVxShiftState shift,
                                            const TVxPoint &point) {
  TVxMakeUpSurfaceTool *tool = MakeUpTool();
  if (Active && tool &&
      (button == TVxMouseButton::Right || (tool->ColorSelector && !BrushInsideImage())))
    return true;
  return TVxBrushToolControl::MouseDown(button, shift, point);
}

bool TVxMakeUpSurfaceToolControl::MouseMove(TVxShiftState shift, const TVxPoint &point) {
  const bool handled = TVxBrushToolControl::MouseMove(shift, point);
  TVxMakeUpSurfaceTool *tool = MakeUpTool();
  if (!tool || !tool->Active) return handled;
  if (StrokeActive) {
    if (!BrushInsideImage()) return handled;
    if (tool->ColorSelector)
      tool->PickColour();
    else if (tool->Palette.Tint)
      tool->AutoBrightness();
  } else {
    tool->RefreshDetailLayer();
  }
  return handled;
}

bool TVxMakeUpSurfaceToolControl::KeyDown(int key, TVxShiftState shift) {
  TVxMakeUpSurfaceTool *tool = MakeUpTool();
  if (Active && tool && key == VkP && (shift & (ShiftKey | AltKey | CtrlKey)) == AltKey) {
    tool->ToggleColorSelectorByKey();
    return true;
  }
  return TVxBrushToolControl::KeyDown(key, shift);
}
