#include "documents/VxEditor.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStackedLayout>
#include <algorithm>
#include <variant>

#include "base/VxProperties.h"
#include "demo/VxDemoRecorder.h"
#include "framework/VxApplication.h"
#include "framework/VxMainForm.h"
#include "framework/VxText.h"

namespace {

// A script argument as text: strings as they are, numbers written out.
QString WithoutExtension(const QString &name) {
  const QString suffix = QFileInfo(name).suffix();
  return suffix.isEmpty() ? name : name.left(name.size() - suffix.size() - 1);
}

QString ExtensionOf(const QString &name) {
  const QString suffix = QFileInfo(name).suffix();
  return suffix.isEmpty() ? QString() : QStringLiteral(".") + suffix;
}

}  // namespace

// --- TVxDocument -------------------------------------------------------------

TVxDocument::TVxDocument(TVxEditor *editor) : FEditor(editor) {}

TVxDocument::~TVxDocument() { delete View.data(); }

QString TVxDocument::DisplayName() const {
  if (FFileName.isEmpty()) return Text(74);
  return QFileInfo(FFileName).fileName();
}

QWidget *TVxDocument::GetView() {
  if (!View) View = CreateView();
  return View.data();
}

void TVxDocument::AddListener(IVxDocumentListener *listener) {
  if (!listener) return;
  if (std::find(Listeners.begin(), Listeners.end(), listener) == Listeners.end())
    Listeners.push_back(listener);
}

void TVxDocument::RemoveListener(IVxDocumentListener *listener) { std::erase(Listeners, listener); }

void TVxDocument::NotifyChanged() {
  // Listeners may remove themselves while they are told.
  for (size_t i = Listeners.size(); i-- > 0;)
    if (i < Listeners.size()) Listeners[i]->DocumentChanged(this);
  Saved = false;
}

void TVxDocument::NotifyClosing() {
  for (size_t i = Listeners.size(); i-- > 0;)
    if (i < Listeners.size()) Listeners[i]->DocumentClosing(this);
}

bool TVxDocument::LoadFromFile(const QString &name) {
  TVxDocumentFormats *formats = FEditor ? FEditor->GetFormats() : nullptr;
  if (!formats) return false;
  int32_t format = FFormat;
  if (!formats->LoadDocument(*this, name, format)) return false;
  FFileName = name;
  FFormat = format;
  NotifyChanged();
  Saved = true;
  return true;
}

bool TVxDocument::SaveToFile(const QString &name, int32_t format) {
  TVxDocumentFormats *formats = FEditor ? FEditor->GetFormats() : nullptr;
  if (!formats || !formats->SaveDocument(*this, name, format)) return false;
  Saved = true;
  FFileName = name;
  FFormat = format;
  FEditor->UpdateCaption();
  return true;
}

bool TVxDocument::CanSave() {
  TVxDocumentFormats *formats = FEditor ? FEditor->GetFormats() : nullptr;
  return formats && formats->CanSave(FFormat);
}

bool TVxDocument::Save() {
  if (FFileName.isEmpty()) return false;
  return SaveToFile(FFileName, FFormat);
}

bool TVxDocument::Close() {
  PrepareClose();
  TVxEditor *editor = FEditor;
  bool mayClose = DiscardOnClose || Saved || !editor || !editor->AskOnClose;
  if (!mayClose) {
    switch (editor->AskSaveChanges(DisplayName())) {
      case IdYes:
        mayClose = editor->ExecuteSaveAsDialog(this);
        break;
      case IdNo:
        mayClose = true;
        break;
      default:
        break;
    }
  }
  if (!mayClose) return false;
  NotifyClosing();
  if (editor) {
    editor->RemoveDocument(this);  // frees this document
    editor->UpdateCaption();
  }
  return true;
}

// --- TVxEditor ---------------------------------------------------------------

TVxEditor::TVxEditor(QObject *owner) : TVxModuleWithControls(owner) {
  setObjectName(QStringLiteral("Editor"));
  TVxApplication *application = Application();
  Form = MainForm();
  if (!Form && application) {
    TMainForm *created = nullptr;
    application->CreateForm(created);
    created->SetCommonImages(application->CommonImages());
    Form = created;
  }
  if (Form) CreateCommands();
  if (application)
    connect(application, &TVxApplication::TitleChanged, this, [this] { UpdateCaption(); });
  if (Form)
    Form->OnCloseQuery = [this](QObject *sender, bool &canClose) { CloseQuery(sender, canClose); };
  UpdateCaption();
}

TVxEditor::~TVxEditor() {
  if (Form) Form->OnCloseQuery = nullptr;
  Documents.clear();
}

void TVxEditor::CreateCommands() {
  TMainForm &form = *Form;
  QMenu *file = form.FileMenuItem;
  QAction *separator = form.FileMenuSeparator;
  OpenMenuItem = form.AddMenuItem({}, QKeySequence(Qt::CTRL | Qt::Key_O), separator, file, 1,
                                  [this] { OpenClick(); });
  SaveMenuItem = form.AddMenuItem({}, {}, separator, file, 2, [this] { SaveAsClick(); });
  SaveMenuItem->setVisible(false);
  SaveAsMenuItem = form.AddMenuItem({}, QKeySequence(Qt::CTRL | Qt::Key_S), separator, file, 2,
                                    [this] { SaveAsClick(); });
  CloseMenuItem = form.AddMenuItem({}, {}, separator, file, -1, [this] { CloseClick(); });
  RecentFilesMenuSeparator = form.AddSeparator(file, form.ExitMenuItem);

  StandardToolbar = form.AddToolbar({});
  StandardToolbar->setObjectName(QStringLiteral("StandardToolbar"));
  form.AddToolbarItem<QAction>(
      StandardToolbar, nullptr, {}, 1, [this] { OpenClick(); }, OpenToolButton);
  form.AddToolbarItem<QAction>(
      StandardToolbar, nullptr, {}, 2, [this] { SaveAsClick(); }, SaveToolButton);

  EditMenuItem = form.AddSubmenu({}, nullptr, form.ViewMenuItem->menuAction());
  EditMenuItem->setObjectName(QStringLiteral("EditMenuItem"));
  UndoMenuItem = form.AddMenuItem({}, QKeySequence(Qt::CTRL | Qt::Key_Z), nullptr, EditMenuItem, 8,
                                  [this] { UndoClick(); });
  UndoAllMenuItem = form.AddMenuItem({}, {}, nullptr, EditMenuItem, -1, [this] { UndoAllClick(); });
  RedoMenuItem = form.AddMenuItem({}, QKeySequence(Qt::CTRL | Qt::Key_Y), nullptr, EditMenuItem, 9,
                                  [this] { RedoClick(); });
  RedoAllMenuItem = form.AddMenuItem({}, {}, nullptr, EditMenuItem, -1, [this] { RedoAllClick(); });

  EditToolbarSeparator = StandardToolbar->addSeparator();
  form.AddToolbarItem<QAction>(
      StandardToolbar, nullptr, {}, 8, [this] { UndoClick(); }, UndoToolButton);
  form.AddToolbarItem<QAction>(
      StandardToolbar, nullptr, {}, 9, [this] { RedoClick(); }, RedoToolButton);
  Localize();
}

void TVxEditor::Localize() {
  if (!Form) return;
  const QString ellipsis = QStringLiteral("...");
  OpenMenuItem->setText(Text(12) + ellipsis);
  SaveMenuItem->setText(Text(15));
  SaveAsMenuItem->setText(Text(16) + ellipsis);
  CloseMenuItem->setText(Text(13));
  StandardToolbar->setWindowTitle(Text(162));
  const auto hint = [](QAction *button, const QString &text) {
    button->setText(text);
    button->setToolTip(text);
  };
  hint(OpenToolButton, Text(12));
  hint(SaveToolButton, Text(16));
  EditMenuItem->setTitle(Text(24));
  UndoMenuItem->setText(Text(25));
  UndoAllMenuItem->setText(Text(168));
  RedoMenuItem->setText(Text(26));
  RedoAllMenuItem->setText(Text(169));
  hint(UndoToolButton, Text(25));
  hint(RedoToolButton, Text(26));
}

void TVxEditor::LoadSettings(TVxSDFReader &reader) {
  if (!reader.OpenSection(1, SectionGuid)) return;
  if (reader.OpenNode(1)) {
    int32_t count = 0;
    reader.ReadInteger(0, count);
    // Only the newest entries fit the list; a damaged count must not make
    // the start-up look for two thousand million of them.
    for (int32_t id = std::min(count, std::max<int32_t>(RecentLimit, 0)); id >= 1; --id) {
      std::u16string name;
      if (reader.ReadString(static_cast<uint32_t>(id), name) && !name.empty())
        AddRecentFileName(QString::fromStdU16String(name));
    }
    reader.CloseNode();
  }
  reader.CloseNode();
}

void TVxEditor::SaveSettings(TVxSDFWriter &writer) {
  writer.BeginSection(1, SectionGuid);
  writer.BeginIntegerNode(1, static_cast<int32_t>(Recent.size()));
  for (qsizetype i = 0; i < Recent.size(); ++i)
    writer.WriteString(static_cast<uint32_t>(i + 1), Recent[i].toStdU16String());
  writer.EndNode();
  writer.EndNode();
}

void TVxEditor::Start() {
  const QStringList arguments = QCoreApplication::arguments();
  if (arguments.size() < 2) return;
  const QString &first = arguments[1];
  if (QFileInfo(first).isFile()) OpenFile(first, true);
}

void TVxEditor::UpdateControls() {
  if (!Form) return;
  TVxDocument *current = CurrentDocument();
  SaveMenuItem->setEnabled(current && !current->IsSaved());
  SaveAsMenuItem->setEnabled(current != nullptr);
  SaveToolButton->setEnabled(current != nullptr);
  CloseMenuItem->setEnabled(current != nullptr);
  const bool undo = UndoEnabled && CanUndo();
  const bool redo = UndoEnabled && CanRedo();
  UndoMenuItem->setEnabled(undo);
  UndoAllMenuItem->setEnabled(undo);
  RedoMenuItem->setEnabled(redo);
  RedoAllMenuItem->setEnabled(redo);
  UndoToolButton->setEnabled(undo);
  RedoToolButton->setEnabled(redo);
}

TVxDocument *TVxEditor::CurrentDocument() const {
  return Documents.empty() ? nullptr : Documents.back().get();
}

void TVxEditor::ActivateDocument(TVxDocument *doc) {
  auto found = std::find_if(Documents.begin(), Documents.end(),
                            [doc](const auto &owned) { return owned.get() == doc; });
  if (found == Documents.end()) return;
  std::rotate(found, found + 1, Documents.end());
  if (doc->HasView()) ShowView(doc->GetView());
  UpdateCaption();
}

void TVxEditor::UpdateCaption() {
  if (!Form) return;
  const QString title = Application() ? Application()->Title() : QString();
  TVxDocument *current = CurrentDocument();
  if (MultiDocument || !current)
    Form->setWindowTitle(title);
  else
    Form->setWindowTitle(current->DisplayName() + QStringLiteral(" - ") + title);
}

void TVxEditor::RemoveDocument(TVxDocument *doc) {
  auto found = std::find_if(Documents.begin(), Documents.end(),
                            [doc](const auto &owned) { return owned.get() == doc; });
  if (found == Documents.end()) return;
  std::unique_ptr<TVxDocument> removed = std::move(*found);
  Documents.erase(found);
  removed.reset();
  if (TVxDocument *current = CurrentDocument(); current && current->HasView())
    ShowView(current->GetView());
}

void TVxEditor::SetMultiDocument(bool on) {
  MultiDocument = on;
  UpdateCaption();
}

TVxCommandHistoryList *TVxEditor::GetCommandHistory() {
  TVxDocument *current = CurrentDocument();
  return UndoEnabled && current ? &current->History() : nullptr;
}

void TVxEditor::ShowView(QWidget *view) {
  if (!Form || !view) return;
  QWidget *client = Form->centralWidget();
  if (!client) return;
  auto *stack = qobject_cast<QStackedLayout *>(client->layout());
  if (!stack) {
    delete client->layout();
    stack = new QStackedLayout(client);
    stack->setContentsMargins(0, 0, 0, 0);
  }
  if (stack->indexOf(view) < 0) stack->addWidget(view);
  stack->setCurrentWidget(view);
}

bool TVxEditor::AttachDocument(TVxDocument *doc, QWidget *&view) {
  view = nullptr;
  if (!doc) return false;
  view = doc->GetView();
  ShowView(view);
  return true;
}

bool TVxEditor::RunOpenDialog(QString &) { return false; }

bool TVxEditor::RunSaveDialog(const TVxFileFormatArray &, QString &, int &) { return false; }

bool TVxEditor::ExecuteOpenDialog() {
  QString name;
  // The dialog starts where the photograph on screen came from.
  if (TVxDocument *current = CurrentDocument(); current && !current->FileName().isEmpty())
    name = QFileInfo(current->FileName()).absolutePath();
  const bool chosen = RunOpenDialog(name);
  QCoreApplication::processEvents();
  if (!chosen) return false;
  TVxDocument *doc = nullptr;
  return OpenFile(name, doc, true);
}

bool TVxEditor::ExecuteSaveAsDialog(TVxDocument *doc) {
  if (!doc || !doc->CanSave()) return false;
  TVxDocumentFormats *formats = GetFormats();
  if (!formats) return false;
  TVxFileFormatArray writable;
  formats->GetWritableFormats(writable);
  QString name = WithoutExtension(doc->FileName());
  int filterIndex = TVxFileFormats::IndexOfFormat(writable, doc->Format()) + 1;
  const bool chosen = RunSaveDialog(writable, name, filterIndex);
  QCoreApplication::processEvents();
  if (!chosen) return false;
  // The dialog may hand back no filter or one it did not offer.
  if (filterIndex < 1 || filterIndex > static_cast<int>(writable.size()) || name.isEmpty())
    return false;
  const TVxFileFormatInfo &chosenFormat = writable[static_cast<size_t>(filterIndex - 1)];
  if (ExtensionOf(name).toLower() != chosenFormat.Extension.toLower())
    name += chosenFormat.Extension;
  if (QFileInfo::exists(name) && AskOverwrite(name) != IdYes) return false;
  return doc->SaveToFile(name, chosenFormat.Identifier);
}

int TVxEditor::AskSaveChanges(const QString &name) {
  return Application()
             ? Application()->MessageBox(FormattedText(94, name), MbYesNoCancel | MbIconWarning)
             : IdCancel;
}

int TVxEditor::AskOverwrite(const QString &name) {
  return Application()
             ? Application()->MessageBox(FormattedText(164, name), MbYesNo | MbIconWarning)
             : IdNo;
}

void TVxEditor::CloseQuery(QObject *, bool &canClose) {
  for (int i = DocumentCount() - 1; i >= 0; --i) {
    if (i >= DocumentCount()) continue;
    canClose = Document(i)->Close();
    if (!canClose) return;
  }
}

const TVxDemoWordTable<TVxEditor> &TVxEditor::DemoWords() {
  using TWord = TVxDemoWord<TVxEditor>;
  static const TWord words[] = {
      {.Word = "Undo",
       .Run = [](TVxEditor &editor, const TVxDemoCall &) { editor.UndoClick(); },
       .Control = DemoControlOf<TVxEditor, &TVxEditor::UndoToolButton>},
      {.Word = "Redo",
       .Run = [](TVxEditor &editor, const TVxDemoCall &) { editor.RedoClick(); },
       .Control = DemoControlOf<TVxEditor, &TVxEditor::RedoToolButton>},
  };
  static const TVxDemoWordTable<TVxEditor> table(words);
  return table;
}

void TVxEditor::ExecuteDemoCommand(IVxDemoRecorder *recorder, const QString &word, bool &handled,
                                   const TVxProperties &params) {
  if (DemoWords().Execute(*this, {}, word, {recorder, params, false})) handled = true;
}

void TVxEditor::GetDemoCommandPoint(const TVxProperties &params, bool &handled,
                                    QPoint &screenPoint) {
  if (DemoWords().CommandPoint(*this, {}, params, screenPoint)) handled = true;
}

void TVxEditor::ListDemoWords(const TVxDemoWordVisitor &visit) {
  DemoWords().List(*this, {}, visit);
}

void TVxEditor::SetDemoPlayback(IVxDemoRecorder *recorder) { Recorder = recorder; }

void TVxEditor::ClearDemoPlayback(IVxDemoRecorder *) { Recorder = nullptr; }

void TVxEditor::AddRecentFile(TVxDocument *doc) {
  if (doc) AddRecentFileName(doc->FileName());
}

void TVxEditor::SetPluginMode(bool on) {
  // Plug-in mode is entered once and never left.
  if (PluginMode || !on) return;
  if (OpenToolButton) OpenToolButton->setVisible(false);
  if (SaveToolButton) SaveToolButton->setVisible(false);
  if (EditToolbarSeparator) EditToolbarSeparator->setVisible(false);
  PluginMode = true;
  if (Application()) Application()->SetExitCode(-1);
}

bool TVxEditor::NewDocument(TVxDocument *&doc) {
  doc = nullptr;
  if (!CanReplaceDocument()) return false;
  std::unique_ptr<TVxDocument> created = CreateDocument();
  QWidget *view = nullptr;
  if (!created || !AttachDocument(created.get(), view)) return false;
  doc = created.get();
  Documents.push_back(std::move(created));
  ActivateDocument(doc);
  return true;
}

bool TVxEditor::OpenFile(const QString &name, TVxDocument *&doc, bool addToRecent) {
  doc = nullptr;
  if (!CanReplaceDocument()) return false;
  std::unique_ptr<TVxDocument> created = CreateDocument();
  QWidget *view = nullptr;
  if (created && created->LoadFromFile(name) && AttachDocument(created.get(), view)) {
    doc = created.get();
    Documents.push_back(std::move(created));
    ActivateDocument(doc);
    doc->DocumentOpened();
    if (addToRecent) AddRecentFile(doc);
    return true;
  }
  created.reset();
  if (Application()) Application()->MessageBox(FormattedText(1030, name), MbOk | MbIconError);
  return false;
}

bool TVxEditor::OpenFile(const QString &name, bool addToRecent) {
  TVxDocument *doc = nullptr;
  return OpenFile(name, doc, addToRecent);
}

bool TVxEditor::CanUndo() {
  TVxCommandHistoryList *history = GetCommandHistory();
  return history && history->CanUndo();
}

bool TVxEditor::CanRedo() {
  TVxCommandHistoryList *history = GetCommandHistory();
  return history && history->CanRedo();
}

void TVxEditor::Undo() {
  if (TVxCommandHistoryList *history = GetCommandHistory()) history->Undo();
}

void TVxEditor::Redo() {
  if (TVxCommandHistoryList *history = GetCommandHistory()) history->Redo();
}

void TVxEditor::OpenClick() {
  if (!PluginMode) ExecuteOpenDialog();
}

void TVxEditor::CloseClick() {
  if (TVxDocument *current = CurrentDocument()) current->Close();
}

void TVxEditor::SaveClick() {
  if (!PluginMode) SaveAsClick();
}

void TVxEditor::SaveAsClick() {
  if (!PluginMode) ExecuteSaveAsDialog(CurrentDocument());
}

void TVxEditor::UndoClick() {
  if (CanUndo()) {
    Undo();
    if (!CanUndo())
      if (TVxDocument *current = CurrentDocument()) current->SetSaved(true);
  }
  DemoWords().Record(Recorder, {}, "Undo");
}

void TVxEditor::RedoClick() {
  if (CanRedo()) Redo();
  DemoWords().Record(Recorder, {}, "Redo");
}

template <class F>
bool TVxEditor::Moved(const TVxCommandHistoryList *history, F &&step) {
  const int32_t position = history ? history->GetPosition() : 0;
  step();
  return history && history->GetPosition() != position;
}

void TVxEditor::UndoAllClick() {
  if (!CanUndo()) return;
  TVxCommandHistoryList *history = GetCommandHistory();
  // Bounded: an override of Undo that cannot step must not hang the program.
  // A step that could not be undone ends the run, and the document counts
  // as saved only when everything was undone: anything else would let a
  // close go by without the save question.
  for (int32_t steps = history ? history->Count() : 0; steps > 0 && CanUndo(); --steps)
    if (!Moved(history, [this] { Undo(); })) break;
  if (!CanUndo())
    if (TVxDocument *current = CurrentDocument()) current->SetSaved(true);
}

void TVxEditor::RedoAllClick() {
  TVxCommandHistoryList *history = GetCommandHistory();
  for (int32_t steps = history ? history->Count() : 0; steps > 0 && CanRedo(); --steps)
    if (!Moved(history, [this] { Redo(); })) break;
}

void TVxEditor::ShowImageSize(int32_t, int32_t) {}

void TVxEditor::DiscardRedo() {
  if (TVxCommandHistoryList *history = GetCommandHistory()) history->DiscardRedo();
}

bool TVxEditor::CanReplaceDocument() {
  if (MultiDocument) return true;
  TVxDocument *current = CurrentDocument();
  return !current || current->Close();
}

void TVxEditor::AddRecentFileName(const QString &name) {
  if (name.isEmpty()) return;
  const qsizetype index = Recent.indexOf(name);
  if (index >= 0) {
    Recent.move(index, 0);
  } else {
    Recent.prepend(name);
    while (Recent.size() > std::max<int32_t>(RecentLimit, 0)) Recent.removeLast();
  }
  if (!Form) return;
  while (RecentItems.size() < static_cast<size_t>(Recent.size())) {
    // New items go right after the File separator; the captions are renumbered below.
    QAction *after = Form->FileMenuSeparator;
    const QList<QAction *> items = Form->FileMenuItem->actions();
    const qsizetype at = items.indexOf(after);
    QAction *before = at >= 0 && at + 1 < items.size() ? items[at + 1] : nullptr;
    QAction *item = Form->AddMenuItem({}, {}, before, Form->FileMenuItem, -1, nullptr);
    connect(item, &QAction::triggered, this, [this, item] { RecentFileClick(item); });
    RecentItems.insert(RecentItems.begin(), item);
  }
  for (size_t i = 0; i < RecentItems.size(); ++i) {
    const bool used = i < static_cast<size_t>(Recent.size());
    RecentItems[i]->setVisible(used);
    if (used)
      RecentItems[i]->setText(QStringLiteral("&") + QString::number(i + 1) + QStringLiteral(" ") +
                              Recent[static_cast<qsizetype>(i)]);
  }
}

void TVxEditor::RecentFileClick(QAction *item) {
  const QString caption = item->text();
  const qsizetype blank = caption.indexOf(u' ');
  if (blank < 0) return;
  OpenFile(caption.mid(blank + 1), true);
}
