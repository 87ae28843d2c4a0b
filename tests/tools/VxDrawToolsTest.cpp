#include <gtest/gtest.h>

#include <string>

#include "BrushToolFixture.h"
#include "platform/VirtualKeys.h"
#include "retouch/VxBrushMasks.h"
#include "support/FakeRecorder.h"
#include "tools/VxAntiAgingTool.h"
#include "tools/VxSmudgeTool.h"

namespace {

using tooltest::PixelAt;

// A brush that keeps the rectangles it is asked to apply in.
class TDabLogTool : public TVxBrushTool {
 public:
  explicit TDabLogTool(QObject *owner) : TVxBrushTool(owner) {
    ToolName = QStringLiteral("DabLog");
  }
  void ApplyInRect(const TVxRect &rect) override { Rects.push_back(rect); }
  std::vector<TVxRect> Rects;
};

class DrawToolTest : public tooltest::BrushToolTest {};

TEST_F(DrawToolTest, StrokeModesDecideWhichEventsMakeDabsAndWhenTheStepIsKept) {
  struct TCase {
    uint8_t Mode;
    std::vector<TVxRect> Rects;
    // Steps in the history right after the press.
    int StepsAfterPress;
  };
  const TVxRect a = BrushRect({40, 40}, 10), b = BrushRect({60, 40}, 10),
                c = BrushRect({80, 40}, 10);
  const TCase cases[] = {
      {TVxDrawTool::StrokeWhileDragging, {a, b, c}, 0},
      {TVxDrawTool::StrokeOnClick, {a}, 1},
      {TVxDrawTool::StrokeOnRelease, {c}, 0},
  };
  for (const TCase &test : cases) {
    auto *tool = Add<TDabLogTool>();
    tool->StrokeMode = test.Mode;
    Editor->SelectTool(tool);
    TVxMaskDrawToolControl *control = ControlOf(tool);
    const int before = Document()->History().Count();
    control->MouseMove(0, Device({40, 40}));
    control->MouseDown(TVxMouseButton::Left, LeftButtonDown, Device({40, 40}));
    EXPECT_EQ(Document()->History().Count() - before, test.StepsAfterPress) << int(test.Mode);
    control->MouseMove(LeftButtonDown, Device({60, 40}));
    control->MouseMove(LeftButtonDown, Device({80, 40}));
    control->MouseUp(TVxMouseButton::Left, 0, Device({80, 40}));
    EXPECT_EQ(tool->Rects, test.Rects) << int(test.Mode);
    EXPECT_EQ(Document()->History().Count() - before, 1) << int(test.Mode);
    EXPECT_FALSE(tool->StrokeRunning());
    EXPECT_FALSE(control->StrokeActive);
    EXPECT_FALSE(Document()->IsEditing());
  }
}

TEST_F(DrawToolTest, TheBrushRectangleIsOddSizedAroundThePointerAndClippedToTheImage) {
  auto *tool = Add<TDabLogTool>();
  for (int32_t size : {10, 11}) {
    tool->SetBrushSize(size);
    EXPECT_EQ(tool->BrushMask.GetBounds(), (TVxRect{0, 0, 11, 11})) << size;
    tool->Rects.clear();
    Stroke(tool, {{30, 30}});
    EXPECT_EQ(tool->Rects, std::vector<TVxRect>{(TVxRect{25, 25, 36, 36})}) << size;
    EXPECT_EQ(ControlOf(tool)->Bounds, (TVxRect{25, 25, 36, 36})) << size;
  }
  // Over the corner only the part inside the image is applied and kept.
  tool->Rects.clear();
  Stroke(tool, {{2, 1}});
  EXPECT_EQ(tool->Rects, std::vector<TVxRect>{(TVxRect{0, 0, 8, 7})});
  auto *state = static_cast<TVxGraphicsCommandState *>(Document()->History().LastDone());
  EXPECT_EQ(state->Rect, (TVxRect{0, 0, 8, 7}));
}

TEST_F(DrawToolTest, AStrokeWhollyOutsideTheImageLeavesNoStep) {
  auto *tool = Add<TVxSmudgeTool>();
  Stroke(tool, {{-40, -40}, {-30, -20}, {600, 100}});
  EXPECT_EQ(Document()->History().Count(), 0);
  EXPECT_FALSE(Document()->IsEditing());
}

// Coverage grows by maximum within a stroke: going back over a place does
// not deepen it; a second stroke starts from the first's result.
TEST_F(DrawToolTest, AccumulatingStrokesNeverCompoundButSeparateStrokesDo) {
  auto *tool = Add<TVxSmudgeTool>();
  const std::vector<uint8_t> opened = Image();
  Stroke(tool, {{100, 100}, {106, 100}});
  const std::vector<uint8_t> once = Image();
  ASSERT_NE(once, opened);
  Editor->UndoClick();
  ASSERT_EQ(Image(), opened);
  Stroke(tool, {{100, 100}, {106, 100}, {100, 100}, {106, 100}});
  EXPECT_EQ(Image(), once);
  EXPECT_EQ(Document()->History().Count(), 1);
  Stroke(tool, {{100, 100}, {106, 100}});
  EXPECT_NE(Image(), once);
  EXPECT_EQ(Document()->History().Count(), 2);
}

TEST_F(DrawToolTest, UndoAndRedoOfAStrokeAreBitExact) {
  auto *tool = Add<TVxAntiAgingTool1>();
  const std::vector<uint8_t> opened = Image();
  Stroke(tool, {{200, 200}, {220, 210}, {240, 230}});
  const std::vector<uint8_t> painted = Image();
  ASSERT_NE(painted, opened);
  Editor->UndoClick();
  EXPECT_EQ(Image(), opened);
  Editor->RedoClick();
  EXPECT_EQ(Image(), painted);
}

TEST_F(DrawToolTest, WheelAndKeysChangeTheSizeByOneWithinItsRange) {
  auto *tool = Add<TVxSmudgeTool>();
  Editor->SelectTool(tool);
  TVxMaskDrawToolControl *control = ControlOf(tool);
  struct TCase {
    int Key;
    int32_t Change;
  };
  const TCase keys[] = {{platform::VkPrior, 1}, {platform::VkUp, 1},    {platform::VkRight, 1},
                        {platform::VkNext, -1}, {platform::VkLeft, -1}, {platform::VkDown, -1}};
  for (const TCase &key : keys) {
    const int32_t before = tool->Size;
    EXPECT_TRUE(control->KeyDown(key.Key, 0)) << key.Key;
    EXPECT_EQ(tool->Size, before + key.Change) << key.Key;
  }
  EXPECT_FALSE(control->KeyDown('A', 0));
  // Clamped at both ends; the disc follows the size.
  tool->SetBrushSize(64);
  control->MouseWheel(0, 1, Device({10, 10}));
  EXPECT_EQ(tool->Size, 64);
  tool->SetBrushSize(1);
  control->KeyDown(platform::VkNext, 0);
  EXPECT_EQ(tool->Size, 1);
  control->MouseWheel(0, 1, Device({10, 10}));
  EXPECT_EQ(tool->Size, 2);
  EXPECT_EQ(tool->Smoothing, 2);
  EXPECT_EQ(tool->SizeTrackBar->value(), 2);
  // The wheel waits while a stroke runs; the keys do not.
  control->MouseDown(TVxMouseButton::Left, LeftButtonDown, Device({10, 10}));
  control->MouseWheel(LeftButtonDown, 1, Device({10, 10}));
  EXPECT_EQ(tool->Size, 2);
  control->KeyDown(platform::VkUp, LeftButtonDown);
  EXPECT_EQ(tool->Size, 3);
  control->MouseUp(TVxMouseButton::Left, 0, Device({10, 10}));
  // An inactive control takes nothing.
  Editor->SelectTool(nullptr);
  EXPECT_FALSE(control->KeyDown(platform::VkUp, 0));
  EXPECT_FALSE(control->MouseWheel(0, 1, Device({10, 10})));
}

TEST_F(DrawToolTest, SettersIgnoreValuesOutOfRangeAndRecordTheirWord) {
  auto *tool = Add<TVxAntiAgingTool1>();
  uitest::TFakeRecorder recorder;
  recorder.Messages = false;
  tool->SetDemoPlayback(&recorder);
  tool->SetBrushSize(0);
  tool->SetBrushSize(65);
  tool->SetOpacity(256);
  tool->SetHardness(-1);
  tool->SetBrushSize(tool->Size);
  EXPECT_TRUE(recorder.Lines.isEmpty());
  tool->SetBrushSize(12);
  tool->OpacityTrackBar->setValue(200);  // as the user drags it
  tool->SetHardness(40);
  EXPECT_EQ(recorder.Lines,
            (QStringList{"MouseCurvedMove AntiAgingSize", "AntiAgingSize 12",
                         "MouseCurvedMove AntiAgingOpacity", "AntiAgingOpacity 200",
                         "MouseCurvedMove AntiAgingHardness", "AntiAgingHardness 40"}));
  EXPECT_EQ(tool->SizeTrackBar->value(), 12);
  EXPECT_EQ(tool->Opacity, 200);
  EXPECT_EQ(tool->HardnessTrackBar->value(), 40);
  // A script's words reach the same setters.
  TVxProperties params;
  params.SetInteger(0, 20);
  bool handled = false;
  tool->ExecuteDemoCommand(&recorder, QStringLiteral("ANTIAGINGSIZE"), handled, false, params);
  EXPECT_TRUE(handled);
  EXPECT_EQ(tool->Size, 20);
  tool->ClearDemoPlayback(&recorder);
}

TEST_F(DrawToolTest, ThePreviewShowsTheMaskBlackOnWhiteInAGreyBorder) {
  auto *tool = Add<TVxSmudgeTool>();
  tool->SetBrushSize(21);  // opacity 255, hardness 191
  TVxPixelBuffer preview;
  for (bool enabled : {true, false}) {
    tool->PreviewImage(preview, 69, 69, enabled);
    const uint8_t ink = enabled ? 0 : 0xC0;
    EXPECT_EQ(PixelAt(preview, 34, 34), (TVxBGR{ink, ink, ink})) << enabled;
    EXPECT_EQ(PixelAt(preview, 5, 5), (TVxBGR{255, 255, 255})) << enabled;
    EXPECT_EQ(PixelAt(preview, 0, 30), (TVxBGR{128, 128, 128})) << enabled;
    EXPECT_EQ(PixelAt(preview, 68, 68), (TVxBGR{128, 128, 128})) << enabled;
    // Between the two: the soft rim.
    const uint8_t rim = PixelAt(preview, 34 + 10, 34).Blue;
    EXPECT_GT(rim, ink) << enabled;
    EXPECT_LT(rim, 255) << enabled;
  }
  EXPECT_EQ(tool->BrushMask.GetBounds(), (TVxRect{0, 0, 21, 21}));
}

TEST_F(DrawToolTest, TheOutlineFollowsThePointerAndCoversTheBrushAtAnyZoom) {
  auto *tool = Add<TVxSmudgeTool>();
  Editor->SelectTool(tool);
  auto *control = dynamic_cast<TVxBrushToolControl *>(ControlOf(tool));
  ASSERT_NE(control, nullptr);
  struct TCase {
    int32_t Numerator, Denominator;
  };
  for (const TCase zoom : {TCase{1, 1}, TCase{4, 1}, TCase{1, 4}}) {
    View()->SetZoom(zoom.Numerator, zoom.Denominator);
    control->MouseMove(0, Device({100, 100}));
    EXPECT_EQ(control->BrushPosition, (TVxPoint{100, 100}));
    const TVxMapMode &map = View()->MapMode();
    const TVxRect outline = control->OutlineRect(map);
    const TVxRect brush = map.LogicalToDeviceRect(BrushRect({100, 100}, tool->Size));
    // The ellipse spans the brush's diameter plus a pixel either side...
    EXPECT_NEAR(outline.Width(), map.LogicalToDeviceRect({0, 0, 10, 10}).Width() + 2, 1);
    // ...and everything it touches is repainted when it moves.
    const TVxRect update = control->GetUpdateRect(map);
    EXPECT_EQ(UnionRect(update, outline), update) << zoom.Numerator << ":" << zoom.Denominator;
    EXPECT_EQ(UnionRect(update, brush), update);
  }
}

// A document closed in the middle of a stroke: the stroke's step is kept,
// the stroke ends, and nothing is left pointing at the freed view.
TEST_F(DrawToolTest, ClosingTheDocumentDuringAStrokeEndsItAndKeepsItsStep) {
  auto *tool = Add<TVxSmudgeTool>();
  Editor->SelectTool(tool);
  TVxMaskDrawToolControl *control = ControlOf(tool);
  control->MouseMove(0, Device({100, 100}));
  control->MouseDown(TVxMouseButton::Left, LeftButtonDown, Device({100, 100}));
  control->MouseMove(LeftButtonDown, Device({110, 100}));
  ASSERT_TRUE(tool->StrokeRunning());
  MessageAnswer = IdNo;
  Messages.clear();
  Editor->CloseClick();
  EXPECT_EQ(Messages.size(), 1);  // the save question saw the stroke
  EXPECT_FALSE(tool->StrokeRunning());
  EXPECT_EQ(tool->EditDocument, nullptr);
  EXPECT_EQ(tool->StrokeMask.GetBounds(), (TVxRect{}));
  tool->EndInteraction();
  ASSERT_NE(Open(CopySample("b.png")), nullptr);
  Stroke(tool, {{50, 50}});
  EXPECT_EQ(Document()->History().Count(), 1);
}

TEST_F(DrawToolTest, SwitchingToolsDuringAStrokeKeepsTheStroke) {
  auto *tool = Add<TVxSmudgeTool>();
  auto *other = Add<TVxAntiAgingTool1>();
  Editor->SelectTool(tool);
  TVxMaskDrawToolControl *control = ControlOf(tool);
  control->MouseMove(0, Device({100, 100}));
  control->MouseDown(TVxMouseButton::Left, LeftButtonDown, Device({100, 100}));
  Editor->SelectTool(other);
  EXPECT_FALSE(tool->StrokeRunning());
  EXPECT_FALSE(control->StrokeActive);
  EXPECT_EQ(Document()->History().Count(), 1);
  // The release that follows belongs to nobody.
  control->MouseUp(TVxMouseButton::Left, 0, Device({100, 100}));
  EXPECT_EQ(Document()->History().Count(), 1);
}

}  // namespace
