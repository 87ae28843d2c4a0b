#include "editor/VxGraphicsEditor.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <variant>

#include "base/VxProperties.h"
#include "demo/VxDemoRecorder.h"
#include "editor/VxScannerImport.h"
#include "framework/VxApplication.h"
#include "framework/VxCursors.h"
#include "framework/VxMainForm.h"
#include "framework/VxProgressMeter.h"
#include "framework/VxText.h"
#include "platform/SpillFile.h"
#include "services/VxDialogs.h"
#include "tools/VxGraphicsTool.h"
#include "tools/VxScrollTool.h"

namespace {

// Places one axis of a window of `size` at `position` inside [start, end).
void FitAxis(int &position, int &size, int start, int end) {
  position = std::max(position, start);
  if (position + size > end) {
    if (size < end - start) {
      position = (end - start - size) / 2;
    } else {
      position = start;
      size = end - start;
    }
  }
}

// A window side grown by what the view lacks of wanted; any wanted size a
// script passes is safe, the work area limits the result afterwards.
int Grown(int side, int32_t wanted, int have) {
  const int64_t grown = int64_t{side} + std::max<int64_t>(int64_t{wanted} - have, 0);
  return static_cast<int>(std::min<int64_t>(grown, QWIDGETSIZE_MAX));
}

QRect WorkArea(const QWidget *window) {
  QScreen *screen = window ? window->screen() : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

TVxGraphicsEditor *GraphicsEditor() {
  TVxApplication *application = Application();
  return application ? application->Find<TVxGraphicsEditor>() : nullptr;
}

TVxGraphicsEditor::TVxGraphicsEditor(QObject *owner)
    : TVxEditor(owner),
      FFolder([this](const QString &name) { return TVxEditor::OpenFile(name, true); },
              [this] { return CurrentDocument() != nullptr; }),
      FScannerImport(std::make_unique<TVxScannerImport>(*this)) {
  setObjectName(QStringLiteral("GraphicsEditor"));
  if (TMainForm *form = MainForm()) {
    CreateCommands();
    CreateStatusPanels();
    form->OnFileDropped = [this](const QString &name) { TVxEditor::OpenFile(name, true); };
    // A first start gets room for a photograph and the tool panel; a stored
    // placement replaces this when the settings are read.
    const QRect area = WorkArea(form);
    form->resize(std::min(1200, area.width() * 4 / 5), std::min(850, area.height() * 4 / 5));
    form->installEventFilter(this);
  }
  if (TVxApplication *application = Application()) {
    application->CreateModule<TVxScrollTool>()->RegisterDemoNames();
    application->Cursors().LoadResource(CursorHand, QStringLiteral("Hand"));
  }
  Localize();
}

TVxGraphicsEditor::~TVxGraphicsEditor() {
  // Its running acquisition ends while the editor can still take the result.
  FScannerImport.reset();
  if (TMainForm *form = MainForm()) form->OnFileDropped = nullptr;
}

void TVxGraphicsEditor::CreateCommands() {
  TMainForm &form = *MainForm();
  QToolBar *toolbar = StandardToolbar;
  QAction *editSeparator = EditToolbarSeparator;
  toolbar->insertSeparator(editSeparator);
  form.AddToolbarItem<QAction>(
      toolbar, editSeparator, {}, 14, [this] { PreviousImageClick(); }, PrevImageButton);
  form.AddToolbarItem<QAction>(
      toolbar, editSeparator, {}, 15, [this] { NextImageClick(); }, NextImageButton);

  QMenu *view = form.ViewMenuItem;
  ZoomMenuSeparator = form.AddSeparator(view, form.ToolbarsMenuItem->menuAction());
  ZoomToolbarSeparator = toolbar->addSeparator();
  struct TCommand {
    QAction *&MenuItem;
    QAction *&Button;
    QList<QKeySequence> Keys;
    int Image;
    void (TVxGraphicsEditor::*Handler)();
  };
  const TCommand commands[] = {
      {ZoomInMenuItem,
       ZoomInButton,
       {QKeySequence(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Plus),
        QKeySequence(QKeySequence::ZoomIn)},
       10,
       &TVxGraphicsEditor::ZoomInClick},
      {ZoomOutMenuItem,
       ZoomOutButton,
       {QKeySequence(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Minus),
        QKeySequence(QKeySequence::ZoomOut)},
       11,
       &TVxGraphicsEditor::ZoomOutClick},
      {ActualSizeMenuItem,
       ActualSizeButton,
       {QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_0)},
       12,
       &TVxGraphicsEditor::ActualSizeClick},
      {ScaleToBestFitMenuItem, ScaleToBestFitButton, {}, 13, &TVxGraphicsEditor::BestFitClick},
  };
  for (const TCommand &command : commands) {
    const auto handler = [this, h = command.Handler] { (this->*h)(); };
    command.MenuItem = form.AddMenuItem({}, {}, ZoomMenuSeparator, view, command.Image, handler);
    command.MenuItem->setShortcuts(command.Keys);
    form.AddToolbarItem<QAction>(toolbar, nullptr, {}, command.Image, handler, command.Button);
  }

  QMenu *file = form.FileMenuItem;
  QAction *fileSeparator = form.FileMenuSeparator;
  CloseMenuSeperator = form.AddSeparator(file, fileSeparator);
  FScannerImport->CreateCommands(form, file, fileSeparator);
}

void TVxGraphicsEditor::CreateStatusPanels() {
  TMainForm &form = *MainForm();
  const int h = std::abs(QFontMetrics(form.font()).height());
  const int h32 = MulDiv(h, 3, 2);
  struct TPanel {
    const char *Caption;  // null for a value panel
    QLabel **Field;
    int Width;
    bool Framed;
  };
  const TPanel panels[] = {
      {"X:", nullptr, 2 * h, false}, {nullptr, &XStatusPanel, 4 * h, false},
      {"Y:", nullptr, h32, false},   {nullptr, &YStatusPanel, 5 * h, true},
      {"W:", nullptr, 2 * h, false}, {nullptr, &WStatusPanel, 4 * h, false},
      {"H:", nullptr, h32, false},   {nullptr, &HStatusPanel, 5 * h, true},
      {"R:", nullptr, h32, false},   {nullptr, &RStatusPanel, 4 * h, false},
      {"G:", nullptr, h32, false},   {nullptr, &GStatusPanel, 4 * h, false},
      {"B:", nullptr, h32, false},   {nullptr, &BStatusPanel, 5 * h, true},
  };
  for (const TPanel &p : panels) {
    auto *label = new QLabel(form.StatusBar);
    label->setFixedWidth(p.Width);
    if (p.Caption) {
      label->setText(QString::fromLatin1(p.Caption));
      label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    } else {
      label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      *p.Field = label;
    }
    if (p.Framed) label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    form.StatusBar->addWidget(label);
    StatusPanels.push_back(label);
  }
}

void TVxGraphicsEditor::Localize() {
  TVxEditor::Localize();
  if (!ZoomInMenuItem) return;
  const auto both = [](QAction *item, QAction *button, const QString &text) {
    item->setText(text);
    button->setText(text);
    button->setToolTip(text);
  };
  both(ZoomInMenuItem, ZoomInButton, Text(98));
  both(ZoomOutMenuItem, ZoomOutButton, Text(99));
  both(ActualSizeMenuItem, ActualSizeButton, Text(166));
  both(ScaleToBestFitMenuItem, ScaleToBestFitButton, Text(178));
  PrevImageButton->setText(Text(2104));
  PrevImageButton->setToolTip(Text(2104));
  NextImageButton->setText(Text(2105));
  NextImageButton->setToolTip(Text(2105));
  FScannerImport->Localize();
  if (OkButton) OkButton->setText(Text(3001));
  if (CancelButton) CancelButton->setText(Text(3002));
}

void TVxGraphicsEditor::LoadSettings(TVxSDFReader &reader) {
  TVxEditor::LoadSettings(reader);
  if (reader.OpenSection(1, SettingsGuid)) {
    int32_t quality = FFormats.JPEGQuality;
    if (reader.ReadInteger(1, quality) && quality >= 0 && quality <= 100)
      FFormats.JPEGQuality = quality;
    int32_t budget = 0;
    if (reader.ReadInteger(3, budget)) HistoryBudgetMiB = std::max(budget, 0);
    reader.CloseNode();
  }
  ApplyHistoryBudget();
}

void TVxGraphicsEditor::ApplyHistoryBudget() {
  TVxHistoryStore::TOptions options = TVxHistoryStore::Defaults();
  options.Budget =
      HistoryBudgetMiB > 0 ? uint64_t(HistoryBudgetMiB) << 20 : TVxHistoryStore::DefaultBudget();
  TVxHistoryStore::SetDefaults(options);
  // Spill files of a run that was killed; those of running copies stay.
  if (!options.SpillFolder.empty()) platform::SpillFile::RemoveStale(options.SpillFolder);
}

void TVxGraphicsEditor::SaveSettings(TVxSDFWriter &writer) {
  TVxEditor::SaveSettings(writer);
  writer.BeginSection(1, SettingsGuid);
  writer.WriteInteger(1, FFormats.JPEGQuality);
  // Item 2 is a flag the program never used; written as 0 so that the
  // section keeps the items other versions expect.
  writer.WriteInteger(2, 0);
  // The undo history's memory budget in MiB; 0: a quarter of the memory.
  writer.WriteInteger(3, HistoryBudgetMiB);
  writer.EndNode();
}

void TVxGraphicsEditor::UpdateControls() {
  TVxEditor::UpdateControls();
  TellOfSpillFailure();
  if (!ZoomInMenuItem) return;
  const bool open = SaveAsMenuItem->isEnabled();
  for (QAction *item : {ZoomInMenuItem, ZoomOutMenuItem, ActualSizeMenuItem, ScaleToBestFitMenuItem,
                        ZoomInButton, ZoomOutButton, ActualSizeButton, ScaleToBestFitButton})
    item->setEnabled(open);
  PrevImageButton->setEnabled(FFolder.CanGoPrevious());
  NextImageButton->setEnabled(FFolder.CanGoNext());
}

void TVxGraphicsEditor::TellOfSpillFailure() {
  // The history's worker found the disk full some time ago; idle time is the
  // first moment the user can be told without interrupting an edit.
  TVxGraphicsDocument *document = CurrentGraphicsDocument();
  if (!document || !document->Model().TakeSpillFailure()) return;
  if (TVxApplication *application = Application())
    application->MessageBox(Text(5750), MbIconWarning);
}

TVxGraphicsDocument *TVxGraphicsEditor::CurrentGraphicsDocument() const {
  return qobject_cast<TVxGraphicsDocument *>(CurrentDocument());
}

TVxGraphicsView *TVxGraphicsEditor::CurrentView() const {
  TVxGraphicsDocument *document = CurrentGraphicsDocument();
  if (!document || !document->HasView()) return nullptr;
  return dynamic_cast<TVxGraphicsView *>(document->GraphicsView());
}

IVxGraphicsDocumentClient *TVxGraphicsEditor::CurrentGraphicsTool() const {
  return FCurrentTool.data();
}

void TVxGraphicsEditor::SelectTool(TVxGraphicsTool *tool) {
  TVxGraphicsTool *current = FCurrentTool.data();
  if (current) current->DeactivateTool();
  FPreviousTool = current;
  if (tool) tool->ActivateTool();
  FCurrentTool = tool;
}

bool TVxGraphicsEditor::CanUseTool(const TVxGraphicsTool *tool) const {
  TVxGraphicsDocument *document = CurrentGraphicsDocument();
  if (!document) return false;
  if (ToolSwitchingLocked && tool != FCurrentTool.data()) return false;
  if (document->IsEditing() && document->EditTool() != tool) {
    auto *editing = dynamic_cast<TVxGraphicsTool *>(document->EditTool());
    if (editing && editing->LocksOtherTools) return false;
  }
  return true;
}

void TVxGraphicsEditor::ShowPointerStatus(const TVxPointerStatus &status) {
  if (!XStatusPanel) return;
  XStatusPanel->setText(QString::number(status.X));
  YStatusPanel->setText(QString::number(status.Y));
  RStatusPanel->setText(QString::number(status.R));
  GStatusPanel->setText(QString::number(status.G));
  BStatusPanel->setText(QString::number(status.B));
}

void TVxGraphicsEditor::ShowColourStatus(int red, int green, int blue) {
  if (!RStatusPanel) return;
  RStatusPanel->setText(QString::number(red));
  GStatusPanel->setText(QString::number(green));
  BStatusPanel->setText(QString::number(blue));
}

void TVxGraphicsEditor::ShowImageSize(int32_t width, int32_t height) {
  if (!WStatusPanel) return;
  WStatusPanel->setText(QString::number(width));
  HStatusPanel->setText(QString::number(height));
}

void TVxGraphicsEditor::ActivateDocument(TVxDocument *doc) {
  auto *graphics = qobject_cast<TVxGraphicsDocument *>(doc);
  // Only a file the plug-in handed over switches modes, not any image that
  // happens to carry format -1.
  if (graphics && graphics->ReadFromExchangeFile) SetPluginMode(true);
  TVxEditor::ActivateDocument(doc);
}

void TVxGraphicsEditor::UpdateCaption() {
  TMainForm *form = MainForm();
  if (IsPluginMode() && form) {
    form->setWindowTitle(Application() ? Application()->Title() : QString());
    return;
  }
  TVxEditor::UpdateCaption();
}

std::unique_ptr<TVxDocument> TVxGraphicsEditor::CreateDocument() {
  return std::make_unique<TVxGraphicsDocument>(this);
}

bool TVxGraphicsEditor::AttachDocument(TVxDocument *doc, QWidget *&view) {
  if (!TVxEditor::AttachDocument(doc, view)) return false;
  auto *graphicsView = dynamic_cast<TVxGraphicsView *>(view);
  if (!graphicsView) return true;
  for (IVxGraphicsDocumentClient *client : TVxGraphicsDocument::Tools())
    if (auto *tool = dynamic_cast<TVxGraphicsTool *>(client)) tool->CreateControl(graphicsView);
  graphicsView->SetStatusSink(this);
  graphicsView->installEventFilter(this);
  if (auto *document = qobject_cast<TVxGraphicsDocument *>(doc))
    ShowImageSize(document->Image.Width(), document->Image.Height());
  FitInitial();
  if (TVxGraphicsTool *tool = FCurrentTool.data()) tool->ActivateTool();
  graphicsView->DocumentView()->SetVisible(true);
  graphicsView->UpdateScrollRange();
  graphicsView->setFocus(Qt::OtherFocusReason);
  return true;
}

bool TVxGraphicsEditor::ExecuteSaveAsDialog(TVxDocument *doc) {
  if (!IsPluginMode()) return TVxEditor::ExecuteSaveAsDialog(doc);
  return !doc || !doc->CanSave() || HandBack(*doc);
}

bool TVxGraphicsEditor::HandBack(TVxDocument &doc) {
  // Exit code 0 tells the plug-in to take the exchange file's pixels; after a
  // failed write those are the unchanged ones, and the retouching would be
  // lost without a word. The window stays open so OK can be tried again.
  if (!doc.Save()) {
    // The host still has the image as it was: closing must ask.
    doc.SetSaved(false);
    if (Application()) Application()->MessageBox(Text(5402), MbOk | MbIconError);
    return false;
  }
  if (Application()) Application()->SetExitCode(0);
  return true;
}

int TVxGraphicsEditor::AskSaveChanges(const QString &name) {
  if (!IsPluginMode()) return TVxEditor::AskSaveChanges(name);
  return Application() ? Application()->MessageBox(FormattedText(94, Text(500)),
                                                   MbYesNoCancel | MbIconWarning)
                       : IdCancel;
}

void TVxGraphicsEditor::AddRecentFile(TVxDocument *doc) {
  if (!IsPluginMode()) TVxEditor::AddRecentFile(doc);
}

void TVxGraphicsEditor::SetPluginMode(bool on) {
  if (IsPluginMode() || !on) return;
  if (TVxApplication *application = Application())
    application->SetTitle(application->Title() + QStringLiteral(" Plug-in"));
  if (TMainForm *form = MainForm()) {
    PrevImageButton->setVisible(false);
    NextImageButton->setVisible(false);
    form->FileMenuItem->menuAction()->setVisible(false);
    StandardToolbar->addSeparator();
    const auto textButton = [&](const QString &text, void (TVxGraphicsEditor::*click)(),
                                QToolButton *&button) {
      form->AddToolbarItem<QToolButton>(
          StandardToolbar, nullptr, text, -1, [this, click] { (this->*click)(); }, button);
      button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    };
    textButton(Text(3001), &TVxGraphicsEditor::PluginOkClick, OkButton);
    textButton(Text(3002), &TVxGraphicsEditor::PluginCancelClick, CancelButton);
  }
  TVxEditor::SetPluginMode(on);
  UpdateCaption();
}

void TVxGraphicsEditor::RecordOpen(const QString &name) {
  // The script runs with the view as large as it was when recorded.
  if (TVxGraphicsView *view = CurrentView())
    DemoWords().Record(DemoRecorder(), {}, "ImageOpen",
                       {QFileInfo(name).fileName().toStdString(), view->width(), view->height()});
}

bool TVxGraphicsEditor::OpenFile(const QString &name, TVxDocument *&doc, bool addToRecent) {
  // The host's image is the one document of a plug-in session: any other
  // file would take its place, and OK would then write that file over the
  // user's photograph while the host got its own pixels back. Every way of
  // opening a file (a drop, a demonstration, the folder walk) comes here.
  if (IsPluginMode()) {
    doc = nullptr;
    if (Application()) Application()->MessageBox(Text(5432), MbOk | MbIconInformation);
    return false;
  }
  if (!TVxEditor::OpenFile(name, doc, addToRecent)) return false;
  if (doc && doc->HasView()) {
    FFolder.ScanFolder(name);
    FitInitial();
    RecordOpen(name);
  }
  return true;
}

void TVxGraphicsEditor::NextImageClick() { FFolder.Next(); }

void TVxGraphicsEditor::PreviousImageClick() { FFolder.Previous(); }

void TVxGraphicsEditor::FitInitial() {
  TVxGraphicsView *view = CurrentView();
  TVxGraphicsDocument *document = CurrentGraphicsDocument();
  if (!view || !document) return;
  // A view just put in place gets its size from the window's layout first.
  if (TMainForm *form = MainForm())
    if (QWidget *client = form->centralWidget(); client && client->layout())
      client->layout()->activate();
  if (!view->isVisible()) {
    FitPending = true;
    return;
  }
  // A window manager places and sizes a new window after it is shown, and
  // the view learns its final size only then: until the window is on the
  // screen, the fit is done again at every size the view gets.
  QWindow *window = view->window()->windowHandle();
  FitPending = !window || !window->isExposed();
  if (view->width() >= document->Image.Width() && view->height() >= document->Image.Height())
    view->SetZoom(1, 1);
  else
    BestFit();
}

void TVxGraphicsEditor::BestFit() {
  TVxGraphicsView *view = CurrentView();
  TVxGraphicsDocument *document = CurrentGraphicsDocument();
  if (!view || !document) return;
  const int32_t w = std::max(view->width(), 1), h = std::max(view->height(), 1);
  const int32_t iw = document->Image.Width(), ih = document->Image.Height();
  if (iw <= 0 || ih <= 0) return;
  if (static_cast<double>(ih) / h >= static_cast<double>(iw) / w)
    view->SetZoom(h, ih);
  else
    view->SetZoom(w, iw);
}

bool TVxGraphicsEditor::eventFilter(QObject *watched, QEvent *event) {
  // Once shown, the window and its docks settle over several resizes, and
  // the view paints first when the window is on the screen; the fit follows.
  if (FitPending && watched == CurrentView() &&
      (event->type() == QEvent::Resize || event->type() == QEvent::Show ||
       event->type() == QEvent::Paint))
    QTimer::singleShot(0, this, [this] {
      if (FitPending) FitInitial();
    });
  if (event->type() == QEvent::Wheel && watched == MainForm()) {
    auto *wheel = static_cast<QWheelEvent *>(event);
    const QPoint angle = wheel->angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    TVxShiftState shift = 0;
    if (wheel->modifiers() & Qt::ShiftModifier) shift |= ShiftKey;
    if (wheel->modifiers() & Qt::ControlModifier) shift |= CtrlKey;
    if (wheel->modifiers() & Qt::AltModifier) shift |= AltKey;
    bool handled = false;
    if (delta != 0) MouseWheelHandler(shift, delta, wheel->globalPosition().toPoint(), handled);
    if (handled) return true;
  }
  return TVxEditor::eventFilter(watched, event);
}

void TVxGraphicsEditor::MouseWheelHandler(TVxShiftState shift, int delta, const QPoint &screenPoint,
                                          bool &handled) {
  TVxGraphicsView *view = CurrentView();
  if (view && view->MouseInside()) handled = view->MouseWheelHandler(shift, delta, screenPoint);
}

void TVxGraphicsEditor::DocumentViewActivated(TVxDocument *doc) { ActivateDocument(doc); }

void TVxGraphicsEditor::ZoomInClick() {
  DemoWords().Record(DemoRecorder(), {}, "ZoomIn");
  StepZoom(ZoomInStep);
}

void TVxGraphicsEditor::ZoomOutClick() {
  DemoWords().Record(DemoRecorder(), {}, "ZoomOut");
  StepZoom(ZoomOutStep);
}

void TVxGraphicsEditor::StepZoom(TVxZoom (*step)(int32_t, int32_t)) {
  TVxGraphicsView *view = CurrentView();
  if (!view) return;
  const TVxZoom zoom = view->Zoom();
  const TVxZoom next = step(zoom.Numerator, zoom.Denominator);
  view->SetZoom(next.Numerator, next.Denominator);
}

void TVxGraphicsEditor::ActualSizeClick() {
  DemoWords().Record(DemoRecorder(), {}, "ActualSize");
  if (TVxGraphicsView *view = CurrentView()) view->SetZoom(1, 1);
}

void TVxGraphicsEditor::BestFitClick() {
  DemoWords().Record(DemoRecorder(), {}, "BestFit");
  if (CurrentView()) BestFit();
}

void TVxGraphicsEditor::EndOpenEdit() {
  TVxGraphicsDocument *document = CurrentGraphicsDocument();
  if (document && document->IsEditing()) document->EndToolEdit(nullptr);
}

void TVxGraphicsEditor::PluginOkClick() {
  EndOpenEdit();
  if (TVxGraphicsDocument *document = CurrentGraphicsDocument()) {
    if (document->CanSave() && !HandBack(*document)) return;
    document->SetSaved(true);
  }
  if (TMainForm *form = MainForm()) form->close();
}

void TVxGraphicsEditor::PluginCancelClick() {
  EndOpenEdit();
  if (TVxDocument *document = CurrentDocument()) document->SetSaved(true);
  if (TMainForm *form = MainForm()) form->close();
}

bool TVxGraphicsEditor::CanUndo() {
  TVxGraphicsDocument *document = CurrentGraphicsDocument();
  return TVxEditor::CanUndo() && !(document && document->IsEditing());
}

bool TVxGraphicsEditor::CanRedo() {
  TVxGraphicsDocument *document = CurrentGraphicsDocument();
  return TVxEditor::CanRedo() && !(document && document->IsEditing());
}

template <class F>
void TVxGraphicsEditor::Step(F &&step, bool (TVxGraphicsEditor::*canStep)()) {
  TVxGraphicsDocument *document = CurrentGraphicsDocument();
  if (!document) return;
  // Bounded: a state that always asks for one more step cannot hang the program.
  int32_t steps = document->History().Count();
  do {
    RepeatStep = false;
    TVxGraphicsTool *tool = FCurrentTool.data();
    const int32_t position = document->History().GetPosition();
    SelectTool(nullptr);
    step(*document);
    SelectTool(tool);
    if (document->History().GetPosition() == position) {
      // The step's pixels could not be brought back; nothing changed.
      if (TVxApplication *application = Application())
        application->MessageBox(Text(5751), MbIconWarning);
      return;
    }
  } while (RepeatStep && --steps > 0 && (this->*canStep)());
}

void TVxGraphicsEditor::Undo() {
  Step(
      [this](TVxGraphicsDocument &document) {
        document.NotifyBeforeUndo();
        TVxEditor::Undo();
        document.NotifyAfterUndo();
      },
      &TVxGraphicsEditor::CanUndo);
}

void TVxGraphicsEditor::Redo() {
  Step(
      [this](TVxGraphicsDocument &document) {
        document.NotifyBeforeRedo();
        TVxEditor::Redo();
        document.NotifyAfterRedo();
      },
      &TVxGraphicsEditor::CanRedo);
}

void TVxGraphicsEditor::SetViewSize(int32_t width, int32_t height) {
  TVxGraphicsView *view = CurrentView();
  TMainForm *form = MainForm();
  if (!view || !form) return;
  const QRect area = WorkArea(form);
  const QRect frame = form->frameGeometry();
  int w = Grown(frame.width(), width, view->width());
  int h = Grown(frame.height(), height, view->height());
  int x = frame.x(), y = frame.y();
  FitAxis(x, w, area.left(), area.left() + area.width());
  FitAxis(y, h, area.top(), area.top() + area.height());
  PlaceWindow(QRect(x, y, w, h));
}

void TVxGraphicsEditor::SetMinWindowSize(int32_t width, int32_t height) {
  TMainForm *form = MainForm();
  if (!form) return;
  const QRect area = WorkArea(form);
  // A script may ask for more than the screen has; the window stays on it.
  width = std::min(width, area.width());
  height = std::min(height, area.height());
  QRect frame = form->frameGeometry();
  if (frame.width() < width) {
    frame.setWidth(width);
    frame.moveLeft((area.width() - width) / 2);
  }
  if (frame.height() < height) {
    frame.setHeight(height);
    frame.moveTop((area.height() - height) / 2);
  }
  PlaceWindow(frame);
  FitInitial();
}

void TVxGraphicsEditor::PlaceWindow(const QRect &outer) {
  TMainForm *form = MainForm();
  // Positions and sizes on the work area are the window's outer ones, its
  // title bar and borders included; Qt places the inside.
  const QRect frame = form->frameGeometry(), inside = form->geometry();
  form->setGeometry(outer.adjusted(inside.left() - frame.left(), inside.top() - frame.top(),
                                   inside.right() - frame.right(),
                                   inside.bottom() - frame.bottom()));
  if (QLayout *layout = form->layout()) layout->activate();
}

const TVxDemoWordTable<TVxGraphicsEditor> &TVxGraphicsEditor::DemoWords() {
  using TEditor = TVxGraphicsEditor;
  using TWord = TVxDemoWord<TEditor>;
  static const TWord words[] = {
      {.Word = "Open", .Control = DemoControlOf<TEditor, &TEditor::OpenToolButton>},
      {.Word = "OpenButton", .Control = DemoControlOf<TEditor, &TEditor::OpenToolButton>},
      {.Word = "ImageOpen",
       .Args = TVxDemoArgs::File,
       .Run = [](TEditor &editor, const TVxDemoCall &call) { editor.DemoImageOpen(call); },
       .Target = "Open",
       .Message = "Open Image"},
      {.Word = "ZoomIn",
       .Run = [](TEditor &editor, const TVxDemoCall &) { editor.ZoomInClick(); },
       .Control = DemoControlOf<TEditor, &TEditor::ZoomInButton>,
       .Message = "Zoom In"},
      {.Word = "ZoomOut",
       .Run = [](TEditor &editor, const TVxDemoCall &) { editor.ZoomOutClick(); },
       .Control = DemoControlOf<TEditor, &TEditor::ZoomOutButton>,
       .Message = "Zoom Out"},
      {.Word = "ActualSize",
       .Run = [](TEditor &editor, const TVxDemoCall &) { editor.ActualSizeClick(); },
       .Control = DemoControlOf<TEditor, &TEditor::ActualSizeButton>,
       .Message = "Actual Size"},
      {.Word = "BestFit",
       .Run = [](TEditor &editor, const TVxDemoCall &) { editor.BestFitClick(); },
       .Control = DemoControlOf<TEditor, &TEditor::ScaleToBestFitButton>,
       .Message = "Best Fit"},
      // The plug-in mode's buttons; they exist only in that mode.
      {.Word = "OkButton",
       .Run =
           [](TEditor &editor, const TVxDemoCall &) {
             if (editor.OkButton) editor.PluginOkClick();
           },
       .Control = DemoControlOf<TEditor, &TEditor::OkButton>},
      {.Word = "CancelButton",
       .Run =
           [](TEditor &editor, const TVxDemoCall &) {
             if (editor.CancelButton) editor.PluginCancelClick();
           },
       .Control = DemoControlOf<TEditor, &TEditor::CancelButton>},
      {.Word = "SetMinViewSize",
       .Args = TVxDemoArgs::Point,
       .Run =
           [](TEditor &editor, const TVxDemoCall &call) {
             int32_t width = 0, height = 0;
             DemoParamNumber(call.Params, 0, width);
             DemoParamNumber(call.Params, 1, height);
             editor.SetViewSize(width, height);
             editor.FitInitial();
           }},
      {.Word = "SetMinWindowSize",
       .Args = TVxDemoArgs::Point,
       .Run =
           [](TEditor &editor, const TVxDemoCall &call) {
             int32_t width = 0, height = 0;
             DemoParamNumber(call.Params, 0, width);
             DemoParamNumber(call.Params, 1, height);
             editor.SetMinWindowSize(width, height);
           }},
  };
  static const TVxDemoWordTable<TEditor> table(words);
  return table;
}

void TVxGraphicsEditor::DemoImageOpen(const TVxDemoCall &call) {
  const TVxProperties &params = call.Params;
  QString path = DemoParamText(params, 0);
  if (!DemoFolder.isEmpty() && QFileInfo::exists(DemoFolder + path)) path = DemoFolder + path;
  TVxDocument *doc = nullptr;
  int32_t width = 0, height = 0;
  if (OpenFile(path, doc, true)) {
    doc->DiscardOnClose = true;
    if (params.Count() == 3 && DemoParamNumber(params, 1, width) &&
        DemoParamNumber(params, 2, height)) {
      SetViewSize(width, height);
      FitInitial();
    }
  } else if (call.Playback) {
    call.Playback->ReportError(QStringLiteral("Cannot open the file."));
  }
}

void TVxGraphicsEditor::ExecuteDemoCommand(IVxDemoRecorder *recorder, const QString &word,
                                           bool &handled, const TVxProperties &params) {
  if (DemoWords().Execute(*this, {}, word, {recorder, params, false}))
    handled = true;
  else
    TVxEditor::ExecuteDemoCommand(recorder, word, handled, params);
}

void TVxGraphicsEditor::GetDemoCommandPoint(const TVxProperties &params, bool &handled,
                                            QPoint &screenPoint) {
  TVxGraphicsView *view = CurrentView();
  if (DemoWords().CommandPoint(*this, {}, params, screenPoint) ||
      (view && TVxGraphicsView::DemoWords().CommandPoint(*view, {}, params, screenPoint)))
    handled = true;
  else
    TVxEditor::GetDemoCommandPoint(params, handled, screenPoint);
}

void TVxGraphicsEditor::ListDemoWords(const TVxDemoWordVisitor &visit) {
  DemoWords().List(*this, {}, visit);
  TVxEditor::ListDemoWords(visit);
}

bool TVxGraphicsEditor::RunOpenDialog(QString &name) {
  return ExecuteOpenFileDialog(MainForm(), FFormats, name);
}

// The save dialog lists the registry's writable formats, the same array the
// caller passes.
bool TVxGraphicsEditor::RunSaveDialog(const TVxFileFormatArray &, QString &name, int &filterIndex) {
  return ExecuteSaveFileDialog(MainForm(), FFormats, name, filterIndex);
}

IVxProgress &TVxGraphicsEditor::Progress() const { return ProgressMeter(); }
