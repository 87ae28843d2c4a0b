#include "tools/VxDrawTools.h"

#include <QCursor>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QSignalBlocker>

#include "demo/VxDemoRecorder.h"
#include "platform/VirtualKeys.h"
#include "retouch/VxBrushMasks.h"
#include "views/VxGraphicsView.h"
#include "views/VxViewCanvas.h"

namespace {

// An integer word's argument, or nothing to do.
template <class TTool>
void RunIntegerWord(TTool &tool, const TVxDemoCall &call, void (TTool::*setter)(int32_t)) {
  int32_t value = 0;
  if (DemoParamNumber(call.Params, 0, value)) (tool.*setter)(value);
}

}  // namespace

// --- TVxDrawTool -------------------------------------------------------------

TVxDrawTool::TVxDrawTool(QObject *owner) : TVxToolWords(owner) { VisibleInPluginMode = true; }

TVxDrawTool::~TVxDrawTool() {
  if (StrokeControl) StrokeControl->StrokeActive = false;
}

void TVxDrawTool::InvalidateControls() {
  for (int i = 0; i < ControlCount(); ++i) Control(i)->InvalidateArea();
}

void TVxDrawTool::MoveTrackBar(QSlider *bar, int32_t value) {
  if (!bar || bar->value() == value) return;
  QSignalBlocker block(bar);
  bar->setValue(value);
}

void TVxDrawTool::SetBrushSize(int32_t n) {
  if (n == Size || n < MinSize || n > MaxSize) return;
  InvalidateControls();
  Size = n;
  SizeChanged();
  MoveTrackBar(SizeTrackBar, n);
  if (IsRecording()) DemoWords().Record(DemoPlayback, ToolName, "Size", {n});
}

void TVxDrawTool::SetOpacity(int32_t n) {
  if (n == Opacity || n < 0 || n > 255) return;
  Opacity = n;
  OpacityChanged();
  MoveTrackBar(OpacityTrackBar, n);
  if (IsRecording()) DemoWords().Record(DemoPlayback, ToolName, "Opacity", {n});
}

bool TVxDrawTool::BeginStroke(TVxDrawToolControl *control, TVxMouseButton button,
                              TVxShiftState shift) {
  StrokeControl = control;
  StrokeButton = button;
  StrokeShift = shift;
  BeginEdit(control ? control->View : nullptr);
  return true;
}

void TVxDrawTool::PaintStroke(const TVxRect &rect) {
  if (!BackupPixels) return;
  const TVxRect clipped = IntersectRect(rect, BackupPixels->GetBounds());
  if (clipped.IsEmpty()) return;
  ApplyInRect(clipped);
  AddChangedRect(clipped, false);
}

void TVxDrawTool::EndStroke() {
  EndEdit();
  StrokeControl = nullptr;
}

void TVxDrawTool::EndInteraction() {
  if (StrokeControl) StrokeControl->EndStrokeControl();
  TVxGraphicsTool::EndInteraction();
}

void TVxDrawTool::DeactivateTool() {
  EndInteraction();
  TVxGraphicsTool::DeactivateTool();
}

void TVxDrawTool::DocumentClosing(TVxGraphicsDocument *document) {
  if (StrokeControl && StrokeControl->View && StrokeControl->View->Document() == document)
    StrokeControl->EndStrokeControl();
  TVxGraphicsTool::DocumentClosing(document);
}

void TVxDrawTool::BindSizeTrackBar(QSlider *bar) {
  SizeTrackBar = bar;
  if (!bar) return;
  bar->setRange(MinSize, MaxSize);
  bar->setTickInterval(std::max(MaxSize / 10, 1));
  bar->setTickPosition(QSlider::TicksBelow);
  bar->setValue(Size);
  connect(bar, &QSlider::valueChanged, this, [this](int position) { SetBrushSize(position); });
}

void TVxDrawTool::BindOpacityTrackBar(QSlider *bar) {
  OpacityTrackBar = bar;
  if (!bar) return;
  bar->setRange(0, 255);
  bar->setTickInterval(16);
  bar->setTickPosition(QSlider::TicksBelow);
  bar->setValue(Opacity);
  connect(bar, &QSlider::valueChanged, this, [this](int position) { SetOpacity(position); });
}

const TVxDemoWordTable<TVxDrawTool> &TVxDrawTool::DemoWords() {
  using TTool = TVxDrawTool;
  static const TVxDemoWord<TTool> words[] = {
      {.Word = "Size",
       .Args = TVxDemoArgs::Integer,
       .Run = [](TTool &tool,
                 const TVxDemoCall &call) { RunIntegerWord(tool, call, &TTool::SetBrushSize); },
       .Control = [](const TTool &tool) -> QObject * { return tool.SizeTrackBar.data(); }},
      {.Word = "Opacity",
       .Args = TVxDemoArgs::Integer,
       .Run = [](TTool &tool,
                 const TVxDemoCall &call) { RunIntegerWord(tool, call, &TTool::SetOpacity); },
       .Control = [](const TTool &tool) -> QObject * { return tool.OpacityTrackBar.data(); }},
  };
  static const TVxDemoWordTable<TTool> table(words);
  return table;
}

// --- TVxDrawToolControl ------------------------------------------------------

TVxDrawToolControl::~TVxDrawToolControl() {
  // The view goes without a release: the tool must not come back to us.
  if (TVxDrawTool *tool = DrawTool(); tool && tool->StrokeControl == this) tool->EndInteraction();
}

TVxDrawTool *TVxDrawToolControl::DrawTool() const { return qobject_cast<TVxDrawTool *>(Tool); }

void TVxDrawToolControl::EndStrokeControl() {
  StrokeActive = false;
  if (TVxDrawTool *tool = DrawTool()) tool->EndStroke();
}

void TVxDrawToolControl::PaintStrokeControl() {
  if (TVxDrawTool *tool = DrawTool()) tool->PaintStroke(Bounds);
}

void TVxDrawToolControl::SetBounds(const TVxRect &rect) {
  if (rect == Bounds) return;
  InvalidateArea();
  TVxGraphicsToolControl::SetBounds(rect);
  InvalidateArea();
}

void TVxDrawToolControl::Activate() {
  SetVisible(true);
  TVxGraphicsToolControl::Activate();
}

void TVxDrawToolControl::Deactivate() {
  SetVisible(false);
  TVxGraphicsToolControl::Deactivate();
}

bool TVxDrawToolControl::TryBeginStroke(TVxMouseButton button, TVxShiftState shift) {
  if (StrokeActive) return false;
  TVxDrawTool *tool = DrawTool();
  StrokeActive = tool && tool->BeginStroke(this, button, shift);
  return StrokeActive;
}

// --- TVxMaskDrawTool ---------------------------------------------------------

TVxMaskDrawTool::TVxMaskDrawTool(QObject *owner) : TVxDrawTool(owner) {}

void TVxMaskDrawTool::RebuildBrushMask() {
  if (PreviewBox) PreviewBox->update();
}

void TVxMaskDrawTool::SizeChanged() {
  RebuildBrushMask();
  for (int i = 0; i < ControlCount(); ++i)
    if (auto *control = dynamic_cast<TVxMaskDrawToolControl *>(Control(i))) control->FollowBrush();
}

void TVxMaskDrawTool::PaintStroke(const TVxRect &rect) {
  BrushMask.Left = rect.Left;
  BrushMask.Top = rect.Top;
  if (AccumulateStroke) StrokeMask.MaxWith(BrushMask);
  TVxDrawTool::PaintStroke(rect);
  BrushMask.Left = 0;
  BrushMask.Top = 0;
}

void TVxMaskDrawTool::EndStroke() {
  StrokeMask.Clear();
  TVxDrawTool::EndStroke();
}

void TVxMaskDrawTool::BindPreviewBox(QWidget *box) {
  if (PreviewBox) PreviewBox->removeEventFilter(this);
  PreviewBox = box;
  if (box) box->installEventFilter(this);
}

void TVxMaskDrawTool::PreviewImage(TVxPixelBuffer &image, int32_t width, int32_t height,
                                   bool enabled) {
  image.SetFormatAndBounds(PixelFormat24, {0, 0, width, height});
  if (image.Bits == nullptr) return;
  for (int32_t y = 0; y < height; ++y) std::fill_n(image.PixelAddress(0, y), width * 3, 0xFF);
  BrushMask.Left = (width - BrushMask.Width) / 2;
  BrushMask.Top = (height - BrushMask.Height) / 2;
  BlendColourThroughMask(BrushMask, image, enabled ? 0x000000u : 0xC0C0C0u,
                         IntersectRect(BrushMask.GetBounds(), image.GetBounds()), image);
  BrushMask.Left = 0;
  BrushMask.Top = 0;
  const auto grey = [&](int32_t x, int32_t y) { std::fill_n(image.PixelAddress(x, y), 3, 128); };
  for (int32_t x = 0; x < width; ++x) {
    grey(x, 0);
    grey(x, height - 1);
  }
  for (int32_t y = 0; y < height; ++y) {
    grey(0, y);
    grey(width - 1, y);
  }
}

bool TVxMaskDrawTool::eventFilter(QObject *watched, QEvent *event) {
  if (watched == PreviewBox.data() && event->type() == QEvent::Paint && PreviewBox->isVisible()) {
    const QRect client = PreviewBox->rect();
    TVxPixelBuffer image;
    PreviewImage(image, client.width(), client.height(), PreviewBox->isEnabled());
    if (image.Bits != nullptr) {
      const QImage picture(image.Bits, image.Width, image.Height, image.Stride,
                           QImage::Format_BGR888);
      QPainter painter(PreviewBox);
      painter.drawImage(client.topLeft(), picture);
    }
    return true;
  }
  return TVxDrawTool::eventFilter(watched, event);
}

// --- TVxMaskDrawToolControl --------------------------------------------------

TVxMaskDrawTool *TVxMaskDrawToolControl::MaskTool() const {
  return qobject_cast<TVxMaskDrawTool *>(Tool);
}

void TVxMaskDrawToolControl::FollowBrush() {
  if (TVxDrawTool *tool = DrawTool()) SetBounds(BrushRect(BrushPosition, tool->Size));
}

void TVxMaskDrawToolControl::Activate() {
  if (View) {
    const QPoint client = View->mapFromGlobal(QCursor::pos());
    BrushPosition = View->MapMode().DeviceToLogical({client.x(), client.y()});
  }
  FollowBrush();
  TVxDrawToolControl::Activate();
}

bool TVxMaskDrawToolControl::GetCursor(TVxShiftState, const TVxPoint &, int &cursor) {
  if (!Active) return false;
  cursor = -1;  // the outline is the pointer
  return true;
}

void TVxMaskDrawToolControl::MouseEnter() {
  if (Active) SetVisible(true);
}

void TVxMaskDrawToolControl::MouseLeave() {
  if (Active) SetVisible(false);
}

bool TVxMaskDrawToolControl::MouseDown(TVxMouseButton button, TVxShiftState shift,
                                       const TVxPoint &) {
  TVxMaskDrawTool *tool = MaskTool();
  if (!Active || !tool) return false;
  tool->CurrentShift = shift;
  if (tool->StrokeMode == TVxDrawTool::StrokeOnClick) {
    if (TryBeginStroke(button, shift)) {
      PaintStrokeControl();
      EndStrokeControl();
    }
  } else if (tool->StrokeMode == TVxDrawTool::StrokeWhileDragging) {
    if (TryBeginStroke(button, shift)) PaintStrokeControl();
  }
  return true;
}

bool TVxMaskDrawToolControl::MouseMove(TVxShiftState shift, const TVxPoint &point) {
  TVxMaskDrawTool *tool = MaskTool();
  if (!Active || !tool || !View) return false;
  tool->CurrentShift = shift;
  BrushPosition = View->MapMode().DeviceToLogical(point);
  FollowBrush();
  if (StrokeActive) PaintStrokeControl();
  return true;
}

bool TVxMaskDrawToolControl::MouseUp(TVxMouseButton button, TVxShiftState shift, const TVxPoint &) {
  TVxMaskDrawTool *tool = MaskTool();
  if (!Active || !tool) return false;
  if (tool->StrokeMode == TVxDrawTool::StrokeOnRelease) {
    tool->CurrentShift = shift;
    if (TryBeginStroke(button, shift)) {
      PaintStrokeControl();
      EndStrokeControl();
    }
  } else if (tool->StrokeMode == TVxDrawTool::StrokeWhileDragging && StrokeActive) {
    EndStrokeControl();
  }
  return true;
}

bool TVxMaskDrawToolControl::MouseWheel(TVxShiftState, int delta, const TVxPoint &) {
  TVxDrawTool *tool = DrawTool();
  if (!Active || !tool) return false;
  if (!StrokeActive || WheelDuringStroke) tool->SetBrushSize(tool->Size + delta);
  return true;
}

bool TVxMaskDrawToolControl::KeyDown(int key, TVxShiftState) {
  TVxDrawTool *tool = DrawTool();
  if (!Active || !tool) return false;
  switch (key) {
    case platform::VkPrior:
    case platform::VkUp:
    case platform::VkRight:
      tool->SetBrushSize(tool->Size + 1);
      return true;
    case platform::VkNext:
    case platform::VkLeft:
    case platform::VkDown:
      tool->SetBrushSize(tool->Size - 1);
      return true;
    default:
      return false;
  }
}

// --- TVxBrushTool ------------------------------------------------------------

TVxBrushTool::TVxBrushTool(QObject *owner) : TVxToolWords(owner) {
  ControlClass = ControlClassOf<TVxBrushToolControl>();
  TVxBrushTool::RebuildBrushMask();
}

void TVxBrushTool::RebuildBrushMask() {
  BrushProfile(BrushMask, Size, static_cast<uint8_t>(Opacity), Hardness);
  TVxMaskDrawTool::RebuildBrushMask();
}

void TVxBrushTool::SetHardness(int32_t n) {
  if (n == Hardness || n < 0 || n > 255) return;
  Hardness = n;
  RebuildBrushMask();
  MoveTrackBar(HardnessTrackBar, n);
  if (IsRecording()) DemoWords().Record(DemoPlayback, ToolName, "Hardness", {n});
}

void TVxBrushTool::BindHardnessTrackBar(QSlider *bar) {
  HardnessTrackBar = bar;
  if (!bar) return;
  bar->setRange(0, 255);
  bar->setTickInterval(16);
  bar->setTickPosition(QSlider::TicksBelow);
  bar->setValue(Hardness);
  connect(bar, &QSlider::valueChanged, this, [this](int position) { SetHardness(position); });
}

const TVxDemoWordTable<TVxBrushTool> &TVxBrushTool::DemoWords() {
  using TTool = TVxBrushTool;
  static const TVxDemoWord<TTool> words[] = {
      {.Word = "Hardness",
       .Args = TVxDemoArgs::Integer,
       .Run = [](TTool &tool,
                 const TVxDemoCall &call) { RunIntegerWord(tool, call, &TTool::SetHardness); },
       .Control = [](const TTool &tool) -> QObject * { return tool.HardnessTrackBar.data(); }},
  };
  static const TVxDemoWordTable<TTool> table(words);
  return table;
}

// --- TVxBrushToolControl -----------------------------------------------------

TVxRect TVxBrushToolControl::OutlineRect(const TVxMapMode &mapMode) const {
  const TVxRect pixel = mapMode.LogicalToDeviceRect(
      {BrushPosition.X, BrushPosition.Y, BrushPosition.X + 1, BrushPosition.Y + 1});
  const int32_t cx = (pixel.Left + pixel.Right) / 2;
  const int32_t cy = (pixel.Top + pixel.Bottom) / 2;
  const auto *tool = qobject_cast<const TVxDrawTool *>(Tool);
  const int32_t size = tool ? tool->Size : 1;
  const TVxRect extent = mapMode.LogicalToDeviceRect({0, 0, size, size});
  TVxRect rect = extent.IsEmpty() ? TVxRect{cx, cy, cx + 1, cy + 1}
                                  : extent.Offset(cx - (extent.Left + extent.Right) / 2,
                                                  cy - (extent.Top + extent.Bottom) / 2);
  return {rect.Left - 1, rect.Top - 1, rect.Right + 1, rect.Bottom + 1};
}

void TVxBrushToolControl::PaintOverlay(TVxViewCanvas &canvas) {
  // Inverting keeps the outline visible on any colour.
  canvas.DrawEllipse(OutlineRect(canvas.MapMode()), TVxRasterOp::NotXor, 1, 0x000000);
}

TVxRect TVxBrushToolControl::GetOverlayRect(const TVxMapMode &mapMode) const {
  TVxRect rect = mapMode.LogicalToDeviceRect(Bounds);
  if (rect.IsEmpty()) rect = {rect.Left, rect.Top, rect.Left + 1, rect.Top + 1};
  // The outline may reach a pixel beyond the brush rectangle at any zoom.
  rect = UnionRect(rect, OutlineRect(mapMode));
  return {rect.Left - 2, rect.Top - 2, rect.Right + 2, rect.Bottom + 2};
}

// --- TVxCustomBlurBrushTool --------------------------------------------------

TVxCustomBlurBrushTool::TVxCustomBlurBrushTool(QObject *owner) : TVxToolWords(owner) {
  Smoothing = Size;
  TVxCustomBlurBrushTool::RebuildSmoothingMask();
}

void TVxCustomBlurBrushTool::RebuildSmoothingMask() { Blur.SetSmoothing(Smoothing); }

void TVxCustomBlurBrushTool::SetSmoothing(int32_t n) {
  if (n == Smoothing || n < MinSize || n > MaxSize) return;
  Smoothing = n;
  RebuildSmoothingMask();
  MoveTrackBar(SmoothingTrackBar, n);
  // Following the size, the size's own line already says it.
  if (IsRecording() && !SmoothingFollowsSize)
    DemoWords().Record(DemoPlayback, ToolName, "Smoothing", {n});
}

void TVxCustomBlurBrushTool::SetBrushSize(int32_t n) {
  TVxBrushTool::SetBrushSize(n);
  if (SmoothingFollowsSize) SetSmoothing(Size);
}

void TVxCustomBlurBrushTool::EndStroke() {
  Blur.EndStroke();
  TVxBrushTool::EndStroke();
}

TVxBGR TVxCustomBlurBrushTool::BlurredColourAt(int32_t x, int32_t y) {
  if (!BackupPixels) return {};
  return Blur.ColourAt(*BackupPixels, x, y);
}

void TVxCustomBlurBrushTool::BindSmoothingTrackBar(QSlider *bar) {
  SmoothingTrackBar = bar;
  if (!bar) return;
  bar->setRange(MinSize, MaxSize);
  bar->setTickInterval(std::max(MaxSize / 10, 1));
  bar->setTickPosition(QSlider::TicksBelow);
  bar->setValue(Smoothing);
  connect(bar, &QSlider::valueChanged, this, [this](int position) { SetSmoothing(position); });
}

const TVxDemoWordTable<TVxCustomBlurBrushTool> &TVxCustomBlurBrushTool::DemoWords() {
  using TTool = TVxCustomBlurBrushTool;
  static const TVxDemoWord<TTool> words[] = {
      {.Word = "Smoothing",
       .Args = TVxDemoArgs::Integer,
       .Run = [](TTool &tool,
                 const TVxDemoCall &call) { RunIntegerWord(tool, call, &TTool::SetSmoothing); },
       .Control = [](const TTool &tool) -> QObject * { return tool.SmoothingTrackBar.data(); }},
  };
  static const TVxDemoWordTable<TTool> table(words);
  return table;
}
