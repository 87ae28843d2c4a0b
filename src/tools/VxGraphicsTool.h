#pragma once
// The base of every editing tool: a module that owns a button, usually an
// options frame in the tool panel, and one input object per image view; the
// edit protocol through which a tool changes the current image and leaves one
// undo step; and the notifications the image document sends to every tool.

#include <QAction>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "demo/VxDemoClient.h"
#include "documents/VxGraphicsDocument.h"
#include "framework/VxApplication.h"
#include "framework/VxForms.h"
#include "framework/VxModule.h"
#include "views/VxViewObjects.h"

class IVxDemoRecorder;
class TVxGraphicsToolControl;
class TVxGraphicsView;

class TVxGraphicsTool : public TVxModuleWithControls,
                        public IVxGraphicsDocumentClient,
                        public IVxDemoClient {
  Q_OBJECT
 public:
  // Makes the tool's input object for one view; the view owns it.
  using TControlClass =
      std::function<std::unique_ptr<TVxGraphicsToolControl>(TVxGraphicsTool *, TVxGraphicsView *)>;

  explicit TVxGraphicsTool(QObject *owner);
  ~TVxGraphicsTool() override;

  // Valid only while an edit is open (BeginEdit to EndEdit or CancelEdit).
  TVxGraphicsView *EditView = nullptr;
  TVxGraphicsDocument *EditDocument = nullptr;
  TVxPixels *OriginalPixels = nullptr;
  TVxPixelBuffer *BackupPixels = nullptr;
  TVxPixels *ImagePixels = nullptr;

  // The tool's demonstration word and the prefix of its other words.
  QString ToolName;
  TControlClass ControlClass;
  IVxDemoRecorder *DemoPlayback = nullptr;
  bool Active = false;
  bool Visible = true;
  // What Visible becomes when a document is opened in plug-in mode.
  bool VisibleInPluginMode = false;
  // While this tool has an edit open on the document no other tool is usable.
  bool LocksOtherTools = false;

  // The tool's button (on the tool panel, or the editor's toolbar when there
  // is no panel) and options frame; null for tools without them.
  QAction *Button = nullptr;
  TVxFrame *Frame = nullptr;

  void UpdateControls() override;

  // IVxDemoClient over DemoWords, whose words follow ToolName. Concrete
  // tools with words of their own look in their table first, then here.
  void ExecuteDemoCommand(IVxDemoRecorder *playback, const QString &word, bool &handled,
                          bool userAction, const TVxProperties &params) override;
  void GetDemoCommandPoint(IVxDemoRecorder *playback, const TVxProperties &params, bool &handled,
                           QPoint &screenPoint) override;
  void SetDemoPlayback(IVxDemoRecorder *recorder) override { DemoPlayback = recorder; }
  void ClearDemoPlayback(IVxDemoRecorder *) override { DemoPlayback = nullptr; }
  void ListDemoWords(const TVxDemoWordVisitor &visit) override;
  // The tool's own word, ToolName: clicks its button, which is its point.
  static const TVxDemoWordTable<TVxGraphicsTool> &DemoWords();

  virtual void AddControl(TVxGraphicsToolControl *control);
  virtual void RemoveControl(TVxGraphicsToolControl *control);
  // A new input object in view when the tool has a control class; null otherwise.
  virtual TVxGraphicsToolControl *CreateControl(TVxGraphicsView *view);
  // One undo step over the document's changed rectangle; the backup catches
  // up. When memory for the step runs out the edit is cancelled instead and
  // the user is told.
  virtual void CommitChanges();
  // Opens an edit on view's document; an edit still open there is committed
  // by its tool first.
  virtual void BeginEdit(TVxGraphicsView *view);
  // Commits and closes the edit. Without an open edit it only clears the
  // edit fields.
  void EndEdit() override;
  // Puts the backup back into the image; no undo step.
  virtual void CancelEdit();

  // Document notifications; all but DocumentOpened and DocumentClosing do
  // nothing here.
  void DocumentOpened(TVxGraphicsDocument *document) override;
  // Commits an edit still open on document, which is about to be freed.
  // Tools whose open edit is not worth a step cancel it instead.
  void DocumentClosing(TVxGraphicsDocument *document) override;
  void BeforeSave(TVxGraphicsDocument *) override {}
  void BeforeUndo(TVxCommandState *) override {}
  void BeforeRedo(TVxCommandState *) override {}
  // Registers the tool's names with the demonstration module; runs once,
  // right after construction (CreateGraphicsTool).
  virtual void RegisterDemoNames() {}
  void AfterUndo(TVxCommandState *) override {}
  void AfterRedo(TVxCommandState *) override {}
  // Shows or hides the button and the frame too.
  virtual void SetToolVisible(bool visible);
  void ImageAreaChanged(TVxGraphicsDocument *, IVxGraphicsDocumentClient *,
                        const TVxRect &) override {}
  void SetImagePixels(TVxPixels *pixels) override { ImagePixels = pixels; }
  // Selects the tool; records the click while a demonstration is recorded.
  virtual void ToolButtonClick(QObject *sender);
  virtual void ActivateTool();
  virtual void DeactivateTool();
  // Finishes whatever the user is doing with the tool.
  virtual void EndInteraction() {}
  // Drops whatever the user is doing with the tool.
  virtual void AbortInteraction() {}

  int ControlCount() const { return static_cast<int>(Controls.size()); }
  // Null when index is out of range.
  TVxGraphicsToolControl *Control(int index) const;
  // Grows (or, with replace, sets) the open edit's changed rectangle and
  // repaints rect.
  void AddChangedRect(const TVxRect &rect, bool replace);

 protected:
  // For constructors of concrete tools: the tool's button, on the tool panel
  // when there is one (then also the options frame made by makeFrame, with
  // its title in bold), else on the editor's toolbar.
  void CreateToolButton(const QString &caption, int imageIndex,
                        const std::function<TVxFrame *(QWidget *parent)> &makeFrame = {});
  bool IsRecording() const;

 private:
  void ClearEditFields();

  std::vector<TVxGraphicsToolControl *> Controls;
};

// The input object of a tool in one view. It starts invisible, paints only
// an overlay and never widens the scroll range.
class TVxGraphicsToolControl : public TVxInputViewObject {
 public:
  static constexpr uint8_t InitialFlags = ViewObjectOverlay | ViewObjectNoExtent;

  TVxGraphicsToolControl(TVxGraphicsTool *tool, TVxGraphicsView *view,
                         uint8_t flags = InitialFlags);
  ~TVxGraphicsToolControl() override;

  bool Active = false;
  TVxGraphicsView *View;
  // Null once the tool is gone.
  TVxGraphicsTool *Tool;
  bool WheelDuringStroke = false;

  // Repaints the area when the value changes.
  void SetVisible(bool visible) override;
  // Runs once the control is in its view's object list.
  virtual void ControlCreated() {}
  virtual void Activate();
  virtual void Deactivate();
  // Repaints the control's own area.
  void InvalidateArea();
};

// A control class for TVxGraphicsTool::ControlClass.
template <class TControl>
TVxGraphicsTool::TControlClass ControlClassOf() {
  return
      [](TVxGraphicsTool *tool, TVxGraphicsView *view) -> std::unique_ptr<TVxGraphicsToolControl> {
        return std::make_unique<TControl>(tool, view);
      };
}

// Creates a tool as a module of the application and lets it register its
// demonstration names.
template <class TTool>
TTool *CreateGraphicsTool() {
  TTool *tool = nullptr;
  if (TVxApplication *application = Application()) {
    application->CreateModule(tool);
    tool->RegisterDemoNames();
  }
  return tool;
}
