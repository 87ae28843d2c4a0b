#pragma once
// The open and save dialogs with a preview panel on their right: a picture
// of the selected file above its description. A worker thread makes the
// pictures so that browsing large photographs never blocks the dialog.

#include <QFileDialog>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "documents/VxFileFormats.h"

class QFrame;
class QLabel;
class QPainter;

// Makes thumbnails and descriptions for a dialog; both read the file, which
// takes a while for a large photograph, so neither runs on the dialog's
// thread. Only the newest request is served; what is finished after a newer
// request arrived is thrown away.
class TVxDialogPreviewThread {
 public:
  // paint runs on the thread of context (the user-interface thread) each
  // time a new preview has been stored, never after Terminate and never
  // once context is gone. The worker starts at once.
  TVxDialogPreviewThread(const TVxFileFormats &formats, QObject *context,
                         std::function<void()> paint);
  // Terminates, waits for the worker and frees the preview.
  ~TVxDialogPreviewThread();
  TVxDialogPreviewThread(const TVxDialogPreviewThread &) = delete;
  TVxDialogPreviewThread &operator=(const TVxDialogPreviewThread &) = delete;

  // Asks for a thumbnail of name that fits width x height; replaces a
  // request the worker has not taken yet.
  void Request(const QString &name, int32_t width, int32_t height);
  // Tells the worker to end; nothing is painted from here on.
  void Terminate();
  bool IsTerminated() const { return Shared->Terminated; }

  // Frees the preview and forgets the description (they belong to the
  // previous selection).
  void ClearPreview();
  // The description of the file of the current preview: a line feed and the
  // registry's text; empty when the registry cannot describe it.
  QString Description() const;
  // Runs use with the current preview (null when there is none) while the
  // worker cannot replace it.
  void UsePreview(const std::function<void(const TVxThumbnail *preview)> &use) const;

  // How often the worker looks for a request when it has none.
  static constexpr int PollMilliseconds = 10;

 private:
  // What both threads touch; the queued paint calls hold it too, so they
  // never reach a freed thread object.
  struct TShared {
    std::mutex Lock;
    QString PendingName;  // empty: no request
    int32_t PendingWidth = 0;
    int32_t PendingHeight = 0;
    std::unique_ptr<TVxThumbnail> Preview;
    QString Description;
    std::atomic<bool> Terminated = false;
  };

  void Execute();
  // What the panel shows of name; either may stay empty.
  void Describe(const QString &name, int32_t width, int32_t height, QString &description,
                std::unique_ptr<TVxThumbnail> &thumbnail) const;

  const TVxFileFormats &Formats;
  QObject *Context;
  std::function<void()> Paint;
  std::shared_ptr<TShared> Shared;
  std::thread Worker;
};

// The open dialog. Runs the toolkit's own file dialog (not the desktop's),
// so the preview panel can sit inside it.
class TVxOpenDialog : public QFileDialog {
  Q_OBJECT
 public:
  TVxOpenDialog(QWidget *owner, const TVxFileFormats &formats);
  ~TVxOpenDialog() override;

  // Open: every format the registry reads, starting on the entry for all
  // supported images.
  virtual void UpdateFilter();
  // Runs the dialog modally; true when a file was chosen.
  bool Execute();

  // The chosen (or, before Execute, the proposed) file.
  QString FileName() const;
  void SetFileName(const QString &name);
  // 1-based position in the filter list, as the formats' arrays count.
  int FilterIndex() const;
  void SetFilterIndex(int index);

  // Paints the preview box: the picture centred, the rest in the box's
  // colour, a one-pixel frame around.
  void PaintPreview(QPainter &painter);

  const TVxFileFormats &Formats;
  QFrame *PreviewPanel = nullptr;
  QWidget *PreviewBox = nullptr;
  QLabel *InfoLabel = nullptr;
  std::unique_ptr<TVxDialogPreviewThread> PreviewThread;

 protected:
  // Filter entries as the toolkit writes them: "Description (*.a *.b)".
  void SetFilters(const TVxFileFormatArray &formats);
  virtual QString Title() const;
  void SelectionChange(const QString &name);
  void done(int result) override;

 private:
  void AddPreviewPanel();

  QString Selection;  // the file described now
};

// The save dialog: only the writable formats; the filter index is the
// caller's.
class TVxSaveDialog : public TVxOpenDialog {
  Q_OBJECT
 public:
  TVxSaveDialog(QWidget *owner, const TVxFileFormats &formats);
  void UpdateFilter() override;

 protected:
  QString Title() const override;
};

// What the editor's Open command runs: false on cancel.
bool ExecuteOpenFileDialog(QWidget *owner, const TVxFileFormats &formats, QString &name);
// What the editor's Save As command runs. In: the proposed name and 1-based
// filter index into the writable formats; out: the choice. False on cancel.
bool ExecuteSaveFileDialog(QWidget *owner, const TVxFileFormats &formats, QString &name,
                           int &filterIndex);

// Replaces the modal run of both dialogs, e.g. so that tests answer them:
// gets the ready dialog (title, filters, proposed name set) and returns
// whether it was accepted, after choosing a file with SetFileName and a
// filter with SetFilterIndex.
using TVxFileDialogAnswerer = std::function<bool(TVxOpenDialog &dialog)>;
void SetFileDialogAnswerer(TVxFileDialogAnswerer answerer);
