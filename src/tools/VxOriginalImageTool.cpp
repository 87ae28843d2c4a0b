#include "tools/VxOriginalImageTool.h"

#include "framework/VxMainForm.h"
#include "framework/VxText.h"
#include "tools/VxToolHost.h"
#include "views/VxGraphicsView.h"

TVxOriginalImageTool::TVxOriginalImageTool(QObject *owner) : TVxGraphicsTool(owner) {
  setObjectName(QStringLiteral("OriginalImageTool"));
  ControlClass = ControlClassOf<TVxOriginalImageToolControl>();
  ToolName = QStringLiteral("OriginalImage");
  TMainForm *form = MainForm();
  IVxToolHost *editor = ToolHost();
  if (!form || !editor || !editor->ToolButtonBar()) return;
  form->AddToolbarItem<QToolButton>(editor->ToolButtonBar(), nullptr, Text(2100), -1, nullptr,
                                    OriginalImageToolButton);
  OriginalImageToolButton->setObjectName(QStringLiteral("OriginalImageToolButton"));
  OriginalImageToolButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
  OriginalImageToolButton->setCheckable(true);
  // Held down: the original; let go: the tool of before.
  connect(OriginalImageToolButton, &QToolButton::pressed, this, [this] {
    if (!Active) ShowOriginal();
  });
  connect(OriginalImageToolButton, &QToolButton::released, this, [this] {
    if (Active) RestoreTool();
  });
  Localize();
}

void TVxOriginalImageTool::ShowOriginal() {
  IVxToolHost *editor = ToolHost();
  if (!editor || editor->CurrentTool() == this) return;
  SavedTool = editor->CurrentTool();
  editor->SelectTool(this);
}

void TVxOriginalImageTool::RestoreTool() {
  IVxToolHost *editor = ToolHost();
  if (!editor || editor->CurrentTool() != this) return;
  editor->SelectTool(SavedTool.data());
}

void TVxOriginalImageTool::Localize() {
  if (!OriginalImageToolButton) return;
  OriginalImageToolButton->setText(Text(2100));
  OriginalImageToolButton->setToolTip(Text(2000));
}

void TVxOriginalImageTool::UpdateControls() {
  if (!OriginalImageToolButton) return;
  IVxToolHost *editor = ToolHost();
  OriginalImageToolButton->setEnabled(editor && editor->CurrentGraphicsDocument() != nullptr);
  OriginalImageToolButton->setChecked(editor && editor->CurrentTool() == this);
}

void TVxOriginalImageTool::ActivateTool() {
  TVxGraphicsTool::ActivateTool();
  if (!IsRecording()) return;
  // A press on the button and its release, each explained.
  DemoWords().RecordAt(DemoPlayback, "MouseCurvedMove", ToolName, "");
  RecordDemoLine(DemoPlayback, "MouseDown");
  RecordDemoLine(DemoPlayback, "Message", {std::string("Original Image")});
  RecordDemoLine(DemoPlayback, "MouseUp");
  RecordDemoLine(DemoPlayback, "Message", {std::string("Corrected Image")});
}

const TVxDemoWordTable<TVxOriginalImageTool> &TVxOriginalImageTool::DemoWords() {
  using TTool = TVxOriginalImageTool;
  static const TVxDemoWord<TTool> words[] = {
      {.Word = "", .Control = DemoControlOf<TTool, &TTool::OriginalImageToolButton>},
      {.Word = "Button", .Control = DemoControlOf<TTool, &TTool::OriginalImageToolButton>},
  };
  static const TVxDemoWordTable<TTool> table(words);
  return table;
}

void TVxOriginalImageTool::ExecuteDemoCommand(IVxDemoRecorder *playback, const QString &word,
                                              bool &handled, bool userAction,
                                              const TVxProperties &params) {
  if (DemoWords().Execute(*this, ToolName, word, {playback, params, userAction})) handled = true;
}

void TVxOriginalImageTool::GetDemoCommandPoint(IVxDemoRecorder *, const TVxProperties &params,
                                               bool &handled, QPoint &screenPoint) {
  if (DemoWords().CommandPoint(*this, ToolName, params, screenPoint)) handled = true;
}

void TVxOriginalImageTool::ListDemoWords(const TVxDemoWordVisitor &visit) {
  DemoWords().List(*this, ToolName, visit);
}

// --- TVxOriginalImageToolControl ---------------------------------------------

TVxOriginalImageToolControl::TVxOriginalImageToolControl(TVxGraphicsTool *tool,
                                                         TVxGraphicsView *view)
    : TVxGraphicsToolControl(tool, view, ViewObjectBody | ViewObjectNoExtent) {
  TVxGraphicsDocument *document = view ? view->Document() : nullptr;
  if (document) {
    OriginalBitmap = &document->Original;
    Bounds = document->Original.BoundsRect();
  }
}

TVxOriginalImageTool *TVxOriginalImageToolControl::OriginalTool() const {
  return qobject_cast<TVxOriginalImageTool *>(Tool);
}

void TVxOriginalImageToolControl::Activate() {
  if (View) View->DocumentView()->SetVisible(false);
  Flags = ViewObjectBody;
  if (OriginalBitmap) Bounds = OriginalBitmap->BoundsRect();
  SetVisible(true);
  if (View) View->UpdateScrollRange();
  TVxGraphicsToolControl::Activate();
}

void TVxOriginalImageToolControl::Deactivate() {
  Flags = ViewObjectBody | ViewObjectNoExtent;
  if (View) {
    View->DocumentView()->SetVisible(true);
    View->UpdateScrollRange();
  }
  TVxGraphicsToolControl::Deactivate();
}

void TVxOriginalImageToolControl::PaintBody(TVxViewCanvas &canvas) {
  if (!OriginalBitmap) return;
  const TVxRect source = OriginalBitmap->BoundsRect();
  const TVxRect dest = canvas.MapMode().LogicalToDeviceRect(Bounds);
  canvas.ForEachClipRect(dest, [&](const TVxRect &part) {
    OriginalBitmap->Draw(canvas.Pixels(), dest, &source, &part);
  });
  canvas.ExcludeClipRect(dest);
}

bool TVxOriginalImageToolControl::KeyDown(int key, TVxShiftState) {
  if (Active || key != HotKey) return false;
  if (TVxOriginalImageTool *tool = OriginalTool()) tool->ShowOriginal();
  return true;
}

bool TVxOriginalImageToolControl::KeyUp(int key, TVxShiftState) {
  if (!Active || key != HotKey) return false;
  if (TVxOriginalImageTool *tool = OriginalTool()) tool->RestoreTool();
  return true;
}
