#pragma once
// The image document: the working image, the original as opened, the backup
// of the last commit and the metadata; the edit protocol of the tools; the
// whole-image geometry operations; and the undo steps of image changes.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "documents/VxEditor.h"
#include "base/VxProperties.h"
#include "base/VxTypes.h"
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
// opens edits and makes command states.
class IVxGraphicsDocumentClient {
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
  // Asked by the document to commit the tool's open edit.
  virtual void EndEdit() = 0;
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

class TVxGraphicsDocument : public TVxDocument {
  Q_OBJECT
 public:
  explicit TVxGraphicsDocument(TVxEditor *editor);
  ~TVxGraphicsDocument() override;

  TVxLTBitmap Image;
  TVxLTBitmap Original;
  TVxPixelBuffer Backup;
  TVxGraphicsDocumentProperties Properties;
  // Read from a plug-in exchange file (not merely an image of format -1).
  bool ReadFromExchangeFile = false;

  // Null while the bitmap is empty.
  TVxPixels *ImagePixels() const { return Image.Pixels(); }
  TVxPixels *OriginalPixels() const { return Original.Pixels(); }
  // The image bounds.
  TVxRect WorkingArea() const { return Image.BoundsRect(); }

  bool IsEditing() const { return EditActive; }
  IVxGraphicsDocumentClient *EditTool() const { return FEditTool; }
  const TVxRect &ChangedRect() const { return FChangedRect; }

  // The image view, or null when none was made.
  IVxGraphicsDocumentView *GraphicsView() const;

  QWidget *CreateView() override;
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
  void AddChangedRect(const TVxRect &rect, bool replace);
  // Repaints rect (image coordinates) in the view, if there is one.
  void InvalidateImageRect(const TVxRect &rect);
  // Backup := copy of Image.
  bool UpdateBackup();
  // Document bounds and scroll range of the view, image size in the status bar.
  void Refresh();

  // Each changes Image and Original alike, then the backup and the view.
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
  void AddCommandState(std::unique_ptr<TVxCommandState> state);

  // Every tool of the application, in creation order.
  static std::vector<IVxGraphicsDocumentClient *> Tools();

 protected:
  // The one place the image view is made; tests put their own view here.
  virtual IVxGraphicsDocumentView *NewGraphicsView();

 private:
  void AfterGeometryChange();
  bool ApplyToBoth(bool (TVxLTBitmap::*operation)());
  template <class F>
  void ForEachTool(F &&f);

  bool EditActive = false;
  IVxGraphicsDocumentClient *FEditTool = nullptr;
  TVxRect FChangedRect;
  IVxGraphicsDocumentView *FGraphicsView = nullptr;
};

// An undo step of an image change. States are made in two steps: construct,
// then Create, which geometry tools override for their own states.
class TVxCustomGraphicsCommandState : public TVxCommandState {
 public:
  void Undo() override;
  void Redo() override;
  // Stores the three values and tells every tool the area changed.
  virtual void Create(IVxGraphicsDocumentClient *tool, const TVxRect &rect,
                      TVxGraphicsDocument *document);

  IVxGraphicsDocumentClient *Tool = nullptr;
  TVxGraphicsDocument *Document = nullptr;
  TVxRect Rect;
};

// The state class's constructor and Create in one.
template <class TState>
std::unique_ptr<TState> NewCommandState(IVxGraphicsDocumentClient *tool, const TVxRect &rect,
                                        TVxGraphicsDocument *document) {
  auto state = std::make_unique<TState>();
  state->Create(tool, rect, document);
  return state;
}

// The pixels of one rectangle before (from Backup) and after (from Image)
// a retouching change.
class TVxGraphicsCommandState : public TVxCustomGraphicsCommandState {
 public:
  void Create(IVxGraphicsDocumentClient *tool, const TVxRect &rect,
              TVxGraphicsDocument *document) override;
  void Undo() override;
  void Redo() override;

  TVxPixelBuffer Before;
  TVxPixelBuffer After;
};
