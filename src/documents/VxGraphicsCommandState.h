#pragma once
// The undo steps of image changes. They work on an edit model, so they run
// and are tested without a window; the image document hands its model in.

#include <memory>

#include "base/VxTypes.h"
#include "documents/VxCommandHistory.h"
#include "documents/VxEditModel.h"
#include "imaging/VxPixels.h"

// An undo step of an image change. States are made in two steps: construct,
// then Create, which geometry tools override for their own states.
class TVxCustomGraphicsCommandState : public TVxCommandState {
 public:
  void Undo() override;
  void Redo() override;
  // Stores the three values and tells every tool the area changed.
  virtual void Create(IVxEditOwner *tool, const TVxRect &rect, TVxEditModel *model);

  IVxEditOwner *Tool = nullptr;
  TVxEditModel *Model = nullptr;
  TVxRect Rect;
};

// The state class's constructor and Create in one.
template <class TState>
std::unique_ptr<TState> NewCommandState(IVxEditOwner *tool, const TVxRect &rect,
                                        TVxEditModel *model) {
  auto state = std::make_unique<TState>();
  state->Create(tool, rect, model);
  return state;
}

// The pixels of one rectangle before (from the backup) and after (from the
// image) a retouching change; only the part inside the image is kept.
class TVxGraphicsCommandState : public TVxCustomGraphicsCommandState {
 public:
  void Create(IVxEditOwner *tool, const TVxRect &rect, TVxEditModel *model) override;
  void Undo() override;
  void Redo() override;
  // False when either copy could not be taken.
  bool IsComplete() const override { return Kept; }

  TVxPixelBuffer Before;
  TVxPixelBuffer After;

 private:
  bool Kept = false;
};
