#pragma once
// Blemish removal, the product's default tool. The first click fixes the
// target, the square of brush size around the pointer with the round brush
// marking the pixels to replace; then the target is re-patched live from the
// square under the pointer while it moves, and a magnified preview shows the
// result; the second click keeps the patch as one undo step.

#include <memory>

#include "imaging/VxPixelMask.h"
#include "imaging/VxPixels.h"
#include "retouch/VxAreaCorrelator.h"
#include "tools/VxGraphicsTool.h"
#include "tools/VxHandInpaintingFrame.h"
#include "tools/VxToolWords.h"

class TVxHandInpaintingTool : public TVxToolWords<TVxGraphicsTool, TVxHandInpaintingTool> {
  Q_OBJECT
 public:
  static constexpr int32_t MinSize = 10;
  static constexpr int32_t MaxSize = 100;
  static constexpr int32_t DefaultSize = 25;
  static constexpr int32_t ImageIndex = 40;

  explicit TVxHandInpaintingTool(QObject *owner);
  ~TVxHandInpaintingTool() override;

  TVxHandInpaintingFrame *HandFrame = nullptr;
  uint8_t Reflection = 0;
  int32_t AdjustmentMode = 2;
  bool AutoReflection = true;
  bool LongDefect = true;
  bool JustCommitted = false;
  bool AntiAliasing = true;
  bool ChoosingSource = false;
  bool NeedsPrepare = false;
  bool OptionsVisible = true;
  TVxRect TargetRect;
  TVxRect SourceRect;
  TVxPoint CursorPoint;
  TVxPoint CommitPoint;
  std::unique_ptr<TAreaCorrelator> Correlator;
  int32_t Size = DefaultSize;
  TVxPixelMask BrushMask;
  // The picture of TargetImage, N x N at (0, 0).
  TVxPixelBuffer Preview;

  // The square of brush size whose top-left lies (Size + 1) div 2 above and
  // left of p.
  TVxRect SquareOf(TVxPoint p) const;
  // Side N of the preview for the current size, and its magnification k.
  static int32_t Magnification(int32_t size);
  static int32_t PreviewSideFor(int32_t size);

  void SetBrushSize(int32_t size);
  void SetAdjustmentMode(int32_t mode);
  void SetAntiAliasing(bool on);
  void SetReflection(int32_t reflection);
  void SetAutoReflection(bool on);
  void SetLongDefect(bool on);
  void ApplyPreset(bool showReflections);

  void SelectOrCommit();
  void Repatch();
  void RefreshPreview(bool live);
  void DrawLoupe();
  void ResizePreview();
  void StepReflection(int delta);
  void CancelPatch();

  void Localize() override;
  void UpdateControls() override;
  void DocumentOpened(TVxGraphicsDocument *document) override;
  void DocumentClosing(TVxGraphicsDocument *document) override;
  void AbortInteraction() override;
  void ActivateTool() override;

  static const TVxDemoWordTable<TVxHandInpaintingTool> &DemoWords();

 private:
  void ConnectFrame();
  void RebuildBrushMask();
  // The target: a new engine over TargetRect, or the live patch from SourceRect.
  void ApplyInRect();
  void PrepareEngine();
  void ShowPreview();
  void UpdatePreviewVisibility();
  // The frame's events, as the user's changes; each records itself.
  void AdjustmentTBXCheckBoxChange();
  void AntiAliasingTBXCheckBoxChange();
  void AutoReflectionTBXCheckBoxChange();
  void LongDefectTBXCheckBoxChange();
  void arNorthSpeedButtonClick(int tag);
  void CancelTBXButtonClick();
  void RecordOption(const char *control, const char *word, int32_t value);
  TVxGraphicsDocument *CurrentDocument() const;
};

class TVxHandInpaintingToolControl : public TVxGraphicsToolControl {
 public:
  static constexpr uint8_t InitialFlags = ViewObjectBody | ViewObjectOverlay | ViewObjectNoExtent;

  TVxHandInpaintingToolControl(TVxGraphicsTool *tool, TVxGraphicsView *view);

  bool GetCursor(TVxShiftState shift, const TVxPoint &point, int &cursor) override;
  bool MouseDown(TVxMouseButton button, TVxShiftState shift, const TVxPoint &point) override;
  bool MouseMove(TVxShiftState shift, const TVxPoint &point) override;
  bool MouseWheel(TVxShiftState shift, int delta, const TVxPoint &point) override;
  bool KeyDown(int key, TVxShiftState shift) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void Deactivate() override;
  void PaintOverlay(TVxViewCanvas &canvas) override;
  TVxRect GetOverlayRect(const TVxMapMode &mapMode) const override;

  // Moves the screen pointer by (dx, dy); replaceable for tests.
  std::function<void(int, int)> MovePointer;

 private:
  TVxHandInpaintingTool *HandTool() const;
  TVxPoint ImagePoint(const TVxPoint &client) const;
  // Moves the brush outline to the square of p.
  void PlaceOutline(TVxPoint p);
  // The wheel and Ctrl+arrows: the reflection while a source is chosen,
  // otherwise the brush size.
  void Step(TVxHandInpaintingTool &tool, int delta);
};
