#include "documents/VxCommandHistory.h"

void TVxCommandHistoryList::DiscardRedo() {
  while (CanRedo()) States.pop_back();
}

bool TVxCommandHistoryList::Push(std::unique_ptr<TVxCommandState> state) {
  if (!state || !state->IsComplete()) return false;
  DiscardRedo();
  States.push_back(std::move(state));
  ++Position;
  return true;
}

bool TVxCommandHistoryList::Undo() {
  if (!CanUndo()) return false;
  // The position moves first, as the state may look at it while it undoes.
  --Position;
  if (States[static_cast<size_t>(Position)]->TryUndo()) return true;
  ++Position;
  return false;
}

bool TVxCommandHistoryList::Redo() {
  if (!CanRedo()) return false;
  if (!States[static_cast<size_t>(Position)]->TryRedo()) return false;
  ++Position;
  return true;
}

TVxCommandState *TVxCommandHistoryList::LastDone() const {
  return CanUndo() ? States[static_cast<size_t>(Position - 1)].get() : nullptr;
}

TVxCommandState *TVxCommandHistoryList::NextRedo() const {
  return CanRedo() ? States[static_cast<size_t>(Position)].get() : nullptr;
}
