#include "tools/VxHandInpaintingTool.h"

#include <gtest/gtest.h>

#include <QTest>
#include <cstring>
#include <vector>

#include "ToolFixture.h"
#include "base/VxProperties.h"
#include "platform/VirtualKeys.h"
#include "support/FakeRecorder.h"
#include "views/VxGraphicsView.h"

namespace {

using platform::VkDown;
using platform::VkEscape;
using platform::VkHome;
using platform::VkPrior;
using platform::VkReturn;
using platform::VkRight;
using platform::VkUp;

class HandInpaintingTest : public tooltest::ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    Tool = CreateGraphicsTool<TVxHandInpaintingTool>();
    Tool->Initialize();
    Tool->ApplyPreset(false);
    Other = AddTool("Brush");
    ASSERT_NE(Open(CopySample("portrait.png")), nullptr);
    View()->SetZoom(1, 1);
    Editor->SelectTool(Tool);
    ASSERT_NE(Control(), nullptr);
    ASSERT_TRUE(Control()->Active);
  }

  TVxHandInpaintingToolControl *Control() const {
    return static_cast<TVxHandInpaintingToolControl *>(Tool->Control(0));
  }
  TVxPoint Client(TVxPoint image) const { return View()->MapMode().LogicalToDevice(image); }
  void Move(TVxPoint image) { Control()->MouseMove(0, Client(image)); }
  void Click(TVxPoint image) {
    Move(image);
    Control()->MouseDown(TVxMouseButton::Left, LeftButtonDown, Client(image));
  }
  bool Key(int key, TVxShiftState shift = 0) { return Control()->KeyDown(key, shift); }
  // The working image, row by row.
  std::vector<uint8_t> Pixels() const {
    const TVxPixels *image = Document()->ImagePixels();
    std::vector<uint8_t> bytes;
    for (int32_t y = 0; y < image->Height; ++y) {
      const uint8_t *row = image->PixelAddress(0, y);
      bytes.insert(bytes.end(), row, row + image->Width * 3);
    }
    return bytes;
  }
  std::vector<uint8_t> PreviewBytes() const {
    const TVxPixelBuffer &p = Tool->Preview;
    return {p.Bits, p.Bits + static_cast<size_t>(p.Stride) * static_cast<size_t>(p.Height)};
  }

  TVxHandInpaintingTool *Tool = nullptr;
  tooltest::TLogTool *Other = nullptr;
  // A spot on the skin and clean skin beside it, in the sample portrait.
  const TVxPoint Spot{250, 300};
  const TVxPoint Clean{290, 330};
};

TEST_F(HandInpaintingTest, ThePreviewMagnifiesSmallBrushesMore) {
  const struct {
    int32_t Size, Side, K;
  } cases[] = {{10, 40, 6}, {36, 40, 6}, {37, 48, 5}, {72, 80, 3}, {73, 120, 2}, {100, 120, 2}};
  for (const auto &c : cases) {
    Tool->SetBrushSize(c.Size);
    EXPECT_EQ(TVxHandInpaintingTool::Magnification(c.Size), c.K) << c.Size;
    EXPECT_EQ(Tool->Preview.Width, c.Side) << c.Size;
    EXPECT_EQ(Tool->Preview.Height, c.Side) << c.Size;
  }
  // Sizes outside the range are refused.
  Tool->SetBrushSize(9);
  Tool->SetBrushSize(101);
  EXPECT_EQ(Tool->Size, 100);
}

TEST_F(HandInpaintingTest, TwoClicksPatchLiveAndLeaveOneUndoStep) {
  const std::vector<uint8_t> before = Pixels();
  const int32_t steps = Document()->History().Count();
  Click(Spot);
  EXPECT_TRUE(Tool->ChoosingSource);
  EXPECT_EQ(Tool->TargetRect, Bounds(Spot.X - 13, Spot.Y - 13, 25, 25));
  EXPECT_EQ(Pixels(), before);  // the target alone changes nothing
  Move(Clean);
  const std::vector<uint8_t> patched = Pixels();
  EXPECT_NE(patched, before);
  // Only the target square was written.
  const TVxPixels *image = Document()->ImagePixels();
  for (int32_t y = 0; y < image->Height; ++y)
    for (int32_t x = 0; x < image->Width; ++x)
      if (!Tool->TargetRect.Contains(x, y)) {
        const size_t at = (static_cast<size_t>(y) * image->Width + x) * 3;
        ASSERT_EQ(std::memcmp(&patched[at], &before[at], 3), 0) << x << "," << y;
      }
  Click(Clean);
  EXPECT_FALSE(Tool->ChoosingSource);
  EXPECT_FALSE(Document()->IsEditing());
  EXPECT_EQ(Document()->History().Count(), steps + 1);
  EXPECT_EQ(Pixels(), patched);
  Editor->Undo();
  EXPECT_EQ(Pixels(), before);
  Editor->Redo();
  EXPECT_EQ(Pixels(), patched);
}

TEST_F(HandInpaintingTest, MovingBackOntoTheTargetWithoutAdjustmentRestoresIt) {
  Tool->SetAutoReflection(false);
  Tool->SetReflection(0);
  Tool->SetAdjustmentMode(0);
  const std::vector<uint8_t> before = Pixels();
  Click(Spot);
  Move(Clean);
  EXPECT_NE(Pixels(), before);
  Move(Spot);
  EXPECT_EQ(Pixels(), before);
}

TEST_F(HandInpaintingTest, CancelRestoresTheImageAndRedoBringsThePatchBack) {
  const std::vector<uint8_t> before = Pixels();
  const struct {
    const char *Name;
    int Key;
    TVxShiftState Shift;
  } cases[] = {{"Esc", VkEscape, 0}, {"Ctrl+Z", 'Z', CtrlKey}};
  for (const auto &c : cases) {
    Click(Spot);
    Move(Clean);
    const std::vector<uint8_t> patched = Pixels();
    EXPECT_TRUE(Key(c.Key, c.Shift)) << c.Name;
    EXPECT_FALSE(Tool->ChoosingSource) << c.Name;
    EXPECT_FALSE(Document()->IsEditing()) << c.Name;
    EXPECT_EQ(Pixels(), before) << c.Name;
    ASSERT_TRUE(Editor->CanRedo()) << c.Name;
    Editor->Redo();
    EXPECT_EQ(Pixels(), patched) << c.Name;
    Editor->Undo();
  }
  // Without an open patch these keys are not the tool's, and Cancel takes
  // back nothing the user kept.
  EXPECT_FALSE(Key(VkEscape));
  Click(Spot);
  Move(Clean);
  Click(Clean);
  const std::vector<uint8_t> kept = Pixels();
  Tool->CancelPatch();
  EXPECT_EQ(Pixels(), kept);
  // Nor does cancelling a target beside the image, which left no step.
  Click({-100, -100});
  ASSERT_TRUE(Tool->ChoosingSource);
  Move({-90, -100});
  EXPECT_TRUE(Key(VkEscape));
  EXPECT_EQ(Pixels(), kept);
  EXPECT_FALSE(Editor->CanRedo());
}

TEST_F(HandInpaintingTest, AfterACommitSmallJitterKeepsThePreview) {
  Click(Spot);
  Move(Clean);
  Click(Clean);
  const std::vector<uint8_t> committed = PreviewBytes();
  Move({Clean.X + 2, Clean.Y + 2});  // 2.8 pixels away
  EXPECT_EQ(PreviewBytes(), committed);
  Move({Clean.X, Clean.Y - 3});
  EXPECT_EQ(PreviewBytes(), committed);
  Move({Clean.X + 4, Clean.Y});
  EXPECT_NE(PreviewBytes(), committed);  // the loupe again
}

TEST_F(HandInpaintingTest, WheelAndCtrlArrowsStepTheReflectionOnlyWithoutAuto) {
  Click(Spot);
  Move(Clean);
  // Auto on: the choice stays the correlation's.
  const uint8_t chosen = Tool->Reflection;
  const std::vector<uint8_t> patched = Pixels();
  Control()->MouseWheel(0, 1, Client(Clean));
  EXPECT_TRUE(Key(VkUp, CtrlKey));
  EXPECT_EQ(Tool->Reflection, chosen);
  EXPECT_EQ(Pixels(), patched);
  EXPECT_EQ(Tool->Size, 25);
  // Auto off: up steps forward, down back, clamped to 0..7.
  Tool->SetAutoReflection(false);
  Tool->SetReflection(6);
  const struct {
    std::function<void()> Step;
    int Expected;
  } steps[] = {
      {[&] { Control()->MouseWheel(0, 1, Client(Clean)); }, 7},
      {[&] { Key(VkRight, CtrlKey); }, 7},
      {[&] { Key(VkDown, CtrlKey); }, 6},
      {[&] { Control()->MouseWheel(0, -1, Client(Clean)); }, 5},
  };
  for (const auto &s : steps) {
    s.Step();
    EXPECT_EQ(Tool->Reflection, s.Expected);
  }
  EXPECT_NE(Pixels(), patched);  // re-patched with the stepped reflection
  // Before a target is fixed, the same input sizes the brush.
  Key(VkEscape);
  Control()->MouseWheel(0, 1, Client(Clean));
  EXPECT_EQ(Tool->Size, 26);
  Key(VkDown, CtrlKey);
  EXPECT_EQ(Tool->Size, 25);
}

TEST_F(HandInpaintingTest, CtrlLettersToggleOptionsWithoutOpeningAnEdit) {
  // The product hides the reflection panel, and with it Ctrl+R.
  EXPECT_TRUE(Key('R', CtrlKey));
  EXPECT_TRUE(Tool->AutoReflection);
  Tool->ApplyPreset(true);
  Key('R', CtrlKey);
  EXPECT_FALSE(Tool->AutoReflection);
  Key('A', CtrlKey);
  EXPECT_EQ(Tool->AdjustmentMode, 0);
  Key('N', CtrlKey);
  EXPECT_FALSE(Tool->AntiAliasing);
  // Nothing is patched while no target is fixed, so nothing is locked either.
  EXPECT_FALSE(Document()->IsEditing());
  EXPECT_TRUE(Editor->CanUseTool(Other));
  Click(Spot);
  Move(Clean);
  const std::vector<uint8_t> plain = Pixels();
  Key('A', CtrlKey);  // adjustment back on: patched anew at once
  EXPECT_EQ(Tool->AdjustmentMode, 2);
  EXPECT_NE(Pixels(), plain);
}

TEST_F(HandInpaintingTest, NavigationKeysMoveThePointerAndEnterClicks) {
  std::vector<std::pair<int, int>> moves;
  Control()->MovePointer = [&](int dx, int dy) { moves.emplace_back(dx, dy); };
  EXPECT_TRUE(Key(VkPrior));
  EXPECT_TRUE(Key(VkHome, ShiftKey));
  EXPECT_TRUE(Key(VkRight));
  EXPECT_TRUE(Key(VkDown, ShiftKey));
  EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{1, -1}, {-5, -5}, {1, 0}, {0, 5}}));
  EXPECT_FALSE(Key('Q'));
  Move(Spot);
  EXPECT_TRUE(Key(VkReturn));
  EXPECT_TRUE(Tool->ChoosingSource);
  Move(Clean);
  EXPECT_TRUE(Key(VkReturn));
  EXPECT_FALSE(Tool->ChoosingSource);
  // An inactive tool's control takes no keys.
  Editor->SelectTool(Other);
  EXPECT_FALSE(Key(VkReturn));
}

TEST_F(HandInpaintingTest, NoOtherToolWhileAPatchIsOpen) {
  Idle();
  EXPECT_TRUE(Editor->CanUseTool(Other));
  EXPECT_TRUE(Tool->Frame->findChild<QSlider *>("SizeTrackBar")->isEnabled());
  Click(Spot);
  Move(Clean);
  Idle();
  EXPECT_FALSE(Editor->CanUseTool(Other));
  EXPECT_TRUE(Tool->HandFrame->CancelTBXButton->isEnabled());
  EXPECT_FALSE(Tool->HandFrame->SizeTrackBar->isEnabled());
  Click(Clean);
  Idle();
  EXPECT_TRUE(Editor->CanUseTool(Other));
  EXPECT_FALSE(Tool->HandFrame->CancelTBXButton->isEnabled());
}

TEST_F(HandInpaintingTest, ClosingTheDocumentWithAPatchOpenEndsItCleanly) {
  Click(Spot);
  Move(Clean);
  MessageAnswer = IdNo;  // do not save
  Editor->CloseClick();
  EXPECT_EQ(Document(), nullptr);
  EXPECT_EQ(Tool->EditDocument, nullptr);
  EXPECT_EQ(Tool->ImagePixels, nullptr);
  EXPECT_FALSE(Tool->ChoosingSource);
  EXPECT_EQ(Tool->Correlator, nullptr);
  // A new document starts in the selecting phase and patches as before.
  ASSERT_NE(Open(CopySample("again.png")), nullptr);
  View()->SetZoom(1, 1);
  Editor->SelectTool(Tool);
  const std::vector<uint8_t> before = Pixels();
  Click(Spot);
  Move(Clean);
  Click(Clean);
  EXPECT_NE(Pixels(), before);
}

TEST_F(HandInpaintingTest, OptionChangesAreRecordedAndWordsRunThem) {
  uitest::TFakeRecorder recorder;
  recorder.Messages = false;
  Tool->SetDemoPlayback(&recorder);
  Tool->HandFrame->AdjustmentTBXCheckBox->click();
  Tool->HandFrame->ReflectionButtons[5]->click();
  EXPECT_EQ(recorder.Lines,
            (QStringList{"MouseCurvedMove HandInpaintingAdjustment", "HandInpaintingAdjustment 0",
                         "MouseCurvedMove HandInpaintingarSouthReflexSpeedButton",
                         "HandInpaintingAreaReflection 5"}));
  EXPECT_EQ(Tool->Reflection, 5);
  Tool->ClearDemoPlayback(&recorder);
  const struct {
    const char *Word;
    int32_t Value;
    std::function<int32_t()> Read;
  } words[] = {
      {"HANDINPAINTINGAREAREFLECTION", 3, [&] { return int32_t(Tool->Reflection); }},
      {"HANDINPAINTINGADJUSTMENT", 1, [&] { return Tool->AdjustmentMode; }},
      {"HANDINPAINTINGLONGDEFECT", 0, [&] { return int32_t(Tool->LongDefect); }},
      {"HANDINPAINTINGSIZE", 60, [&] { return Tool->Size; }},
  };
  for (const auto &w : words) {
    TVxProperties params;
    params.SetInteger(0, w.Value);
    bool handled = false;
    Tool->ExecuteDemoCommand(nullptr, QString::fromLatin1(w.Word), handled, false, params);
    EXPECT_TRUE(handled) << w.Word;
    EXPECT_EQ(w.Read(), w.Value) << w.Word;
  }
  // Mode 1 is reachable by a script only; the check box shows it as off.
  EXPECT_FALSE(Tool->HandFrame->AdjustmentTBXCheckBox->isChecked());
  bool listed = false;
  Tool->ListDemoWords([&](const TVxDemoWordInfo &info) {
    if (info.Word == "HandInpaintingarWestReflexSpeedButton")
      listed = info.Control == Tool->HandFrame->ReflectionButtons[7];
  });
  EXPECT_TRUE(listed);
}

}  // namespace
