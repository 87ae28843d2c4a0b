#pragma once
// The image editor: the editor of image documents with the View commands,
// previous and next image of the folder, the status bar's pointer and size
// fields, the current tool and tool switching, image-aware Undo and Redo, the
// plug-in mode and the demonstration words addressed to the editor. The
// folder walk and the scanner import are units of their own that it owns.

#include <QLabel>
#include <QPointer>
#include <QStringList>
#include <QToolButton>
#include <functional>
#include <memory>
#include <vector>

#include "demo/VxDemoClient.h"
#include "documents/VxEditor.h"
#include "documents/VxGraphicsDocument.h"
#include "documents/VxGraphicsFormats.h"
#include "editor/VxFolderBrowser.h"
#include "tools/VxGraphicsTool.h"
#include "tools/VxToolHost.h"
#include "views/VxGraphicsView.h"

class TVxScannerImport;

class TVxGraphicsEditor : public TVxEditor,
                          public IVxToolHost,
                          public IVxGraphicsDocumentHost,
                          public IVxPointerStatusSink,
                          public IVxDemoClient {
  Q_OBJECT
 public:
  static constexpr TVxGUID SettingsGuid =
      TVxGUID::FromLiteral("{E1195915-FFAE-4A56-B331-F4567336FF25}");

  explicit TVxGraphicsEditor(QObject *owner);
  ~TVxGraphicsEditor() override;

  QAction *ZoomInMenuItem = nullptr;
  QAction *ZoomOutMenuItem = nullptr;
  QAction *ActualSizeMenuItem = nullptr;
  QAction *ScaleToBestFitMenuItem = nullptr;
  QAction *ZoomMenuSeparator = nullptr;
  QAction *ZoomToolbarSeparator = nullptr;
  QAction *ZoomInButton = nullptr;
  QAction *ZoomOutButton = nullptr;
  QAction *ActualSizeButton = nullptr;
  QAction *ScaleToBestFitButton = nullptr;
  QAction *CloseMenuSeperator = nullptr;
  QLabel *XStatusPanel = nullptr;
  QLabel *YStatusPanel = nullptr;
  QLabel *WStatusPanel = nullptr;
  QLabel *HStatusPanel = nullptr;
  QLabel *RStatusPanel = nullptr;
  QLabel *GStatusPanel = nullptr;
  QLabel *BStatusPanel = nullptr;
  QAction *PrevImageButton = nullptr;
  QAction *NextImageButton = nullptr;
  QToolButton *OkButton = nullptr;
  QToolButton *CancelButton = nullptr;
  // The fourteen status-bar panels in order, labels included.
  std::vector<QLabel *> StatusPanels;

  // Set by a command state during its Undo or Redo to have the step before
  // it (after it) undone (redone) together with it.
  bool RepeatStep = false;
  // Where demonstration scripts find their pictures; ends with a separator.
  QString DemoFolder;

  TVxGraphicsTool *CurrentTool() const override { return FCurrentTool.data(); }
  TVxGraphicsTool *PreviousTool() const { return FPreviousTool.data(); }
  // The images of the current image's folder, for Previous and Next.
  TVxFolderBrowser &Folder() { return FFolder; }
  TVxScannerImport &ScannerImport() { return *FScannerImport; }
  TVxGraphicsFormats &Formats() { return FFormats; }
  TVxGraphicsDocument *CurrentGraphicsDocument() const override;
  // The current document's view, or null.
  TVxGraphicsView *CurrentView() const override;

  // Deactivates the current tool, remembers it as the previous one and
  // activates `tool` (null: no tool).
  void SelectTool(TVxGraphicsTool *tool) override;
  bool CanUseTool(const TVxGraphicsTool *tool) const override;
  bool IsPluginMode() const override { return TVxEditor::IsPluginMode(); }
  QToolBar *ToolButtonBar() const override { return StandardToolbar; }
  void ZoomIn() override { ZoomInClick(); }
  void ZoomOut() override { ZoomOutClick(); }
  IVxProgress &Progress() const override;
  IVxDemoRecorder *Recorder() const override { return DemoRecorder(); }
  void ShowColourStatus(int red, int green, int blue) override;
  void LockToolSwitching() { ToolSwitchingLocked = true; }
  void UnlockToolSwitching() { ToolSwitchingLocked = false; }
  bool IsToolSwitchingLocked() const { return ToolSwitchingLocked; }

  IVxGraphicsDocumentClient *CurrentGraphicsTool() const override;
  void ShowPointerStatus(const TVxPointerStatus &status) override;
  void ShowImageSize(int32_t width, int32_t height) override;

  void Localize() override;
  void LoadSettings(TVxSDFReader &reader) override;
  void SaveSettings(TVxSDFWriter &writer) override;
  void UpdateControls() override;
  void ActivateDocument(TVxDocument *doc) override;
  void UpdateCaption() override;
  TVxDocumentFormats *GetFormats() override { return &FFormats; }
  std::unique_ptr<TVxDocument> CreateDocument() override;
  bool AttachDocument(TVxDocument *doc, QWidget *&view) override;
  bool ExecuteSaveAsDialog(TVxDocument *doc) override;
  bool RunOpenDialog(QString &name) override;
  bool RunSaveDialog(const TVxFileFormatArray &formats, QString &name, int &filterIndex) override;
  int AskSaveChanges(const QString &name) override;
  void AddRecentFile(TVxDocument *doc) override;
  void SetPluginMode(bool on) override;
  using TVxEditor::OpenFile;
  bool OpenFile(const QString &name, TVxDocument *&doc, bool addToRecent) override;
  bool CanUndo() override;
  bool CanRedo() override;
  void Undo() override;
  void Redo() override;
  void ExecuteDemoCommand(IVxDemoRecorder *recorder, const QString &word, bool &handled,
                          const TVxProperties &params) override;
  void GetDemoCommandPoint(const TVxProperties &params, bool &handled,
                           QPoint &screenPoint) override;
  void SetDemoPlayback(IVxDemoRecorder *recorder) override { TVxEditor::SetDemoPlayback(recorder); }
  void ClearDemoPlayback(IVxDemoRecorder *recorder) override {
    TVxEditor::ClearDemoPlayback(recorder);
  }
  void ListDemoWords(const TVxDemoWordVisitor &visit) override;
  // The editor's own words; Undo and Redo are its base's, the image point
  // the view's.
  static const TVxDemoWordTable<TVxGraphicsEditor> &DemoWords();

  // IVxDemoClient, forwarded to the editor's own operations.
  void ExecuteDemoCommand(IVxDemoRecorder *playback, const QString &word, bool &handled, bool,
                          const TVxProperties &params) override {
    ExecuteDemoCommand(playback, word, handled, params);
  }
  void GetDemoCommandPoint(IVxDemoRecorder *, const TVxProperties &params, bool &handled,
                           QPoint &screenPoint) override {
    GetDemoCommandPoint(params, handled, screenPoint);
  }

  // Wheel input of the main window; delta as the toolkit reports it.
  virtual void MouseWheelHandler(TVxShiftState shift, int delta, const QPoint &screenPoint,
                                 bool &handled);
  virtual void DocumentViewActivated(TVxDocument *doc);
  virtual void NextImageClick();
  virtual void PreviousImageClick();
  virtual void ZoomInClick();
  virtual void ZoomOutClick();
  virtual void ActualSizeClick();
  virtual void BestFitClick();
  virtual void PluginOkClick();
  virtual void PluginCancelClick();

  // 1:1 when the image fits the view, else BestFit.
  void FitInitial();
  void BestFit();
  // Grows the main window so that the view is at least width x height,
  // keeping the window on the work area.
  void SetViewSize(int32_t width, int32_t height);
  void SetMinWindowSize(int32_t width, int32_t height);
  // Gives the main window the outer rectangle `outer`, frame included.
  void PlaceWindow(const QRect &outer);

 private:
  // Sets the view's zoom to what step makes of it.
  void StepZoom(TVxZoom (*step)(int32_t, int32_t));
  void CreateCommands();
  void CreateStatusPanels();
  void RecordOpen(const QString &name);
  // "ImageOpen": a demonstration's picture, from the demo folder when it is there.
  void DemoImageOpen(const TVxDemoCall &call);
  template <class F>
  void Step(F &&step, bool (TVxGraphicsEditor::*canStep)());
  void EndOpenEdit();
  // Opens the folder image at index; the index follows only what happened.
  void OpenFolderImage(int index);
  // Writes the exchange file back and sets exit code 0; false, after saying
  // so, when the file could not be written.
  bool HandBack(TVxDocument &doc);
  bool eventFilter(QObject *watched, QEvent *event) override;
  // Makes the budget the default of new documents' undo histories, and
  // sweeps the spill folder of files left by a run that was killed.
  void ApplyHistoryBudget();
  // Once per document: its history could not be written to the disk.
  void TellOfSpillFailure();

  TVxGraphicsFormats FFormats;
  TVxFolderBrowser FFolder;
  std::unique_ptr<TVxScannerImport> FScannerImport;
  bool ToolSwitchingLocked = false;
  QPointer<TVxGraphicsTool> FCurrentTool;
  QPointer<TVxGraphicsTool> FPreviousTool;
  // The view was attached before it had its final size: fit it once it has.
  bool FitPending = false;
  // The undo history's memory budget from the settings; 0: the default.
  int32_t HistoryBudgetMiB = 0;
};

// The application's image editor, or null.
TVxGraphicsEditor *GraphicsEditor();
