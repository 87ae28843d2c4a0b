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
  for (const char *line : {"MouseCurvedMove OriginalImage", "MouseDown",
                           "Message \"Original Image\"", "MouseUp", "Message \"Corrected Image\""})
    RecordLine(QString::fromLatin1(line));
}

void TVxOriginalImageTool::GetDemoCommandPoint(IVxDemoRecorder *, const TVxProperties &params,
                                               bool &handled, QPoint &screenPoint) {
  const QString name = DemoParamText(params, 0).toUpper();
  if (!OriginalImageToolButton ||
      (name != QLatin1String("ORIGINALIMAGEBUTTON") && name != QLatin1String("ORIGINALIMAGE")))
    return;
  screenPoint = OriginalImageToolButton->mapToGlobal(OriginalImageToolButton->rect().center());
  handled = true;
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
