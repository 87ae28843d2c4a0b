#include <gtest/gtest.h>

#include <sys/wait.h>
#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QTest>
#include <QToolBar>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <limits>

#include "../tools/ToolFixture.h"
#include "demo/VxDemoLine.h"
#include "framework/VxMainForm.h"
#include "platform/SpillFile.h"
#include "platform/WriteFault.h"
#include "plugin/ExchangeFile.h"
#include "services/VxDialogs.h"
#include "settings/VxStream.h"
#include "support/FakeRecorder.h"
#include "views/VxGraphicsView.h"

namespace {

namespace fs = std::filesystem;
using tooltest::TLogTool;

// A state that asks for the step before it to be undone together with it.
class TChainedState : public TVxCommandState {
 public:
  void Undo() override { GraphicsEditor()->RepeatStep = true; }
  void Redo() override {}
};

// The image a host hands over: a 16 x 12 pattern in an exchange file.
bool WriteHostImage(const fs::path &exchange) {
  TVxPixelBuffer pixels;
  pixels.SetFormatAndBounds(PixelFormat24, {0, 0, 16, 12});
  testsupport::FillPattern(pixels);
  return WriteExchangeFile(exchange.string(), pixels);
}

class GraphicsEditorTest : public tooltest::ToolTest {
 protected:
  // The host's image handed over in exchange (its bytes in written), opened
  // in plug-in mode and painted on by a tool, with the window shown.
  void RetouchHostImage(const fs::path &exchange, std::string &written) {
    TLogTool *tool = AddTool("Brush");
    ASSERT_TRUE(WriteHostImage(exchange));
    written = uitest::ReadFile(exchange);
    ASSERT_NE(Open(exchange), nullptr);
    tool->Paint({0, 0, 4, 4}, 0);
    MainForm()->show();
  }
};

TEST_F(GraphicsEditorTest, ScanFolderKeepsTheImageExtensionsOnly) {
  const fs::path folder = Dir / "scan";
  for (const char *name : {"a.jp", "b.GIF", "c.Jpeg", "d.j", "e", "f.tif", "g.txt", "h.pnG"})
    uitest::WriteFile(folder / name, "x");
  fs::create_directories(folder / "i.png");  // a folder, not an image
  Editor->Folder().ScanFolder(QString::fromStdString((folder / "f.tif").string()));
  QStringList names;
  for (const QString &path : Editor->Folder().Images()) names << QFileInfo(path).fileName();
  EXPECT_EQ(names, (QStringList{"a.jp", "c.Jpeg", "f.tif", "h.pnG"}));
  EXPECT_EQ(Editor->Folder().Index(), 2);
  Editor->Folder().ScanFolder(QString::fromStdString((folder / "F.TIF").string()));
  EXPECT_EQ(Editor->Folder().Index(), 2);  // found without regard to case
  Editor->Folder().ScanFolder(QString::fromStdString((folder / "b.GIF").string()));
  EXPECT_EQ(Editor->Folder().Index(), -1);
}

TEST_F(GraphicsEditorTest, PreviousAndNextWalkTheFolderAndStopAtItsEnds) {
  const fs::path first = CopySample("a.png");
  const fs::path last = CopySample("b.png");
  ASSERT_NE(Open(last), nullptr);
  Idle();
  EXPECT_FALSE(Editor->NextImageButton->isEnabled());
  EXPECT_TRUE(Editor->PrevImageButton->isEnabled());
  Editor->NextImageClick();
  EXPECT_EQ(fs::path(Document()->FileName().toStdString()), last);

  Editor->PrevImageButton->trigger();
  EXPECT_EQ(fs::path(Document()->FileName().toStdString()), first);
  EXPECT_EQ(Editor->Folder().Index(), 0);
  TVxGraphicsDocument *shown = Document();
  Editor->PreviousImageClick();
  EXPECT_EQ(Document(), shown);
  Idle();
  EXPECT_FALSE(Editor->PrevImageButton->isEnabled());
  EXPECT_TRUE(Editor->NextImageButton->isEnabled());
  EXPECT_EQ(Editor->RecentFiles().first(), QString::fromStdString(first.string()));
}

// The place in the folder follows what the open did: a cancelled save
// question keeps it (Next, Cancel, Next opens the next photo, not the one
// after), and a file that cannot be read is stepped over.
TEST_F(GraphicsEditorTest, PreviousAndNextMoveOnlyAsFarAsTheOpenGot) {
  const fs::path a = CopySample("a.png");
  const fs::path b = CopySample("b.png");
  uitest::WriteFile(Dir / "images/c.png", "not a picture");
  const fs::path d = CopySample("d.png");
  ASSERT_NE(Open(a), nullptr);
  Document()->SetSaved(false);
  MessageAnswer = IdCancel;
  Editor->NextImageClick();
  EXPECT_EQ(fs::path(Document()->FileName().toStdString()), a);
  EXPECT_EQ(Editor->Folder().Index(), 0);
  MessageAnswer = IdNo;
  Editor->NextImageClick();
  EXPECT_EQ(fs::path(Document()->FileName().toStdString()), b);
  EXPECT_EQ(Editor->Folder().Index(), 1);

  Messages.clear();
  Editor->NextImageClick();  // c cannot be read; b was closed on the way
  EXPECT_EQ(Document(), nullptr);
  EXPECT_EQ(Messages.size(), 1);
  EXPECT_EQ(Editor->Folder().Index(), 2);
  Editor->NextImageClick();
  ASSERT_NE(Document(), nullptr);
  EXPECT_EQ(fs::path(Document()->FileName().toStdString()), d);
}

TEST_F(GraphicsEditorTest, UndoIsDisabledWhileAnEditIsOpen) {
  TLogTool *tool = AddTool("Brush");
  ASSERT_NE(Open(CopySample("a.png")), nullptr);
  AddTool("Other");
  tool->Paint({0, 0, 8, 8}, 1);
  tool->EndEdit();
  Idle();
  EXPECT_TRUE(Editor->UndoMenuItem->isEnabled());
  tool->Paint({0, 0, 8, 8}, 2);
  Idle();
  EXPECT_FALSE(Editor->CanUndo());
  EXPECT_FALSE(Editor->UndoMenuItem->isEnabled());
  EXPECT_FALSE(Editor->UndoToolButton->isEnabled());
  tool->EndEdit();
  Idle();
  EXPECT_TRUE(Editor->UndoMenuItem->isEnabled());
  // Redo likewise.
  Editor->UndoClick();
  tool->Paint({20, 20, 22, 22}, 3);
  EXPECT_FALSE(Editor->CanRedo());
}

TEST_F(GraphicsEditorTest, UndoStepsOutsideTheCurrentToolAndRepeatsWhenAStateAsksTo) {
  TLogTool *tool = AddTool("Brush");
  ASSERT_NE(Open(CopySample("a.png")), nullptr);
  Editor->SelectTool(tool);
  tool->Paint({0, 0, 8, 8}, 1);
  tool->EndEdit();
  Document()->AddCommandState(std::make_unique<TChainedState>());
  Log.clear();
  Editor->UndoClick();
  // Both steps went in one click, each outside the tool.
  EXPECT_EQ(Document()->History().GetPosition(), 0);
  EXPECT_EQ(Log, (std::vector<std::string>{"Brush deactivate", "Brush activate", "Brush deactivate",
                                           "Brush activate"}));
  EXPECT_EQ(Editor->CurrentTool(), tool);
  EXPECT_TRUE(Document()->IsSaved());
}

TEST_F(GraphicsEditorTest, StatusBarShowsSizeAndPointerFieldsInFourteenPanels) {
  ASSERT_EQ(Editor->StatusPanels.size(), 14u);
  QStringList captions;
  for (QLabel *panel : Editor->StatusPanels) captions << panel->text();
  EXPECT_EQ(captions,
            (QStringList{"X:", "", "Y:", "", "W:", "", "H:", "", "R:", "", "G:", "", "B:", ""}));
  ASSERT_NE(Open(CopySample("a.png")), nullptr);
  EXPECT_EQ(Editor->WStatusPanel->text(), "512");
  EXPECT_EQ(Editor->HStatusPanel->text(), "512");
  MainForm()->resize(800, 700);
  MainForm()->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm()));
  Editor->ActualSizeClick();
  const TVxPoint p = View()->MapMode().LogicalToDevice({100, 200});
  QTest::mouseMove(View(), QPoint(p.X, p.Y));
  const std::array<uint8_t, 3> bgr = View()->PixelAt({100, 200});
  EXPECT_EQ(Editor->XStatusPanel->text(), "100");
  EXPECT_EQ(Editor->YStatusPanel->text(), "200");
  EXPECT_EQ(Editor->RStatusPanel->text(), QString::number(bgr[2]));
  EXPECT_EQ(Editor->BStatusPanel->text(), QString::number(bgr[0]));
}

TEST_F(GraphicsEditorTest, OpeningFitsTheImageAndTheZoomCommandsStepThroughTheTable) {
  MainForm()->resize(500, 400);
  MainForm()->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm()));
  ASSERT_NE(Open(CopySample("a.png")), nullptr);
  // Taller than the view: scaled down to fit.
  const TVxZoom fitted = View()->Zoom();
  EXPECT_LT(fitted.Numerator, fitted.Denominator);
  EXPECT_EQ(fitted.Denominator, 512);
  Editor->ActualSizeClick();
  Editor->ZoomInClick();
  EXPECT_EQ(View()->Zoom(), (TVxZoom{3, 2}));
  Editor->ZoomOutClick();
  Editor->ZoomOutClick();
  EXPECT_EQ(View()->Zoom(), (TVxZoom{3, 4}));
  Idle();
  EXPECT_TRUE(Editor->ZoomInMenuItem->isEnabled());
}

TEST_F(GraphicsEditorTest, ZoomWithoutADocumentOnlyRecords) {
  uitest::TFakeRecorder recorder;
  Editor->SetDemoPlayback(&recorder);
  Editor->ZoomInClick();
  Editor->BestFitClick();
  EXPECT_EQ(recorder.Lines,
            (QStringList{"MouseCurvedMove ZoomIn", "Message \"Zoom In\"", "ZoomIn",
                         "MouseCurvedMove BestFit", "Message \"Best Fit\"", "BestFit"}));
  Idle();
  EXPECT_FALSE(Editor->ZoomInButton->isEnabled());
  bool handled = false;
  TVxProperties params;
  params.SetString(0, "missing.png");
  Editor->ExecuteDemoCommand(&recorder, QStringLiteral("IMAGEOPEN"), handled, false, params);
  EXPECT_TRUE(handled);
  EXPECT_EQ(recorder.Errors, QStringList{"Cannot open the file."});
}

TEST_F(GraphicsEditorTest, AnExchangeFileSwitchesToPluginMode) {
  TLogTool *drawing = AddTool("Drawing");
  drawing->VisibleInPluginMode = true;
  TLogTool *geometry = AddTool("Geometry");
  // An ordinary image leaves the mode alone.
  ASSERT_NE(Open(CopySample("a.png")), nullptr);
  EXPECT_FALSE(Editor->IsPluginMode());

  const fs::path exchange = Dir / "exchange.pspf";
  ASSERT_TRUE(WriteHostImage(exchange));
  ASSERT_NE(Open(exchange), nullptr);
  EXPECT_TRUE(Editor->IsPluginMode());
  EXPECT_EQ(App->ExitCode(), -1);
  EXPECT_TRUE(MainForm()->windowTitle().endsWith(" Plug-in"));
  EXPECT_EQ(MainForm()->windowTitle(), App->Title());
  EXPECT_FALSE(MainForm()->FileMenuItem->menuAction()->isVisible());
  EXPECT_FALSE(Editor->NextImageButton->isVisible());
  ASSERT_NE(Editor->OkButton, nullptr);
  EXPECT_EQ(Editor->OkButton->text(), "OK");
  EXPECT_EQ(Editor->CancelButton->text(), "Cancel");
  EXPECT_TRUE(drawing->Button->isVisible());
  EXPECT_FALSE(geometry->Button->isVisible());
  EXPECT_FALSE(Editor->RecentFiles().contains(QString::fromStdString(exchange.string())));

  // OK writes the retouched image back and ends with exit code 0.
  drawing->Paint({0, 0, 4, 4}, 0);
  Editor->PluginOkClick();
  EXPECT_EQ(App->ExitCode(), 0);
  TVxPixelBuffer back;
  TExchangeImage info;
  ASSERT_EQ(ReadExchangeFile(exchange.string(), back, info), TExchangeStatus::Ok);
  EXPECT_EQ(*back.PixelAddress(1, 1), 0);
  EXPECT_TRUE(Messages.isEmpty());
}

TEST_F(GraphicsEditorTest, PluginCancelClosesWithoutAQuestionAndKeepsExitCodeMinusOne) {
  const fs::path exchange = Dir / "exchange.pspf";
  std::string written;
  ASSERT_NO_FATAL_FAILURE(RetouchHostImage(exchange, written));
  Editor->PluginCancelClick();
  EXPECT_FALSE(MainForm()->isVisible());
  EXPECT_EQ(App->ExitCode(), -1);
  EXPECT_TRUE(Messages.isEmpty());
  EXPECT_EQ(uitest::ReadFile(exchange), written);
}

// In plug-in mode the host's image is the only one: a dropped file and a
// demonstration's image are refused with a word, and OK still hands the
// host's image back without touching the other file.
TEST_F(GraphicsEditorTest, PluginModeOpensNoOtherFile) {
  TLogTool *tool = AddTool("Brush");
  const fs::path photo = CopySample("a.png");
  const std::string original = uitest::ReadFile(photo);
  const fs::path exchange = Dir / "exchange.pspf";
  ASSERT_TRUE(WriteHostImage(exchange));
  TVxGraphicsDocument *host = Open(exchange);
  ASSERT_NE(host, nullptr);
  tool->Paint({0, 0, 4, 4}, 0);
  MessageAnswer = IdYes;

  MainForm()->OnFileDropped(QString::fromStdString(photo.string()));
  EXPECT_EQ(Document(), host);
  ASSERT_EQ(Messages.size(), 1);
  EXPECT_TRUE(Messages.first().contains("no other file can be opened"));

  uitest::TFakeRecorder recorder;
  TVxProperties params;
  params.SetString(0, photo.string());
  bool handled = false;
  Editor->ExecuteDemoCommand(&recorder, QStringLiteral("IMAGEOPEN"), handled, false, params);
  EXPECT_EQ(Document(), host);
  EXPECT_EQ(recorder.Errors, QStringList{"Cannot open the file."});

  Messages.clear();
  Editor->PluginOkClick();
  EXPECT_TRUE(Messages.isEmpty());
  EXPECT_EQ(App->ExitCode(), 0);
  EXPECT_EQ(uitest::ReadFile(photo), original);
  TVxPixelBuffer back;
  TExchangeImage info;
  ASSERT_EQ(ReadExchangeFile(exchange.string(), back, info), TExchangeStatus::Ok);
  EXPECT_EQ(*back.PixelAddress(1, 1), 0);
}

// A hand-back that cannot be written must not pass the unchanged pixels off
// as the result: the window stays open with exit code -1, and says why.
TEST_F(GraphicsEditorTest, PluginOkThatCannotWriteBackKeepsTheWindowOpen) {
  TLogTool *tool = AddTool("Brush");
  const fs::path exchange = Dir / "exchange.pspf";
  ASSERT_TRUE(WriteHostImage(exchange));
  ASSERT_NE(Open(exchange), nullptr);
  tool->Paint({0, 0, 4, 4}, 0);
  MainForm()->show();
  fs::remove(exchange);
  fs::create_directory(exchange);  // the host's file is gone, its name taken

  Editor->PluginOkClick();
  EXPECT_TRUE(MainForm()->isVisible());
  EXPECT_EQ(App->ExitCode(), -1);
  ASSERT_EQ(Messages.size(), 1);
  EXPECT_TRUE(Messages.first().contains("could not be handed back"))
      << Messages.first().toStdString();
  EXPECT_FALSE(Document()->IsSaved());

  // Closing the window answers the save question the same way.
  Messages.clear();
  MessageAnswer = IdYes;
  EXPECT_FALSE(MainForm()->close());
  EXPECT_EQ(App->ExitCode(), -1);

  // Once the file can be written again, OK hands the image back.
  fs::remove(exchange);
  Editor->PluginOkClick();
  EXPECT_FALSE(MainForm()->isVisible());
  EXPECT_EQ(App->ExitCode(), 0);
  TVxPixelBuffer back;
  TExchangeImage info;
  ASSERT_EQ(ReadExchangeFile(exchange.string(), back, info), TExchangeStatus::Ok);
  EXPECT_EQ(*back.PixelAddress(1, 1), 0);
}

// A disk that takes no more (a write fault in our own file layer stands for
// it): Save As over the photograph and the close question's Yes both leave
// the photograph on the disk as it was, say why, and keep the retouched
// image open and unsaved; once there is room again the same save works.
TEST_F(GraphicsEditorTest, AFailedSaveKeepsThePhotographAndTheRetouchingAndSaysWhy) {
  TLogTool *tool = AddTool("Brush");
  const fs::path photo = CopySample("a.png");
  const std::string before = uitest::ReadFile(photo);
  ASSERT_NE(Open(photo), nullptr);
  tool->Paint({0, 0, 4, 4}, 0);
  tool->EndEdit();
  ASSERT_FALSE(Document()->IsSaved());
  SetFileDialogAnswerer([&](TVxOpenDialog &dialog) {
    dialog.SetFileName(QString::fromStdString(photo.string()));
    dialog.SetFilterIndex(3);  // PNG
    return true;
  });
  MessageAnswer = IdYes;  // overwrite it, save the changes
  const QString reason = QString::fromLocal8Bit(std::strerror(ENOSPC));
  platform::SetWriteFault(ENOSPC);

  const std::function<void()> asks[] = {[&] { Editor->SaveAsClick(); },
                                        [&] { Editor->CloseClick(); }};
  for (const auto &ask : asks) {
    Messages.clear();
    ask();
    ASSERT_FALSE(Messages.isEmpty());
    EXPECT_TRUE(Messages.last().contains("could not be saved") && Messages.last().contains(reason))
        << Messages.last().toStdString();
    EXPECT_EQ(uitest::ReadFile(photo), before);
    ASSERT_NE(Document(), nullptr) << "the document closed unsaved";
    EXPECT_FALSE(Document()->IsSaved());
    EXPECT_EQ(fs::path(Document()->FileName().toStdString()), photo);
    EXPECT_EQ(std::distance(fs::directory_iterator(photo.parent_path()), fs::directory_iterator()),
              1);
  }

  platform::SetWriteFault(0);
  Messages.clear();
  Editor->SaveAsClick();
  SetFileDialogAnswerer(nullptr);
  EXPECT_TRUE(Document()->IsSaved());
  EXPECT_NE(uitest::ReadFile(photo), before);
  ASSERT_EQ(Messages.size(), 1);  // the overwrite question alone
  EXPECT_FALSE(Messages.first().contains("could not be saved"));
}

// OK on a full temporary folder: the host's file cannot take the padded
// rows. The window stays open and says so; nothing is handed back.
TEST_F(GraphicsEditorTest, PluginOkOnAFullTemporaryFolderKeepsTheWindowOpen) {
  const fs::path exchange = Dir / "exchange.pspf";
  std::string written;
  ASSERT_NO_FATAL_FAILURE(RetouchHostImage(exchange, written));
  platform::SetWriteFault(ENOSPC);
  Editor->PluginOkClick();
  platform::SetWriteFault(0);
  EXPECT_TRUE(MainForm()->isVisible());
  EXPECT_EQ(App->ExitCode(), -1);
  ASSERT_EQ(Messages.size(), 1);
  EXPECT_TRUE(Messages.first().contains("could not be handed back"));
  EXPECT_EQ(uitest::ReadFile(exchange), written);
  EXPECT_FALSE(Document()->IsSaved());
}

// The view grows to the size a demonstration asks for, and the window stays
// on the work area: pulled to its start, centred when it would run past the
// end, cut to its size when it is larger.
TEST_F(GraphicsEditorTest, SetViewSizeGrowsTheWindowWithinTheWorkArea) {
  ASSERT_NE(Open(CopySample("a.png")), nullptr);
  TMainForm *form = MainForm();
  form->show();
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  ASSERT_GE(area.width(), 640);
  ASSERT_GE(area.height(), 480);
  const auto place = [&](int x, int y, int w, int h) {
    form->setGeometry(x, y, w, h);
    uitest::ProcessEvents();
  };
  const auto command = [&](const char *word, int32_t a, int32_t b) {
    TVxProperties params;
    params.SetInteger(0, a);
    params.SetInteger(1, b);
    bool handled = false;
    Editor->ExecuteDemoCommand(nullptr, QString::fromLatin1(word), handled, false, params);
    EXPECT_TRUE(handled) << word;
    uitest::ProcessEvents();
  };
  const int left = area.left(), top = area.top(), w = area.width(), h = area.height();

  // Room enough: the window grows by what the view lacks and stays put.
  place(left + 10, top + 10, 400, 300);
  const QRect before = form->frameGeometry();
  const QSize frameExtra = form->size() - View()->size();
  command("SETMINVIEWSIZE", View()->width() + 50, View()->height() + 20);
  EXPECT_EQ(form->frameGeometry(), before.adjusted(0, 0, 50, 20));
  EXPECT_EQ(form->size() - View()->size(), frameExtra);
  // A view already large enough leaves the window alone.
  command("SETMINVIEWSIZE", 10, 10);
  EXPECT_EQ(form->frameGeometry(), before.adjusted(0, 0, 50, 20));

  // Running past the end: centred (halving toward zero, the area's start
  // not added). Positions and sizes are the window's outer ones.
  place(left + w - 100, top + h - 50, 400, 300);
  const QSize outer = form->frameGeometry().size();
  command("SETMINVIEWSIZE", 0, 0);
  EXPECT_EQ(form->frameGeometry(),
            QRect(QPoint((w - outer.width()) / 2, (h - outer.height()) / 2), outer));

  // Larger than the area, even absurdly: the whole area.
  for (int32_t huge : {w + 500, std::numeric_limits<int32_t>::max()}) {
    place(left + 20, top + 20, 400, 300);
    command("SETMINVIEWSIZE", huge, huge);
    EXPECT_EQ(form->frameGeometry(), QRect(left, top, w, h)) << huge;
  }

  // A minimum window size is centred on the area, never larger than it.
  place(left + 10, top + 20, 300, 200);
  command("SETMINWINDOWSIZE", 500, 400);
  EXPECT_EQ(form->frameGeometry(), QRect((w - 500) / 2, (h - 400) / 2, 500, 400));
  command("SETMINWINDOWSIZE", 100, 100);
  EXPECT_EQ(form->frameGeometry(), QRect((w - 500) / 2, (h - 400) / 2, 500, 400));
  command("SETMINWINDOWSIZE", std::numeric_limits<int32_t>::max(), 0);
  EXPECT_EQ(form->frameGeometry(), QRect(0, (h - 400) / 2, w, 400));
}

TEST_F(GraphicsEditorTest, SettingsKeepTheJpegQuality) {
  Editor->Formats().JPEGQuality = 61;
  TVxMemoryStream stream;
  {
    TVxSDFWriter writer(&stream, false);
    Editor->SaveSettings(writer);
  }
  Editor->Formats().JPEGQuality = 80;
  stream.Seek(0, TVxSeekOrigin::Begin);
  TVxSDFReader reader(&stream, false);
  Editor->LoadSettings(reader);
  EXPECT_EQ(Editor->Formats().JPEGQuality, 61);
  // The section still carries item 2, unused but expected by other versions.
  stream.Seek(0, TVxSeekOrigin::Begin);
  TVxSDFReader again(&stream, false);
  ASSERT_TRUE(again.OpenSection(1, TVxGraphicsEditor::SettingsGuid));
  int32_t unused = -1;
  EXPECT_TRUE(again.ReadInteger(2, unused));
  EXPECT_EQ(unused, 0);
}

// Item 3 of the section is the undo history's budget in MiB, 0 or missing
// for the default; loading the settings also sweeps the spill folder of the
// files a killed run left, and only those.
TEST_F(GraphicsEditorTest, SettingsSetTheHistoryBudgetAndStaleSpillFilesAreSwept) {
  const TVxHistoryStore::TOptions saved = TVxHistoryStore::Defaults();
  const fs::path spill = Dir / "spill";
  TVxHistoryStore::SetDefaults({saved.Budget, spill});
  std::error_code error;
  auto live = platform::SpillFile::Create(spill, error);
  ASSERT_TRUE(live) << error.message();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto file = platform::SpillFile::Create(spill, error);
    raise(SIGKILL);
  }
  int status = 0;
  waitpid(child, &status, 0);

  for (int32_t megabytes : {300, 0}) {
    TVxMemoryStream stream;
    {
      TVxSDFWriter writer(&stream, false);
      writer.BeginSection(1, TVxGraphicsEditor::SettingsGuid);
      writer.WriteInteger(3, megabytes);
      writer.EndNode();
    }
    stream.Seek(0, TVxSeekOrigin::Begin);
    TVxSDFReader reader(&stream, false);
    Editor->LoadSettings(reader);
    EXPECT_EQ(TVxHistoryStore::Defaults().Budget,
              megabytes ? uint64_t(megabytes) << 20 : TVxHistoryStore::DefaultBudget());
    EXPECT_EQ(TVxHistoryStore::Defaults().SpillFolder, spill);
  }
  std::vector<fs::path> left;
  for (const auto &item : fs::directory_iterator(spill)) left.push_back(item.path());
  EXPECT_EQ(left, std::vector<fs::path>{live->Path()});
  TVxHistoryStore::SetDefaults(saved);
}

// A demonstration opens its pictures from the demo folder, sized as recorded,
// and never asks to save them; a recorded Open writes the lines that replay it.
TEST_F(GraphicsEditorTest, ImageOpenTakesTheDemoFolderAndRecordingWritesIt) {
  const fs::path demo = Dir / "Demo";
  fs::create_directories(demo);
  fs::copy_file(CopySample("a.png"), demo / "face.png");
  Editor->DemoFolder = QString::fromStdString(demo.string()) + "/";
  MainForm()->setGeometry(20, 20, 500, 400);
  MainForm()->show();
  uitest::ProcessEvents();

  uitest::TFakeRecorder recorder;
  TVxProperties params;
  params.SetString(0, "face.png");
  params.SetInteger(1, 450);
  params.SetInteger(2, 350);
  bool handled = false;
  Editor->ExecuteDemoCommand(&recorder, QStringLiteral("IMAGEOPEN"), handled, false, params);
  EXPECT_TRUE(handled);
  EXPECT_TRUE(recorder.Errors.isEmpty());
  ASSERT_NE(Document(), nullptr);
  EXPECT_EQ(fs::path(Document()->FileName().toStdString()), demo / "face.png");
  EXPECT_TRUE(Document()->DiscardOnClose);
  EXPECT_EQ(View()->width(), 450);
  EXPECT_EQ(View()->height(), 350);

  Editor->SetDemoPlayback(&recorder);
  ASSERT_NE(Open(demo / "face.png"), nullptr);
  EXPECT_EQ(recorder.Lines, (QStringList{"MouseCurvedMove Open", "Message \"Open Image\"",
                                         QStringLiteral("ImageOpen \"face.png\", %1, %2")
                                             .arg(View()->width())
                                             .arg(View()->height())}));
  Editor->ClearDemoPlayback(&recorder);
}

// A recorded Open replays the file it opened, whatever its name holds; a
// name no script line can hold is not recorded at all.
TEST_F(GraphicsEditorTest, RecordedOpenQuotesTheFileNameOrRefusesIt) {
  uitest::TFakeRecorder recorder;
  Editor->SetDemoPlayback(&recorder);
  const fs::path quoted = CopySample("my \"best\" face.png");
  ASSERT_NE(Open(quoted), nullptr);
  ASSERT_EQ(recorder.Lines.size(), 3);
  const std::optional<TVxDemoLine> line = ParseLine(recorder.Lines[2].toStdString());
  ASSERT_TRUE(line && line->Arguments);
  EXPECT_EQ(line->Word, "IMAGEOPEN");
  EXPECT_EQ(line->Arguments->GetVariant(0), TVxVariant("my \"best\" face.png"));
  EXPECT_EQ(line->Arguments->GetVariant(1), TVxVariant(View()->width()));

  recorder.Lines.clear();
  ASSERT_NE(Open(CopySample("both \" and '.png")), nullptr);
  EXPECT_TRUE(recorder.Lines.isEmpty());
  EXPECT_EQ(recorder.Errors.size(), 1);
  Editor->ClearDemoPlayback(&recorder);
}

// Wheel input the main window receives reaches the view under the pointer.
TEST_F(GraphicsEditorTest, TheMainWindowsWheelScrollsTheViewUnderThePointer) {
  ASSERT_NE(Open(CopySample("a.png")), nullptr);
  MainForm()->setGeometry(20, 20, 500, 400);
  MainForm()->show();
  uitest::ProcessEvents();
  Editor->ActualSizeClick();  // 512 x 512 in a smaller view: it scrolls
  const QPoint inside = View()->mapToGlobal(QPoint(30, 30));
  QTest::mouseMove(View(), QPoint(30, 30));
  ASSERT_TRUE(View()->MouseInside());
  const int32_t top = View()->MapMode().DevOrgY;
  bool handled = false;
  Editor->MouseWheelHandler(0, -120, inside, handled);
  EXPECT_TRUE(handled);
  EXPECT_LT(View()->MapMode().DevOrgY, top);

  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(View(), &leave);
  handled = false;
  Editor->MouseWheelHandler(0, -120, inside, handled);
  EXPECT_FALSE(handled);
}

TEST_F(GraphicsEditorTest, DemoCommandPointsNameTheEditorsButtonsAndImagePoints) {
  MainForm()->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm()));
  ASSERT_NE(Open(CopySample("a.png")), nullptr);
  TVxProperties params;
  params.SetString(0, "zoomin");
  bool handled = false;
  QPoint point;
  Editor->GetDemoCommandPoint(params, handled, point);
  ASSERT_TRUE(handled);
  QWidget *button = Editor->StandardToolbar->widgetForAction(Editor->ZoomInButton);
  EXPECT_EQ(point, button->mapToGlobal(button->rect().center()));
  TVxProperties image;
  image.SetString(0, "Image");
  image.SetInteger(1, 10);
  image.SetInteger(2, 20);
  handled = false;
  Editor->GetDemoCommandPoint(image, handled, point);
  ASSERT_TRUE(handled);
  const TVxPoint device = View()->MapMode().LogicalToDevice({10, 20});
  EXPECT_EQ(point, View()->mapToGlobal(QPoint(device.X, device.Y)));
}

}  // namespace
