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

void TVxCommandHistoryList::Undo() {
  if (!CanUndo()) return;
  --Position;
  States[static_cast<size_t>(Position)]->Undo();
}

void TVxCommandHistoryList::Redo() {
  if (!CanRedo()) return;
  States[static_cast<size_t>(Position)]->Redo();
  ++Position;
}

TVxCommandState *TVxCommandHistoryList::LastDone() const {
  return CanUndo() ? States[static_cast<size_t>(Position - 1)].get() : nullptr;
}

TVxCommandState *TVxCommandHistoryList::NextRedo() const {
  return CanRedo() ? States[static_cast<size_t>(Position)].get() : nullptr;
}
