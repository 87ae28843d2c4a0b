#include "documents/VxEditModel.h"

#include <algorithm>
#include <utility>

#include "documents/VxGraphicsCommandState.h"
#include "imaging/VxResamplers.h"

namespace {

int32_t ScaledSide(int32_t side, int32_t newSide, int32_t oldSide) {
  if (oldSide <= 0) return std::max(newSide, 1);
  const double scaled = static_cast<double>(side) * newSide / oldSide;
  return static_cast<int32_t>(std::max<int64_t>(RoundHalfEven(scaled), 1));
}

bool SameSurface(const TVxPixels &a, const TVxPixels &b) {
  return a.Bits && b.Bits && a.Format == b.Format && a.GetBounds() == b.GetBounds();
}

}  // namespace

// --- Edit protocol -----------------------------------------------------------

TVxHistoryStore &TVxEditModel::HistoryStore() {
  if (!FStore) FStore = TVxHistoryStore::Create();
  return *FStore;
}

void TVxEditModel::BeginEdit(IVxEditOwner *owner) {
  if (EditActive) EndEdit(true);
  FChangedRect = {};
  FEditOwner = owner;
  EditActive = true;
}

void TVxEditModel::EndEdit(bool askOwner) {
  EditActive = false;
  // The owner commits from the changed rectangle, so it is cleared only after.
  if (askOwner && FEditOwner) FEditOwner->EndEdit();
  FChangedRect = {};
}

void TVxEditModel::ResetEdit() {
  EditActive = false;
  FEditOwner = nullptr;
  FChangedRect = {};
}

void TVxEditModel::AddChangedRect(const TVxRect &rect, bool replace) {
  const TVxRect inside = IntersectRect(rect, WorkingArea());
  FChangedRect = replace ? inside : UnionRect(FChangedRect, inside);
  if (!inside.IsEmpty()) NotifyImageRectChanged(inside);
}

bool TVxEditModel::BackupMatchesImage() const {
  const TVxPixels *image = ImagePixels();
  return image && SameSurface(Backup, *image);
}

bool TVxEditModel::CommitChanges(IVxEditOwner *owner) {
  // Only the owner of the edit commits it: a tool that still remembers an
  // edit that has been taken over must not commit another tool's changes.
  const TVxRect changed = IntersectRect(FChangedRect, WorkingArea());
  if (changed.IsEmpty() || owner != FEditOwner) return true;
  if (!AddCommandState(NewCommandState<TVxGraphicsCommandState>(owner, changed, this))) {
    RestoreFromBackup();
    ResetEdit();
    return false;
  }
  if (BackupMatchesImage())
    CopyPixelRows(Backup, *ImagePixels(), changed);
  else
    UpdateBackup();
  return true;
}

void TVxEditModel::RestoreFromBackup() {
  TVxPixels *image = ImagePixels();
  if (!image || !image->Bits || !Backup.Bits || Backup.Format != image->Format) return;
  const TVxRect overlap = IntersectRect(image->GetBounds(), Backup.GetBounds());
  if (overlap.IsEmpty()) return;
  CopyPixelRows(*image, Backup, overlap);
  NotifyImageRectChanged(overlap);
}

bool TVxEditModel::UpdateBackup() {
  const TVxPixels *image = ImagePixels();
  if (!image) {
    Backup.Clear();
    return true;
  }
  if (BackupMatchesImage()) {
    CopyPixelRows(Backup, *image, image->GetBounds());
    return true;
  }
  TVxPixelBuffer copy(image->Format, image->GetBounds());
  if (!copy.Bits) return image->GetBounds().IsEmpty();
  copy.Assign(*image);
  Backup.Swap(copy);
  return true;
}

bool TVxEditModel::AddCommandState(std::unique_ptr<TVxCommandState> state) {
  return FHistory.Push(std::move(state));
}

// --- Geometry ----------------------------------------------------------------

template <class F>
bool TVxEditModel::ChangeGeometry(int32_t width, int32_t height, F &&operation) {
  // The backup's block for the result first: when it is refused, nothing
  // has changed yet and the operation is not run.
  const TVxRect result{0, 0, width, height};
  TVxPixelBuffer next;
  if (!(Backup.Bits && Backup.GetBounds() == result)) {
    next.SetFormatAndBounds(PixelFormat24, result);
    if (!next.Bits) return false;
  }
  bool ok = operation();
  const TVxPixels *image = ImagePixels();
  if (image && !BackupMatchesImage() && SameSurface(next, *image)) {
    CopyPixelRows(next, *image, image->GetBounds());
    Backup.Swap(next);
  } else {
    ok = UpdateBackup() && ok;
  }
  if (Events) Events->GeometryChanged();
  return ok;
}

bool TVxEditModel::ApplyToBoth(bool (TVxLTBitmap::*operation)(), bool swapsSides) {
  const int32_t width = swapsSides ? Image.Height() : Image.Width();
  const int32_t height = swapsSides ? Image.Width() : Image.Height();
  return ChangeGeometry(width, height,
                        [&] { return (Image.*operation)() & (Original.*operation)(); });
}

bool TVxEditModel::RotateLeft() { return ApplyToBoth(&TVxLTBitmap::RotateLeft, true); }

bool TVxEditModel::RotateRight() { return ApplyToBoth(&TVxLTBitmap::RotateRight, true); }

bool TVxEditModel::FlipHorizontal() { return ApplyToBoth(&TVxLTBitmap::FlipHorizontal, false); }

bool TVxEditModel::FlipVertical() { return ApplyToBoth(&TVxLTBitmap::FlipVertical, false); }

bool TVxEditModel::Crop(const TVxRect &rect) {
  const TVxRect area = IntersectRect(rect, WorkingArea());
  if (area.IsEmpty()) return false;
  return ChangeGeometry(area.Width(), area.Height(),
                        [&] { return Image.Crop(area) & Original.Crop(area); });
}

bool TVxEditModel::Resize(int32_t width, int32_t height, bool withOriginal) {
  if (width < 1 || height < 1) return false;
  return ChangeGeometry(width, height, [&] {
    const int32_t oldWidth = Image.Width();
    const int32_t oldHeight = Image.Height();
    bool ok = Image.Resample(width, height);
    if (withOriginal && Original.Pixels()) {
      if (Original.Width() == oldWidth && Original.Height() == oldHeight)
        ok &= Original.Resample(width, height);
      else
        ok &= Original.Resample(ScaledSide(Original.Width(), width, oldWidth),
                                ScaledSide(Original.Height(), height, oldHeight));
    }
    return ok;
  });
}

bool TVxEditModel::SetCanvasSize(int32_t width, int32_t height, bool withOriginal) {
  if (width < 1 || height < 1) return false;
  return ChangeGeometry(width, height, [&] {
    bool ok = Image.SetCanvasSize(width, height);
    if (withOriginal) ok &= Original.SetCanvasSize(width, height);
    return ok;
  });
}

bool TVxEditModel::RestoreFromBuffers(const TVxPixels &image, const TVxPixels *original) {
  return ChangeGeometry(image.Width, image.Height, [&] {
    bool ok = Image.AssignFromBuffer(image);
    if (original) ok &= Original.AssignFromBuffer(*original);
    return ok;
  });
}

bool TVxEditModel::SaveToBuffers(TVxPixelBuffer &image, TVxPixelBuffer *original) const {
  bool ok = Image.CopyToBuffer(image);
  if (original) ok &= Original.CopyToBuffer(*original);
  return ok;
}

std::unique_ptr<TVxLTBitmap> TVxEditModel::MakeFitBitmap(int32_t size) const {
  const TVxPixels *image = ImagePixels();
  if (!image || size < 1 || image->Format != PixelFormat24) return nullptr;
  const int32_t width = Image.Width();
  const int32_t height = Image.Height();
  int32_t fitWidth = size;
  int32_t fitHeight = size;
  if (width >= height)
    fitHeight = std::max(MulDiv(height, size, width), 1);
  else
    fitWidth = std::max(MulDiv(width, size, height), 1);
  auto bitmap = std::make_unique<TVxLTBitmap>();
  if (!bitmap->SetSize(fitWidth, fitHeight, PixelFormat24)) return nullptr;
  const TVxRect bounds = bitmap->BoundsRect();
  Resample(*bitmap->Pixels(), bounds, bounds, TLanczosResampler(), Image.BoundsRect(), *image);
  return bitmap;
}

// --- Events ------------------------------------------------------------------

void TVxEditModel::NotifyImageAreaChanged(IVxEditOwner *owner, const TVxRect &rect) {
  if (Events) Events->ImageAreaChanged(owner, rect);
}

void TVxEditModel::NotifyImageRectChanged(const TVxRect &rect) {
  if (Events) Events->ImageRectChanged(rect);
}

void TVxEditModel::NotifyModified() {
  if (Events) Events->ImageModified();
}
