#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QKeySequence>
#include <QToolBar>
#include <limits>

#include "DocumentFakes.h"
#include "base/VxProperties.h"
#include "framework/VxMainForm.h"
#include "framework/VxText.h"
#include "settings/VxLocalizer.h"
#include "settings/VxStream.h"
#include "support/FakeRecorder.h"

namespace {

using namespace docfakes;

// A state that only counts: what it was told and whether it still exists.
struct TCountingState : TVxCommandState {
  explicit TCountingState(int *alive) : Alive(alive) { ++*Alive; }
  ~TCountingState() override { --*Alive; }
  void Undo() override {}
  void Redo() override {}
  int *Alive;
};

class EditorTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    InstallLocalizer(std::make_unique<TVxLocalizer>(
        std::vector<std::filesystem::path>{std::filesystem::path(VELORA_SOURCE_DIR) / "data" /
                                           "Languages"},
        uint16_t{1033}));
    App->SetTitle(QStringLiteral("Velora"));
    Messages.Install(*App);
    Editor = new TTestEditor(App.get());
    Form = MainForm();
  }

  QString File(const QString &name) const {
    return QString::fromStdString((Dir / name.toStdString()).string());
  }

  TVxGraphicsDocument *Open(const QString &name) {
    TVxDocument *doc = nullptr;
    return Editor->OpenFile(File(name), doc, true) ? static_cast<TVxGraphicsDocument *>(doc)
                                                   : nullptr;
  }

  // One applied retouching step on the current document.
  void Retouch(TFakeTool &tool, uint8_t value) {
    tool.Paint(*Editor->Current(), {1, 1, 3, 3}, value);
    tool.EndEdit();
  }

  TMessages Messages;
  TTestEditor *Editor = nullptr;
  TMainForm *Form = nullptr;
  std::vector<std::string> Log;
};

TEST_F(EditorTest, CreatesTheMainWindowWithTheFileAndEditCommands) {
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(App->MainWindow(), Form);
  // File menu: the editor's items before the File separator, the recent
  // separator before Exit.
  const QList<QAction *> file = Form->FileMenuItem->actions();
  const std::vector<QAction *> expectedFile{
      Editor->OpenMenuItem,  Editor->SaveMenuItem,    Editor->SaveAsMenuItem,
      Editor->CloseMenuItem, Form->FileMenuSeparator, Editor->RecentFilesMenuSeparator,
      Form->ExitMenuItem};
  EXPECT_EQ(std::vector<QAction *>(file.begin(), file.end()), expectedFile);
  EXPECT_FALSE(Editor->SaveMenuItem->isVisible());
  // Edit comes right before View.
  const QList<QAction *> bar = Form->Menu->actions();
  const qsizetype edit = bar.indexOf(Editor->EditMenuItem->menuAction());
  ASSERT_GE(edit, 0);
  EXPECT_EQ(bar.value(edit + 1), Form->ViewMenuItem->menuAction());
  const QList<QAction *> editItems = Editor->EditMenuItem->actions();
  const std::vector<QAction *> expectedEdit{Editor->UndoMenuItem, Editor->UndoAllMenuItem,
                                            Editor->RedoMenuItem, Editor->RedoAllMenuItem};
  EXPECT_EQ(std::vector<QAction *>(editItems.begin(), editItems.end()), expectedEdit);
  const QList<QAction *> tools = Editor->StandardToolbar->actions();
  const std::vector<QAction *> expectedTools{Editor->OpenToolButton, Editor->SaveToolButton,
                                             Editor->EditToolbarSeparator, Editor->UndoToolButton,
                                             Editor->RedoToolButton};
  EXPECT_EQ(std::vector<QAction *>(tools.begin(), tools.end()), expectedTools);
  EXPECT_EQ(Editor->StandardToolbar->windowTitle(), Text(162));

  struct TItem {
    QAction *Item;
    QString Caption;
    QKeySequence Shortcut;
  };
  const QString dots = QStringLiteral("...");
  const TItem items[] = {
      {Editor->OpenMenuItem, Text(12) + dots, QKeySequence(QStringLiteral("Ctrl+O"))},
      {Editor->SaveMenuItem, Text(15), {}},
      {Editor->SaveAsMenuItem, Text(16) + dots, QKeySequence(QStringLiteral("Ctrl+S"))},
      {Editor->CloseMenuItem, Text(13), {}},
      {Editor->UndoMenuItem, Text(25), QKeySequence(QStringLiteral("Ctrl+Z"))},
      {Editor->UndoAllMenuItem, Text(168), {}},
      {Editor->RedoMenuItem, Text(26), QKeySequence(QStringLiteral("Ctrl+Y"))},
      {Editor->RedoAllMenuItem, Text(169), {}},
      {Editor->OpenToolButton, Text(12), {}},
      {Editor->SaveToolButton, Text(16), {}},
      {Editor->UndoToolButton, Text(25), {}},
      {Editor->RedoToolButton, Text(26), {}},
  };
  for (const TItem &item : items) {
    EXPECT_FALSE(item.Caption.isEmpty());
    EXPECT_EQ(item.Item->text(), item.Caption);
    EXPECT_EQ(item.Item->shortcut(), item.Shortcut) << item.Caption.toStdString();
  }
  EXPECT_EQ(Editor->EditMenuItem->title(), Text(24));
  EXPECT_EQ(Editor->UndoToolButton->toolTip(), Text(25));

  // A language change re-reads the captions.
  Editor->Initialize();
  Localizer().SetLanguage(1031);
  EXPECT_EQ(Editor->UndoMenuItem->text(), Text(25));
  EXPECT_NE(Editor->UndoMenuItem->text(), QStringLiteral("Undo"));
}

TEST_F(EditorTest, UndoAfterSaveKeepsTheSavedMarkUntilARedoClearsIt) {
  TFakeTool tool(App.get(), "tool", Log);
  TVxGraphicsDocument *doc = Open(QStringLiteral("a.jpg"));
  ASSERT_NE(doc, nullptr);
  EXPECT_TRUE(doc->IsSaved());
  Retouch(tool, 10);
  Retouch(tool, 20);
  EXPECT_FALSE(doc->IsSaved());
  ASSERT_TRUE(doc->Save());
  EXPECT_TRUE(doc->IsSaved());

  Editor->UndoClick();  // one step remains: the mark is left alone
  EXPECT_TRUE(doc->IsSaved());
  Editor->RedoClick();  // the redone state clears it
  EXPECT_FALSE(doc->IsSaved());
  Editor->UndoClick();
  EXPECT_FALSE(doc->IsSaved());
  Editor->UndoClick();  // nothing left to undo
  EXPECT_TRUE(doc->IsSaved());
  EXPECT_FALSE(Editor->CanUndo());

  // Redo to the end never marks saved, even with states that leave the flag alone.
  int alive = 0;
  doc->History().Push(std::make_unique<TCountingState>(&alive));
  Editor->UndoAllClick();
  EXPECT_TRUE(doc->IsSaved());
  doc->SetSaved(false);
  Editor->RedoAllClick();
  EXPECT_FALSE(Editor->CanRedo());
  EXPECT_FALSE(doc->IsSaved());
}

TEST_F(EditorTest, APushAfterTwoUndosFreesTheTwoUndoneStates) {
  TVxGraphicsDocument *doc = Open(QStringLiteral("a.jpg"));
  ASSERT_NE(doc, nullptr);
  int alive = 0;
  for (int i = 0; i < 3; ++i) doc->AddCommandState(std::make_unique<TCountingState>(&alive));
  Editor->UndoClick();
  Editor->UndoClick();
  EXPECT_EQ(alive, 3);
  EXPECT_TRUE(Editor->CanRedo());
  doc->AddCommandState(std::make_unique<TCountingState>(&alive));
  EXPECT_EQ(alive, 2);
  EXPECT_EQ(doc->History().Count(), 2);
  EXPECT_FALSE(Editor->CanRedo());
  EXPECT_TRUE(Editor->CanUndo());
  Editor->CloseClick();  // saved: no question; the history goes with the document
  EXPECT_EQ(alive, 0);
  EXPECT_TRUE(Messages.Shown.empty());
}

TEST_F(EditorTest, RecentListKeepsFiveNamesMostRecentFirstAndSurvivesTheSettings) {
  for (const char *name : {"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg", "6.jpg", "7.jpg"})
    ASSERT_NE(Open(QString::fromLatin1(name)), nullptr);
  const QStringList expected{File("7.jpg"), File("6.jpg"), File("5.jpg"), File("4.jpg"),
                             File("3.jpg")};
  EXPECT_EQ(Editor->RecentFiles(), expected);

  ASSERT_NE(Open(QStringLiteral("4.jpg")), nullptr);  // moves to the top, no duplicate
  const QStringList reordered{File("4.jpg"), File("7.jpg"), File("6.jpg"), File("5.jpg"),
                              File("3.jpg")};
  EXPECT_EQ(Editor->RecentFiles(), reordered);

  // One menu item per entry, between the File separator and the recent separator.
  const std::vector<QAction *> &items = Editor->RecentFileMenuItems();
  ASSERT_EQ(items.size(), 5u);
  const QList<QAction *> file = Form->FileMenuItem->actions();
  const qsizetype first = file.indexOf(Form->FileMenuSeparator) + 1;
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(file.value(first + static_cast<qsizetype>(i)), items[i]);
    EXPECT_EQ(items[i]->text(), QStringLiteral("&%1 %2").arg(i + 1).arg(reordered[int(i)]));
  }
  EXPECT_EQ(file.value(first + 5), Editor->RecentFilesMenuSeparator);

  items[3]->trigger();  // "&4 .../5.jpg"
  EXPECT_EQ(Editor->CurrentDocument()->FileName(), File("5.jpg"));
  EXPECT_EQ(Editor->RecentFiles().first(), File("5.jpg"));

  TVxMemoryStream stream;
  {
    TVxSDFWriter writer(&stream, false);
    Editor->SaveSettings(writer);
  }
  const QStringList saved = Editor->RecentFiles();
  delete Editor;
  Editor = new TTestEditor(App.get());
  TVxMemoryStream input(stream.Data());
  TVxSDFReader reader(&input, false);
  Editor->LoadSettings(reader);
  EXPECT_EQ(Editor->RecentFiles(), saved);
  EXPECT_EQ(Editor->RecentFileMenuItems().size(), 5u);
}

// The stored count is not trusted: a list longer than the limit gives its
// newest entries, and an absurd count starts up at once.
TEST_F(EditorTest, TheRecentListReadsNoMoreThanItsSize) {
  for (const int32_t count : {7, std::numeric_limits<int32_t>::max(), -3}) {
    SCOPED_TRACE(count);
    TVxMemoryStream stream;
    {
      TVxSDFWriter writer(&stream, false);
      writer.BeginSection(1, TVxEditor::SectionGuid);
      writer.BeginIntegerNode(1, count);
      for (uint32_t id = 1; id <= 7; ++id)
        writer.WriteString(id, QStringLiteral("/photos/%1.jpg").arg(id).toStdU16String());
      writer.EndNode();
      writer.EndNode();
    }
    delete Editor;
    Editor = new TTestEditor(App.get());
    TVxMemoryStream input(stream.Data());
    TVxSDFReader reader(&input, false);
    QElapsedTimer timer;
    timer.start();
    Editor->LoadSettings(reader);
    EXPECT_LT(timer.elapsed(), 1000);
    const QStringList newest = count > 0
                                   ? QStringList{"/photos/1.jpg", "/photos/2.jpg", "/photos/3.jpg",
                                                 "/photos/4.jpg", "/photos/5.jpg"}
                                   : QStringList{};
    EXPECT_EQ(Editor->RecentFiles(), newest);
  }
}

TEST_F(EditorTest, UntitledDocumentShowsItsPlaceholderAndCannotBeSavedInPlace) {
  EXPECT_EQ(Form->windowTitle(), QStringLiteral("Velora"));
  TVxDocument *doc = nullptr;
  ASSERT_TRUE(Editor->NewDocument(doc));
  EXPECT_EQ(doc->DisplayName(), Text(74));
  EXPECT_FALSE(doc->Save());
  EXPECT_TRUE(Editor->Formats.Saved.empty());
  EXPECT_EQ(Form->windowTitle(), Text(74) + QStringLiteral(" - Velora"));
  App->SetTitle(QStringLiteral("Other"));
  EXPECT_EQ(Form->windowTitle(), Text(74) + QStringLiteral(" - Other"));
  Editor->SetMultiDocument(true);
  EXPECT_EQ(Form->windowTitle(), QStringLiteral("Other"));
}

TEST_F(EditorTest, OpeningOverAModifiedDocumentFollowsTheAnswer) {
  struct TCase {
    std::vector<int> Answers;  // the save question, then (on yes) nothing else
    bool SaveDialogAccepts;
    bool Opens;
  };
  const TCase cases[] = {
      {{IdCancel}, false, false},
      {{IdNo}, false, true},
      {{IdYes}, false, false},  // the save dialog was cancelled
      {{IdYes}, true, true},
  };
  for (const TCase &c : cases) {
    while (Editor->DocumentCount() > 0) Editor->RemoveDocument(Editor->CurrentDocument());
    TVxGraphicsDocument *first = Open(QStringLiteral("first.jpg"));
    ASSERT_NE(first, nullptr);
    first->SetSaved(false);
    Messages.Answers = c.Answers;
    Messages.Shown.clear();
    Editor->SaveDialog = [&](const TVxFileFormatArray &, QString &name, int &) {
      name = File("kept");
      return c.SaveDialogAccepts;
    };
    TVxDocument *second = nullptr;
    EXPECT_EQ(Editor->OpenFile(File("second.png"), second, true), c.Opens);
    ASSERT_EQ(Messages.Shown.size(), 1u);
    EXPECT_EQ(Messages.Shown[0].Text,
              QString::fromStdU16String(FormatLocalized(LocalizedString(94), {u"first.jpg"})));
    EXPECT_EQ(Messages.Shown[0].Flags, MbYesNoCancel | MbIconWarning);
    ASSERT_EQ(Editor->DocumentCount(), 1);
    if (c.Opens) {
      EXPECT_EQ(Editor->CurrentDocument(), second);
      EXPECT_EQ(second->Format(), 2);
    } else {
      EXPECT_EQ(Editor->CurrentDocument(), first);
      EXPECT_EQ(second, nullptr);
    }
  }
}

TEST_F(EditorTest, AFailedOpenShowsTheErrorAndChangesNothing) {
  Editor->SetMultiDocument(true);
  TVxGraphicsDocument *kept = Open(QStringLiteral("kept.jpg"));
  ASSERT_NE(kept, nullptr);
  const QString caption = Form->windowTitle();
  const QStringList recent = Editor->RecentFiles();
  TVxDocument *doc = reinterpret_cast<TVxDocument *>(&Log);
  EXPECT_FALSE(Editor->OpenFile(File("broken.jpg"), doc, true));
  EXPECT_EQ(doc, nullptr);
  ASSERT_EQ(Messages.Shown.size(), 1u);
  EXPECT_EQ(Messages.Shown[0].Text,
            QString::fromStdU16String(
                FormatLocalized(LocalizedString(1030), {File("broken.jpg").toStdU16String()})));
  EXPECT_EQ(Messages.Shown[0].Flags, MbOk | MbIconError);
  EXPECT_EQ(Editor->DocumentCount(), 1);
  EXPECT_EQ(Editor->CurrentDocument(), kept);
  EXPECT_EQ(Editor->RecentFiles(), recent);
  EXPECT_EQ(Form->windowTitle(), caption);
}

TEST_F(EditorTest, SaveAsProposesTheNameAndFormatAndAsksBeforeOverwriting) {
  struct TCase {
    QString Chosen;
    int Filter;  // as the dialog returns it
    std::vector<int> Answers;
    bool Result;
    QString SavedAs;  // empty: nothing written
    int32_t Format;
  };
  QFile(File("exists.png")).open(QIODevice::WriteOnly);
  const TCase cases[] = {
      {QStringLiteral("plain"), 1, {}, true, QStringLiteral("plain.jpg"), 0},
      {QStringLiteral("keep.JPG"), 1, {}, true, QStringLiteral("keep.JPG"), 0},
      {QStringLiteral("other.jpg"), 2, {}, true, QStringLiteral("other.jpg.png"), 2},
      {QStringLiteral("exists"), 2, {IdNo}, false, {}, 0},
      {QStringLiteral("exists.png"), 2, {IdYes}, true, QStringLiteral("exists.png"), 2},
      {QStringLiteral("bad"), 3, {}, false, {}, 0},
  };
  TVxGraphicsDocument *doc = Open(QStringLiteral("photo.png"));
  ASSERT_NE(doc, nullptr);
  for (const TCase &c : cases) {
    Editor->Formats.Saved.clear();
    Messages.Shown.clear();
    Messages.Answers = c.Answers;
    QString proposed;
    int proposedFilter = 0;
    Editor->SaveDialog = [&](const TVxFileFormatArray &formats, QString &name, int &filter) {
      EXPECT_EQ(formats.size(), 2u);
      proposed = name;
      proposedFilter = filter;
      name = File(c.Chosen);
      filter = c.Filter;
      return true;
    };
    const QString before = doc->FileName();
    const int32_t beforeFormat = doc->Format();
    EXPECT_EQ(Editor->ExecuteSaveAsDialog(doc), c.Result) << c.Chosen.toStdString();
    EXPECT_EQ(proposed, before.left(before.lastIndexOf(u'.')));
    EXPECT_EQ(proposedFilter, Editor->Formats.IndexOfId(beforeFormat) + 1);
    if (c.SavedAs.isEmpty()) {
      EXPECT_TRUE(Editor->Formats.Saved.empty());
      EXPECT_EQ(doc->FileName(), before);
    } else {
      ASSERT_EQ(Editor->Formats.Saved.size(), 1u);
      EXPECT_EQ(Editor->Formats.Saved[0].first, File(c.SavedAs));
      EXPECT_EQ(doc->FileName(), File(c.SavedAs));
      EXPECT_EQ(doc->Format(), c.Format);
      EXPECT_EQ(Form->windowTitle(), c.SavedAs + QStringLiteral(" - Velora"));
    }
    const bool asked = c.Chosen.startsWith(QLatin1String("exists"));
    ASSERT_EQ(Messages.Shown.size(), asked ? 1u : 0u);
    if (asked) {
      EXPECT_EQ(Messages.Shown[0].Flags, MbYesNo | MbIconWarning);
    }
  }

  // A failed write leaves the document as it was, without a message.
  Editor->Formats.SaveSucceeds = false;
  doc->SetSaved(false);
  Editor->SaveDialog = [&](const TVxFileFormatArray &, QString &name, int &) {
    name = File("fails.png");
    return true;
  };
  const QString before = doc->FileName();
  Messages.Shown.clear();
  EXPECT_FALSE(Editor->ExecuteSaveAsDialog(doc));
  EXPECT_EQ(doc->FileName(), before);
  EXPECT_FALSE(doc->IsSaved());
  EXPECT_TRUE(Messages.Shown.empty());
  // A format that cannot be written: no dialog at all.
  Editor->Formats.SaveAllowed = false;
  bool ran = false;
  Editor->SaveDialog = [&](const TVxFileFormatArray &, QString &, int &) { return ran = true; };
  EXPECT_FALSE(Editor->ExecuteSaveAsDialog(doc));
  EXPECT_FALSE(ran);
}

TEST_F(EditorTest, ClosingTheMainWindowClosesTheDocumentsOrStaysOpen) {
  Form->show();
  TVxGraphicsDocument *doc = Open(QStringLiteral("a.jpg"));
  ASSERT_NE(doc, nullptr);
  doc->SetSaved(false);
  Messages.Answers = {IdCancel};
  EXPECT_FALSE(Form->close());
  EXPECT_EQ(Editor->DocumentCount(), 1);

  // Documents that need no question close silently.
  doc->DiscardOnClose = true;
  Messages.Shown.clear();
  EXPECT_TRUE(Form->close());
  EXPECT_EQ(Editor->DocumentCount(), 0);
  EXPECT_TRUE(Messages.Shown.empty());
}

TEST_F(EditorTest, CloseAsksOnlyForModifiedDocumentsWhenAsked) {
  struct TCase {
    bool Saved, Discard, AskOnClose;
    bool Asks;
  };
  const TCase cases[] = {{true, false, true, false},
                         {false, true, true, false},
                         {false, false, false, false},
                         {false, false, true, true}};
  for (const TCase &c : cases) {
    TVxGraphicsDocument *doc = Open(QStringLiteral("a.jpg"));
    ASSERT_NE(doc, nullptr);
    TFakeTool tool(App.get(), "tool", Log);
    Log.clear();
    doc->SetSaved(c.Saved);
    doc->DiscardOnClose = c.Discard;
    Editor->AskOnClose = c.AskOnClose;
    Messages.Shown.clear();
    Messages.Answers = {IdNo};
    Editor->CloseClick();
    EXPECT_EQ(Messages.Shown.size(), c.Asks ? 1u : 0u);
    EXPECT_EQ(Editor->DocumentCount(), 0);
    EXPECT_EQ(Log, std::vector<std::string>{"tool closing"});
    EXPECT_EQ(Form->windowTitle(), QStringLiteral("Velora"));
  }
}

TEST_F(EditorTest, UpdateControlsFollowsTheDocumentAndTheHistory) {
  TFakeTool tool(App.get(), "tool", Log);
  Editor->SaveMenuItem->setVisible(true);  // a hidden action always reads as disabled
  const auto states = [&] {
    Editor->UpdateControls();
    return std::vector<bool>{
        Editor->SaveMenuItem->isEnabled(),    Editor->SaveAsMenuItem->isEnabled(),
        Editor->SaveToolButton->isEnabled(),  Editor->CloseMenuItem->isEnabled(),
        Editor->UndoMenuItem->isEnabled(),    Editor->UndoAllMenuItem->isEnabled(),
        Editor->UndoToolButton->isEnabled(),  Editor->RedoMenuItem->isEnabled(),
        Editor->RedoAllMenuItem->isEnabled(), Editor->RedoToolButton->isEnabled()};
  };
  using V = std::vector<bool>;
  EXPECT_EQ(states(), V(10, false));
  ASSERT_NE(Open(QStringLiteral("a.jpg")), nullptr);
  EXPECT_EQ(states(), (V{false, true, true, true, false, false, false, false, false, false}));
  Retouch(tool, 1);
  EXPECT_EQ(states(), (V{true, true, true, true, true, true, true, false, false, false}));
  Editor->UndoClick();
  EXPECT_EQ(states(), (V{false, true, true, true, false, false, false, true, true, true}));
  Editor->UndoEnabled = false;
  EXPECT_EQ(states(), (V{false, true, true, true, false, false, false, false, false, false}));
  EXPECT_EQ(Editor->GetCommandHistory(), nullptr);
}

TEST_F(EditorTest, PluginModeHidesOpenAndSaveOnceAndSetsTheExitCode) {
  Editor->SetPluginMode(true);
  EXPECT_TRUE(Editor->IsPluginMode());
  EXPECT_EQ(App->ExitCode(), -1);
  EXPECT_FALSE(Editor->OpenToolButton->isVisible());
  EXPECT_FALSE(Editor->SaveToolButton->isVisible());
  EXPECT_FALSE(Editor->EditToolbarSeparator->isVisible());
  EXPECT_TRUE(Editor->UndoToolButton->isVisible());
  App->SetExitCode(0);
  Editor->SetPluginMode(true);
  Editor->SetPluginMode(false);
  EXPECT_EQ(App->ExitCode(), 0);
  EXPECT_TRUE(Editor->IsPluginMode());

  Editor->OpenClick();
  EXPECT_EQ(Editor->OpenDialogRuns, 0);
}

TEST_F(EditorTest, OpenCommandRunsTheDialogAndOpensTheChoice) {
  Editor->OpenDialog = [](QString &) { return false; };
  Editor->OpenClick();
  EXPECT_EQ(Editor->OpenDialogRuns, 1);
  EXPECT_EQ(Editor->DocumentCount(), 0);
  Editor->OpenDialog = [this](QString &name) {
    name = File("chosen.jpg");
    return true;
  };
  TFakeTool tool(App.get(), "tool", Log);
  Editor->OpenClick();
  ASSERT_NE(Editor->Current(), nullptr);
  EXPECT_EQ(Editor->Current()->FileName(), File("chosen.jpg"));
  EXPECT_EQ(Log, std::vector<std::string>{"tool opened"});
  EXPECT_EQ(Editor->RecentFiles(), QStringList{File("chosen.jpg")});
  EXPECT_TRUE(Editor->Current()->HasView());
  EXPECT_EQ(Form->windowTitle(), QStringLiteral("chosen.jpg - Velora"));
}

TEST_F(EditorTest, DemonstrationWordsAndRecordedLines) {
  TFakeTool tool(App.get(), "tool", Log);
  TVxGraphicsDocument *doc = Open(QStringLiteral("a.jpg"));
  ASSERT_NE(doc, nullptr);
  Retouch(tool, 1);
  uitest::TFakeRecorder recorder;
  Editor->SetDemoPlayback(&recorder);
  Editor->UndoClick();
  recorder.Messages = false;
  Editor->RedoClick();
  EXPECT_EQ(recorder.Lines, (QStringList{"MouseCurvedMove Undo", "Message \"Undo\"", "Undo",
                                         "MouseCurvedMove Redo", "Redo"}));

  TVxProperties none;
  bool handled = false;
  Editor->ExecuteDemoCommand(&recorder, QStringLiteral("UNDO"), handled, none);
  EXPECT_TRUE(handled);
  EXPECT_FALSE(Editor->CanUndo());
  handled = false;
  Editor->ExecuteDemoCommand(&recorder, QStringLiteral("REDO"), handled, none);
  EXPECT_TRUE(handled);
  EXPECT_TRUE(Editor->CanUndo());
  handled = false;
  Editor->ExecuteDemoCommand(&recorder, QStringLiteral("ZOOMIN"), handled, none);
  EXPECT_FALSE(handled);

  Editor->ClearDemoPlayback(&recorder);
  recorder.Lines.clear();
  Editor->UndoClick();
  EXPECT_TRUE(recorder.Lines.isEmpty());

  Form->show();
  for (const char *word : {"undo", "Redo", "open"}) {
    TVxProperties params;
    params.SetString(0, word);
    handled = false;
    QPoint point;
    Editor->GetDemoCommandPoint(params, handled, point);
    const bool known = std::string(word) != "open";
    EXPECT_EQ(handled, known) << word;
    if (known) {
      QWidget *button = Editor->StandardToolbar->widgetForAction(
          std::string(word) == "undo" ? Editor->UndoToolButton : Editor->RedoToolButton);
      EXPECT_EQ(point, button->mapToGlobal(button->rect().center()));
    }
  }
}

}  // namespace
