#include "demo/VxDemoActions.h"

#include <charconv>
#include <cmath>
#include <numbers>
#include <variant>

#include "demo/VxDemoPlayback.h"
#include "demo/VxDemoScript.h"
#include "settings/VxUnicode.h"

namespace {

bool IsNumber(const TVxVariant &value) {
  return std::holds_alternative<int32_t>(value) || std::holds_alternative<double>(value);
}

double NumberOf(const TVxVariant &value) {
  if (const auto *integer = std::get_if<int32_t>(&value)) return *integer;
  return std::get<double>(value);
}

int32_t IntegerOf(const TVxVariant &value) {
  const double number = NumberOf(value);
  if (!std::isfinite(number)) return 0;
  return static_cast<int32_t>(RoundHalfEven(std::clamp(number, -2147483648.0, 2147483647.0)));
}

// Seconds as milliseconds. A negative time wraps like the unsigned count it
// is kept in (Pause -1 waits until a stop); times beyond its range saturate.
uint32_t Milliseconds(const TVxVariant &value) {
  const double ms = NumberOf(value) * 1000.0;
  if (std::isnan(ms)) return 0;
  constexpr double range = 4294967296.0;
  const double clamped = std::clamp(ms, -range + 1.0, range - 1.0);
  return static_cast<uint32_t>(static_cast<int64_t>(RoundHalfEven(clamped)) & 0xFFFFFFFF);
}

std::u16string TextOf(const TVxVariant &value) {
  if (const auto *text = std::get_if<std::string>(&value)) return ScriptLineText(*text);
  if (const auto *integer = std::get_if<int32_t>(&value))
    return Utf8ToUtf16(std::to_string(*integer));
  if (const auto *real = std::get_if<double>(&value)) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, *real);
    return Utf8ToUtf16(std::string(buffer, result.ptr));
  }
  return {};
}

// The eased share of a move at time share t: slow at both ends.
double Eased(double t) { return t < 0.5 ? 2 * t * t : 1 - 2 * (1 - t) * (1 - t); }

}  // namespace

TVxDemoScriptAction::TVxDemoScriptAction(TVxDemoPlayback &playback, const TVxProperties *params)
    : Playback(playback) {
  if (params) FParams.Assign(*params);
}

TVxDemoScriptAction::~TVxDemoScriptAction() = default;

void TVxDemoScriptAction::Step() {
  if (Started) return;
  Started = true;
  Start();
}

TVxPoint TVxDemoScriptAction::TargetPoint() {
  if (FParams.Count() == 0) return Playback.CursorPoint();
  const TVxVariant x = FParams.GetVariant(0), y = FParams.GetVariant(1);
  if (IsNumber(x) && IsNumber(y)) return {IntegerOf(x), IntegerOf(y)};
  TVxPoint point;
  if (Playback.ResolvePoint(FParams, point)) return point;
  Playback.ReportError("Invalid arguments.");
  return Playback.CursorPoint();
}

void TVxDemoScriptPauseAction::Start() {
  Duration = 1000;
  if (const TVxVariant seconds = FParams.GetVariant(0); IsNumber(seconds))
    Duration = Milliseconds(seconds);
  Elapsed = 0;
  LastTick = Playback.Device().TickCount();
}

void TVxDemoScriptPauseAction::Step() {
  TVxDemoScriptAction::Step();
  if (IsFinished()) return;
  const uint32_t now = Playback.Device().TickCount();
  const uint32_t passed = now - LastTick;
  // Elapsed saturates instead of wrapping past a duration near the top.
  Elapsed = passed > UINT32_MAX - Elapsed ? UINT32_MAX : Elapsed + passed;
  LastTick = now;
  // During a pause the pointer cannot wander.
  Playback.Device().MovePointer(Playback.CursorPoint());
}

void TVxDemoScriptPauseAction::Resume() { LastTick = Playback.Device().TickCount(); }

TVxDemoScriptBalloonAction::~TVxDemoScriptBalloonAction() {
  IVxDemoDevice &device = Playback.Device();
  if (Shown) {
    device.EnableTooltips(true);
    device.HideBalloon();
  }
  if (CursorHidden) device.ShowPointer(true);
}

void TVxDemoScriptBalloonAction::Start() {
  Duration = 3000;
  FCorner = 0;
  if (FParams.Count() > 0) {
    FText = TextOf(FParams.GetVariant(0));
    if (FText.size() > 1 && FText.front() == u'%') {
      FText = Playback.LocalizedValue(Utf16ToUtf8(std::u16string_view(FText).substr(1)));
    } else if (FText.size() > 1 && FText.front() == u'&') {
      // "&" and a number is that language string; any other "&" text is shown as written.
      const std::string digits = Utf16ToUtf8(std::u16string_view(FText).substr(1));
      int32_t number = 0;
      const char *end = digits.data() + digits.size();
      const auto [stop, error] = std::from_chars(digits.data(), end, number);
      if (error == std::errc() && stop == end) FText = Playback.Device().LanguageString(number);
    }
  }
  if (const TVxVariant seconds = FParams.GetVariant(1); IsNumber(seconds))
    Duration = Milliseconds(seconds);
  if (const TVxVariant corner = FParams.GetVariant(2); IsNumber(corner)) {
    const double value = NumberOf(corner);
    if (value > 0 && value <= 4) FCorner = IntegerOf(corner);
  }
  Position = Playback.CursorPoint();
  if (FText.empty()) {
    Elapsed = Duration;
    return;
  }
  Show();
  Elapsed = 0;
  LastTick = Playback.Device().TickCount();
}

void TVxDemoScriptBalloonAction::Show() {
  IVxDemoDevice &device = Playback.Device();
  device.EnableTooltips(false);
  device.ShowBalloon(Position, FCorner, FText);
  device.ShowPointer(false);
  CursorHidden = true;
  Shown = true;
}

void TVxDemoScriptBalloonAction::Suspend() {
  if (!Shown) return;
  IVxDemoDevice &device = Playback.Device();
  device.EnableTooltips(true);
  device.HideBalloon();
  device.ShowPointer(true);
  CursorHidden = false;
  Shown = false;
}

void TVxDemoScriptBalloonAction::Resume() {
  TVxDemoScriptPauseAction::Resume();
  if (!IsStarted() || FText.empty() || IsFinished()) return;
  Show();
}

void TVxDemoScriptMouseToAction::Step() {
  TVxDemoScriptAction::Step();
  Playback.MoveCursorTo(Target);
}

void TVxDemoScriptMouseSpeedAction::Start() {
  if (const TVxVariant speed = FParams.GetVariant(0); IsNumber(speed))
    Playback.SetMouseSpeed(IntegerOf(speed));
}

void TVxDemoScriptMouseMoveAction::Start() {
  StartPoint = Playback.CursorPoint();
  Target = TargetPoint();
  DX = static_cast<double>(Target.X) - StartPoint.X;
  DY = static_cast<double>(Target.Y) - StartPoint.Y;
  const double distance = std::sqrt(DX * DX + DY * DY);
  Finished = distance == 0;
  if (Finished) return;
  LastTick = Playback.Device().TickCount();
  Elapsed = 0;
  Duration = static_cast<uint32_t>(RoundHalfEven(distance * 20 / Playback.MouseSpeed()));
}

void TVxDemoScriptMouseMoveAction::Step() {
  TVxDemoScriptAction::Step();
  TVxPoint next = Target;
  if (!Finished) {
    const uint32_t dt = Playback.Device().TickCount() - LastTick;
    const double t =
        Duration == 0 ? 1.0 : (static_cast<double>(Elapsed) + dt) / static_cast<double>(Duration);
    if (t >= 1) {
      Finished = true;
    } else {
      const double f = Eased(t);
      double offX = 0, offY = 0;
      if (Curve != 0 && DX != 0 && DY != 0) {
        const double length = std::sqrt(DX * DX + DY * DY);
        const double bow = std::min(std::abs(DX), std::abs(DY)) / Curve;
        const double s = std::sin(std::numbers::pi * f);
        offX = s * DY * bow / length;
        offY = s * DX * bow / length;
      }
      next = {StartPoint.X + static_cast<int32_t>(RoundHalfEven(DX * f + offX)),
              StartPoint.Y + static_cast<int32_t>(RoundHalfEven(DY * f + offY))};
    }
    Elapsed += dt;
    LastTick += dt;
  }
  Playback.MoveCursorTo(next);
}

void TVxDemoScriptMouseMoveAction::Resume() { LastTick = Playback.Device().TickCount(); }

void TVxDemoScriptMouseCurvedMoveAction::Start() {
  TVxDemoScriptMouseMoveAction::Start();
  Curve = 3;
}

void TVxDemoScriptButtonAction::Step() {
  TVxDemoScriptAction::Step();
  Playback.SendButton(Left, Down);
  if (Left) Playback.SetLeftButtonDown(Down);
}

TVxDemoScriptMacroAction::~TVxDemoScriptMacroAction() = default;

void TVxDemoScriptMacroAction::AddAction(std::unique_ptr<TVxDemoScriptAction> action) {
  if (action) Actions.push_back(std::move(action));
}

void TVxDemoScriptMacroAction::Step() {
  TVxDemoScriptAction::Step();
  if (IsFinished()) return;
  TVxDemoScriptAction &current = *Actions[CurrentIndex];
  current.Step();
  if (current.IsFinished()) ++CurrentIndex;
}

void TVxDemoScriptMacroAction::Resume() {
  if (!IsFinished()) Actions[CurrentIndex]->Resume();
}

TVxDemoScriptUserAction::TVxDemoScriptUserAction(TVxDemoPlayback &playback, std::string name,
                                                 const TVxProperties *params)
    : TVxDemoScriptMacroAction(playback, params), FName(std::move(name)) {}

void TVxDemoScriptUserAction::Start() {
  bool handled = false;
  if (Playback.OnCommand) Playback.OnCommand(FName, handled, *this, FParams);
  if (!handled) Playback.ReportError("Unknown command: \"" + FName + "\"");
}
