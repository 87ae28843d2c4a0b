#include <gtest/gtest.h>

#include <QTest>
#include <QToolBar>
#include <functional>
#include <random>

#include "ToolFixture.h"
#include "platform/PageAllocator.h"
#include "platform/WriteFault.h"
#include "settings/VxLocalizer.h"
#include "support/FakeRecorder.h"
#include "views/VxGraphicsView.h"

namespace {

using tooltest::TLogTool;

std::vector<uint8_t> PixelsOf(const TVxPixels &pixels) {
  std::vector<uint8_t> bytes;
  for (int32_t y = pixels.Top; y < pixels.Top + pixels.Height; ++y) {
    const uint8_t *row = pixels.PixelAddress(pixels.Left, y);
    bytes.insert(bytes.end(), row, row + pixels.Width * pixels.BytesPerPixel);
  }
  return bytes;
}

class GraphicsToolTest : public tooltest::ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    A = AddTool("Alpha");
    B = AddTool("Beta");
    ASSERT_NE(Open(CopySample("a.png")), nullptr);
  }
  void TearDown() override {
    platform::FailNextPageAllocations(0);
    platform::SetWriteFault(0);
    TVxHistoryStore::SetDefaults(SavedDefaults);
    ToolTest::TearDown();
  }
  // Histories made from now on keep at most budget bytes in memory and spill
  // into the test's folder.
  void UseHistoryBudget(uint64_t budget) { TVxHistoryStore::SetDefaults({budget, Spill.Path()}); }
  void RunRandomSession(bool settle);
  TVxHistoryStore::TOptions SavedDefaults = TVxHistoryStore::Defaults();
  testsupport::TempDir Spill;
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
  EXPECT_TRUE(Document()->ChangedRect().IsEmpty());
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

// A stroke over the image's edge: the step covers only the part inside, so
// its undo never reaches for pixels that do not exist.
TEST_F(GraphicsToolTest, AStepOverTheImagesEdgeKeepsOnlyTheInside) {
  const std::vector<uint8_t> before = PixelsOf(*Document()->ImagePixels());
  A->Paint({500, -8, 530, 6}, 3);
  A->EndEdit();
  ASSERT_EQ(Document()->History().Count(), 1);
  auto *state = static_cast<TVxGraphicsCommandState *>(Document()->History().LastDone());
  EXPECT_EQ(state->Rect, (TVxRect{500, 0, 512, 6}));
  EXPECT_EQ(state->Before.GetBounds(), state->Rect);
  Editor->UndoClick();
  EXPECT_EQ(PixelsOf(*Document()->ImagePixels()), before);
}

// Random edits by two tools, undos and redos through the editor, and new
// edits after undos, checked against full copies of the image. With settle,
// the history's worker catches up now and then, so that undo and redo meet
// steps that were compressed or spilled.
void GraphicsToolTest::RunRandomSession(bool settle) {
  ASSERT_TRUE(Document()->Crop({0, 0, 40, 30}));
  std::mt19937 random(20240611);
  std::vector<std::vector<uint8_t>> model{PixelsOf(*Document()->ImagePixels())};
  size_t position = 0;
  const auto pick = [&](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(random);
  };
  for (int step = 0; step < 600; ++step) {
    const int action = pick(0, 9);
    if (action < 5) {
      TLogTool *tool = pick(0, 1) ? A : B;
      const int left = pick(-8, 39), top = pick(-8, 29);
      const TVxRect rect{left, top, left + pick(1, 12), top + pick(1, 12)};
      TVxRect painted = rect;
      tool->Paint(rect, static_cast<uint8_t>(pick(0, 255)));
      if (pick(0, 2) == 0) {  // sometimes a second area within the same edit
        painted = rect.Offset(pick(-3, 3), pick(-3, 3));
        tool->Paint(painted, static_cast<uint8_t>(step));
      }
      // Half the edits are ended by their tool, half by the other tool's
      // next edit, which makes the document ask for the commit.
      if (pick(0, 1)) {
        tool->EndEdit();
      } else {
        TLogTool *other = tool == A ? B : A;
        other->BeginEdit(View());
        other->CancelEdit();
      }
      ASSERT_EQ(tool->EditDocument, nullptr) << step;
      // An edit wholly outside the image leaves no step.
      const TVxRect area = Document()->WorkingArea();
      if (!IntersectRect(rect, area).IsEmpty() || !IntersectRect(painted, area).IsEmpty()) {
        model.resize(position + 1);
        model.push_back(PixelsOf(*Document()->ImagePixels()));
        ++position;
      }
    } else if (action < 8) {
      if (position > 0) --position;
      Editor->UndoClick();
    } else {
      if (position + 1 < model.size()) ++position;
      Editor->RedoClick();
    }
    if (settle && pick(0, 3) == 0) Document()->Model().HistoryStore().WaitUntilSettled();
    ASSERT_EQ(Document()->History().GetPosition(), static_cast<int32_t>(position)) << step;
    ASSERT_EQ(Document()->History().Count() + 1, static_cast<int32_t>(model.size())) << step;
    ASSERT_EQ(PixelsOf(*Document()->ImagePixels()), model[position]) << step;
    ASSERT_EQ(PixelsOf(Document()->Backup), model[position]) << step;
  }
}

TEST_F(GraphicsToolTest, RandomEditUndoRedoSequencesMatchFullCopies) { RunRandomSession(false); }

// A budget of a few compressed steps: nearly every step is spilled, and the
// user hears nothing of it.
TEST_F(GraphicsToolTest, RandomSequencesStayExactWhenMostStepsAreSpilled) {
  UseHistoryBudget(1024);
  RunRandomSession(true);
  EXPECT_GT(Document()->Model().HistoryStore().Usage().Spilled, 0);
  Idle();
  EXPECT_TRUE(Messages.isEmpty());
  // The spill file goes with its document.
  const std::filesystem::path spill = Document()->Model().HistoryStore().SpillPath();
  ASSERT_TRUE(std::filesystem::exists(spill));
  Document()->SetSaved(true);
  Editor->CloseClick();
  EXPECT_FALSE(std::filesystem::exists(spill));
}

// The disk refuses every spill: steps stay in memory, the session stays
// exact, and the user is told once.
TEST_F(GraphicsToolTest, RandomSequencesStayExactOnAFullDiskAndTheUserIsToldOnce) {
  UseHistoryBudget(1024);
  platform::SetWriteFault(ENOSPC);
  RunRandomSession(true);
  EXPECT_EQ(Document()->Model().HistoryStore().Usage().Spilled, 0);
  Idle();
  Idle();
  EXPECT_EQ(Messages, QStringList{QString::fromStdU16String(LocalizedString(5750))});
}

// Memory for the step runs out at the commit: the change is cancelled, the
// user is told, and the history is as before.
TEST_F(GraphicsToolTest, AStepThatCannotBeKeptIsCancelledAndTheUserIsTold) {
  A->Paint({0, 0, 4, 4}, 1);
  A->EndEdit();
  Editor->UndoClick();
  const std::vector<uint8_t> before = PixelsOf(*Document()->ImagePixels());
  Document()->SetSaved(true);
  A->Paint({10, 10, 20, 20}, 7);
  platform::FailNextPageAllocations(1);
  A->EndEdit();
  EXPECT_EQ(Messages, QStringList{QString::fromStdU16String(LocalizedString(5410))});
  EXPECT_EQ(PixelsOf(*Document()->ImagePixels()), before);
  EXPECT_EQ(PixelsOf(Document()->Backup), before);
  EXPECT_FALSE(Document()->IsEditing());
  EXPECT_EQ(A->EditDocument, nullptr);
  EXPECT_TRUE(Document()->IsSaved());
  EXPECT_EQ(Document()->History().Count(), 1);
  EXPECT_TRUE(Editor->CanRedo());
}

// A spilled step cannot be brought back because memory is refused: Undo and
// Undo All change nothing, say so once, and leave the document unsaved, so
// a close still asks before the work goes.
TEST_F(GraphicsToolTest, AnUndoThatCannotBringItsStepBackChangesNothingAndSaysSo) {
  UseHistoryBudget(16);
  A->Paint({0, 0, 30, 30}, 1);
  A->EndEdit();
  A->Paint({5, 5, 40, 40}, 2);
  A->EndEdit();
  Document()->Model().HistoryStore().WaitUntilSettled();
  const std::vector<uint8_t> after = PixelsOf(*Document()->ImagePixels());
  for (auto click : {&TVxGraphicsEditor::UndoClick, &TVxGraphicsEditor::UndoAllClick}) {
    Messages.clear();
    platform::FailNextPageAllocations(1000);
    (Editor->*click)();
    platform::FailNextPageAllocations(0);
    EXPECT_EQ(Messages, QStringList{QString::fromStdU16String(LocalizedString(5751))});
    EXPECT_EQ(Document()->History().GetPosition(), 2);
    EXPECT_EQ(PixelsOf(*Document()->ImagePixels()), after);
    EXPECT_FALSE(Document()->IsSaved());
  }
  Messages.clear();
  Editor->UndoAllClick();
  EXPECT_TRUE(Messages.isEmpty());
  EXPECT_EQ(Document()->History().GetPosition(), 0);
  EXPECT_TRUE(Document()->IsSaved());
}

// A document closed, replaced or browsed away from while a tool holds an
// edit open: the edit is committed before the document goes (so the save
// question sees it), and the tool keeps nothing of the freed document. The
// sanitizer build runs this for the use after free it once was.
TEST_F(GraphicsToolTest, ClosingOpeningOrBrowsingWithAnEditOpenEndsTheEditFirst) {
  const std::filesystem::path first = CopySample("a.png");
  const std::filesystem::path second = CopySample("b.png");
  CopySample("c.png");
  ASSERT_NE(Open(first), nullptr);  // the folder now holds three photographs
  MessageAnswer = IdNo;             // the save question: do not save
  struct TCase {
    const char *Name;
    std::function<void()> Leave;
  };
  const TCase cases[] = {
      {"close", [this] { Editor->CloseClick(); }},
      {"open", [&] { Open(second); }},
      {"next", [this] { Editor->NextImageClick(); }},
      {"previous", [this] { Editor->PreviousImageClick(); }},
  };
  for (const TCase &c : cases) {
    if (!Document()) {
      ASSERT_NE(Open(first), nullptr);
    }
    A->Paint({10, 10, 20, 20}, 7);
    Messages.clear();
    c.Leave();
    EXPECT_EQ(Messages.size(), 1) << c.Name;  // asked to save the committed edit
    EXPECT_EQ(A->EditDocument, nullptr) << c.Name;
    EXPECT_EQ(A->ImagePixels, nullptr) << c.Name;
    A->EndEdit();
    A->CancelEdit();
    if (TVxGraphicsDocument *now = Document()) {
      EXPECT_FALSE(now->IsEditing()) << c.Name;
      B->Paint({0, 0, 3, 3}, 1);
      B->EndEdit();
      EXPECT_EQ(now->History().Count(), 1) << c.Name;
      now->SetSaved(true);
    }
  }
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
