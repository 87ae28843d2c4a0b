#include <gtest/gtest.h>

#include <QMainWindow>
#include <QTest>

#include "ToolFixture.h"
#include "framework/VxCursors.h"
#include "framework/VxMainForm.h"
#include "support/FakeRecorder.h"
#include "tools/VxOriginalImageTool.h"
#include "tools/VxScrollTool.h"
#include "views/VxGraphicsView.h"

namespace {

TVxScrollTool *ScrollTool() {
  for (int i = 0; i < Application()->ComponentCount(); ++i)
    if (auto *tool = qobject_cast<TVxScrollTool *>(Application()->Component(i))) return tool;
  return nullptr;
}

class CompareAndHandTest : public tooltest::ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    Original = CreateGraphicsTool<TVxOriginalImageTool>();
    Original->Initialize();
    Brush = AddTool("Brush");
    ASSERT_NE(Open(CopySample("a.png")), nullptr);
    Editor->SelectTool(Brush);
    MainForm()->resize(700, 500);
    MainForm()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm()));
  }
  void Key(Qt::Key key, bool down) {
    if (down)
      QTest::keyPress(View(), key);
    else
      QTest::keyRelease(View(), key);
  }
  TVxOriginalImageTool *Original = nullptr;
  tooltest::TLogTool *Brush = nullptr;
};

TEST_F(CompareAndHandTest, HoldingOShowsTheOriginalAndReleasingItRestoresTheTool) {
  // A retouched pixel, so that original and image differ.
  Brush->Paint({0, 0, 50, 50}, 0);
  Brush->EndEdit();
  Key(Qt::Key_O, true);
  EXPECT_EQ(Editor->CurrentTool(), Original);
  EXPECT_FALSE(View()->DocumentView()->IsVisible());
  // Auto-repeat while shown changes nothing.
  Key(Qt::Key_O, true);
  EXPECT_EQ(Original->SavedTool, Brush);
  EXPECT_EQ(Editor->CurrentTool(), Original);
  const QImage shown = View()->grab().toImage();
  Key(Qt::Key_O, false);
  EXPECT_EQ(Editor->CurrentTool(), Brush);
  EXPECT_TRUE(View()->DocumentView()->IsVisible());
  const QImage retouched = View()->grab().toImage();
  // The top-left image pixel lies where the image starts in the view.
  const TVxPoint corner = View()->MapMode().LogicalToDevice({2, 2});
  EXPECT_EQ(qGray(retouched.pixel(corner.X, corner.Y)), 0);
  EXPECT_NE(qGray(shown.pixel(corner.X, corner.Y)), 0);
}

TEST_F(CompareAndHandTest, HoldingTheButtonShowsTheOriginal) {
  Idle();
  ASSERT_TRUE(Original->OriginalImageToolButton->isEnabled());
  // A recording gets the press and its explanation, messages on or off.
  uitest::TFakeRecorder recorder;
  recorder.Messages = false;
  Original->SetDemoPlayback(&recorder);
  emit Original->OriginalImageToolButton->pressed();
  EXPECT_EQ(Editor->CurrentTool(), Original);
  EXPECT_EQ(recorder.Lines,
            (QStringList{"MouseCurvedMove OriginalImage", "MouseDown", "Message \"Original Image\"",
                         "MouseUp", "Message \"Corrected Image\""}));
  Original->ClearDemoPlayback(&recorder);
  Idle();
  EXPECT_TRUE(Original->OriginalImageToolButton->isChecked());
  emit Original->OriginalImageToolButton->released();
  EXPECT_EQ(Editor->CurrentTool(), Brush);
  EXPECT_TRUE(Brush->Active);
}

TEST_F(CompareAndHandTest, SpaceBarSelectsTheHandWhichScrollsWithinTheContent) {
  TVxScrollTool *hand = ScrollTool();
  ASSERT_NE(hand, nullptr);
  Editor->ActualSizeClick();
  Editor->ZoomInClick();
  Editor->ZoomInClick();  // 2:1, larger than the window
  Key(Qt::Key_Space, true);
  ASSERT_EQ(Editor->CurrentTool(), hand);
  const QPoint centre = View()->rect().center();
  int cursor = 0;
  ASSERT_TRUE(hand->Control(0)->GetCursor(0, {centre.x(), centre.y()}, cursor));
  EXPECT_EQ(cursor, CursorHand);

  const TVxPoint start = View()->MapMode().LogicalToDevice({0, 0});
  auto *control = hand->Control(0);
  control->MouseDown(TVxMouseButton::Left, 0, {100, 100});
  control->MouseMove(0, {130, 120});
  const TVxPoint moved = View()->MapMode().LogicalToDevice({0, 0});
  EXPECT_EQ(moved.X - start.X, 30);
  EXPECT_EQ(moved.Y - start.Y, 20);
  // Far past the edge: the content stops at the window's edge.
  control->MouseMove(0, {5000, 5000});
  EXPECT_EQ(View()->MapMode().LogicalToDevice({0, 0}).X, 0);
  EXPECT_EQ(View()->MapMode().LogicalToDevice({0, 0}).Y, 0);
  control->MouseUp(TVxMouseButton::Left, 0, {5000, 5000});

  Key(Qt::Key_Space, false);
  EXPECT_EQ(Editor->CurrentTool(), Brush);
}

TEST_F(CompareAndHandTest, DraggingAnImageThatFitsTheWindowDoesNotMoveIt) {
  Editor->BestFitClick();
  Editor->ZoomOutClick();
  Key(Qt::Key_Space, true);
  auto *control = ScrollTool()->Control(0);
  const TVxPoint start = View()->MapMode().LogicalToDevice({0, 0});
  control->MouseDown(TVxMouseButton::Left, 0, {100, 100});
  control->MouseMove(0, {180, 160});
  EXPECT_EQ(View()->MapMode().LogicalToDevice({0, 0}), start);
  Key(Qt::Key_Space, false);
}

TEST_F(CompareAndHandTest, PlusAndMinusZoomWhateverToolIsCurrent) {
  Editor->ActualSizeClick();
  Key(Qt::Key_Plus, true);
  EXPECT_EQ(View()->Zoom(), (TVxZoom{3, 2}));
  Key(Qt::Key_Minus, true);
  Key(Qt::Key_Minus, true);
  EXPECT_EQ(View()->Zoom(), (TVxZoom{3, 4}));
  EXPECT_EQ(Editor->CurrentTool(), Brush);
}

}  // namespace
