#pragma once
// The pixel side of an image document, free of any window system: the working
// image, the original as opened and the backup of the last commit; the open
// edit with its changed rectangle; commit and cancel; and the whole-image
// geometry operations. The image document wraps one and adds the file, the
// view and the tools; the image undo steps work on the model.

#include <cstdint>
#include <memory>

#include "base/VxTypes.h"
#include "documents/VxCommandHistory.h"
#include "documents/VxHistoryStore.h"
#include "imaging/VxBitmap.h"
#include "imaging/VxPixels.h"

// Whoever holds an edit open on a model (a tool). Asked to end its edit,
// committing what it changed, when another edit begins or the document closes.
class IVxEditOwner {
 public:
  virtual void EndEdit() = 0;

 protected:
  IVxEditOwner() = default;
  IVxEditOwner(const IVxEditOwner &) = default;
  IVxEditOwner &operator=(const IVxEditOwner &) = default;
  ~IVxEditOwner() = default;
};

// What a model tells whoever shows it. The image document passes these on to
// its view, its tools and its saved flag.
class IVxEditModelEvents {
 public:
  // An undo step over rect, made by owner, was created, undone or redone.
  virtual void ImageAreaChanged(IVxEditOwner *owner, const TVxRect &rect) = 0;
  // rect (image coordinates) shows other pixels now.
  virtual void ImageRectChanged(const TVxRect &rect) = 0;
  // The image no longer equals its file.
  virtual void ImageModified() = 0;
  // A geometry operation ran: the image may have new bounds.
  virtual void GeometryChanged() = 0;

 protected:
  IVxEditModelEvents() = default;
  IVxEditModelEvents(const IVxEditModelEvents &) = default;
  IVxEditModelEvents &operator=(const IVxEditModelEvents &) = default;
  ~IVxEditModelEvents() = default;
};

class TVxEditModel {
 public:
  // The model pushes its undo steps onto history, which must outlive it.
  explicit TVxEditModel(TVxCommandHistoryList &history) : FHistory(history) {}
  TVxEditModel(const TVxEditModel &) = delete;
  TVxEditModel &operator=(const TVxEditModel &) = delete;

  // The working image, always 24-bit.
  TVxLTBitmap Image;
  // The image as read; follows only the geometry operations.
  TVxLTBitmap Original;
  // The image as of the last commit: tools read their source pixels from it,
  // and it is what an edit that cannot be kept goes back to.
  TVxPixelBuffer Backup;

  TVxCommandHistoryList &History() const { return FHistory; }
  // Where the undo steps keep their pixels; made with the program's defaults
  // on first use. The steps hold it too, so it lives as long as they do.
  TVxHistoryStore &HistoryStore();
  // Before the first step: a store of other options (tests, measurements).
  void SetHistoryStore(std::shared_ptr<TVxHistoryStore> store) { FStore = std::move(store); }
  // True once after the store could not write to the disk (see TakeSpillFailure).
  bool TakeSpillFailure() { return FStore && FStore->TakeSpillFailure(); }
  // Null: nobody listens.
  void SetEvents(IVxEditModelEvents *events) { Events = events; }

  // Null while the bitmap is empty.
  TVxPixels *ImagePixels() const { return Image.Pixels(); }
  TVxPixels *OriginalPixels() const { return Original.Pixels(); }
  // The image bounds: where tools work and where changes are kept.
  TVxRect WorkingArea() const { return Image.BoundsRect(); }

  bool IsEditing() const { return EditActive; }
  // The owner of the open or the last edit.
  IVxEditOwner *EditOwner() const { return FEditOwner; }
  // Always inside the working area.
  const TVxRect &ChangedRect() const { return FChangedRect; }

  // Opens an edit for owner; an open edit is first ended by its owner.
  void BeginEdit(IVxEditOwner *owner);
  // Closes the edit; with askOwner the edit's owner is asked to end it
  // (commit) first. The owner stays recorded.
  void EndEdit(bool askOwner);
  // Closes the edit and forgets its owner; nothing is committed.
  void ResetEdit();
  // Grows (or, with replace, sets) the changed rectangle by the part of rect
  // inside the image: an undo step never has to copy pixels that do not
  // exist, and an edit wholly outside the image leaves no step.
  void AddChangedRect(const TVxRect &rect, bool replace);

  // One undo step over the changed rectangle made by owner, then the backup
  // catches up. Nothing happens when nothing changed or owner does not own
  // the (open or just ended) edit. False when the step
  // could not keep its pixels: then nothing is pushed, the image goes back
  // to the backup and the edit is closed as by a reset.
  bool CommitChanges(IVxEditOwner *owner);
  // The image as of the last commit again (where image and backup meet).
  void RestoreFromBackup();
  // Backup := copy of Image. A refused copy keeps the old backup: false.
  bool UpdateBackup();
  // The history's Push: false when the state is incomplete and was dropped.
  bool AddCommandState(std::unique_ptr<TVxCommandState> state);

  // Each changes Image and Original alike, then the backup. The backup's
  // new block is taken before anything changes, so running out of memory
  // leaves everything as it was.
  bool RotateLeft();
  bool RotateRight();
  bool FlipHorizontal();
  bool FlipVertical();
  // Nothing happens when rect misses the image.
  bool Crop(const TVxRect &rect);
  bool Resize(int32_t width, int32_t height, bool withOriginal);
  bool SetCanvasSize(int32_t width, int32_t height, bool withOriginal);
  // original may be null: Original stays as it is.
  bool RestoreFromBuffers(const TVxPixels &image, const TVxPixels *original);
  bool SaveToBuffers(TVxPixelBuffer &image, TVxPixelBuffer *original) const;
  // The image scaled to fit a size x size square (Lanczos); null on failure.
  std::unique_ptr<TVxLTBitmap> MakeFitBitmap(int32_t size) const;

  // For the undo steps: passed on to the events.
  void NotifyImageAreaChanged(IVxEditOwner *owner, const TVxRect &rect);
  void NotifyImageRectChanged(const TVxRect &rect);
  void NotifyModified();

 private:
  template <class F>
  bool ChangeGeometry(int32_t width, int32_t height, F &&operation);
  bool ApplyToBoth(bool (TVxLTBitmap::*operation)(), bool swapsSides);
  bool BackupMatchesImage() const;

  TVxCommandHistoryList &FHistory;
  std::shared_ptr<TVxHistoryStore> FStore;
  IVxEditModelEvents *Events = nullptr;
  bool EditActive = false;
  IVxEditOwner *FEditOwner = nullptr;
  TVxRect FChangedRect;
};
