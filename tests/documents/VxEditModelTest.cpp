// The edit model without any window: the edit protocol, the changed
// rectangle, commit and cancel, the image undo steps, and what happens when
// memory for a step or a backup runs out (through the page allocator's seam).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "documents/VxCommandHistory.h"
#include "documents/VxEditModel.h"
#include "documents/VxGraphicsCommandState.h"
#include "platform/PageAllocator.h"
#include "support/TestSupport.h"

namespace {

std::string Str(const TVxRect &r) {
  return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) +
         "," + std::to_string(r.Bottom);
}

std::vector<uint8_t> PixelsOf(const TVxPixels &pixels) {
  std::vector<uint8_t> bytes;
  for (int32_t y = pixels.Top; y < pixels.Top + pixels.Height; ++y) {
    const uint8_t *row = pixels.PixelAddress(pixels.Left, y);
    bytes.insert(bytes.end(), row, row + pixels.Width * pixels.BytesPerPixel);
  }
  return bytes;
}

// What the model tells the document, one line each.
struct TEventLog : IVxEditModelEvents {
  void ImageAreaChanged(IVxEditOwner *, const TVxRect &rect) override {
    Lines.push_back("area " + Str(rect));
  }
  void ImageRectChanged(const TVxRect &rect) override { Lines.push_back("repaint " + Str(rect)); }
  void ImageModified() override { Lines.push_back("modified"); }
  void GeometryChanged() override { Lines.push_back("geometry"); }
  std::vector<std::string> Lines;
};

// Stands in for a tool: paints solid rectangles into its open edit and, when
// asked to end the edit, commits through the model.
struct TOwner : IVxEditOwner {
  explicit TOwner(TVxEditModel &model) : Model(model) {}
  void EndEdit() override {
    ++EndEditCalls;
    Committed = Model.CommitChanges(this);
    if (Model.IsEditing()) Model.EndEdit(false);
  }
  void Paint(const TVxRect &rect, uint8_t value) {
    if (!Model.IsEditing() || Model.EditOwner() != this) Model.BeginEdit(this);
    TVxPixels &image = *Model.ImagePixels();
    const TVxRect inside = IntersectRect(rect, image.GetBounds());
    for (int32_t y = inside.Top; y < inside.Bottom; ++y)
      for (int32_t x = inside.Left; x < inside.Right; ++x)
        for (int32_t c = 0; c < 3; ++c) image.PixelAddress(x, y)[c] = value;
    Model.AddChangedRect(rect, false);
  }
  TVxEditModel &Model;
  int EndEditCalls = 0;
  bool Committed = true;
};

class EditModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::FillImage(Model.Image, 40, 30, 1);
    testsupport::FillImage(Model.Original, 40, 30, 2);
    ASSERT_TRUE(Model.UpdateBackup());
    Model.SetEvents(&Events);
  }
  void TearDown() override { platform::FailNextPageAllocations(0); }

  std::vector<uint8_t> Image() const { return PixelsOf(*Model.ImagePixels()); }

  TVxCommandHistoryList History;
  TVxEditModel Model{History};
  TEventLog Events;
  TOwner First{Model};
  TOwner Second{Model};
};

TEST_F(EditModelTest, ASecondEditAsksTheFirstOwnerToCommitAndAResetForgetsTheOwner) {
  First.Paint({2, 2, 6, 6}, 200);
  First.Paint({4, 4, 8, 7}, 201);  // the same edit grows
  EXPECT_EQ(Model.ChangedRect(), (TVxRect{2, 2, 8, 7}));
  Second.Paint({10, 10, 12, 12}, 50);
  EXPECT_EQ(First.EndEditCalls, 1);
  ASSERT_EQ(History.Count(), 1);
  EXPECT_EQ(static_cast<TVxGraphicsCommandState *>(History.At(0))->Rect, (TVxRect{2, 2, 8, 7}));
  EXPECT_EQ(Model.EditOwner(), &Second);
  EXPECT_EQ(Model.ChangedRect(), (TVxRect{10, 10, 12, 12}));
  // Only the owner commits an edit.
  EXPECT_TRUE(Model.CommitChanges(&First));
  EXPECT_EQ(History.Count(), 1);

  // Ending without asking: the owner is not called and stays recorded.
  Model.EndEdit(false);
  EXPECT_FALSE(Model.IsEditing());
  EXPECT_EQ(Second.EndEditCalls, 0);
  EXPECT_EQ(Model.EditOwner(), &Second);
  EXPECT_TRUE(Model.ChangedRect().IsEmpty());

  First.Paint({0, 0, 1, 1}, 9);
  Model.ResetEdit();
  EXPECT_EQ(Model.EditOwner(), nullptr);
  Second.Paint({0, 0, 1, 1}, 9);
  EXPECT_EQ(First.EndEditCalls, 1);
}

// The changed rectangle holds only what lies inside the image, so a step
// never copies pixels that do not exist and an edit outside leaves no step.
TEST_F(EditModelTest, TheChangedRectangleIsClippedToTheImage) {
  struct TCase {
    TVxRect Start, Added;
    bool Replace;
    TVxRect Expected;
  };
  const TCase cases[] = {
      {{}, {35, 25, 50, 40}, false, {35, 25, 40, 30}},
      {{}, {-5, -5, 3, 2}, false, {0, 0, 3, 2}},
      {{1, 1, 2, 2}, {-10, -10, -1, -1}, false, {1, 1, 2, 2}},  // outside: no growth
      {{1, 1, 2, 2}, {50, 0, 60, 10}, true, {}},                // replaced by nothing
      {{1, 1, 2, 2}, {5, 5, 50, 6}, false, {1, 1, 40, 6}},
      {{1, 1, 2, 2}, {5, 5, 6, 6}, true, {5, 5, 6, 6}},
  };
  for (const TCase &c : cases) {
    Model.BeginEdit(&First);
    Model.AddChangedRect(c.Start, true);
    Events.Lines.clear();
    Model.AddChangedRect(c.Added, c.Replace);
    EXPECT_EQ(Model.ChangedRect(), c.Expected) << Str(c.Added);
    // Only the inside is repainted.
    const TVxRect inside = IntersectRect(c.Added, Model.WorkingArea());
    EXPECT_EQ(Events.Lines, inside.IsEmpty() ? std::vector<std::string>{}
                                             : std::vector<std::string>{"repaint " + Str(inside)});
    Model.ResetEdit();
  }

  First.Paint({-20, -20, -1, -1}, 7);
  EXPECT_TRUE(Model.CommitChanges(&First));
  EXPECT_EQ(History.Count(), 0);
}

TEST_F(EditModelTest, UndoAndRedoRestoreExactlyTheRectangleAndTellTheDocument) {
  const std::vector<uint8_t> before = Image();
  First.Paint({35, 25, 50, 40}, 77);
  Events.Lines.clear();
  First.EndEdit();
  const std::vector<uint8_t> after = Image();
  ASSERT_NE(before, after);
  EXPECT_EQ(PixelsOf(Model.Backup), after);
  EXPECT_EQ(Events.Lines, (std::vector<std::string>{"area 35,25,40,30", "modified"}));
  auto *state = static_cast<TVxGraphicsCommandState *>(History.LastDone());
  EXPECT_EQ(state->Tool, &First);
  EXPECT_EQ(state->Before.GetBounds(), (TVxRect{35, 25, 40, 30}));

  Events.Lines.clear();
  History.Undo();
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(PixelsOf(Model.Backup), before);
  EXPECT_EQ(Events.Lines, (std::vector<std::string>{"repaint 35,25,40,30", "area 35,25,40,30"}));
  Events.Lines.clear();
  History.Redo();
  EXPECT_EQ(Image(), after);
  EXPECT_EQ(PixelsOf(Model.Backup), after);
  EXPECT_EQ(Events.Lines,
            (std::vector<std::string>{"repaint 35,25,40,30", "modified", "area 35,25,40,30"}));
}

TEST_F(EditModelTest, CancelPutsTheBackupBack) {
  const std::vector<uint8_t> before = Image();
  First.Paint({3, 3, 9, 9}, 1);
  Model.RestoreFromBackup();
  Model.ResetEdit();
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(History.Count(), 0);
}

// When the step's copy is refused, the step is not kept: the image goes back
// to the backup, the edit closes, and the history (with its redoable steps)
// stays as it was.
TEST_F(EditModelTest, AStepThatCannotKeepItsPixelsIsNotPushedAndTheEditIsCancelled) {
  First.Paint({0, 0, 4, 4}, 10);
  First.EndEdit();
  First.Paint({0, 0, 4, 4}, 20);
  First.EndEdit();
  History.Undo();
  const std::vector<uint8_t> current = Image();
  First.Paint({2, 2, 12, 12}, 99);
  Events.Lines.clear();
  platform::FailNextPageAllocations(1);
  First.EndEdit();
  EXPECT_EQ(platform::PendingPageAllocationFailures(), 0);
  EXPECT_FALSE(First.Committed);
  EXPECT_FALSE(Model.IsEditing());
  EXPECT_EQ(Model.EditOwner(), nullptr);
  EXPECT_EQ(Image(), current);
  EXPECT_EQ(PixelsOf(Model.Backup), current);
  EXPECT_EQ(History.Count(), 2);
  EXPECT_EQ(History.GetPosition(), 1);
  // Not marked modified, and the view repaints what went back.
  EXPECT_EQ(Events.Lines, (std::vector<std::string>{"area 2,2,12,12", "repaint 0,0,40,30"}));
  History.Redo();
  First.Paint({0, 0, 1, 1}, 0);
  First.EndEdit();
  EXPECT_TRUE(First.Committed);
}

// Twenty edits of which every third cannot be kept: undoing everything and
// redoing everything ends on the image the last kept edit left.
TEST_F(EditModelTest, UndoAllAndRedoAllAfterRefusedStepsEndOnTheRightImage) {
  const std::vector<uint8_t> start = Image();
  int kept = 0;
  for (int step = 0; step < 20; ++step) {
    First.Paint({step, step % 7, step + 9, step % 7 + 9}, static_cast<uint8_t>(step * 11));
    if (step % 3 == 2) platform::FailNextPageAllocations(1);
    First.EndEdit();
    kept += First.Committed ? 1 : 0;
  }
  const std::vector<uint8_t> last = Image();
  EXPECT_EQ(History.Count(), kept);
  EXPECT_EQ(kept, 14);
  while (History.CanUndo()) History.Undo();
  EXPECT_EQ(Image(), start);
  while (History.CanRedo()) History.Redo();
  EXPECT_EQ(Image(), last);
}

TEST_F(EditModelTest, ARefusedBackupCopyKeepsTheOldBackup) {
  testsupport::FillImage(Model.Image, 20, 10, 5);
  const std::vector<uint8_t> old = PixelsOf(Model.Backup);
  platform::FailNextPageAllocations(1);
  EXPECT_FALSE(Model.UpdateBackup());
  EXPECT_EQ(Model.Backup.GetBounds(), (TVxRect{0, 0, 40, 30}));
  EXPECT_EQ(PixelsOf(Model.Backup), old);
  EXPECT_TRUE(Model.UpdateBackup());
  EXPECT_EQ(PixelsOf(Model.Backup), Image());
}

// Every geometry operation that needs a new block changes nothing when the
// first one is refused, and keeps the backup equal to the image when not.
TEST_F(EditModelTest, GeometryOperationsChangeNothingWhenMemoryIsRefused) {
  TVxPixelBuffer saved(PixelFormat24, {0, 0, 10, 8});
  saved.Assign(*Model.ImagePixels());
  struct TCase {
    const char *Name;
    bool (*Run)(TVxEditModel &, const TVxPixels &);
  };
  const TCase cases[] = {
      {"rotate left", [](TVxEditModel &m, const TVxPixels &) { return m.RotateLeft(); }},
      {"rotate right", [](TVxEditModel &m, const TVxPixels &) { return m.RotateRight(); }},
      {"crop",
       [](TVxEditModel &m, const TVxPixels &) {
         return m.Crop({5, 5, 25, 20});
       }},
      {"resize", [](TVxEditModel &m, const TVxPixels &) { return m.Resize(20, 15, true); }},
      {"canvas", [](TVxEditModel &m, const TVxPixels &) { return m.SetCanvasSize(50, 9, true); }},
      {"restore",
       [](TVxEditModel &m, const TVxPixels &b) { return m.RestoreFromBuffers(b, nullptr); }},
  };
  for (const TCase &c : cases) {
    testsupport::FillImage(Model.Image, 40, 30, 3);
    testsupport::FillImage(Model.Original, 40, 30, 4);
    ASSERT_TRUE(Model.UpdateBackup());
    const std::vector<uint8_t> image = Image();
    const std::vector<uint8_t> original = PixelsOf(*Model.OriginalPixels());
    Events.Lines.clear();
    platform::FailNextPageAllocations(1);
    EXPECT_FALSE(c.Run(Model, saved)) << c.Name;
    EXPECT_EQ(Image(), image) << c.Name;
    EXPECT_EQ(PixelsOf(*Model.OriginalPixels()), original) << c.Name;
    EXPECT_EQ(PixelsOf(Model.Backup), image) << c.Name;
    EXPECT_TRUE(Events.Lines.empty()) << c.Name;

    platform::FailNextPageAllocations(0);
    EXPECT_TRUE(c.Run(Model, saved)) << c.Name;
    EXPECT_EQ(PixelsOf(Model.Backup), Image()) << c.Name;
    EXPECT_EQ(Model.Backup.GetBounds(), Model.WorkingArea()) << c.Name;
    EXPECT_EQ(Events.Lines, std::vector<std::string>{"geometry"}) << c.Name;
  }
}

TEST_F(EditModelTest, FlipsNeedNoNewBlockAndKeepTheBackupInStep) {
  TVxLTBitmap expected;
  testsupport::FillImage(expected, 40, 30, 1);
  platform::FailNextPageAllocations(1000);
  ASSERT_TRUE(Model.FlipHorizontal());
  ASSERT_TRUE(Model.FlipVertical());
  platform::FailNextPageAllocations(0);
  ASSERT_TRUE(expected.FlipHorizontal());
  ASSERT_TRUE(expected.FlipVertical());
  EXPECT_EQ(Image(), PixelsOf(*expected.Pixels()));
  EXPECT_EQ(PixelsOf(Model.Backup), Image());
}

}  // namespace
