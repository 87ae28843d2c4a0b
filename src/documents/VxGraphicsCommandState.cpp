#include "documents/VxGraphicsCommandState.h"

namespace {

// A copy of the part rect of src; false when src does not hold all of rect or
// the copy cannot be allocated. Nothing to copy counts as success.
bool TakeCopy(TVxPixelBuffer &copy, const TVxPixels *src, const TVxRect &rect) {
  copy.Clear();
  if (rect.IsEmpty()) return true;
  if (!src || !src->Bits || IntersectRect(rect, src->GetBounds()) != rect) return false;
  copy.SetFormatAndBounds(src->Format, rect);
  if (!copy.Bits) return false;
  copy.Assign(*src);
  return true;
}

}  // namespace

// --- TVxCustomGraphicsCommandState -------------------------------------------

void TVxCustomGraphicsCommandState::Create(IVxEditOwner *tool, const TVxRect &rect,
                                           TVxEditModel *model) {
  Tool = tool;
  Rect = rect;
  Model = model;
  if (Model) Model->NotifyImageAreaChanged(Tool, Rect);
}

void TVxCustomGraphicsCommandState::Undo() {
  if (Model) Model->NotifyImageAreaChanged(Tool, Rect);
}

void TVxCustomGraphicsCommandState::Redo() {
  if (Model) Model->NotifyImageAreaChanged(Tool, Rect);
}

// --- TVxGraphicsCommandState -------------------------------------------------

void TVxGraphicsCommandState::Create(IVxEditOwner *tool, const TVxRect &rect, TVxEditModel *model) {
  TVxCustomGraphicsCommandState::Create(tool, rect, model);
  Kept = false;
  if (!model) return;
  // Only the part inside the image can change, so only that part is kept.
  const TVxRect inside = IntersectRect(rect, model->WorkingArea());
  Before.Bounds = After.Bounds = inside;
  TVxPixelBuffer copy;
  if (!TakeCopy(copy, &model->Backup, inside)) return;
  if (copy.Bits) model->HistoryStore().Keep(copy, Pixels);
  Kept = true;
  model->NotifyModified();
}

bool TVxGraphicsCommandState::Exchange() {
  TVxPixels *image = Model ? Model->ImagePixels() : nullptr;
  if (!image) return true;
  if (Pixels) {
    if (!Pixels.ExchangeWith(*image)) return false;
    Model->NotifyImageRectChanged(Pixels.Bounds());
  }
  Model->Backup.Assign(*image);
  return true;
}

bool TVxGraphicsCommandState::TryUndo() {
  if (!Exchange()) return false;
  TVxCustomGraphicsCommandState::Undo();
  return true;
}

bool TVxGraphicsCommandState::TryRedo() {
  if (!Exchange()) return false;
  if (Model && Model->ImagePixels()) Model->NotifyModified();
  TVxCustomGraphicsCommandState::Redo();
  return true;
}
