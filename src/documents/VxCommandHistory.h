#pragma once
// The undo history of a document: every recorded step, oldest first, and the
// number of steps currently applied.

#include <cstdint>
#include <memory>
#include <vector>

// One undoable step. Whoever performed the command creates the state after
// applying it; creating a state never applies anything.
class TVxCommandState {
 public:
  virtual ~TVxCommandState() = default;
  virtual void Undo() = 0;
  virtual void Redo() = 0;
  // False when the state could not keep what its Undo and Redo need (memory
  // ran out while it took its copies). Such a step would undo to the wrong
  // image, so the history never takes it.
  virtual bool IsComplete() const { return true; }
  // Undo and Redo for states that can fail, such as one whose pixels must
  // first be brought back from the disk: false when nothing was changed.
  // The history moves only over a step that succeeded.
  virtual bool TryUndo() {
    Undo();
    return true;
  }
  virtual bool TryRedo() {
    Redo();
    return true;
  }
};

class TVxCommandHistoryList {
 public:
  // Frees the redoable states, newest first.
  void DiscardRedo();
  // Drops the redoable states, then appends state as the newest applied one.
  // A null or incomplete state is refused: false, and nothing changes (the
  // redoable states stay as well).
  bool Push(std::unique_ptr<TVxCommandState> state);
  bool CanUndo() const { return Position > 0; }
  bool CanRedo() const { return Position < Count(); }
  // False when there was nothing to undo or the state failed (TryUndo):
  // then the position stays where it was.
  bool Undo();
  bool Redo();
  // The state at Position - 1, or null.
  TVxCommandState *LastDone() const;
  // The state at Position, or null.
  TVxCommandState *NextRedo() const;
  int32_t CurrentIndex() const { return Position - 1; }
  int32_t Count() const { return static_cast<int32_t>(States.size()); }
  int32_t GetPosition() const { return Position; }
  TVxCommandState *At(int32_t index) const { return States.at(static_cast<size_t>(index)).get(); }

 private:
  std::vector<std::unique_ptr<TVxCommandState>> States;
  int32_t Position = 0;
};
