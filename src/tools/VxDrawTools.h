#pragma once
// The brush family every painted retouching tool stands on. A draw tool turns
// mouse strokes into dabs, one brush rectangle at a time, inside one edit of
// the document, so a stroke leaves one undo step. The mask draw tool adds a
// coverage mask for the brush and one accumulated over the stroke; the brush
// tool shapes that mask from size, opacity and hardness and draws the round
// outline; the blur brush adds the local average colours smudging needs.
// The pixel work itself is the retouching core's; these classes only route.

#include <QPointer>
#include <QSlider>
#include <QWidget>
#include <cstdint>

#include "imaging/VxPixelMask.h"
#include "retouch/VxBlurredColours.h"
#include "tools/VxGraphicsTool.h"
#include "tools/VxToolWords.h"

class TVxDrawToolControl;

class TVxDrawTool : public TVxToolWords<TVxGraphicsTool, TVxDrawTool> {
  Q_OBJECT
 public:
  // How mouse input makes dabs.
  enum : uint8_t {
    StrokeWhileDragging = 0,  // dabs from the press to the release
    StrokeOnClick = 1,        // one dab at the press
    StrokeOnRelease = 2,      // one dab at the release
  };

  explicit TVxDrawTool(QObject *owner);
  ~TVxDrawTool() override;

  // The control running the current stroke; null between strokes.
  TVxDrawToolControl *StrokeControl = nullptr;
  uint8_t StrokeMode = StrokeWhileDragging;
  TVxMouseButton StrokeButton = TVxMouseButton::Left;
  TVxShiftState StrokeShift = 0;
  // Brush diameter in image pixels; Smoothing of the blur brush shares the range.
  int32_t Size = 10;
  int32_t MinSize = 1;
  int32_t MaxSize = 50;
  QPointer<QSlider> SizeTrackBar;
  int32_t Opacity = 255;
  QPointer<QSlider> OpacityTrackBar;

  virtual void SizeChanged() {}
  // Ignored when n is the current size or out of range.
  virtual void SetBrushSize(int32_t n);
  virtual void OpacityChanged() {}
  virtual void SetOpacity(int32_t n);
  // Opens the edit the stroke's dabs go into.
  virtual bool BeginStroke(TVxDrawToolControl *control, TVxMouseButton button, TVxShiftState shift);
  // One dab over rect; nothing outside the image is applied or reported.
  virtual void PaintStroke(const TVxRect &rect);
  // Recomputes the image pixels of rect (already inside the image).
  virtual void ApplyInRect(const TVxRect &) {}
  // Commits the stroke as one step.
  virtual void EndStroke();
  bool StrokeRunning() const { return StrokeControl != nullptr; }

  void EndInteraction() override;
  // A stroke still running when the tool is put away ends first, so its step
  // is kept and no control is left waiting for a release.
  void DeactivateTool() override;
  // The view with the stroke's control goes with the document.
  void DocumentClosing(TVxGraphicsDocument *document) override;

  // Options frame bindings: the bar follows the value and sets it.
  void BindSizeTrackBar(QSlider *bar);
  void BindOpacityTrackBar(QSlider *bar);

  static const TVxDemoWordTable<TVxDrawTool> &DemoWords();

 protected:
  // Invalidates every control's outline, e.g. before the brush changes size.
  void InvalidateControls();
  // Moves bar to value without running its change handler again.
  static void MoveTrackBar(QSlider *bar, int32_t value);
};

class TVxDrawToolControl : public TVxGraphicsToolControl {
 public:
  using TVxGraphicsToolControl::TVxGraphicsToolControl;
  ~TVxDrawToolControl() override;

  bool StrokeActive = false;

  virtual void EndStrokeControl();
  virtual void PaintStrokeControl();

  void SetBounds(const TVxRect &rect) override;
  void Activate() override;
  void Deactivate() override;
  // Starts a stroke unless this control already runs one.
  bool TryBeginStroke(TVxMouseButton button, TVxShiftState shift);

 protected:
  TVxDrawTool *DrawTool() const;
};

class TVxMaskDrawTool : public TVxDrawTool {
  Q_OBJECT
 public:
  explicit TVxMaskDrawTool(QObject *owner);

  // The brush's coverage at (0, 0); a dab moves it only while it is applied.
  TVxPixelMask BrushMask;
  // Coverage of the current stroke, in image coordinates; empty between strokes.
  TVxPixelMask StrokeMask;
  QPointer<QWidget> PreviewBox;
  // Dabs accumulate into StrokeMask by maximum, so painting one place twice
  // within a stroke never strengthens it.
  bool AccumulateStroke = false;
  TVxShiftState CurrentShift = 0;

  // Base: repaints the preview.
  virtual void RebuildBrushMask();
  void SizeChanged() override;
  void OpacityChanged() override { RebuildBrushMask(); }
  void PaintStroke(const TVxRect &rect) override;
  void EndStroke() override;
  // What ApplyInRect blends by.
  const TVxPixelMask &CurrentMask() const { return AccumulateStroke ? StrokeMask : BrushMask; }

  // The preview box shows the brush mask black on white (silver while disabled).
  void BindPreviewBox(QWidget *box);
  // The preview image of a box of the given size.
  void PreviewImage(TVxPixelBuffer &image, int32_t width, int32_t height, bool enabled);

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;
};

class TVxMaskDrawToolControl : public TVxDrawToolControl {
 public:
  using TVxDrawToolControl::TVxDrawToolControl;

  // Image point of the brush centre.
  TVxPoint BrushPosition;

  void Activate() override;
  bool GetCursor(TVxShiftState shift, const TVxPoint &point, int &cursor) override;
  void MouseEnter() override;
  void MouseLeave() override;
  bool MouseDown(TVxMouseButton button, TVxShiftState shift, const TVxPoint &point) override;
  bool MouseMove(TVxShiftState shift, const TVxPoint &point) override;
  bool MouseUp(TVxMouseButton button, TVxShiftState shift, const TVxPoint &point) override;
  bool MouseWheel(TVxShiftState shift, int delta, const TVxPoint &point) override;
  bool KeyDown(int key, TVxShiftState shift) override;

  // Bounds = the brush rectangle around BrushPosition.
  void FollowBrush();

 protected:
  TVxMaskDrawTool *MaskTool() const;
};

class TVxBrushTool : public TVxToolWords<TVxMaskDrawTool, TVxBrushTool> {
  Q_OBJECT
 public:
  explicit TVxBrushTool(QObject *owner);

  int32_t Hardness = 128;
  QPointer<QSlider> HardnessTrackBar;

  virtual void SetHardness(int32_t n);
  void RebuildBrushMask() override;
  void BindHardnessTrackBar(QSlider *bar);

  static const TVxDemoWordTable<TVxBrushTool> &DemoWords();
};

// Draws the round outline that stands in for the pointer.
class TVxBrushToolControl : public TVxMaskDrawToolControl {
 public:
  using TVxMaskDrawToolControl::TVxMaskDrawToolControl;

  void PaintOverlay(TVxViewCanvas &canvas) override;
  TVxRect GetOverlayRect(const TVxMapMode &mapMode) const override;
  // The device rectangle of the outline's ellipse.
  TVxRect OutlineRect(const TVxMapMode &mapMode) const;
};

class TVxCustomBlurBrushTool : public TVxToolWords<TVxBrushTool, TVxCustomBlurBrushTool> {
  Q_OBJECT
 public:
  explicit TVxCustomBlurBrushTool(QObject *owner);

  // The averaging disc and the stroke's cache of averages.
  TVxBlurredColours Blur;
  // Averaging disc diameter, in [MinSize, MaxSize].
  int32_t Smoothing = 10;
  bool SmoothingFollowsSize = true;
  QPointer<QSlider> SmoothingTrackBar;

  virtual void SetSmoothing(int32_t n);
  virtual void RebuildSmoothingMask();
  void SetBrushSize(int32_t n) override;
  void EndStroke() override;
  // The mean of the backup under the disc around (x, y), itself left out.
  TVxBGR BlurredColourAt(int32_t x, int32_t y);
  void BindSmoothingTrackBar(QSlider *bar);

  static const TVxDemoWordTable<TVxCustomBlurBrushTool> &DemoWords();
};
