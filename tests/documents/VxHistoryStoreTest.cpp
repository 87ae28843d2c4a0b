// The undo history under a memory budget: random edits through the model's
// real commit path, undone and redone in random order, stay exact against
// full copies while most steps are compressed or spilled, and also when
// the spill folder's disk is full. Then the spill file itself: private,
// gone with its document, swept after a killed run.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "documents/VxCommandHistory.h"
#include "documents/VxEditModel.h"
#include "documents/VxGraphicsCommandState.h"
#include "documents/VxHistoryStore.h"
#include "platform/PageAllocator.h"
#include "platform/SpillFile.h"
#include "platform/WriteFault.h"
#include "support/TestSupport.h"

namespace {

using testsupport::PixelBytes;
using TBytes = std::vector<uint8_t>;

// A tool that fills rectangles of its edit with varied bytes (so that
// compression has something to do) and commits through the model.
struct TPainter : IVxEditOwner {
  explicit TPainter(TVxEditModel &model) : Model(model) {}
  void EndEdit() override {
    Committed = Model.CommitChanges(this);
    if (Model.IsEditing()) Model.EndEdit(false);
  }
  void Paint(const TVxRect &rect, uint32_t seed) {
    if (!Model.IsEditing()) Model.BeginEdit(this);
    TVxPixels &image = *Model.ImagePixels();
    const TVxRect inside = IntersectRect(rect, image.GetBounds());
    for (int32_t y = inside.Top; y < inside.Bottom; ++y)
      for (int32_t x = inside.Left; x < inside.Right; ++x)
        for (int32_t c = 0; c < 3; ++c)
          image.PixelAddress(x, y)[c] =
              static_cast<uint8_t>(testsupport::PatternAt(x, y, seed) >> (8 * c));
    Model.AddChangedRect(rect, false);
  }
  TVxEditModel &Model;
  bool Committed = true;
};

class HistoryStoreTest : public ::testing::Test {
 protected:
  void TearDown() override {
    platform::FailNextPageAllocations(0);
    platform::SetWriteFault(0);
  }

  // A model whose history keeps its pixels in a store of these options.
  struct TDocument {
    explicit TDocument(const TVxHistoryStore::TOptions &options, int32_t width = 64,
                       int32_t height = 48) {
      Store = TVxHistoryStore::Create(options);
      Model.SetHistoryStore(Store);
      testsupport::FillImage(Model.Image, width, height, 1);
      Model.UpdateBackup();
    }
    TBytes Image() const { return PixelBytes(*Model.ImagePixels()); }
    TVxCommandHistoryList History;
    TVxEditModel Model{History};
    std::shared_ptr<TVxHistoryStore> Store;
    TPainter Painter{Model};
  };

  // Random edits, undos, redos and new edits after undos; after every action
  // the image and the backup must equal the full copy the model expects.
  // Returns the most steps that were spilled at one time.
  static int32_t RunRandomSession(TDocument &doc, uint32_t seed, int actions) {
    std::mt19937 random(seed);
    const auto pick = [&](int lo, int hi) {
      return std::uniform_int_distribution<int>(lo, hi)(random);
    };
    std::vector<TBytes> model{doc.Image()};
    size_t position = 0;
    int32_t mostSpilled = 0;
    for (int step = 0; step < actions; ++step) {
      const int action = pick(0, 9);
      if (action < 5) {
        const int left = pick(-8, 63), top = pick(-8, 47);
        const TVxRect rect{left, top, left + pick(1, 40), top + pick(1, 30)};
        doc.Painter.Paint(rect, static_cast<uint32_t>(step));
        doc.Painter.EndEdit();
        EXPECT_TRUE(doc.Painter.Committed) << step;
        if (!IntersectRect(rect, doc.Model.WorkingArea()).IsEmpty()) {
          model.resize(position + 1);
          model.push_back(doc.Image());
          ++position;
        }
      } else if (action < 8) {
        if (position > 0) --position;
        doc.History.Undo();
      } else {
        if (position + 1 < model.size()) ++position;
        doc.History.Redo();
      }
      // Now and then the worker catches up, so undo meets spilled steps.
      if (pick(0, 3) == 0) doc.Store->WaitUntilSettled();
      mostSpilled = std::max(mostSpilled, doc.Store->Usage().Spilled);
      if (doc.History.GetPosition() != static_cast<int32_t>(position) ||
          doc.History.Count() + 1 != static_cast<int32_t>(model.size()) ||
          doc.Image() != model[position] || PixelBytes(doc.Model.Backup) != model[position]) {
        ADD_FAILURE() << "diverged at action " << step;
        break;
      }
    }
    return mostSpilled;
  }

  testsupport::TempDir Dir;
};

// A budget of a few steps' worth: most steps are compressed and spilled,
// and every undo and redo is still exact.
TEST_F(HistoryStoreTest, ASmallBudgetSpillsMostStepsAndStaysExact) {
  TDocument doc({16 * 1024, Dir.Path()});
  EXPECT_GT(RunRandomSession(doc, 20240611, 500), 10);
  EXPECT_FALSE(doc.Store->TakeSpillFailure());
  doc.Store->WaitUntilSettled();
  EXPECT_LE(doc.Store->Usage().MemoryBytes, doc.Store->Budget() + 4096 * 2);
}

// The spill folder's disk is full: steps stay in memory past the budget,
// nothing is lost, and the failure is reported exactly once.
TEST_F(HistoryStoreTest, AFullDiskKeepsStepsInMemoryAndReportsItOnce) {
  testsupport::TinyFileSystem disk(64 * 1024);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
  const std::filesystem::path folder = disk / "cache";
  std::filesystem::create_directory(folder);
  ASSERT_TRUE(disk.Fill());
  TDocument doc({16 * 1024, folder});
  EXPECT_EQ(RunRandomSession(doc, 7, 300), 0);
  doc.Store->WaitUntilSettled();
  EXPECT_GT(doc.Store->Usage().MemoryBytes, doc.Store->Budget());
  EXPECT_TRUE(doc.Store->TakeSpillFailure());
  EXPECT_FALSE(doc.Store->TakeSpillFailure());
  EXPECT_FALSE(doc.Model.TakeSpillFailure());
}

// The same through our own file layer's seam: the file is made, its writes
// fail, and no bytes of a failed spill stay in it.
TEST_F(HistoryStoreTest, AFailingWriteLeavesNoBytesBehind) {
  TDocument doc({4096, Dir.Path()});
  platform::SetWriteFault(ENOSPC);
  for (uint32_t i = 0; i < 6; ++i) {
    doc.Painter.Paint({0, 0, 64, 48}, i);
    doc.Painter.EndEdit();
  }
  doc.Store->WaitUntilSettled();
  EXPECT_EQ(doc.Store->Usage().Spilled, 0);
  EXPECT_EQ(doc.Store->Usage().SpilledBytes, 0u);
  EXPECT_TRUE(doc.Model.TakeSpillFailure());
  ASSERT_FALSE(doc.Store->SpillPath().empty());
  EXPECT_EQ(std::filesystem::file_size(doc.Store->SpillPath()), 0u);
  // Once the disk writes again, later steps spill.
  platform::SetWriteFault(0);
  doc.Painter.Paint({0, 0, 64, 48}, 99);
  doc.Painter.EndEdit();
  doc.Store->WaitUntilSettled();
  EXPECT_GT(doc.Store->Usage().Spilled, 0);
  EXPECT_FALSE(doc.Model.TakeSpillFailure());
}

// A step larger than the whole budget is still recorded, spilled, undone
// and redone exactly; its size is counted in 64 bits.
TEST_F(HistoryStoreTest, AStepLargerThanTheBudgetStillWorks) {
  TDocument doc({1024, Dir.Path()}, 300, 200);
  const TBytes before = doc.Image();
  doc.Painter.Paint({0, 0, 300, 200}, 5);
  doc.Painter.EndEdit();
  ASSERT_TRUE(doc.Painter.Committed);
  const TBytes after = doc.Image();
  doc.Store->WaitUntilSettled();
  EXPECT_EQ(doc.Store->Usage().Spilled, 1);
  ASSERT_TRUE(doc.History.Undo());
  EXPECT_EQ(doc.Image(), before);
  doc.Store->WaitUntilSettled();
  EXPECT_EQ(doc.Store->Usage().Spilled, 1);
  ASSERT_TRUE(doc.History.Redo());
  EXPECT_EQ(doc.Image(), after);
  EXPECT_EQ(PixelBytes(doc.Model.Backup), after);
}

// Without memory to bring a spilled step back, the undo is refused: the
// position, the image and the step stay, and a later undo works.
TEST_F(HistoryStoreTest, AnUndoWithoutMemoryChangesNothing) {
  TDocument doc({16, Dir.Path()});
  const TBytes before = doc.Image();
  doc.Painter.Paint({10, 10, 50, 40}, 3);
  doc.Painter.EndEdit();
  const TBytes after = doc.Image();
  doc.Store->WaitUntilSettled();
  ASSERT_EQ(doc.Store->Usage().Spilled, 1);
  platform::FailNextPageAllocations(1);
  EXPECT_FALSE(doc.History.Undo());
  EXPECT_EQ(doc.History.GetPosition(), 1);
  EXPECT_EQ(doc.Image(), after);
  EXPECT_TRUE(doc.History.Undo());
  EXPECT_EQ(doc.Image(), before);
}

// A new step after undos drops the redoable steps and their spilled bytes.
TEST_F(HistoryStoreTest, PushingAfterUndoFreesTheSpilledBytesOfTheRedoSteps) {
  TDocument doc({16, Dir.Path()});
  for (uint32_t i = 0; i < 4; ++i) {
    doc.Painter.Paint({0, 0, 64, 48}, i);
    doc.Painter.EndEdit();
  }
  doc.History.Undo();
  doc.History.Undo();
  doc.Store->WaitUntilSettled();
  ASSERT_EQ(doc.Store->Usage().Spilled, 4);
  const uint64_t spilled = doc.Store->Usage().SpilledBytes;
  doc.Painter.Paint({0, 0, 8, 8}, 9);
  doc.Painter.EndEdit();
  EXPECT_EQ(doc.History.Count(), 3);
  EXPECT_EQ(doc.Store->Usage().Spilled + doc.Store->Usage().Packed + doc.Store->Usage().Raw, 3);
  EXPECT_LT(doc.Store->Usage().SpilledBytes, spilled);
}

// Steps that restore whole buffers (crop, resize) read their copy back
// whole, whether it is raw, compressed or spilled; refused memory gives an
// empty buffer and false, never a partial one.
TEST_F(HistoryStoreTest, ACopyReadsBackExactlyFromEveryTier) {
  TVxPixelBuffer original(PixelFormat24, {3, 4, 203, 154});
  testsupport::FillPattern(original, 8);
  const TBytes expected = PixelBytes(original);
  struct TCase {
    uint64_t Budget;
    bool Spills;
    int32_t TVxHistoryStore::TUsage::*Tier;
  };
  const TCase cases[] = {{uint64_t(1) << 30, true, &TVxHistoryStore::TUsage::Raw},
                         {16, false, &TVxHistoryStore::TUsage::Packed},
                         {16, true, &TVxHistoryStore::TUsage::Spilled}};
  for (const TCase &c : cases) {
    const uint64_t budget = c.Budget;
    auto store = TVxHistoryStore::Create({budget, c.Spills ? Dir.Path() : std::filesystem::path()});
    TVxPixelBuffer copy(PixelFormat24, original.GetBounds());
    copy.Assign(original);
    TVxStoredPixels kept;
    store->Keep(copy, kept);
    store->WaitUntilSettled();
    EXPECT_EQ(store->Usage().*c.Tier, 1) << budget;
    TVxPixelBuffer out;
    ASSERT_TRUE(kept.CopyTo(out)) << budget;
    EXPECT_EQ(out.GetBounds(), original.GetBounds());
    EXPECT_EQ(PixelBytes(out), expected) << budget;
    platform::FailNextPageAllocations(1);
    EXPECT_FALSE(kept.CopyTo(out));
    EXPECT_EQ(out.Bits, nullptr);
  }
}

// The file is the owner's alone and goes with the document; before that, it
// survives a sweep, while the file of a killed run does not.
TEST_F(HistoryStoreTest, TheSpillFileIsPrivateAndRemovedWithItsDocumentOrAfterACrash) {
  std::filesystem::path path;
  {
    TDocument doc({16, Dir.Path()});
    doc.Painter.Paint({0, 0, 64, 48}, 1);
    doc.Painter.EndEdit();
    doc.Store->WaitUntilSettled();
    path = doc.Store->SpillPath();
    ASSERT_FALSE(path.empty());
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(platform::SpillFile::RemoveStale(Dir.Path()), 0);
    EXPECT_TRUE(std::filesystem::exists(path));
  }
  EXPECT_FALSE(std::filesystem::exists(path));

  // A run killed while its file was open leaves the file behind.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::error_code error;
    auto file = platform::SpillFile::Create(Dir.Path(), error);
    if (file) file->Write(file->Reserve(3), "abc", 3);
    raise(SIGKILL);
    _exit(1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  const std::filesystem::path other = Dir / "notes.txt";
  std::ofstream(other) << "not ours";
  int leftovers = 0;
  for (const auto &item : std::filesystem::directory_iterator(Dir.Path()))
    leftovers += item.path().extension() == ".spill" ? 1 : 0;
  ASSERT_EQ(leftovers, 1);
  EXPECT_EQ(platform::SpillFile::RemoveStale(Dir.Path()), 1);
  for (const auto &item : std::filesystem::directory_iterator(Dir.Path()))
    EXPECT_NE(item.path().extension(), ".spill");
  EXPECT_TRUE(std::filesystem::exists(other));
}

}  // namespace
