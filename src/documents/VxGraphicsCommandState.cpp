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

// The part of src that overlaps dst, at the same absolute coordinates.
void CopyOverlap(const TVxPixels &dst, const TVxPixels &src) {
  if (!dst.Bits || !src.Bits || dst.Format != src.Format) return;
  const TVxRect overlap = IntersectRect(dst.GetBounds(), src.GetBounds());
  if (!overlap.IsEmpty()) CopyPixelRows(dst, src, overlap);
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
  Kept = TakeCopy(Before, &model->Backup, inside) && TakeCopy(After, model->ImagePixels(), inside);
  if (!Kept) {
    // Half a step is no step: give the memory back at once.
    Before.Clear();
    After.Clear();
    return;
  }
  model->NotifyModified();
}

void TVxGraphicsCommandState::Undo() {
  if (TVxPixels *image = Model ? Model->ImagePixels() : nullptr) {
    CopyOverlap(*image, Before);
    Model->NotifyImageRectChanged(Before.GetBounds());
    Model->Backup.Assign(*image);
  }
  TVxCustomGraphicsCommandState::Undo();
}

void TVxGraphicsCommandState::Redo() {
  if (TVxPixels *image = Model ? Model->ImagePixels() : nullptr) {
    CopyOverlap(*image, After);
    Model->NotifyImageRectChanged(After.GetBounds());
    Model->Backup.Assign(*image);
    Model->NotifyModified();
  }
  TVxCustomGraphicsCommandState::Redo();
}
