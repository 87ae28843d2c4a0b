// The actions and the playback against a fake clock and a fake pointer: what
// the pointer does and when, which buttons go down, what a balloon shows, and
// how the playback starts, pauses, stops and records.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "demo/VxBalloonShape.h"
#include "demo/VxDemoActions.h"
#include "demo/VxDemoPlayback.h"
#include "settings/VxLocalizer.h"
#include "settings/VxUnicode.h"

namespace {

using Lines = std::vector<std::string>;

class TFakeDevice : public IVxDemoDevice {
 public:
  uint32_t TickCount() override { return Now; }
  TVxPoint PointerPosition() override { return Pointer; }
  void MovePointer(TVxPoint screen) override {
    Pointer = screen;
    Path.push_back(screen);
  }
  void SendButton(TVxDemoButton button, bool down) override {
    Log.push_back(std::string(button == TVxDemoButton::Left ? "left" : "right") +
                  (down ? " down" : " up") + " at " + std::to_string(Pointer.X) + "," +
                  std::to_string(Pointer.Y));
  }
  bool ButtonsSwapped() override { return Swapped; }
  void ShowPointer(bool shown) override { PointerShown = shown; }
  void EnableTooltips(bool enabled) override { Tooltips = enabled; }
  void ShowBalloon(TVxPoint point, int32_t corner, const std::u16string &text) override {
    Balloon = Utf16ToUtf8(text);
    Log.push_back("balloon " + Balloon + " corner " + std::to_string(corner) + " at " +
                  std::to_string(point.X) + "," + std::to_string(point.Y));
  }
  void HideBalloon() override { Balloon.clear(); }
  std::u16string LanguageString(int32_t number) override {
    return Utf8ToUtf16("string " + std::to_string(number));
  }
  void BeginPlaying() override { ++Begun; }
  void EndPlaying() override { ++Ended; }

  uint32_t Now = 1000;
  TVxPoint Pointer{100, 100};
  bool Swapped = false, PointerShown = true, Tooltips = true;
  std::string Balloon;
  std::vector<TVxPoint> Path;
  std::vector<std::string> Log;
  int Begun = 0, Ended = 0;
};

// A playback over a script of lines, with the owner's answers recorded.
class PlaybackTest : public ::testing::Test {
 protected:
  void Load(const Lines &script) {
    TVxDemoScript source;
    Lines lines = {"[Info]", "[Script]"};
    lines.insert(lines.end(), script.begin(), script.end());
    lines.push_back("[" + std::to_string(Localizer().CurrentLanguage()) + "]");
    lines.push_back("Hello=Hallo Welt");
    source.LoadFromStrings(lines);
    Playback.AssignScript(source);
    Playback.MoveCursorTo(Device.Pointer);
    Playback.OnError = [this](const std::string &message, bool &, const std::string &line) {
      Errors.push_back(message + " | " + line);
    };
    Playback.OnFinish = [this] { ++Finished; };
    Playback.OnResolvePoint = [](const TVxProperties &params, bool &handled, TVxPoint &point) {
      // "Image", x, y lies 1000 pixels right of the screen origin.
      const TVxVariant name = params.GetVariant(0);
      if (std::get_if<std::string>(&name) && std::get<std::string>(name) == "Image") {
        point = {1000 + std::get<int32_t>(params.GetVariant(1)),
                 std::get<int32_t>(params.GetVariant(2))};
        handled = true;
      }
    };
  }

  // Ticks every 10 ms until the playback ends (at most limit ticks); the count.
  int Run(int limit = 10000) {
    int ticks = 0;
    while (ticks < limit) {
      ++ticks;
      if (!Playback.Tick()) break;
      Device.Now += 10;
    }
    return ticks;
  }

  // The action a line becomes, started by its first step.
  std::unique_ptr<TVxDemoScriptAction> Started(const std::string &line) {
    std::unique_ptr<TVxDemoScriptAction> action = Playback.ParseLine(line);
    if (action) action->Step();
    return action;
  }

  TFakeDevice Device;
  TVxDemoPlayback Playback{Device};
  std::vector<std::string> Errors;
  int Finished = 0;
};

TEST_F(PlaybackTest, PauseDurationsRoundToMillisecondsAndWrapWhenNegative) {
  const struct {
    const char *Line;
    uint32_t Duration;
  } cases[] = {
      {"Pause", 1000},          {"Pause 0.25", 250},         {"Pause -1", 4294967296u - 1000},
      {"Pause 0.0004", 0},      {"Pause 1.0006", 1001},      {"Pause 2", 2000},
      {"Pause \"long\"", 1000}, {"Pause 1E30", 4294967295u},
  };
  for (const auto &c : cases) {
    auto action = Started(c.Line);
    auto *pause = dynamic_cast<TVxDemoScriptPauseAction *>(action.get());
    ASSERT_NE(pause, nullptr) << c.Line;
    EXPECT_EQ(pause->GetDuration(), c.Duration) << c.Line;
  }
}

TEST_F(PlaybackTest, APauseCountsRealTimeAndHoldsThePointer) {
  Load({});
  auto pause = Started("Pause 0.25");
  Device.Pointer = {5, 5};  // the user nudges the mouse
  Device.Now += 249;
  pause->Step();
  EXPECT_FALSE(pause->IsFinished());
  EXPECT_EQ(Device.Pointer, Playback.CursorPoint());
  // Time spent suspended does not count.
  pause->Suspend();
  Device.Now += 5000;
  pause->Resume();
  pause->Step();
  EXPECT_FALSE(pause->IsFinished());
  Device.Now += 1;
  pause->Step();
  EXPECT_TRUE(pause->IsFinished());
}

TEST_F(PlaybackTest, MoveDurationsAreDistanceTimesTwentyBySpeedHalvesToEven) {
  const struct {
    int32_t Speed;
    const char *Line;
    uint32_t Duration;
  } cases[] = {
      {5, "MouseMove 3, 4", 20},  // 5 pixels at the default speed
      {8, "MouseMove 3, 4", 12},  // 12.5
      {40, "MouseMove 3, 4", 2},  // 2.5
      {40, "MouseMove 0, 7", 4},  // 3.5
      {5, "MouseCurvedMove 300, 400", 2000},
  };
  for (const auto &c : cases) {
    Playback.SetMouseSpeed(c.Speed);
    auto action = Started(c.Line);
    auto *move = dynamic_cast<TVxDemoScriptMouseMoveAction *>(action.get());
    ASSERT_NE(move, nullptr) << c.Line;
    EXPECT_EQ(move->GetDuration(), c.Duration) << c.Line << " at speed " << c.Speed;
  }
}

TEST_F(PlaybackTest, MouseSpeedIgnoresZeroAndKeepsSixteenBits) {
  const struct {
    const char *Line;
    uint16_t Speed;
  } cases[] = {{"MouseSpeed 10", 10}, {"MouseSpeed 0", 10}, {"MouseSpeed 65536", 10},
               {"MouseSpeed 2.5", 2}, {"MouseSpeed x", 2},  {"MouseSpeed 65537", 1}};
  for (const auto &c : cases) {
    Started(c.Line);
    EXPECT_EQ(Playback.MouseSpeed(), c.Speed) << c.Line;
  }
}

TEST_F(PlaybackTest, AStraightMoveEasesInAndOut) {
  Load({});
  auto move = Started("MouseMove 125, 100");  // 25 pixels: 100 ms
  const struct {
    uint32_t At;
    int32_t X;
  } expected[] = {{25, 103}, {50, 112}, {75, 122}, {100, 125}};
  uint32_t at = 0;
  for (const auto &e : expected) {
    Device.Now += e.At - at;
    at = e.At;
    move->Step();
    EXPECT_EQ(Device.Pointer, (TVxPoint{e.X, 100})) << "at " << e.At << " ms";
  }
  EXPECT_TRUE(move->IsFinished());
}

TEST_F(PlaybackTest, ACurvedMoveBowsAThirdOfTheSmallerDistanceHalfway) {
  Load({});
  // 30 across and 60 down: 268 ms; halfway it lies 10 pixels off the line
  // in the direction (60, 30) normalised.
  auto move = Started("MouseCurvedMove 130, 160");
  Device.Now += 134;
  move->Step();
  EXPECT_EQ(Device.Pointer, (TVxPoint{124, 134}));
  // Level moves stay straight even when curved.
  auto level = Started("MouseCurvedMove 200, 134");
  Device.Now += 250;
  level->Step();
  EXPECT_EQ(Device.Pointer.Y, 134);
}

TEST_F(PlaybackTest, AMoveToWherePointerIsFinishesAtOnceAndTargetsResolveByName) {
  Load({});
  auto still = Started("MouseMove 100, 100");
  EXPECT_TRUE(still->IsFinished());
  EXPECT_EQ(Device.Pointer, (TVxPoint{100, 100}));

  auto named = Started("MouseTo Image, 20, 30");
  EXPECT_EQ(Device.Pointer, (TVxPoint{1020, 30}));
  EXPECT_TRUE(Errors.empty());
}

TEST_F(PlaybackTest, MacrosMoveStraightForAClickAndCurvedOtherwise) {
  const struct {
    const char *Line;
    std::vector<const std::type_info *> Steps;
  } cases[] = {
      {"MouseClick Image, 10, 10",
       {&typeid(TVxDemoScriptMouseMoveAction), &typeid(TVxDemoScriptButtonAction),
        &typeid(TVxDemoScriptButtonAction)}},
      {"MouseDrag Image, 10, 10",
       {&typeid(TVxDemoScriptButtonAction), &typeid(TVxDemoScriptMouseCurvedMoveAction),
        &typeid(TVxDemoScriptButtonAction)}},
      {"MouseDblClick 5, 5",
       {&typeid(TVxDemoScriptMouseCurvedMoveAction), &typeid(TVxDemoScriptButtonAction),
        &typeid(TVxDemoScriptButtonAction), &typeid(TVxDemoScriptButtonAction),
        &typeid(TVxDemoScriptButtonAction)}},
      {"MouseRightClick 5, 5",
       {&typeid(TVxDemoScriptMouseCurvedMoveAction), &typeid(TVxDemoScriptButtonAction),
        &typeid(TVxDemoScriptButtonAction)}},
  };
  for (const auto &c : cases) {
    auto action = Playback.ParseLine(c.Line);
    auto *macro = dynamic_cast<TVxDemoScriptMacroAction *>(action.get());
    ASSERT_NE(macro, nullptr) << c.Line;
    ASSERT_EQ(macro->ActionCount(), c.Steps.size()) << c.Line;
    for (size_t i = 0; i < c.Steps.size(); ++i)
      EXPECT_EQ(typeid(*macro->Action(i)), *c.Steps[i]) << c.Line << " step " << i;
    // Only the move has the line's arguments.
    for (size_t i = 0; i < c.Steps.size(); ++i)
      if (c.Steps[i] == &typeid(TVxDemoScriptButtonAction)) {
        EXPECT_EQ(macro->Action(i)->Params().Count(), 0);
      }
  }
}

TEST_F(PlaybackTest, AClickPressesWhereTheMoveEndsOneStepPerTick) {
  Load({"MouseClick Image, 10, 20", "MouseRightClick 30, 40"});
  ASSERT_TRUE(Playback.Start(0));
  Run();
  EXPECT_EQ(Device.Log, (std::vector<std::string>{"left down at 1010,20", "left up at 1010,20",
                                                  "right down at 30,40", "right up at 30,40"}));
  // With swapped buttons the logical buttons stay what the script says.
  Device.Log.clear();
  Device.Swapped = true;
  ASSERT_TRUE(Playback.Start(0));
  Run();
  EXPECT_EQ(Device.Log, (std::vector<std::string>{"right down at 1010,20", "right up at 1010,20",
                                                  "left down at 30,40", "left up at 30,40"}));
}

TEST_F(PlaybackTest, BalloonTextsCornersAndDurations) {
  Load({});
  const struct {
    const char *Line;
    std::string Shown;  // empty: no balloon, finished at once
    int32_t Corner;
    uint32_t Duration;
  } cases[] = {
      {"Message &392", "string 392", 0, 3000},
      {"Message %Hello, 1.5, 3", "Hallo Welt", 3, 1500},
      {"Message %Missing", "", 0, 3000},
      {"Message &", "&", 0, 3000},
      {"Message &abc", "&abc", 0, 3000},
      {"Message \"\"", "", 0, 3000},
      {"Message \"Two\\nlines\", 1, 5", "Two\nlines", 0, 1000},
      {"Message Hi, 1, 0", "Hi", 0, 1000},
      {"Message Hi, 1, \"4\"", "Hi", 0, 1000},
      {"Message Hi, 1, 4", "Hi", 4, 1000},
  };
  for (const auto &c : cases) {
    Device.Log.clear();
    {
      auto action = Started(c.Line);
      auto *balloon = dynamic_cast<TVxDemoScriptBalloonAction *>(action.get());
      ASSERT_NE(balloon, nullptr) << c.Line;
      EXPECT_EQ(balloon->GetDuration(), c.Duration) << c.Line;
      EXPECT_EQ(Device.Balloon, c.Shown) << c.Line;
      EXPECT_EQ(balloon->IsFinished(), c.Shown.empty()) << c.Line;
      if (!c.Shown.empty()) {
        EXPECT_EQ(balloon->Corner(), c.Corner) << c.Line;
        EXPECT_FALSE(Device.PointerShown) << c.Line;
        EXPECT_FALSE(Device.Tooltips) << c.Line;
      }
    }
    // Gone with its action, pointer and tooltips back.
    EXPECT_EQ(Device.Balloon, "") << c.Line;
    EXPECT_TRUE(Device.PointerShown) << c.Line;
    EXPECT_TRUE(Device.Tooltips) << c.Line;
  }
}

TEST_F(PlaybackTest, ABalloonHidesWhilePausedAndComesBackAtTheSamePlace) {
  Load({"MouseTo 300, 200", "Message Hi, 1"});
  ASSERT_TRUE(Playback.Start(0));
  for (int i = 0; i < 4; ++i, Device.Now += 10) Playback.Tick();
  ASSERT_EQ(Device.Balloon, "Hi");
  Playback.Pause();
  EXPECT_EQ(Device.Balloon, "");
  EXPECT_TRUE(Device.PointerShown);
  Device.Now += 10000;
  Playback.Resume();
  EXPECT_EQ(Device.Balloon, "Hi");
  EXPECT_EQ(Device.Log.back(), "balloon Hi corner 0 at 300,200");
  // The pause's time did not count: 1 s of playing is left.
  const int ticks = Run();
  EXPECT_GE(ticks, 95);
  EXPECT_EQ(Finished, 1);
}

TEST_F(PlaybackTest, AScriptEndingInAMoveFinishesOneTickAfterTheTarget) {
  Load({"// a comment", "MouseMove 105, 100"});  // 20 ms
  ASSERT_TRUE(Playback.Start(0));
  EXPECT_EQ(Device.Begun, 1);
  int ticks = 0;
  while (Playback.Tick()) {
    ++ticks;
    Device.Now += 10;
  }
  // Comment, move at 0, 10 and 20 ms, then the end.
  EXPECT_EQ(ticks, 4);
  EXPECT_EQ(Device.Pointer, (TVxPoint{105, 100}));
  EXPECT_EQ(Finished, 1);
  EXPECT_EQ(Device.Ended, 1);
  EXPECT_EQ(Playback.State(), TVxDemoState::Idle);
  EXPECT_FALSE(Playback.Tick());
  EXPECT_EQ(Finished, 1);
}

TEST_F(PlaybackTest, DirectivesExpandAndPlayBeforeTheNextLine) {
  Load({"#EACH 0 MouseMove 1,1 2,2", "MouseTo 9, 9"});
  Device.Path.clear();
  ASSERT_TRUE(Playback.Start(0));
  Playback.SetMouseSpeed(10000);
  Run();
  // A move's word gets "Image," put in front of each item; a move's first
  // step is where it starts.
  EXPECT_EQ(Device.Path, (std::vector<TVxPoint>{{100, 100}, {1001, 1}, {1002, 2}, {9, 9}}));
  EXPECT_EQ(Finished, 1);
}

TEST_F(PlaybackTest, PausesNestAndPausedTimeDoesNotCount) {
  Load({"MouseMove 200, 100"});  // 100 pixels: 400 ms
  ASSERT_TRUE(Playback.Start(0));
  for (int i = 0; i < 21; ++i, Device.Now += 10) Playback.Tick();  // 200 ms
  const TVxPoint halfway = Device.Pointer;
  EXPECT_EQ(halfway, (TVxPoint{150, 100}));
  Playback.Pause();
  Playback.Pause();
  Playback.Resume();
  EXPECT_EQ(Playback.State(), TVxDemoState::Paused);
  for (int i = 0; i < 50; ++i, Device.Now += 10) EXPECT_TRUE(Playback.Tick());
  EXPECT_EQ(Device.Pointer, halfway);
  Playback.Resume();
  EXPECT_EQ(Playback.State(), TVxDemoState::Playing);
  // The other 200 ms of the move, not more.
  const int ticks = Run();
  EXPECT_GE(ticks, 20);
  EXPECT_LE(ticks, 23);
  // A Resume without its Pause does not swallow the next Pause.
  Load({"Pause 1"});
  ASSERT_TRUE(Playback.Start(0));
  Playback.Resume();
  Playback.Pause();
  EXPECT_EQ(Playback.State(), TVxDemoState::Paused);
}

TEST_F(PlaybackTest, AStopInTheMiddleOfADragReleasesTheButtonWhereThePointerIs) {
  Load({"MouseDrag 300, 300"});
  int asked = 0;
  bool answer = false;
  Playback.OnStopQuery = [&](bool &stop) {
    ++asked;
    stop = answer;
  };
  ASSERT_TRUE(Playback.Start(0));
  for (int i = 0; i < 30; ++i, Device.Now += 10) Playback.Tick();
  ASSERT_TRUE(Playback.LeftButtonDown());
  // "No" goes on playing.
  EXPECT_FALSE(Playback.UserAbort());
  EXPECT_EQ(Playback.State(), TVxDemoState::Playing);
  const TVxPoint there = Playback.CursorPoint();
  Device.Pointer = {0, 0};
  answer = true;
  EXPECT_TRUE(Playback.UserAbort());
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(Playback.LeftButtonDown());
  EXPECT_EQ(Device.Log.back(),
            "left up at " + std::to_string(there.X) + "," + std::to_string(there.Y));
  EXPECT_FALSE(Playback.Tick());
  EXPECT_EQ(Playback.CurrentAction(), nullptr);
  EXPECT_EQ(Device.Ended, 1);
  EXPECT_EQ(Finished, 0);
}

TEST_F(PlaybackTest, ScriptErrorsNameTheLineAndStop) {
  const struct {
    Lines Script;
    std::string Error;
  } cases[] = {
      {{"Pause 0", "Frobnicate 1, 2"}, "Unknown command: \"FROBNICATE\" | Frobnicate 1, 2"},
      {{"MouseTo(100, 200)"}, "Invalid arguments. | MouseTo(100, 200)"},
      {{"MouseClick Nowhere"}, "Invalid arguments. | MouseClick Nowhere"},
      {{"#FOR 0 Pause 1 x"}, ""},
  };
  for (const auto &c : cases) {
    Errors.clear();
    Load(c.Script);
    ASSERT_TRUE(Playback.Start(0));
    Run();
    ASSERT_EQ(Errors.size(), 1u) << c.Script.back();
    if (!c.Error.empty()) {
      EXPECT_EQ(Errors[0], c.Error);
    }
    EXPECT_EQ(Playback.State(), TVxDemoState::Stopped) << c.Script.back();
    EXPECT_EQ(Finished, 0) << c.Script.back();
  }
}

TEST_F(PlaybackTest, CommandsGoToTheOwnerWhichMayAddSteps) {
  Load({"ZoomIn", "Draw 5, 6"});
  std::vector<std::string> run;
  Playback.OnCommand = [&](const std::string &name, bool &handled, TVxDemoScriptAction &action,
                           const TVxProperties &params) {
    run.push_back(name + " " + std::to_string(params.Count()));
    handled = true;
    if (name == "DRAW")
      static_cast<TVxDemoScriptMacroAction &>(action).AddAction(Playback.ParseLine("MouseTo 5, 6"));
  };
  ASSERT_TRUE(Playback.Start(0));
  Run();
  EXPECT_EQ(run, (std::vector<std::string>{"ZOOMIN 0", "DRAW 2"}));
  EXPECT_EQ(Device.Pointer, (TVxPoint{5, 6}));
  EXPECT_TRUE(Errors.empty());
  EXPECT_EQ(Finished, 1);
}

TEST_F(PlaybackTest, StartingIsRefusedWhileBusyAndACancelledStartPlaysNothing) {
  Load({"Pause 1"});
  ASSERT_TRUE(Playback.StartRecording(-1));
  EXPECT_FALSE(Playback.Start(0));
  EXPECT_EQ(Playback.State(), TVxDemoState::Recording);
  Playback.StopRecording();

  Playback.OnStart = [](bool &cancel) { cancel = true; };
  EXPECT_TRUE(Playback.Start(0));
  EXPECT_FALSE(Playback.IsPlaying());
  EXPECT_EQ(Device.Begun, 0);

  Playback.OnStart = nullptr;
  ASSERT_TRUE(Playback.Start(0));
  EXPECT_FALSE(Playback.Start(0));
  EXPECT_FALSE(Playback.StartRecording(0));
}

TEST_F(PlaybackTest, RecordingInsertsLinesWhereItStarted) {
  Load({"First", "Last"});
  std::vector<std::pair<int32_t, std::string>> told;
  Playback.OnRecordLine = [&](int32_t index, const std::string &line) {
    told.emplace_back(index, line);
  };
  ASSERT_TRUE(Playback.StartRecording(1));
  Playback.RecordLine("A");
  Playback.RecordLine("B");
  // A recorder's complaint does not end the recording.
  Playback.ReportError("Cannot record this step.");
  EXPECT_TRUE(Playback.IsRecording());
  Playback.StopRecording();
  EXPECT_EQ(Playback.GetScript().ScriptLines(), (Lines{"First", "A", "B", "Last"}));
  EXPECT_EQ(told, (std::vector<std::pair<int32_t, std::string>>{{1, "A"}, {2, "B"}}));
  EXPECT_EQ(Playback.State(), TVxDemoState::Stopped);
  // Out of range appends.
  ASSERT_TRUE(Playback.StartRecording(99));
  Playback.RecordLine("C");
  EXPECT_EQ(Playback.GetScript().ScriptLines().back(), "C");
}

TEST(BalloonShape, TheTailPointsAtThePointFromTheQuarterItLiesIn) {
  const struct {
    TVxPoint Point;
    int32_t Asked, Corner;
    TVxPoint Tip, Text;
    TVxRect Body;
  } cases[] = {
      {{100, 100}, 0, 1, {16, 0}, {12, 24}, {0, 16, 116, 56}},
      {{700, 100}, 0, 2, {100, 0}, {12, 24}, {0, 16, 116, 56}},
      {{100, 500}, 0, 3, {15, 55}, {12, 8}, {0, 0, 116, 40}},
      {{700, 500}, 0, 4, {99, 55}, {12, 8}, {0, 0, 116, 40}},
      {{400, 300}, 0, 1, {16, 0}, {12, 24}, {0, 16, 116, 56}},  // the middle counts as top left
      {{700, 500}, 1, 1, {16, 0}, {12, 24}, {0, 16, 116, 56}},
      {{100, 100}, 5, 1, {16, 0}, {12, 24}, {0, 16, 116, 56}},
  };
  for (const auto &c : cases) {
    const TVxBalloonShape shape = BalloonShape(100, 24, c.Point, c.Asked, 800, 600);
    EXPECT_EQ(shape.Corner, c.Corner) << c.Point.X << "," << c.Point.Y;
    EXPECT_EQ(shape.Tip, c.Tip) << c.Corner;
    EXPECT_EQ(shape.TextOrigin, c.Text) << c.Corner;
    EXPECT_EQ(shape.Body, c.Body) << c.Corner;
    EXPECT_EQ(shape.Width, 116);
    EXPECT_EQ(shape.Height, 56);
  }
}

}  // namespace
