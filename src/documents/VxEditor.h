#pragma once
// Documents and the editor that owns them: file commands, undo and redo, the
// main window caption, the save and overwrite questions and the recent files.

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QToolBar>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "demo/VxDemoWords.h"
#include "documents/VxCommandHistory.h"
#include "documents/VxFileFormats.h"
#include "framework/VxModule.h"
#include "settings/VxSDF.h"

class IVxDemoRecorder;
class TVxDocument;
class TVxEditor;
class TVxProperties;
class TMainForm;

// Told when a document's content changes (loaded or replaced) and when it is
// about to close. Lifetime is the listener's own.
class IVxDocumentListener {
 public:
  static constexpr TVxGUID IID = TVxGUID::FromLiteral("{81AAE3E7-2E13-47DF-A573-63B5BC51D3F3}");

  virtual void DocumentChanged(TVxDocument *document) = 0;
  virtual void DocumentClosing(TVxDocument *document) = 0;

 protected:
  IVxDocumentListener() = default;
  IVxDocumentListener(const IVxDocumentListener &) = default;
  IVxDocumentListener &operator=(const IVxDocumentListener &) = default;
  ~IVxDocumentListener() = default;
};

// A file-backed document with its undo history and its view. The editor
// owns it; the document owns its history and its view.
class TVxDocument : public QObject {
  Q_OBJECT
 public:
  // editor may be null for a document used on its own (no formats, no
  // questions, nobody to remove it on close).
  explicit TVxDocument(TVxEditor *editor);
  ~TVxDocument() override;

  TVxEditor *Editor() const { return FEditor; }

  // Close never asks to save (documents opened by a demonstration).
  bool DiscardOnClose = false;

  bool IsSaved() const { return Saved; }
  void SetSaved(bool saved) { Saved = saved; }
  const QString &FileName() const { return FFileName; }
  void SetFileName(const QString &name) { FFileName = name; }
  // The format identifier the document was read from or last written in.
  int32_t Format() const { return FFormat; }
  void SetFormat(int32_t format) { FFormat = format; }
  // The file name without its folder, or string 74 for an untitled document.
  QString DisplayName() const;

  TVxCommandHistoryList &History() { return FHistory; }
  const TVxCommandHistoryList &History() const { return FHistory; }

  // The view as made by CreateView, or null when it was never made (or could
  // not be made).
  bool HasView() const { return !View.isNull(); }
  int ListenerCount() const { return static_cast<int>(Listeners.size()); }
  IVxDocumentListener *Listener(int index) const {
    return Listeners.at(static_cast<size_t>(index));
  }

  // Makes a new view of this document; the document takes ownership.
  virtual QWidget *CreateView() = 0;
  // The view, made on first use.
  virtual QWidget *GetView();
  // First step of Close.
  virtual void PrepareClose() {}
  // Called by the format registry just before it writes the document.
  virtual void BeforeSave() {}
  // Called after the editor has added the opened document.
  virtual void DocumentOpened() {}
  // No duplicates.
  virtual void AddListener(IVxDocumentListener *listener);
  virtual void RemoveListener(IVxDocumentListener *listener);
  // Reads the file through the editor's registry; on success the file name is
  // set, the listeners hear DocumentChanged and the document counts as saved.
  virtual bool LoadFromFile(const QString &name);
  // On success the document is saved under name and format.
  virtual bool SaveToFile(const QString &name, int32_t format);
  virtual bool CanSave();
  // False for an untitled document.
  virtual bool Save();
  // Asks to save when needed; on success the editor frees this document, so
  // the caller must not touch it afterwards.
  virtual bool Close();

  // DocumentChanged to every listener, the last added first; the document
  // counts as modified afterwards.
  void NotifyChanged();
  // DocumentClosing to every listener, the last added first.
  void NotifyClosing();

 protected:
  // The view widget, once made (deleted with the document).
  QWidget *ViewWidget() const { return View.data(); }

 private:
  TVxEditor *FEditor;
  bool Saved = true;
  QString FFileName;
  int32_t FFormat = 0;
  std::vector<IVxDocumentListener *> Listeners;
  QPointer<QWidget> View;
  TVxCommandHistoryList FHistory;
};

// The module that owns the open documents and their File and Edit commands.
// Its constructor creates the main window when there is none yet.
class TVxEditor : public TVxModuleWithControls {
  Q_OBJECT
 public:
  static constexpr TVxGUID SectionGuid =
      TVxGUID::FromLiteral("{C0F4C248-34D7-4014-8116-24BEE9AB5C30}");

  explicit TVxEditor(QObject *owner);
  ~TVxEditor() override;

  QAction *OpenMenuItem = nullptr;
  QAction *SaveMenuItem = nullptr;
  QAction *SaveAsMenuItem = nullptr;
  QAction *CloseMenuItem = nullptr;
  QMenu *EditMenuItem = nullptr;
  QAction *UndoMenuItem = nullptr;
  QAction *RedoMenuItem = nullptr;
  QAction *UndoAllMenuItem = nullptr;
  QAction *RedoAllMenuItem = nullptr;
  QToolBar *StandardToolbar = nullptr;
  QAction *OpenToolButton = nullptr;
  QAction *SaveToolButton = nullptr;
  QAction *UndoToolButton = nullptr;
  QAction *RedoToolButton = nullptr;
  QAction *RecentFilesMenuSeparator = nullptr;
  QAction *EditToolbarSeparator = nullptr;

  // Close of a modified document asks to save.
  bool AskOnClose = true;
  // The history is reachable through GetCommandHistory.
  bool UndoEnabled = true;
  // Maximum length of the recent-file list.
  int32_t RecentLimit = 5;

  bool IsPluginMode() const { return PluginMode; }
  bool IsMultiDocument() const { return MultiDocument; }
  int DocumentCount() const { return static_cast<int>(Documents.size()); }
  TVxDocument *Document(int index) const { return Documents.at(static_cast<size_t>(index)).get(); }
  // The last document, or null.
  TVxDocument *CurrentDocument() const;
  // Most recent first.
  const QStringList &RecentFiles() const { return Recent; }
  // The recent-file menu items, first entry first (reused, never removed).
  const std::vector<QAction *> &RecentFileMenuItems() const { return RecentItems; }
  IVxDemoRecorder *DemoRecorder() const { return Recorder; }

  void Localize() override;
  void LoadSettings(TVxSDFReader &reader) override;
  void SaveSettings(TVxSDFWriter &writer) override;
  // Opens the file named by the first command-line argument, if it exists.
  void Start() override;
  void UpdateControls() override;

  // Makes doc the current document when it is one of ours.
  virtual void ActivateDocument(TVxDocument *doc);
  virtual void UpdateCaption();
  // Frees doc.
  virtual void RemoveDocument(TVxDocument *doc);
  virtual void SetMultiDocument(bool on);
  // The current document's history when undo is enabled, else null.
  virtual TVxCommandHistoryList *GetCommandHistory();
  virtual TVxDocumentFormats *GetFormats() = 0;
  virtual std::unique_ptr<TVxDocument> CreateDocument() = 0;
  // Puts doc's view (made here if needed) into the main window. A document
  // whose view cannot be made is attached without one.
  virtual bool AttachDocument(TVxDocument *doc, QWidget *&view);
  virtual bool ExecuteOpenDialog();
  virtual bool ExecuteSaveAsDialog(TVxDocument *doc);
  // Yes/no/cancel; returns IdYes, IdNo or IdCancel.
  virtual int AskSaveChanges(const QString &name);
  // Yes/no; returns IdYes or IdNo.
  virtual int AskOverwrite(const QString &name);
  // The main window's close query: closes the documents from the last.
  virtual void CloseQuery(QObject *sender, bool &canClose);
  // "UNDO" and "REDO"; word is upper case, params by position.
  virtual void ExecuteDemoCommand(IVxDemoRecorder *recorder, const QString &word, bool &handled,
                                  const TVxProperties &params);
  // Screen centre of the Undo or Redo button named by the first parameter.
  virtual void GetDemoCommandPoint(const TVxProperties &params, bool &handled, QPoint &screenPoint);
  virtual void SetDemoPlayback(IVxDemoRecorder *recorder);
  virtual void ClearDemoPlayback(IVxDemoRecorder *recorder);
  virtual void ListDemoWords(const TVxDemoWordVisitor &visit);
  // Undo and Redo.
  static const TVxDemoWordTable<TVxEditor> &DemoWords();
  virtual void AddRecentFile(TVxDocument *doc);
  // Entered once, never left: hides Open and Save and sets exit code -1.
  virtual void SetPluginMode(bool on);
  virtual bool NewDocument(TVxDocument *&doc);
  virtual bool OpenFile(const QString &name, TVxDocument *&doc, bool addToRecent);
  virtual bool CanUndo();
  virtual bool CanRedo();
  virtual void Undo();
  virtual void Redo();
  virtual void OpenClick();
  virtual void CloseClick();
  virtual void SaveClick();
  virtual void SaveAsClick();
  virtual void UndoClick();
  virtual void UndoAllClick();
  virtual void RedoClick();
  virtual void RedoAllClick();

  // The image size of the current document, for the status bar's W and H
  // fields; the image editor shows it, the base does nothing.
  virtual void ShowImageSize(int32_t width, int32_t height);

  bool OpenFile(const QString &name, bool addToRecent = true);
  void DiscardRedo();
  bool CanReplaceDocument();
  void AddRecentFileName(const QString &name);

 protected:
  // The open dialog over GetFormats; name comes in as the folder to start
  // in and receives the choice. False on cancel. The dialogs belong to a
  // higher layer: the base has none and answers false.
  virtual bool RunOpenDialog(QString &name);
  // The save dialog over formats. In: name (without extension) and the
  // 1-based filter index; out: the chosen name and filter index. False on
  // cancel; the base has no dialog.
  virtual bool RunSaveDialog(const TVxFileFormatArray &formats, QString &name, int &filterIndex);

 private:
  void CreateCommands();
  void RecentFileClick(QAction *item);
  void ShowView(QWidget *view);
  // Runs step; true when it moved the history's position.
  template <class F>
  static bool Moved(const TVxCommandHistoryList *history, F &&step);

  bool PluginMode = false;
  bool MultiDocument = false;
  IVxDemoRecorder *Recorder = nullptr;
  std::vector<std::unique_ptr<TVxDocument>> Documents;
  QStringList Recent;
  std::vector<QAction *> RecentItems;
  QPointer<TMainForm> Form;
};
