#include "tools/VxGraphicsTool.h"

#include <QFont>
#include <QLabel>
#include <QLayout>
#include <QToolBar>
#include <algorithm>

#include "demo/VxDemoRecorder.h"
#include "framework/VxMainForm.h"
#include "framework/VxText.h"
#include "tools/VxToolHost.h"
#include "tools/VxToolPanel.h"
#include "views/VxGraphicsView.h"

// --- TVxGraphicsTool ---------------------------------------------------------

TVxGraphicsTool::TVxGraphicsTool(QObject *owner) : TVxModuleWithControls(owner) {}

TVxGraphicsTool::~TVxGraphicsTool() {
  // Views may outlive the tool (the editor closes its documents later).
  for (TVxGraphicsToolControl *control : Controls) control->Tool = nullptr;
  Controls.clear();
}

void TVxGraphicsTool::CreateToolButton(const QString &caption, int imageIndex,
                                       const std::function<TVxFrame *(QWidget *)> &makeFrame) {
  TMainForm *form = MainForm();
  if (!form) return;
  TVxToolPanelModule *panel = ToolPanel();
  QToolBar *toolbar = nullptr;
  if (panel && panel->Toolbar) {
    toolbar = panel->Toolbar;
  } else if (IVxToolHost *editor = ToolHost()) {
    toolbar = editor->ToolButtonBar();
  }
  if (!toolbar) return;
  form->AddToolbarItem<QAction>(
      toolbar, nullptr, caption, imageIndex, [this] { ToolButtonClick(this); }, Button);
  Button->setCheckable(true);
  if (panel && makeFrame) {
    TVxFrame *frame = makeFrame(panel->OptionsArea());
    if (frame) {
      frame->Initialize();
      panel->AddOptionsFrame(frame);
      // The frame's title label, when it has one, is bold.
      if (auto *title = frame->findChild<QLabel *>(QStringLiteral("TitleLabel"))) {
        QFont font = title->font();
        font.setBold(true);
        title->setFont(font);
      }
      Frame = frame;
    }
  }
}

bool TVxGraphicsTool::IsRecording() const { return DemoPlayback && DemoPlayback->IsRecording(); }

void TVxGraphicsTool::UpdateControls() {
  IVxToolHost *editor = ToolHost();
  const bool checked = editor && editor->CurrentTool() == this;
  const bool enabled = editor && editor->CanUseTool(this);
  if (Button) {
    Button->setChecked(checked);
    Button->setEnabled(enabled);
  }
  if (Frame) Frame->SetControlsEnabled(enabled && checked);
}

const TVxDemoWordTable<TVxGraphicsTool> &TVxGraphicsTool::DemoWords() {
  using TTool = TVxGraphicsTool;
  static const TVxDemoWord<TTool> words[] = {
      {.Word = "",
       .Run = [](TTool &tool, const TVxDemoCall &) { tool.ToolButtonClick(&tool); },
       .Control = DemoControlOf<TTool, &TTool::Button>,
       .MessageAlways = true},
  };
  static const TVxDemoWordTable<TTool> table(words);
  return table;
}

void TVxGraphicsTool::ExecuteDemoCommand(IVxDemoRecorder *playback, const QString &word,
                                         bool &handled, bool userAction,
                                         const TVxProperties &params) {
  if (!ToolName.isEmpty() &&
      DemoWords().Execute(*this, ToolName, word, {playback, params, userAction}))
    handled = true;
}

void TVxGraphicsTool::GetDemoCommandPoint(IVxDemoRecorder *, const TVxProperties &params,
                                          bool &handled, QPoint &screenPoint) {
  if (!ToolName.isEmpty() && DemoWords().CommandPoint(*this, ToolName, params, screenPoint))
    handled = true;
}

void TVxGraphicsTool::ListDemoWords(const TVxDemoWordVisitor &visit) {
  if (!ToolName.isEmpty()) DemoWords().List(*this, ToolName, visit);
}

void TVxGraphicsTool::AddControl(TVxGraphicsToolControl *control) {
  if (control && std::find(Controls.begin(), Controls.end(), control) == Controls.end())
    Controls.push_back(control);
}

void TVxGraphicsTool::RemoveControl(TVxGraphicsToolControl *control) {
  std::erase(Controls, control);
}

TVxGraphicsToolControl *TVxGraphicsTool::CreateControl(TVxGraphicsView *view) {
  if (!ControlClass || !view) return nullptr;
  TVxGraphicsToolControl *control = view->Objects().Add(ControlClass(this, view));
  control->ControlCreated();
  return control;
}

TVxGraphicsToolControl *TVxGraphicsTool::Control(int index) const {
  return index >= 0 && index < ControlCount() ? Controls[static_cast<size_t>(index)] : nullptr;
}

void TVxGraphicsTool::AddChangedRect(const TVxRect &rect, bool replace) {
  if (EditDocument) EditDocument->AddChangedRect(rect, replace);
}

void TVxGraphicsTool::BeginEdit(TVxGraphicsView *view) {
  TVxGraphicsDocument *document = view ? view->Document() : nullptr;
  if (!document) return;
  document->BeginToolEdit(this);
  EditView = view;
  EditDocument = document;
  BackupPixels = &document->Backup;
  ImagePixels = document->ImagePixels();
  OriginalPixels = document->OriginalPixels();
}

void TVxGraphicsTool::CommitChanges() {
  TVxGraphicsDocument *document = EditDocument;
  if (!document || document->Model().CommitChanges(this)) return;
  // The step could not keep its pixels: the model put the image back and
  // closed the edit, and the user must know the change is gone.
  if (TVxApplication *application = Application()) application->MessageBox(Text(5410), MbIconError);
}

void TVxGraphicsTool::ClearEditFields() {
  EditView = nullptr;
  EditDocument = nullptr;
  BackupPixels = nullptr;
  ImagePixels = nullptr;
  OriginalPixels = nullptr;
}

void TVxGraphicsTool::EndEdit() {
  if (TVxGraphicsDocument *document = EditDocument) {
    CommitChanges();
    if (document->IsEditing()) document->EndToolEdit(this);
  }
  ClearEditFields();
}

void TVxGraphicsTool::CancelEdit() {
  TVxGraphicsDocument *document = EditDocument;
  if (document && document->IsEditing()) {
    document->Model().RestoreFromBackup();
    if (EditView) EditView->update();
    document->ResetToolEdit();
  }
  ClearEditFields();
}

void TVxGraphicsTool::DocumentClosing(TVxGraphicsDocument *document) {
  if (document && EditDocument == document) EndEdit();
}

void TVxGraphicsTool::DocumentOpened(TVxGraphicsDocument *) {
  IVxToolHost *editor = ToolHost();
  if (editor && editor->IsPluginMode()) SetToolVisible(VisibleInPluginMode);
}

void TVxGraphicsTool::SetToolVisible(bool visible) {
  Visible = visible;
  if (Button) Button->setVisible(visible);
  if (Frame && !visible) Frame->hide();
}

void TVxGraphicsTool::ToolButtonClick(QObject *) {
  if (IVxToolHost *editor = ToolHost()) editor->SelectTool(this);
  if (!ToolName.isEmpty()) DemoWords().Record(DemoPlayback, ToolName, "");
}

void TVxGraphicsTool::ActivateTool() {
  for (TVxGraphicsToolControl *control : std::vector(Controls)) control->Activate();
  Active = true;
  if (TVxToolPanelModule *panel = ToolPanel(); panel && Frame) panel->ShowOptionsFrame(Frame);
}

void TVxGraphicsTool::DeactivateTool() {
  for (TVxGraphicsToolControl *control : std::vector(Controls)) control->Deactivate();
  Active = false;
}

// --- TVxGraphicsToolControl --------------------------------------------------

TVxGraphicsToolControl::TVxGraphicsToolControl(TVxGraphicsTool *tool, TVxGraphicsView *view,
                                               uint8_t flags)
    : TVxInputViewObject(flags), View(view), Tool(tool) {
  if (Tool) Tool->AddControl(this);
}

TVxGraphicsToolControl::~TVxGraphicsToolControl() {
  if (Tool) Tool->RemoveControl(this);
}

void TVxGraphicsToolControl::SetVisible(bool visible) {
  if (visible == IsVisible()) return;
  TVxInputViewObject::SetVisible(visible);
  // Both the area it leaves and the area it takes need a repaint.
  InvalidateArea();
}

void TVxGraphicsToolControl::InvalidateArea() {
  if (!View) return;
  const TVxRect area = GetUpdateRect(View->MapMode());
  if (!area.IsEmpty()) View->InvalidateRect(area);
}

void TVxGraphicsToolControl::Activate() {
  Active = true;
  if (View && View->MouseInside()) MouseEnter();
  InvalidateArea();
  if (View) View->UpdateCursor();
}

void TVxGraphicsToolControl::Deactivate() {
  Active = false;
  InvalidateArea();
}

IVxToolHost *ToolHost() {
  TVxApplication *application = Application();
  return application ? application->Find<IVxToolHost>() : nullptr;
}
