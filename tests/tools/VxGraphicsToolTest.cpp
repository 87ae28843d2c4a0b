#include <gtest/gtest.h>

#include <QTest>
#include <QToolBar>

#include "ToolFixture.h"
#include "support/FakeRecorder.h"
#include "views/VxGraphicsView.h"

namespace {

using tooltest::TLogTool;

class GraphicsToolTest : public tooltest::ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    A = AddTool("Alpha");
    B = AddTool("Beta");
    ASSERT_NE(Open(CopySample("a.png")), nullptr);
  }
  TLogTool *A = nullptr;
  TLogTool *B = nullptr;
};

TEST_F(GraphicsToolTest, ClickingTheCurrentToolsButtonSelectsItAgain) {
  A->Button->trigger();
  EXPECT_EQ(Editor->CurrentTool(), A);
  Log.clear();
  A->Button->trigger();
  EXPECT_EQ(Log, (std::vector<std::string>{"Alpha deactivate", "Alpha activate"}));
  EXPECT_EQ(Editor->PreviousTool(), A);
  EXPECT_TRUE(A->Active);
  Idle();
  EXPECT_TRUE(A->Button->isChecked());
  EXPECT_FALSE(B->Button->isChecked());
}

TEST_F(GraphicsToolTest, EveryToolHasOneControlPerViewThatFollowsActivation) {
  ASSERT_EQ(A->ControlCount(), 1);
  TVxGraphicsToolControl *control = A->Control(0);
  EXPECT_EQ(A->Control(1), nullptr);
  EXPECT_EQ(control->Flags, ViewObjectOverlay | ViewObjectNoExtent);
  Editor->SelectTool(A);
  EXPECT_TRUE(control->Active);
  Editor->SelectTool(B);
  EXPECT_FALSE(control->Active);
  // Closing the document frees the view and with it the control.
  Document()->SetSaved(true);
  Editor->CloseClick();
  EXPECT_EQ(A->ControlCount(), 0);
}

TEST_F(GraphicsToolTest, AnEditThatTouchedNoPixelLeavesNoState) {
  A->BeginEdit(View());
  EXPECT_TRUE(Document()->IsEditing());
  A->Paint({-50, -50, -10, -10}, 0);  // wholly outside the image
  A->EndEdit();
  EXPECT_EQ(Document()->History().Count(), 0);
  EXPECT_FALSE(Document()->IsEditing());
  EXPECT_EQ(A->EditDocument, nullptr);
  EXPECT_EQ(A->ImagePixels, nullptr);
  // Ending or cancelling without an open edit only clears the fields.
  A->EndEdit();
  A->CancelEdit();
  EXPECT_EQ(Document()->History().Count(), 0);
}

TEST_F(GraphicsToolTest, CommitMakesOneUndoableStateAndTheBackupCatchesUp) {
  const uint8_t before = *Document()->ImagePixels()->PixelAddress(12, 12);
  A->Paint({10, 10, 20, 20}, 7);
  A->Paint({15, 15, 30, 30}, 7);
  A->EndEdit();
  ASSERT_EQ(Document()->History().Count(), 1);
  auto *state = dynamic_cast<TVxGraphicsCommandState *>(Document()->History().LastDone());
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(state->Rect, (TVxRect{10, 10, 30, 30}));
  EXPECT_EQ(state->Tool, A);
  EXPECT_EQ(*Document()->Backup.PixelAddress(12, 12), 7);
  Editor->UndoClick();
  EXPECT_EQ(*Document()->ImagePixels()->PixelAddress(12, 12), before);
}

TEST_F(GraphicsToolTest, CancelPutsTheBackupBackWithoutAState) {
  const uint8_t before = *Document()->ImagePixels()->PixelAddress(12, 12);
  A->Paint({10, 10, 20, 20}, 7);
  A->CancelEdit();
  EXPECT_EQ(*Document()->ImagePixels()->PixelAddress(12, 12), before);
  EXPECT_EQ(Document()->History().Count(), 0);
  EXPECT_FALSE(Document()->IsEditing());
  EXPECT_EQ(Document()->EditTool(), nullptr);
}

TEST_F(GraphicsToolTest, ASecondToolsEditCommitsTheFirstToolsChanges) {
  A->Paint({10, 10, 20, 20}, 7);
  B->BeginEdit(View());
  ASSERT_EQ(Document()->History().Count(), 1);
  EXPECT_EQ(static_cast<TVxGraphicsCommandState *>(Document()->History().LastDone())->Tool, A);
  EXPECT_EQ(A->EditDocument, nullptr);
  EXPECT_EQ(B->EditDocument, Document());
  EXPECT_EQ(Document()->EditTool(), B);
  B->Paint({40, 40, 45, 45}, 9);
  B->EndEdit();
  EXPECT_EQ(Document()->History().Count(), 2);
}

TEST_F(GraphicsToolTest, OtherToolButtonsAreDisabledWhileSwitchingIsLockedOrALockingEditIsOpen) {
  Editor->SelectTool(A);
  Editor->LockToolSwitching();
  Idle();
  EXPECT_TRUE(A->Button->isEnabled());
  EXPECT_FALSE(B->Button->isEnabled());
  Editor->UnlockToolSwitching();
  Idle();
  EXPECT_TRUE(B->Button->isEnabled());

  B->LocksOtherTools = true;
  B->Paint({0, 0, 4, 4}, 1);
  EXPECT_FALSE(Editor->CanUseTool(A));
  EXPECT_TRUE(Editor->CanUseTool(B));
  B->EndEdit();
  EXPECT_TRUE(Editor->CanUseTool(A));

  // Nothing is usable without a document.
  Document()->SetSaved(true);
  Editor->CloseClick();
  Idle();
  EXPECT_FALSE(A->Button->isEnabled());
}

TEST_F(GraphicsToolTest, TheToolsWordClicksItsButtonAndARecordingGetsThreeLines) {
  uitest::TFakeRecorder recorder;
  A->SetDemoPlayback(&recorder);
  bool handled = false;
  A->ExecuteDemoCommand(&recorder, QStringLiteral("BETA"), handled, false, {});
  EXPECT_FALSE(handled);
  A->ExecuteDemoCommand(&recorder, QStringLiteral("ALPHA"), handled, false, {});
  EXPECT_TRUE(handled);
  EXPECT_EQ(Editor->CurrentTool(), A);
  EXPECT_EQ(recorder.Lines, (QStringList{"MouseCurvedMove Alpha", "Message \"Alpha\"", "Alpha"}));
  A->ClearDemoPlayback(&recorder);
  A->ToolButtonClick(A);
  EXPECT_EQ(recorder.Lines.size(), 3);
}

TEST_F(GraphicsToolTest, ToolButtonsSitOnThePanelAndTheOptionsFrameOfTheCurrentToolShows) {
  EXPECT_TRUE(Panel->Toolbar->actions().contains(A->Button));
  struct TFrameTool : TVxGraphicsTool {
    explicit TFrameTool(QObject *owner) : TVxGraphicsTool(owner) {
      CreateToolButton(QStringLiteral("Framed"), -1, [](QWidget *parent) {
        auto *frame = new TVxFrame(parent);
        new QLabel(QStringLiteral("Framed"), frame);
        frame->findChild<QLabel *>()->setObjectName(QStringLiteral("TitleLabel"));
        return frame;
      });
    }
  };
  auto *framed = new TFrameTool(App.get());
  framed->Initialize();
  ASSERT_NE(framed->Frame, nullptr);
  EXPECT_TRUE(framed->Frame->findChild<QLabel *>()->font().bold());
  Editor->SelectTool(framed);
  EXPECT_EQ(Panel->OptionsArea()->currentWidget(), framed->Frame);
  Idle();
  EXPECT_TRUE(framed->Frame->ControlsEnabled());
  Editor->SelectTool(A);
  Idle();
  EXPECT_FALSE(framed->Frame->ControlsEnabled());
}

}  // namespace
