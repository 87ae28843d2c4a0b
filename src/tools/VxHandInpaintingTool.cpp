#include "tools/VxHandInpaintingTool.h"

#include <QButtonGroup>
#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <cmath>

#include "demo/VxDemoRecorder.h"
#include "documents/VxEditor.h"
#include "framework/VxText.h"
#include "platform/VirtualKeys.h"
#include "retouch/VxBrushMasks.h"
#include "retouch/VxLoupe.h"
#include "tools/VxToolHost.h"
#include "tools/VxToolPanel.h"
#include "views/VxGraphicsView.h"

namespace {

constexpr int32_t NeighbourhoodRadius2 = 2;
constexpr double LongDefectFraction = 0.2;
constexpr int32_t CorrectionOrder = 2;
constexpr int32_t PanelWidth = 264;

bool DemoBool(const TVxProperties &params) {
  int32_t number = 0;
  if (DemoParamNumber(params, 0, number)) return number != 0;
  return DemoParamText(params, 0).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

int32_t DemoInteger(const TVxProperties &params) {
  int32_t number = 0;
  DemoParamNumber(params, 0, number);
  return number;
}

}  // namespace

// --- TVxHandInpaintingTool ---------------------------------------------------

TVxHandInpaintingTool::TVxHandInpaintingTool(QObject *owner) : TVxToolWords(owner) {
  setObjectName(QStringLiteral("HandInpaintingTool"));
  ToolName = QStringLiteral("HandInpainting");
  ControlClass = ControlClassOf<TVxHandInpaintingToolControl>();
  CreateToolButton(Text(2450), ImageIndex,
                   [](QWidget *parent) { return new TVxHandInpaintingFrame(parent); });
  HandFrame = qobject_cast<TVxHandInpaintingFrame *>(Frame);
  RebuildBrushMask();
  ConnectFrame();
  SetLongDefect(true);
  SetReflection(0);
  SetAdjustmentMode(2);
  SetAutoReflection(true);
  SetAntiAliasing(true);
  JustCommitted = false;
  if (TVxToolPanelModule *panel = ToolPanel()) panel->SetPanelWidth(PanelWidth);
  LocksOtherTools = true;
  Localize();
}

TVxHandInpaintingTool::~TVxHandInpaintingTool() = default;

void TVxHandInpaintingTool::ConnectFrame() {
  if (!HandFrame) return;
  QSlider *size = HandFrame->SizeTrackBar;
  size->setRange(MinSize, MaxSize);
  size->setTickInterval(MaxSize / 10);
  size->setValue(Size);
  connect(size, &QSlider::valueChanged, this, [this](int value) { SetBrushSize(value); });
  connect(HandFrame->AdjustmentTBXCheckBox, &QCheckBox::toggled, this,
          [this] { AdjustmentTBXCheckBoxChange(); });
  connect(HandFrame->AntiAliasingTBXCheckBox, &QCheckBox::toggled, this,
          [this] { AntiAliasingTBXCheckBoxChange(); });
  connect(HandFrame->AutoReflectionTBXCheckBox, &QCheckBox::toggled, this,
          [this] { AutoReflectionTBXCheckBoxChange(); });
  connect(HandFrame->LongDefectTBXCheckBox, &QCheckBox::toggled, this,
          [this] { LongDefectTBXCheckBoxChange(); });
  for (QToolButton *button : HandFrame->ReflectionButtons)
    connect(button, &QToolButton::clicked, this,
            [this, button] { arNorthSpeedButtonClick(button->property("Tag").toInt()); });
  connect(HandFrame->CancelTBXButton, &QPushButton::clicked, this,
          [this] { CancelTBXButtonClick(); });
}

TVxGraphicsDocument *TVxHandInpaintingTool::CurrentDocument() const {
  IVxToolHost *editor = ToolHost();
  return editor ? editor->CurrentGraphicsDocument() : nullptr;
}

TVxRect TVxHandInpaintingTool::SquareOf(TVxPoint p) const {
  const int32_t half = (Size + 1) / 2;
  return Bounds(p.X - half, p.Y - half, Size, Size);
}

int32_t TVxHandInpaintingTool::Magnification(int32_t size) {
  const int32_t k = static_cast<int32_t>(240.0 / std::max(size, 1) / 1.1);
  return std::clamp(k, 1, 6);
}

int32_t TVxHandInpaintingTool::PreviewSideFor(int32_t size) {
  return TVxHandInpaintingFrame::PreviewSide / Magnification(size);
}

void TVxHandInpaintingTool::RebuildBrushMask() {
  // Practically every pixel of the disc is replaced: 255 × (1 − q^10).
  PowerProfile(BrushMask, Size, 255, 160);
}

// --- options -----------------------------------------------------------------

void TVxHandInpaintingTool::SetBrushSize(int32_t size) {
  if (size == Size || size < MinSize || size > MaxSize) return;
  for (int i = 0; i < ControlCount(); ++i) Control(i)->InvalidateArea();
  Size = size;
  RebuildBrushMask();
  if (HandFrame) HandFrame->SizeTrackBar->setValue(size);
  if (IsRecording()) RecordDemoLine(DemoPlayback, (ToolName + "Size").toStdString(), {size});
  if (ChoosingSource) return;
  const int32_t before = Preview.Width;
  ResizePreview();
  if (Preview.Width != before && HandFrame && HandFrame->TargetImage->isVisible()) DrawLoupe();
}

void TVxHandInpaintingTool::SetAdjustmentMode(int32_t mode) {
  // The check box first: its change event knows only 0 and 2 and must not
  // overwrite a script's mode 1.
  if (HandFrame) HandFrame->AdjustmentTBXCheckBox->setChecked(mode == 2);
  AdjustmentMode = mode;
}

void TVxHandInpaintingTool::SetAntiAliasing(bool on) {
  AntiAliasing = on;
  if (HandFrame) HandFrame->AntiAliasingTBXCheckBox->setChecked(on);
}

void TVxHandInpaintingTool::SetReflection(int32_t reflection) {
  if (reflection < 0 || reflection > 7) return;
  Reflection = static_cast<uint8_t>(reflection);
  if (HandFrame) HandFrame->ReflectionButtons[static_cast<size_t>(reflection)]->setChecked(true);
}

void TVxHandInpaintingTool::SetAutoReflection(bool on) {
  AutoReflection = on;
  if (HandFrame) HandFrame->AutoReflectionTBXCheckBox->setChecked(on);
}

void TVxHandInpaintingTool::SetLongDefect(bool on) {
  LongDefect = on;
  if (HandFrame) HandFrame->LongDefectTBXCheckBox->setChecked(on);
}

void TVxHandInpaintingTool::ApplyPreset(bool showReflections) {
  OptionsVisible = false;
  SetAdjustmentMode(2);
  SetReflection(0);
  SetAutoReflection(true);
  if (HandFrame) HandFrame->AreaReflectionPanel->setVisible(showReflections);
  SetLongDefect(true);
  SetAntiAliasing(true);
  SetToolVisible(true);
}

// --- the two phases ----------------------------------------------------------

void TVxHandInpaintingTool::SelectOrCommit() {
  if (!CurrentDocument()) return;
  if (!ChoosingSource) {
    TargetRect = SquareOf(CursorPoint);
    ResizePreview();
    Repatch();
    if (!Correlator) return;  // no edit could be opened
  } else {
    if (EditDocument) EndEdit();
    JustCommitted = true;
    CommitPoint = CursorPoint;
  }
  ChoosingSource = !ChoosingSource;
  UpdatePreviewVisibility();
}

void TVxHandInpaintingTool::Repatch() {
  IVxToolHost *editor = ToolHost();
  TVxGraphicsView *view = editor ? editor->CurrentView() : nullptr;
  if (!view || !view->Document()) return;
  if (ChoosingSource && !Correlator) return;
  SourceRect = SquareOf(CursorPoint);
  if (!EditDocument) BeginEdit(view);
  if (!ImagePixels || !BackupPixels) return;
  ApplyInRect();
  AddChangedRect(IntersectRect(TargetRect, BackupPixels->GetBounds()), false);
}

void TVxHandInpaintingTool::ApplyInRect() {
  if (!ChoosingSource) {
    Correlator = std::make_unique<TAreaCorrelator>(TargetRect, *ImagePixels, *BackupPixels,
                                                   NeighbourhoodRadius2);
    BrushMask.Left = TargetRect.Left;
    BrushMask.Top = TargetRect.Top;
    for (int32_t x = TargetRect.Left; x < TargetRect.Right; ++x) {
      for (int32_t y = TargetRect.Top; y < TargetRect.Bottom; ++y) {
        const uint8_t *coverage = BrushMask.ByteAt(x, y);
        Correlator->SetDefect(x, y, coverage && *coverage != 0);
      }
    }
    BrushMask.Left = BrushMask.Top = 0;
    NeedsPrepare = true;
    RefreshPreview(false);
    return;
  }
  if (!Correlator) return;
  PrepareEngine();
  if (AutoReflection) SetReflection(Correlator->BestReflection(SourceRect));
  RefreshPreview(true);
}

void TVxHandInpaintingTool::PrepareEngine() {
  if (!Correlator || !NeedsPrepare) return;
  Correlator->BuildAreas();
  if (LongDefect) Correlator->DropLongDefect(LongDefectFraction);
  if (AntiAliasing) Correlator->ComputeBlendWeights();
  NeedsPrepare = false;
}

void TVxHandInpaintingTool::RefreshPreview(bool live) {
  if (!Correlator || !ImagePixels) return;
  PrepareEngine();
  const int32_t side = TargetRect.Width();
  const int32_t offset = (Preview.Width - side) / 2;
  const TVxPoint origin{TargetRect.Left - offset, TargetRect.Top - offset};
  if (live) {
    Correlator->Patch({SourceRect.Left, SourceRect.Top}, Reflection, AntiAliasing, AdjustmentMode,
                      CorrectionOrder);
    PaintLoupe(*ImagePixels, origin, Preview, {offset, offset, offset + side, offset + side});
  } else {
    // From the target itself: the Interior as the backup holds it.
    Correlator->Patch({TargetRect.Left, TargetRect.Top}, 0, false, 0, CorrectionOrder);
    PaintLoupe(*ImagePixels, origin, Preview, {0, 0, Preview.Width, Preview.Height});
  }
  ShowPreview();
}

void TVxHandInpaintingTool::DrawLoupe() {
  TVxGraphicsDocument *document = CurrentDocument();
  if (!document) return;
  const int32_t side = Preview.Width;
  const TVxPoint origin{CursorPoint.X - side / 2, CursorPoint.Y - side / 2};
  PaintLoupe(document->Backup, origin, Preview, {0, 0, side, Preview.Height});
  ShowPreview();
}

void TVxHandInpaintingTool::ResizePreview() {
  const int32_t side = PreviewSideFor(Size);
  if (Preview.Width == side && Preview.Bits) return;
  Preview.SetFormatAndBounds(PixelFormat24, {0, 0, side, side});
  if (Preview.Bits) PaintLoupe(TVxPixelBuffer(), {0, 0}, Preview, {0, 0, side, side});  // all grey
}

void TVxHandInpaintingTool::ShowPreview() {
  if (!HandFrame || !Preview.Bits) return;
  const QImage picture(Preview.Bits, Preview.Width, Preview.Height, Preview.Stride,
                       QImage::Format_BGR888);
  // Whole image pixels, not smoothed, so the user sees what the patch holds.
  HandFrame->TargetImage->setPixmap(QPixmap::fromImage(
      picture.scaled(TVxHandInpaintingFrame::PreviewSide, TVxHandInpaintingFrame::PreviewSide,
                     Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}

void TVxHandInpaintingTool::UpdatePreviewVisibility() {
  if (HandFrame) HandFrame->TargetImage->setVisible(CurrentDocument() != nullptr);
}

void TVxHandInpaintingTool::StepReflection(int delta) {
  if (AutoReflection) return;
  if (delta > 0 && Reflection != 7) SetReflection(Reflection + 1);
  if (delta < 0 && Reflection != 0) SetReflection(Reflection - 1);
  Repatch();
}

void TVxHandInpaintingTool::CancelPatch() {
  // Only an open patch is cancelled: the undo below must never take back an
  // earlier step the user kept.
  if (!ChoosingSource) return;
  ChoosingSource = false;
  TVxGraphicsDocument *document = EditDocument;
  if (document) {
    // A patch wholly outside the image leaves no step; undoing then would
    // take back the step before it.
    const TVxCommandState *before = document->History().LastDone();
    EndEdit();
    TVxEditor *editor = document->Editor();
    if (document->History().LastDone() != before && editor && editor->CanUndo()) editor->Undo();
  }
  UpdatePreviewVisibility();
}

// --- frame events ------------------------------------------------------------

void TVxHandInpaintingTool::RecordOption(const char *control, const char *word, int32_t value) {
  if (!IsRecording()) return;
  const TVxDemoArgument argument(value);
  RecordDemoCommand(DemoPlayback, ToolName + QLatin1String(control),
                    ToolName + QLatin1String(control), TVxDemoMessage::WhenShown,
                    ToolName + QLatin1String(word), std::span(&argument, 1));
}

void TVxHandInpaintingTool::AdjustmentTBXCheckBoxChange() {
  AdjustmentMode = HandFrame->AdjustmentTBXCheckBox->isChecked() ? 2 : 0;
  RecordOption("Adjustment", "Adjustment", AdjustmentMode);
}

void TVxHandInpaintingTool::AntiAliasingTBXCheckBoxChange() {
  AntiAliasing = HandFrame->AntiAliasingTBXCheckBox->isChecked();
  NeedsPrepare = true;
  RecordOption("AntiAliasing", "AntiAliasing", AntiAliasing ? 1 : 0);
}

void TVxHandInpaintingTool::AutoReflectionTBXCheckBoxChange() {
  AutoReflection = HandFrame->AutoReflectionTBXCheckBox->isChecked();
  RecordOption("AutoReflection", "AutoReflection", AutoReflection ? 1 : 0);
}

void TVxHandInpaintingTool::LongDefectTBXCheckBoxChange() {
  LongDefect = HandFrame->LongDefectTBXCheckBox->isChecked();
  NeedsPrepare = true;
  RecordOption("LongDefect", "LongDefect", LongDefect ? 1 : 0);
}

void TVxHandInpaintingTool::arNorthSpeedButtonClick(int tag) {
  SetReflection(tag);
  RecordOption(TVxHandInpaintingFrame::ReflectionButtonNames()[static_cast<size_t>(tag & 7)],
               "AreaReflection", tag);
}

void TVxHandInpaintingTool::CancelTBXButtonClick() {
  CancelPatch();
  if (IsRecording())
    RecordDemoCommand(DemoPlayback, ToolName + "CancelButton", ToolName + "CancelButton",
                      TVxDemoMessage::WhenShown, ToolName + "CancelButton", {});
}

// --- module protocol ---------------------------------------------------------

void TVxHandInpaintingTool::Localize() {
  if (Button) {
    Button->setText(Text(2450));
    Button->setToolTip(Text(2450));
  }
  if (HandFrame) HandFrame->SizeLabel->setText(Text(154) + QStringLiteral(":"));
}

void TVxHandInpaintingTool::UpdateControls() {
  TVxGraphicsTool::UpdateControls();
  if (!HandFrame) return;
  const bool enabled = HandFrame->ControlsEnabled();
  HandFrame->SizeLabel->setEnabled(enabled && !ChoosingSource);
  HandFrame->SizeTrackBar->setEnabled(enabled && !ChoosingSource);
  HandFrame->SizeLabel->setText(Text(154) + QStringLiteral(": ") + QString::number(Size));
  HandFrame->CancelTBXButton->setEnabled(ChoosingSource);
  HandFrame->OptionsPanel->setVisible(OptionsVisible);
}

void TVxHandInpaintingTool::DocumentOpened(TVxGraphicsDocument *document) {
  TVxGraphicsTool::DocumentOpened(document);
  ChoosingSource = false;
  Correlator.reset();
  if (HandFrame) HandFrame->TargetImage->show();
  JustCommitted = false;
  ResizePreview();
}

void TVxHandInpaintingTool::DocumentClosing(TVxGraphicsDocument *document) {
  if (document && EditDocument == document) EndEdit();
  // The engine points into the document's pixels, which go with it.
  ChoosingSource = false;
  Correlator.reset();
  if (HandFrame) HandFrame->TargetImage->hide();
}

void TVxHandInpaintingTool::AbortInteraction() {
  if (ChoosingSource) CancelPatch();
  TVxGraphicsTool::AbortInteraction();
}

void TVxHandInpaintingTool::ActivateTool() {
  TVxGraphicsTool::ActivateTool();
  if (Frame) Frame->raise();
}

// --- demonstration words -----------------------------------------------------

namespace {

using TTool = TVxHandInpaintingTool;

template <auto Field>
QObject *FrameControl(const TTool &tool) {
  return tool.HandFrame ? tool.HandFrame->*Field : nullptr;
}

template <size_t Tag>
QObject *ReflectionButton(const TTool &tool) {
  return tool.HandFrame ? tool.HandFrame->ReflectionButtons[Tag] : nullptr;
}

}  // namespace

const TVxDemoWordTable<TVxHandInpaintingTool> &TVxHandInpaintingTool::DemoWords() {
  using F = TVxHandInpaintingFrame;
  static const TVxDemoWord<TTool> words[] = {
      {.Word = "Adjustment",
       .Args = TVxDemoArgs::Integer,
       .Run = [](TTool &t, const TVxDemoCall &c) { t.SetAdjustmentMode(DemoInteger(c.Params)); },
       .Control = FrameControl<&F::AdjustmentTBXCheckBox>},
      {.Word = "AreaReflection",
       .Args = TVxDemoArgs::Integer,
       .Run = [](TTool &t, const TVxDemoCall &c) { t.SetReflection(DemoInteger(c.Params)); }},
      {.Word = "AutoReflection",
       .Args = TVxDemoArgs::Bool,
       .Run = [](TTool &t, const TVxDemoCall &c) { t.SetAutoReflection(DemoBool(c.Params)); },
       .Control = FrameControl<&F::AutoReflectionTBXCheckBox>},
      {.Word = "LongDefect",
       .Args = TVxDemoArgs::Bool,
       .Run = [](TTool &t, const TVxDemoCall &c) { t.SetLongDefect(DemoBool(c.Params)); },
       .Control = FrameControl<&F::LongDefectTBXCheckBox>},
      {.Word = "AntiAliasing",
       .Args = TVxDemoArgs::Bool,
       .Run = [](TTool &t, const TVxDemoCall &c) { t.SetAntiAliasing(DemoBool(c.Params)); },
       .Control = FrameControl<&F::AntiAliasingTBXCheckBox>},
      {.Word = "CancelButton",
       .Run = [](TTool &t, const TVxDemoCall &) { t.CancelPatch(); },
       .Control = FrameControl<&F::CancelTBXButton>},
      {.Word = "TargetImage", .Control = FrameControl<&F::TargetImage>},
      {.Word = "Size",
       .Args = TVxDemoArgs::Integer,
       .Run = [](TTool &t, const TVxDemoCall &c) { t.SetBrushSize(DemoInteger(c.Params)); },
       .Control = FrameControl<&F::SizeTrackBar>},
      {.Word = "arNorthSpeedButton", .Control = ReflectionButton<0>},
      {.Word = "arNorthReflexSpeedButton", .Control = ReflectionButton<1>},
      {.Word = "arEastSpeedButton", .Control = ReflectionButton<2>},
      {.Word = "arEastReflexSpeedButton", .Control = ReflectionButton<3>},
      {.Word = "arSouthSpeedButton", .Control = ReflectionButton<4>},
      {.Word = "arSouthReflexSpeedButton", .Control = ReflectionButton<5>},
      {.Word = "arWestSpeedButton", .Control = ReflectionButton<6>},
      {.Word = "arWestReflexSpeedButton", .Control = ReflectionButton<7>},
  };
  static const TVxDemoWordTable<TTool> table(words);
  return table;
}

// --- TVxHandInpaintingToolControl --------------------------------------------

TVxHandInpaintingToolControl::TVxHandInpaintingToolControl(TVxGraphicsTool *tool,
                                                           TVxGraphicsView *view)
    : TVxGraphicsToolControl(tool, view, InitialFlags),
      MovePointer([](int dx, int dy) { QCursor::setPos(QCursor::pos() + QPoint(dx, dy)); }) {}

TVxHandInpaintingTool *TVxHandInpaintingToolControl::HandTool() const {
  return qobject_cast<TVxHandInpaintingTool *>(Tool);
}

TVxPoint TVxHandInpaintingToolControl::ImagePoint(const TVxPoint &client) const {
  return View ? View->MapMode().DeviceToLogical(client) : client;
}

void TVxHandInpaintingToolControl::PlaceOutline(TVxPoint p) {
  TVxHandInpaintingTool *tool = HandTool();
  if (!tool) return;
  const TVxRect square = tool->SquareOf(p);
  if (square == Bounds) return;
  InvalidateArea();
  Bounds = square;
  InvalidateArea();
}

bool TVxHandInpaintingToolControl::GetCursor(TVxShiftState, const TVxPoint &, int &cursor) {
  if (!Active) return false;
  cursor = -1;  // the outline stands for the pointer
  return true;
}

bool TVxHandInpaintingToolControl::MouseDown(TVxMouseButton button, TVxShiftState,
                                             const TVxPoint &point) {
  TVxHandInpaintingTool *tool = HandTool();
  if (!Active || !tool) return false;
  tool->CursorPoint = ImagePoint(point);
  if (button == TVxMouseButton::Left) tool->SelectOrCommit();
  return true;
}

bool TVxHandInpaintingToolControl::MouseMove(TVxShiftState, const TVxPoint &point) {
  TVxHandInpaintingTool *tool = HandTool();
  if (!Active || !tool) return false;
  const TVxPoint p = ImagePoint(point);
  tool->CursorPoint = p;
  if (tool->ChoosingSource) {
    tool->Repatch();
  } else {
    const double dx = p.X - tool->CommitPoint.X, dy = p.Y - tool->CommitPoint.Y;
    // Right after a commit the preview keeps the result until the pointer
    // really moves away.
    if (!tool->JustCommitted || std::hypot(dx, dy) > 3.0) {
      tool->JustCommitted = false;
      tool->DrawLoupe();
    }
  }
  if (!IsVisible()) SetVisible(true);
  PlaceOutline(p);
  return true;
}

bool TVxHandInpaintingToolControl::MouseWheel(TVxShiftState, int delta, const TVxPoint &) {
  TVxHandInpaintingTool *tool = HandTool();
  if (!Active || !tool) return false;
  Step(*tool, delta);
  return true;
}

void TVxHandInpaintingToolControl::Step(TVxHandInpaintingTool &tool, int delta) {
  if (tool.ChoosingSource) {
    tool.StepReflection(delta);
  } else {
    tool.SetBrushSize(tool.Size + delta);
    PlaceOutline(tool.CursorPoint);
  }
}

bool TVxHandInpaintingToolControl::KeyDown(int key, TVxShiftState shift) {
  using namespace platform;
  TVxHandInpaintingTool *tool = HandTool();
  if (!Active || !tool) return false;
  const bool ctrl = (shift & CtrlKey) != 0;
  TVxHandInpaintingFrame *frame = tool->HandFrame;
  if (ctrl && key >= VkLeft && key <= VkDown) {
    Step(*tool, key == VkUp || key == VkRight ? 1 : -1);
    return true;
  }
  if (ctrl && (key == 'A' || key == 'N' || key == 'R')) {
    if (frame) {
      QCheckBox *box = key == 'A'   ? frame->AdjustmentTBXCheckBox
                       : key == 'N' ? frame->AntiAliasingTBXCheckBox
                                    : frame->AutoReflectionTBXCheckBox;
      if (key != 'R' || !frame->AreaReflectionPanel->isHidden()) {
        box->setChecked(!box->isChecked());
        // Only an open patch is redone; without one there is nothing to show.
        if (tool->ChoosingSource) tool->Repatch();
      }
    }
    return true;
  }
  static constexpr struct {
    int Key, Dx, Dy;
  } moves[] = {{VkPrior, 1, -1}, {VkNext, 1, 1}, {VkEnd, -1, 1},  {VkHome, -1, -1},
               {VkLeft, -1, 0},  {VkUp, 0, -1},  {VkRight, 1, 0}, {VkDown, 0, 1}};
  for (const auto &move : moves) {
    if (key != move.Key) continue;
    const int step = shift & ShiftKey ? 5 : 1;
    if (MovePointer) MovePointer(move.Dx * step, move.Dy * step);
    return true;
  }
  if (key == VkReturn) {
    tool->SelectOrCommit();
    return true;
  }
  if (key == VkEscape || (ctrl && key == 'Z')) {
    if (!tool->ChoosingSource) return false;
    tool->CancelPatch();
    return true;
  }
  return false;
}

void TVxHandInpaintingToolControl::MouseEnter() {
  if (Active) SetVisible(true);
}

void TVxHandInpaintingToolControl::MouseLeave() { SetVisible(false); }

void TVxHandInpaintingToolControl::Deactivate() {
  SetVisible(false);
  TVxGraphicsToolControl::Deactivate();
}

TVxRect TVxHandInpaintingToolControl::GetOverlayRect(const TVxMapMode &mapMode) const {
  const TVxRect device = mapMode.LogicalToDeviceRect(Bounds);
  return {device.Left - 2, device.Top - 2, device.Right + 2, device.Bottom + 2};
}

void TVxHandInpaintingToolControl::PaintOverlay(TVxViewCanvas &canvas) {
  if (Bounds.IsEmpty()) return;
  const TVxRect device = canvas.MapMode().LogicalToDeviceRect(Bounds);
  // Inverts what lies under it, so it shows on any colour. The outline runs
  // one device pixel past the square on the right and bottom.
  canvas.DrawEllipse({device.Left, device.Top, device.Right + 1, device.Bottom + 1},
                     TVxRasterOp::NotXor, 1, 0x000000);
}
