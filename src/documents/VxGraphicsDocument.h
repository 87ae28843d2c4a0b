#pragma once
// The image document: an edit model (the working image, the original as
// opened, the backup of the last commit, the edit protocol of the tools and
// the whole-image geometry operations) with the metadata, the view and the
// tools around it.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/VxProperties.h"
#include "base/VxTypes.h"
#include "documents/VxEditModel.h"
#include "documents/VxEditor.h"
#include "documents/VxGraphicsCommandState.h"
#include "imaging/VxBitmap.h"
#include "imaging/VxMapMode.h"
#include "imaging/VxPixels.h"

class TVxGraphicsDocument;

// What the image document needs of its view.
class IVxGraphicsDocumentView {
 public:
  virtual QWidget *Widget() = 0;
  // Image (logical) to window (device) coordinates at the current zoom.
  virtual const TVxMapMode &MapMode() const = 0;
  // Repaints a window area later, without erasing it first.
  virtual void InvalidateDeviceRect(const TVxRect &rect) = 0;
  // Sets the bounds of the view object that shows the document.
  virtual void SetDocumentBounds(const TVxRect &bounds) = 0;
  virtual void UpdateScrollRange() = 0;

 protected:
  IVxGraphicsDocumentView() = default;
  IVxGraphicsDocumentView(const IVxGraphicsDocumentView &) = default;
  IVxGraphicsDocumentView &operator=(const IVxGraphicsDocumentView &) = default;
  ~IVxGraphicsDocumentView() = default;
};

// What an image document tells every tool. Every application component that
// implements it counts as a tool, in creation order. A tool is also what
// opens edits and makes command states; EndEdit (from IVxEditOwner) is the
// document asking it to commit its open edit.
class IVxGraphicsDocumentClient : public IVxEditOwner {
 public:
  virtual void DocumentOpened(TVxGraphicsDocument *document) = 0;
  virtual void DocumentClosing(TVxGraphicsDocument *document) = 0;
  // Just before the document's image is written to a file.
  virtual void BeforeSave(TVxGraphicsDocument *document) = 0;
  // state: the history's last applied state before the undo, resp. after it.
  virtual void BeforeUndo(TVxCommandState *state) = 0;
  virtual void AfterUndo(TVxCommandState *state) = 0;
  // state: the state about to be redone, resp. the next one after it.
  virtual void BeforeRedo(TVxCommandState *state) = 0;
  virtual void AfterRedo(TVxCommandState *state) = 0;
  // tool changed rect of document (a command state made, undone or redone).
  virtual void ImageAreaChanged(TVxGraphicsDocument *document, IVxGraphicsDocumentClient *tool,
                                const TVxRect &rect) = 0;
  // The image was given a new pixel surface while this tool is current.
  virtual void SetImagePixels(TVxPixels *pixels) = 0;

 protected:
  IVxGraphicsDocumentClient() = default;
  IVxGraphicsDocumentClient(const IVxGraphicsDocumentClient &) = default;
  IVxGraphicsDocumentClient &operator=(const IVxGraphicsDocumentClient &) = default;
  ~IVxGraphicsDocumentClient() = default;
};

// What the image document needs of the image editor (its editor, when the
// editor implements it).
class IVxGraphicsDocumentHost {
 public:
  virtual IVxGraphicsDocumentClient *CurrentGraphicsTool() const = 0;

 protected:
  IVxGraphicsDocumentHost() = default;
  IVxGraphicsDocumentHost(const IVxGraphicsDocumentHost &) = default;
  IVxGraphicsDocumentHost &operator=(const IVxGraphicsDocumentHost &) = default;
  ~IVxGraphicsDocumentHost() = default;
};

// Makes the image view of a document; the document owns the widget. Null
// while no image view exists in the program.
IVxGraphicsDocumentView *CreateGraphicsDocumentView(TVxGraphicsDocument &document);

class TVxGraphicsDocument : public TVxDocument, private IVxEditModelEvents {
  Q_OBJECT
  // First: the pixel names below refer into it.
  TVxEditModel FModel;

 public:
  explicit TVxGraphicsDocument(TVxEditor *editor);
  ~TVxGraphicsDocument() override;

  // The pixel side, which the document wraps; the undo steps work on it.
  TVxEditModel &Model() { return FModel; }
  const TVxEditModel &Model() const { return FModel; }

  TVxLTBitmap &Image;
  TVxLTBitmap &Original;
  TVxPixelBuffer &Backup;
  TVxGraphicsDocumentProperties Properties;
  // Read from a plug-in exchange file (not merely an image of format -1).
  bool ReadFromExchangeFile = false;

  // Null while the bitmap is empty.
  TVxPixels *ImagePixels() const { return FModel.ImagePixels(); }
  TVxPixels *OriginalPixels() const { return FModel.OriginalPixels(); }
  // The image bounds.
  TVxRect WorkingArea() const { return FModel.WorkingArea(); }

  bool IsEditing() const { return FModel.IsEditing(); }
  IVxGraphicsDocumentClient *EditTool() const;
  // Always inside the image.
  const TVxRect &ChangedRect() const { return FModel.ChangedRect(); }

  // The image view, or null when none was made.
  IVxGraphicsDocumentView *GraphicsView() const;

  QWidget *CreateView() override;
  // Every tool hears DocumentClosing and ends or cancels its open edit; an
  // edit still open after that is committed, so no tool is left editing a
  // document that is about to be freed.
  void PrepareClose() override;
  void BeforeSave() override;
  void DocumentOpened() override;

  // Opens an edit for tool; an open edit is committed by its tool first.
  void BeginToolEdit(IVxGraphicsDocumentClient *tool);
  // Closes the edit. When sender is this document, the edit's tool is asked
  // to commit (EndEdit). The edit tool stays recorded.
  void EndToolEdit(const void *sender);
  // Closes the edit and forgets its tool; nothing is committed.
  void ResetToolEdit();
  // Grows (or, with replace, sets) the changed rectangle by the part of rect
  // inside the image, and repaints that part.
  void AddChangedRect(const TVxRect &rect, bool replace);
  // Repaints rect (image coordinates) in the view, if there is one.
  void InvalidateImageRect(const TVxRect &rect);
  // Backup := copy of Image; false (the old backup kept) when memory ran out.
  bool UpdateBackup();
  // Document bounds and scroll range of the view, image size in the status bar.
  void Refresh();

  // Each changes Image and Original alike, then the backup and the view; when
  // memory for the new backup is refused nothing changes.
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

  void NotifyImageAreaChanged(IVxGraphicsDocumentClient *tool, const TVxRect &rect);
  void NotifyBeforeUndo();
  void NotifyAfterUndo();
  void NotifyBeforeRedo();
  void NotifyAfterRedo();
  // False when the state is incomplete (memory ran out) and was dropped.
  bool AddCommandState(std::unique_ptr<TVxCommandState> state);

  // Every tool of the application, in creation order.
  static std::vector<IVxGraphicsDocumentClient *> Tools();

 protected:
  // The one place the image view is made; tests put their own view here.
  virtual IVxGraphicsDocumentView *NewGraphicsView();

 private:
  // IVxEditModelEvents
  void ImageAreaChanged(IVxEditOwner *owner, const TVxRect &rect) override;
  void ImageRectChanged(const TVxRect &rect) override { InvalidateImageRect(rect); }
  void ImageModified() override { SetSaved(false); }
  void GeometryChanged() override { Refresh(); }

  template <class F>
  void ForEachTool(F &&f);

  IVxGraphicsDocumentView *FGraphicsView = nullptr;
};

// A state of class TState over document's model.
template <class TState>
std::unique_ptr<TState> NewCommandState(IVxGraphicsDocumentClient *tool, const TVxRect &rect,
                                        TVxGraphicsDocument *document) {
  return NewCommandState<TState>(static_cast<IVxEditOwner *>(tool), rect,
                                 document ? &document->Model() : nullptr);
}
