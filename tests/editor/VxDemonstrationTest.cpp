// The demonstration module over the image editor, offscreen: its registry
// and how it runs commands of every kind, the words it takes from the
// clients' tables, what it resolves names to, the title and questions
// around a demonstration, recording, the chooser and the command line. The
// pointer cannot move here, so a demonstration clicks through synthesised
// events, as it does wherever the real pointer is out of reach.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QThread>
#include <optional>
#include <variant>

#include "../tools/ToolFixture.h"
#include "demo/VxDemoActions.h"
#include "demo/VxDemoClient.h"
#include "demo/VxDemoDesktop.h"
#include "demo/VxDemoLine.h"
#include "demo/VxDemoPlaybackThread.h"
#include "demo/VxDemoWords.h"
#include "editor/VxDemonstration.h"
#include "editor/VxDemonstrationForm.h"
#include "framework/VxMainForm.h"
#include "settings/VxLocalizer.h"

namespace {

namespace fs = std::filesystem;

class DemonstrationTest : public tooltest::ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    App->CreateModule(Demo);
    Demo->ShowAtStartup = false;
    Demo->DemoFolder = QString::fromStdString((Dir / "Demo").string()) + "/";
    fs::create_directories(Dir / "Demo");
    Demo->Initialize();
  }
  void TearDown() override {
    Demo = nullptr;
    ToolTest::TearDown();
  }

  // Runs a command as the playback does; whether it was handled.
  bool Run(const std::string &line) {
    std::optional<TVxDemoLine> parsed = ParseLine(line);
    TVxProperties none;
    bool handled = false;
    Demo->ExecuteCommand(parsed->Word, handled, nullptr,
                         parsed->Arguments ? *parsed->Arguments : none);
    return handled;
  }

  // Plays script lines to their end (at most 20 s), time running fast.
  void Play(const std::vector<std::string> &lines, double speed = 20) {
    std::vector<std::string> file = {"[Info]", "Title=Test", "[Script]"};
    file.insert(file.end(), lines.begin(), lines.end());
    TVxDemoScript script;
    script.LoadFromStrings(file);
    Demo->Desktop().SetSpeedFactor(speed);
    ASSERT_TRUE(Demo->Play(script, false));
    QElapsedTimer clock;
    clock.start();
    while (Demo->Playback().IsPlaying() && clock.elapsed() < 20000) {
      QApplication::processEvents(QEventLoop::AllEvents, 10);
      QThread::msleep(1);
    }
    EXPECT_FALSE(Demo->Playback().IsPlaying()) << "still playing";
  }

  TVxDemonstrationModule *Demo = nullptr;
};

TEST_F(DemonstrationTest, CommandsOfEveryKindGetTheirArgumentsOrTheirDefaults) {
  std::vector<std::string> calls;
  QObject sender;
  Demo->AddCommand("Plain", [&] { calls.push_back("plain"); });
  Demo->AddNotifyCommand("Notify", &sender, [&](QObject *from) {
    calls.push_back(from == &sender ? "notify from sender" : "notify from elsewhere");
  });
  Demo->AddBoolCommand("Flag", true,
                       [&](bool on) { calls.push_back(on ? "flag on" : "flag off"); });
  Demo->AddIntCommand("Size", 7, [&](int32_t v) { calls.push_back("size " + std::to_string(v)); });
  Demo->AddColorCommand("Colour", 0x123456,
                        [&](int32_t v) { calls.push_back("colour " + std::to_string(v)); });
  Demo->AddPointCommand("Spot", QPoint(1, 2), [&](int32_t x, int32_t y) {
    calls.push_back("spot " + std::to_string(x) + "," + std::to_string(y));
  });
  const struct {
    const char *Line;
    const char *Call;
  } cases[] = {
      {"plain", "plain"},           {"Notify", "notify from sender"},
      {"Flag", "flag on"},          {"Flag 0", "flag off"},
      {"Flag 2.5", "flag on"},      {"Flag \"yes\"", "flag off"},
      {"Flag false", "flag off"},   {"Size", "size 7"},
      {"Size 2.5", "size 2"},       {"Size abc", "size 7"},
      {"Colour 255", "colour 255"}, {"Spot 5, 6", "spot 5,6"},
      {"Spot 5", "spot 1,2"},       {"Spot 5, \"6\"", "spot 1,2"},
  };
  for (const auto &c : cases) {
    calls.clear();
    EXPECT_TRUE(Run(c.Line)) << c.Line;
    EXPECT_EQ(calls, std::vector<std::string>{c.Call}) << c.Line;
  }
  EXPECT_FALSE(Run("Nobody"));
}

TEST_F(DemonstrationTest, TheRegistryHasEveryWordOfTheClientsThatRuns) {
  const QStringList names = Demo->CommandNames();
  std::vector<std::string> missing;
  for (IVxDemoClient *client : App->FindAll<IVxDemoClient>())
    client->ListDemoWords([&](const TVxDemoWordInfo &word) {
      if (word.Run && !names.contains(word.Word.toUpper()))
        missing.push_back(word.Word.toStdString());
    });
  EXPECT_EQ(missing, std::vector<std::string>{});
  for (const char *word : {"ZOOMIN", "UNDO", "IMAGEOPEN", "OKBUTTON", "CANCELBUTTON"})
    EXPECT_TRUE(names.contains(word)) << word;
}

TEST_F(DemonstrationTest, RecordedLinesOfEveryWordPlayBackAsARegisteredCommand) {
  ASSERT_TRUE(Demo->StartRecording(-1));
  int words = 0;
  for (IVxDemoClient *client : App->FindAll<IVxDemoClient>())
    client->ListDemoWords([&](const TVxDemoWordInfo &word) {
      if (!word.Run) return;
      ++words;
      std::vector<TVxDemoArgument> arguments;
      if (word.Args == TVxDemoArgs::Point) arguments = {int32_t{320}, int32_t{240}};
      if (word.Args == TVxDemoArgs::File) arguments = {std::string("a b.jpg")};
      if (word.Args == TVxDemoArgs::Integer || word.Args == TVxDemoArgs::Colour)
        arguments = {int32_t{42}};
      if (word.Args == TVxDemoArgs::Bool) arguments = {true};
      RecordDemoCommand(Demo, word.Word, word.Word, TVxDemoMessage::Always, word.Word, arguments);
    });
  Demo->StopRecording();
  ASSERT_GT(words, 0);
  const QStringList names = Demo->CommandNames();
  const std::vector<std::string> &lines = Demo->Playback().GetScript().ScriptLines();
  ASSERT_EQ(lines.size(), static_cast<size_t>(words * 3));
  for (size_t i = 2; i < lines.size(); i += 3) {
    std::unique_ptr<TVxDemoScriptAction> action = Demo->Playback().ParseLine(lines[i]);
    auto *user = dynamic_cast<TVxDemoScriptUserAction *>(action.get());
    ASSERT_NE(user, nullptr) << lines[i];
    EXPECT_TRUE(names.contains(QString::fromStdString(user->Name()))) << lines[i];
  }
}

TEST_F(DemonstrationTest, NamesResolveToControlsTheImageAndNamedWidgets) {
  Open(CopySample("a.png"));
  MainForm()->resize(900, 700);
  MainForm()->show();
  uitest::ProcessEvents();
  QPoint point;
  TVxProperties params;
  params.SetString(0, "zoomin");
  ASSERT_TRUE(Demo->ResolvePoint(params, point));
  QWidget *button = Editor->StandardToolbar->widgetForAction(Editor->ZoomInButton);
  EXPECT_EQ(point, button->mapToGlobal(button->rect().center()));

  params.Clear();
  ParseDemoArguments("Image, 0, 0", params);
  ASSERT_TRUE(Demo->ResolvePoint(params, point));
  const TVxPoint origin = View()->MapMode().LogicalToDevice({0, 0});
  EXPECT_EQ(point, View()->mapToGlobal(QPoint(origin.X, origin.Y)));

  // An absent control registers nothing; the name falls through to the
  // widgets of the main window.
  Demo->AddComponent("Panel", nullptr);
  auto *widget = new QWidget(MainForm()->centralWidget());
  widget->setObjectName("PanelThing");
  widget->show();
  params.Clear();
  params.SetString(0, "panelthing");
  ASSERT_TRUE(Demo->ResolvePoint(params, point));
  EXPECT_EQ(point, widget->mapToGlobal(widget->rect().center()));
  params.SetString(0, "Panel");
  EXPECT_FALSE(Demo->ResolvePoint(params, point));
}

TEST_F(DemonstrationTest, AClickOnAToolbarButtonReachesItWithoutTheRealPointer) {
  Open(CopySample("a.png"));
  MainForm()->resize(900, 700);
  MainForm()->show();
  uitest::ProcessEvents();
  const TVxZoom before = View()->Zoom();
  Demo->CloseImagesBeforeDemo = false;
  Play({"MouseClick ZoomIn", "Pause 0.1"});
  EXPECT_NE(View()->Zoom(), before);
  // Only the end is announced.
  EXPECT_EQ(Messages.size(), 1) << Messages.join("; ").toStdString();
}

TEST_F(DemonstrationTest, TheTitleNamesTheDemonstrationUntilItEndsOrStops) {
  Play({"Pause 0.05"});
  EXPECT_EQ(App->Title(), "Velora");
  ASSERT_EQ(Messages.size(), 1);  // the end is announced
  Messages.clear();

  TVxDemoScript script;
  script.LoadFromStrings({"[Info]", "Title=Zooming", "[Script]", "Pause 100"});
  ASSERT_TRUE(Demo->Play(script, false));
  EXPECT_EQ(App->Title(), "Velora - Zooming");
  // "No" goes on; "yes" stops and gives the title back.
  MessageAnswer = IdNo;
  EXPECT_FALSE(Demo->Playback().UserAbort());
  EXPECT_EQ(App->Title(), "Velora - Zooming");
  MessageAnswer = IdYes;
  EXPECT_TRUE(Demo->Playback().UserAbort());
  EXPECT_EQ(App->Title(), "Velora");
  EXPECT_EQ(Messages.size(), 2);
}

TEST_F(DemonstrationTest, ALongComputationHoldsThePlayingDemonstration) {
  TVxDemoScript script;
  script.LoadFromStrings({"[Script]", "Pause 100"});
  ASSERT_TRUE(Demo->Play(script, false));
  {
    TVxDemoPauseScope computing;
    {
      TVxDemoPauseScope inner;
      EXPECT_EQ(Demo->Playback().State(), TVxDemoState::Paused);
    }
    EXPECT_EQ(Demo->Playback().State(), TVxDemoState::Paused);
  }
  EXPECT_EQ(Demo->Playback().State(), TVxDemoState::Playing);
  MessageAnswer = IdYes;
  Demo->Playback().UserAbort();
}

TEST_F(DemonstrationTest, KeysOfTheStopSetAskToStopOthersPassThrough) {
  for (int key : {9, 13, 20, 27, 32, 35, 40, 44, 57, 65, 92, 95, 145})
    EXPECT_TRUE(TVxDemoPlaybackThread::IsStopKey(key)) << key;
  for (int key : {8, 21, 26, 33, 34, 41, 43, 58, 64, 93, 94, 146, 187})
    EXPECT_FALSE(TVxDemoPlaybackThread::IsStopKey(key)) << key;

  TVxDemoScript script;
  script.LoadFromStrings({"[Script]", "Pause 100"});
  ASSERT_TRUE(Demo->Play(script, false));
  auto press = [](Qt::Key key) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(MainForm(), &down);
  };
  press(Qt::Key_PageDown);
  EXPECT_TRUE(Messages.isEmpty());
  MessageAnswer = IdNo;
  press(Qt::Key_Escape);
  ASSERT_EQ(Messages.size(), 1);
  EXPECT_TRUE(Demo->Playback().IsPlaying());
  MessageAnswer = IdYes;
  press(Qt::Key_A);
  EXPECT_EQ(Messages.size(), 2);
  EXPECT_EQ(Demo->Playback().State(), TVxDemoState::Stopped);
  // Once stopped, keys are the program's again.
  press(Qt::Key_Escape);
  EXPECT_EQ(Messages.size(), 2);
}

TEST_F(DemonstrationTest, AnErrorShowsTheLineStopsAndGivesTheTitleBack) {
  Messages.clear();
  Play({"Pause 0.01", "Frobnicate 3"});
  ASSERT_EQ(Messages.size(), 1);
  EXPECT_EQ(Messages[0], "Unknown command: \"FROBNICATE\"\nFrobnicate 3");
  EXPECT_EQ(Demo->Playback().State(), TVxDemoState::Stopped);
  EXPECT_EQ(App->Title(), "Velora");
}

TEST_F(DemonstrationTest, AnOpenImageIsClosedOnlyWhenTheUserAgrees) {
  Open(CopySample("a.png"));
  TVxDemoScript script;
  script.LoadFromStrings({"[Info]", "Title=T", "[Script]", "Pause 100"});
  MessageAnswer = IdNo;
  EXPECT_TRUE(Demo->Play(script, false));
  EXPECT_FALSE(Demo->Playback().IsPlaying());
  EXPECT_NE(Editor->CurrentDocument(), nullptr);
  MessageAnswer = IdYes;
  EXPECT_TRUE(Demo->Play(script, false));
  EXPECT_TRUE(Demo->Playback().IsPlaying());
  EXPECT_EQ(Editor->CurrentDocument(), nullptr);
  Demo->Playback().UserAbort();
}

TEST_F(DemonstrationTest, RecordingReachesTheEditorsCommands) {
  Open(CopySample("a.png"));
  ASSERT_TRUE(Demo->StartRecording(-1));
  EXPECT_FALSE(Demo->Play(TVxDemoScript(), false));
  Editor->ZoomInClick();
  Demo->RecordCommand("TextSize", "24");
  Demo->StopRecording();
  Editor->ZoomOutClick();  // no longer recorded
  EXPECT_EQ(Demo->Playback().GetScript().ScriptLines(),
            (std::vector<std::string>{"MouseCurvedMove ZoomIn", "Message \"Zoom In\"", "ZoomIn",
                                      "MouseCurvedMove TextSize", "TextSize 24"}));
}

TEST_F(DemonstrationTest, TheChooserListsTheFolderByTitleWithPictures) {
  uitest::WriteFile(Dir / "Demo" / "b.dsc", "[Info]\nTitle=beta\nImage=b.png\n[Script]\n");
  uitest::WriteFile(Dir / "Demo" / "a.dsc", "[Info]\nTitle=Gamma\nImage=missing.png\n");
  uitest::WriteFile(Dir / "Demo" / "c.dsc", "[Info]\n[1033]\nTitle=Alpha\n");
  QImage wide(40, 20, QImage::Format_RGB888);
  wide.fill(Qt::red);
  ASSERT_TRUE(wide.save(QString::fromStdString((Dir / "Demo" / "b.png").string())));
  Demo->LastDemoIndex = 7;
  TVxDemonstrationForm form(*Demo, nullptr);
  QStringList titles;
  for (int i = 0; i < form.DemoListView->count(); ++i) titles << form.DemoListView->item(i)->text();
  EXPECT_EQ(titles, (QStringList{"Alpha", "beta", "Gamma"}));
  // The last item stays selected when the index ran past the end.
  EXPECT_EQ(form.DemoListView->currentRow(), 2);
  EXPECT_TRUE(form.StartButton->isEnabled());
  EXPECT_EQ(form.SelectedScript()->GetInfoValue("Title"), "Gamma");
  form.DemoListView->clearSelection();
  EXPECT_FALSE(form.StartButton->isEnabled());
  form.ShowAtStartupCheckBox->setChecked(true);
  EXPECT_TRUE(Demo->ShowAtStartup);

  const QImage icon = TVxDemonstrationForm::Thumbnail(wide);
  EXPECT_EQ(icon.size(), QSize(64, 64));
  EXPECT_EQ(icon.pixelColor(0, 0), QColor(0xCB, 0xCB, 0xCB));
  EXPECT_EQ(icon.pixelColor(32, 32), QColor(Qt::red));
  EXPECT_EQ(icon.pixelColor(32, 10), QColor(Qt::white));  // 64 x 32, centred
}

TEST_F(DemonstrationTest, AnEmptyFolderLeavesStartDisabled) {
  TVxDemonstrationForm form(*Demo, nullptr);
  EXPECT_EQ(form.DemoListView->count(), 0);
  EXPECT_FALSE(form.StartButton->isEnabled());
  EXPECT_EQ(form.SelectedScript(), nullptr);
}

TEST(DemoCommandLine, TakesItsOptionsOutAndLeavesThePhoto) {
  const struct {
    QStringList Arguments;
    bool Ok;
    QStringList Rest;
  } cases[] = {
      {{"velora", "--play", "a.dsc", "photo.jpg", "--exit-after-play"},
       true,
       {"velora", "photo.jpg"}},
      {{"velora", "--save-after-play", "out.png", "--play", "a.dsc", "--demo-speed", "4"},
       true,
       {"velora"}},
      {{"velora", "photo.jpg"}, true, {"velora", "photo.jpg"}},
      {{"velora", "--play"}, false, {}},
      {{"velora", "--exit-after-play"}, false, {}},
      {{"velora", "--play", "a.dsc", "--demo-speed", "0"}, false, {}},
      {{"velora", "--play", "a.dsc", "--demo-speed", "fast"}, false, {}},
  };
  for (const auto &c : cases) {
    TVxDemoCommandLine line;
    QStringList arguments = c.Arguments;
    QString error;
    EXPECT_EQ(line.Parse(arguments, error), c.Ok) << c.Arguments.join(' ').toStdString();
    if (c.Ok) {
      EXPECT_EQ(arguments, c.Rest) << c.Arguments.join(' ').toStdString();
    } else {
      EXPECT_FALSE(error.isEmpty());
    }
  }
}

TEST_F(DemonstrationTest, TheStartUpSettingIsKept) {
  Demo->ShowAtStartup = false;
  const fs::path file = Dir / "demo.cfg";
  {
    TVxSDFWriter writer(TVxFileStream::Open(file, TVxFileMode::Create));
    Demo->SaveSettings(writer);
  }
  Demo->ShowAtStartup = true;
  TVxSDFReader reader(TVxFileStream::Open(file, TVxFileMode::Read));
  Demo->LoadSettings(reader);
  EXPECT_FALSE(Demo->ShowAtStartup);
}

}  // namespace
