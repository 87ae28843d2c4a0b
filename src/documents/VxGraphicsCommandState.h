#pragma once
// The undo steps of image changes. They work on an edit model, so they run
// and are tested without a window; the image document hands its model in.

#include <memory>

#include "base/VxTypes.h"
#include "documents/VxCommandHistory.h"
#include "documents/VxEditModel.h"
#include "documents/VxHistoryStore.h"
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

// A retouching change over one rectangle; only the part inside the image is
// kept. Undo and redo run in order, so while the step is done the image shows
// its after pixels and while it is undone its before pixels: the step needs
// to keep only the side the image does not show, and undo and redo exchange
// it with the image. That one copy lives in the model's history store, which
// compresses or spills it when it grows old.
class TVxGraphicsCommandState : public TVxCustomGraphicsCommandState {
 public:
  void Create(IVxEditOwner *tool, const TVxRect &rect, TVxEditModel *model) override;
  void Undo() override { TryUndo(); }
  void Redo() override { TryRedo(); }
  // False, with the image unchanged, when the kept copy could not be brought
  // back (memory for it refused, its spill file unreadable).
  bool TryUndo() override;
  bool TryRedo() override;
  // False when the copy could not be taken.
  bool IsComplete() const override { return Kept; }

  // The rectangle each side covers: the part of Rect inside the image.
  struct TSide {
    TVxRect Bounds;
    TVxRect GetBounds() const { return Bounds; }
  };
  TSide Before;
  TSide After;
  // The side the image does not show now.
  TVxStoredPixels Pixels;

 private:
  bool Exchange();
  bool Kept = false;
};
