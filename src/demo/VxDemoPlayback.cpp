#include "demo/VxDemoPlayback.h"

#include <algorithm>

#include "demo/VxDemoActions.h"
#include "demo/VxDemoLine.h"
#include "settings/VxLocalizer.h"

namespace {

using TActionPtr = std::unique_ptr<TVxDemoScriptAction>;

template <class TAction>
TActionPtr Make(TVxDemoPlayback &playback, const TVxProperties *params) {
  return std::make_unique<TAction>(playback, params);
}

TActionPtr Button(TVxDemoPlayback &playback, bool left, bool down) {
  return std::make_unique<TVxDemoScriptButtonAction>(playback, left, down);
}

// A click moves straight; a drag, a double click and a right click move
// along the curved path.
TActionPtr Click(TVxDemoPlayback &playback, const TVxProperties *params) {
  auto macro = std::make_unique<TVxDemoScriptMacroAction>(playback, nullptr);
  macro->AddAction(Make<TVxDemoScriptMouseMoveAction>(playback, params));
  macro->AddAction(Button(playback, true, true));
  macro->AddAction(Button(playback, true, false));
  return macro;
}

TActionPtr Drag(TVxDemoPlayback &playback, const TVxProperties *params) {
  auto macro = std::make_unique<TVxDemoScriptMacroAction>(playback, nullptr);
  macro->AddAction(Button(playback, true, true));
  macro->AddAction(Make<TVxDemoScriptMouseCurvedMoveAction>(playback, params));
  macro->AddAction(Button(playback, true, false));
  return macro;
}

TActionPtr DoubleClick(TVxDemoPlayback &playback, const TVxProperties *params) {
  auto macro = std::make_unique<TVxDemoScriptMacroAction>(playback, nullptr);
  macro->AddAction(Make<TVxDemoScriptMouseCurvedMoveAction>(playback, params));
  for (int i = 0; i < 2; ++i) {
    macro->AddAction(Button(playback, true, true));
    macro->AddAction(Button(playback, true, false));
  }
  return macro;
}

TActionPtr RightClick(TVxDemoPlayback &playback, const TVxProperties *params) {
  auto macro = std::make_unique<TVxDemoScriptMacroAction>(playback, nullptr);
  macro->AddAction(Make<TVxDemoScriptMouseCurvedMoveAction>(playback, params));
  macro->AddAction(Button(playback, false, true));
  macro->AddAction(Button(playback, false, false));
  return macro;
}

struct TCommand {
  const char *Word;
  TActionPtr (*Create)(TVxDemoPlayback &, const TVxProperties *);
};

const TCommand Commands[] = {
    {"PAUSE", Make<TVxDemoScriptPauseAction>},
    {"MESSAGE", Make<TVxDemoScriptBalloonAction>},
    {"MOUSETO", Make<TVxDemoScriptMouseToAction>},
    {"MOUSEMOVE", Make<TVxDemoScriptMouseMoveAction>},
    {"MOUSECURVEDMOVE", Make<TVxDemoScriptMouseCurvedMoveAction>},
    {"MOUSECLICK", Click},
    {"MOUSELEFTCLICK", Click},
    {"MOUSEDRAG", Drag},
    {"MOUSEDRAGANDDROP", Drag},
    {"MOUSEDBLCLICK", DoubleClick},
    {"MOUSELEFTDBLCLICK", DoubleClick},
    {"MOUSERIGHTCLICK", RightClick},
    {"MOUSEDOWN", [](TVxDemoPlayback &p, const TVxProperties *) { return Button(p, true, true); }},
    {"MOUSELEFTDOWN",
     [](TVxDemoPlayback &p, const TVxProperties *) { return Button(p, true, true); }},
    {"MOUSEUP", [](TVxDemoPlayback &p, const TVxProperties *) { return Button(p, true, false); }},
    {"MOUSELEFTUP",
     [](TVxDemoPlayback &p, const TVxProperties *) { return Button(p, true, false); }},
    {"MOUSERIGHTDOWN",
     [](TVxDemoPlayback &p, const TVxProperties *) { return Button(p, false, true); }},
    {"MOUSERIGHTUP",
     [](TVxDemoPlayback &p, const TVxProperties *) { return Button(p, false, false); }},
    {"MOUSESPEED", Make<TVxDemoScriptMouseSpeedAction>},
};

}  // namespace

TVxDemoPlayback::TVxDemoPlayback(IVxDemoDevice &device) : FDevice(device) {}

TVxDemoPlayback::~TVxDemoPlayback() {
  FCurrentAction.reset();
  GiveBackHandlers();
}

bool TVxDemoPlayback::Start(int32_t index) {
  if (IsPlaying() || IsRecording()) return false;
  Language.Clear();
  bool cancel = false;
  if (OnStart) OnStart(cancel);
  if (cancel) return true;
  FState = TVxDemoState::Playing;
  FPauseCount = 0;
  FLineIndex = static_cast<uint32_t>(std::max(index, 0));
  FCursorPoint = FDevice.PointerPosition();
  FCurrentAction.reset();
  HandlersInstalled = true;
  FDevice.BeginPlaying();
  return true;
}

bool TVxDemoPlayback::Tick() {
  if (FState == TVxDemoState::Playing) TickPlaying();
  if (FState == TVxDemoState::Stopped) {
    GiveBackHandlers();
    FCurrentAction.reset();
  }
  return IsPlaying();
}

void TVxDemoPlayback::TickPlaying() {
  if (!FCurrentAction) NextAction();
  if (FState != TVxDemoState::Playing && FState != TVxDemoState::Paused) return;
  if (FCurrentAction) {
    FCurrentAction->Step();
    // An error inside the step stops the playback; Tick frees the action.
    if (FState == TVxDemoState::Stopped) return;
    if (FCurrentAction->IsFinished()) FCurrentAction.reset();
  }
  if (!FCurrentAction) ++FLineIndex;
}

void TVxDemoPlayback::NextAction() {
  const std::vector<std::string> &lines = Script.ScriptLines();
  if (FLineIndex >= lines.size() && Language.IsEmpty()) {
    FState = TVxDemoState::Idle;
    GiveBackHandlers();
    if (OnFinish) OnFinish();
    return;
  }
  if (Language.IsEmpty()) {
    if (!Language.Expand(lines, static_cast<int32_t>(FLineIndex))) {
      FCurrentAction = ParseLine(lines[FLineIndex]);
      return;
    }
    if (!Language.Error().empty()) {
      ReportError(Language.Error());
      if (!IsPlaying()) return;
    }
  }
  const uint32_t resume = static_cast<uint32_t>(std::max(Language.GetResumeLine(), 0));
  if (!Language.IsEmpty()) FCurrentAction = ParseLine(Language.Pop());
  FLineIndex = resume;
}

void TVxDemoPlayback::Pause() {
  if (FState == TVxDemoState::Playing) {
    if (FCurrentAction) FCurrentAction->Suspend();
    FState = TVxDemoState::Paused;
    if (OnPause) OnPause();
  }
  ++FPauseCount;
}

void TVxDemoPlayback::Resume() {
  // A Resume without its Pause would let a later Pause go unnoticed.
  if (FPauseCount > 0) --FPauseCount;
  if (FPauseCount > 0 || FState != TVxDemoState::Paused) return;
  if (OnResume) OnResume();
  if (FCurrentAction) FCurrentAction->Resume();
  FState = TVxDemoState::Playing;
}

bool TVxDemoPlayback::UserAbort() {
  if (!IsPlaying()) return false;
  Pause();
  bool stop = true;
  if (OnStopQuery) OnStopQuery(stop);
  if (stop)
    StopNow();
  else
    Resume();
  return stop;
}

void TVxDemoPlayback::ReportError(const std::string &message) {
  const std::vector<std::string> &lines = Script.ScriptLines();
  const std::string line = FLineIndex < lines.size() ? lines[FLineIndex] : std::string();
  bool stop = true;
  if (!IsPlaying()) {
    // A recorder's complaint: shown, but nothing is played that could stop.
    if (OnError) OnError(message, stop, line);
    return;
  }
  Pause();
  if (OnError) OnError(message, stop, line);
  if (stop)
    StopNow();
  else
    Resume();
}

void TVxDemoPlayback::StopNow() {
  ReleaseButtons();
  FState = TVxDemoState::Stopped;
  FPauseCount = 0;
}

void TVxDemoPlayback::ReleaseButtons() {
  if (FCurrentAction) FCurrentAction->Abort();
  if (!FLeftButtonDown) return;
  FDevice.MovePointer(FCursorPoint);
  SendButton(true, false);
  FLeftButtonDown = false;
}

void TVxDemoPlayback::GiveBackHandlers() {
  if (!HandlersInstalled) return;
  HandlersInstalled = false;
  FDevice.EndPlaying();
}

bool TVxDemoPlayback::StartRecording(int32_t index) {
  if (IsPlaying() || IsRecording()) return false;
  const auto count = static_cast<int32_t>(Script.ScriptLines().size());
  InsertIndex = index >= 0 && index < count ? index : count;
  FState = TVxDemoState::Recording;
  if (OnRecordStart) OnRecordStart();
  return true;
}

void TVxDemoPlayback::StopRecording() {
  if (!IsRecording()) return;
  if (OnRecordStop) OnRecordStop();
  FState = TVxDemoState::Stopped;
}

void TVxDemoPlayback::RecordLine(const std::string &line) {
  int32_t section = 0;
  if (!Script.FindSection("Script", section)) return;
  std::vector<std::string> &lines = Script.SectionLines(section);
  const auto at =
      std::clamp<size_t>(static_cast<size_t>(std::max(InsertIndex, 0)), 0, lines.size());
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
  InsertIndex = static_cast<int32_t>(at);
  if (OnRecordLine) OnRecordLine(InsertIndex, line);
  ++InsertIndex;
}

void TVxDemoPlayback::SetMouseSpeed(int32_t speed) {
  // Kept in 16 bits; one whose low 16 bits are 0 would divide by 0 as well.
  const auto kept = static_cast<uint16_t>(speed);
  if (kept != 0) FMouseSpeed = kept;
}

void TVxDemoPlayback::MoveCursorTo(TVxPoint point) {
  FCursorPoint = point;
  FDevice.MovePointer(point);
}

bool TVxDemoPlayback::ResolvePoint(const TVxProperties &params, TVxPoint &point) {
  bool handled = false;
  if (OnResolvePoint) OnResolvePoint(params, handled, point);
  return handled;
}

void TVxDemoPlayback::SendButton(bool left, bool down) {
  const bool primary = left != FDevice.ButtonsSwapped();
  FDevice.SendButton(primary ? TVxDemoButton::Left : TVxDemoButton::Right, down);
}

std::unique_ptr<TVxDemoScriptAction> TVxDemoPlayback::ParseLine(std::string_view line) {
  std::optional<TVxDemoLine> parsed = ::ParseLine(line);
  if (!parsed) return nullptr;
  return CreateAction(parsed->Word, parsed->Arguments.get());
}

std::unique_ptr<TVxDemoScriptAction> TVxDemoPlayback::CreateAction(const std::string &word,
                                                                   const TVxProperties *params) {
  for (const TCommand &command : Commands)
    if (word == command.Word) return command.Create(*this, params);
  return std::make_unique<TVxDemoScriptUserAction>(*this, word, params);
}

std::u16string TVxDemoPlayback::LocalizedValue(std::string_view key) const {
  return Script.GetLocalizedValue(key, Localizer());
}
