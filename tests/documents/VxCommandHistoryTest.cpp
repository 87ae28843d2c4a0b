#include <gtest/gtest.h>

#include <string>

#include "documents/VxCommandHistory.h"

namespace {

// Records what happens to each state in one shared log.
struct Step : TVxCommandState {
  Step(std::string name, std::string &log) : Name(std::move(name)), Log(log) {}
  ~Step() override { Log += "~" + Name + " "; }
  void Undo() override { Log += "u" + Name + " "; }
  void Redo() override { Log += "r" + Name + " "; }
  bool IsComplete() const override { return Complete; }
  std::string Name;
  std::string &Log;
  bool Complete = true;
};

TEST(CommandHistory, UndoAndRedoMoveThePositionAndCallTheRightState) {
  std::string log;
  TVxCommandHistoryList history;
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(history.LastDone(), nullptr);
  history.Undo();  // nothing to undo: nothing happens
  for (const char *name : {"A", "B", "C"}) history.Push(std::make_unique<Step>(name, log));
  EXPECT_EQ(history.CurrentIndex(), 2);
  history.Undo();
  history.Undo();
  EXPECT_EQ(log, "uC uB ");
  EXPECT_EQ(history.LastDone(), history.At(0));
  EXPECT_EQ(history.NextRedo(), history.At(1));
  history.Redo();
  EXPECT_EQ(log, "uC uB rB ");
  EXPECT_TRUE(history.CanRedo());
  history.Redo();
  history.Redo();  // nothing left to redo
  EXPECT_EQ(log, "uC uB rB rC ");
  EXPECT_FALSE(history.CanRedo());
}

TEST(CommandHistory, PushAfterTwoUndosFreesTheUndoneStatesNewestFirst) {
  std::string log;
  TVxCommandHistoryList history;
  for (const char *name : {"A", "B", "C"}) history.Push(std::make_unique<Step>(name, log));
  history.Undo();
  history.Undo();
  log.clear();
  history.Push(std::make_unique<Step>("D", log));
  EXPECT_EQ(log, "~C ~B ");
  EXPECT_EQ(history.Count(), 2);
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.LastDone(), history.At(1));
}

TEST(CommandHistory, AnIncompleteStateIsRefusedAndTheRedoableStatesStay) {
  std::string log;
  TVxCommandHistoryList history;
  for (const char *name : {"A", "B"}) history.Push(std::make_unique<Step>(name, log));
  history.Undo();
  log.clear();
  auto empty = std::make_unique<Step>("E", log);
  empty->Complete = false;
  EXPECT_FALSE(history.Push(std::move(empty)));
  EXPECT_FALSE(history.Push(nullptr));
  EXPECT_EQ(log, "~E ");
  EXPECT_EQ(history.Count(), 2);
  EXPECT_EQ(history.GetPosition(), 1);
  EXPECT_TRUE(history.CanRedo());
}

}  // namespace
