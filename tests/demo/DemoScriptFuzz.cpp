// Any byte string read as a demonstration script is taken apart, its
// directives expanded and every line parsed, the way a playback walks it,
// without a crash, a hang or a read outside the text; then a playback plays
// it on a fake machine whose clock runs a second per tick, every command
// handled and every name resolved, for a bounded number of ticks.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "demo/VxDemoActions.h"
#include "demo/VxDemoLanguage.h"
#include "demo/VxDemoLine.h"
#include "demo/VxDemoPlayback.h"
#include "demo/VxDemoScript.h"
#include "settings/VxLocalizer.h"

namespace {

class TFastMachine : public IVxDemoDevice {
 public:
  uint32_t TickCount() override { return Now; }
  TVxPoint PointerPosition() override { return Pointer; }
  void MovePointer(TVxPoint screen) override { Pointer = screen; }
  void SendButton(TVxDemoButton, bool) override {}
  void ShowPointer(bool) override {}
  void EnableTooltips(bool) override {}
  void ShowBalloon(TVxPoint, int32_t, const std::u16string &) override {}
  void HideBalloon() override {}
  std::u16string LanguageString(int32_t) override { return u"text"; }

  uint32_t Now = 0;
  TVxPoint Pointer;
};

void Play(const TVxDemoScript &script) {
  TFastMachine machine;
  TVxDemoPlayback playback(machine);
  playback.AssignScript(script);
  playback.OnResolvePoint = [](const TVxProperties &, bool &handled, TVxPoint &point) {
    handled = true;
    point = {10, 20};
  };
  playback.OnCommand = [&](const std::string &, bool &handled, TVxDemoScriptAction &action,
                           const TVxProperties &) {
    handled = true;
    static_cast<TVxDemoScriptMacroAction &>(action).AddAction(playback.ParseLine("Pause 0.5"));
  };
  // A third of the errors are taken back, so playing goes on after them.
  int errors = 0;
  playback.OnError = [&](const std::string &, bool &stop, const std::string &) {
    stop = ++errors % 3 != 0;
  };
  if (!playback.Start(0)) std::abort();
  for (int tick = 0; tick < 20000 && playback.Tick(); ++tick) {
    machine.Now += 1000;
    if (tick % 97 == 0) playback.Pause();
    if (tick % 97 == 1) playback.Resume();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), data ? size : 0);
  TVxDemoScript script;
  script.LoadFromStrings(TVxDemoScript::SplitLines(text));
  // No language files: the current and the default language are both 0.
  static const TVxLocalizer localizer({}, 1033);
  script.GetTitle(localizer);
  script.GetLocalizedValue("Hint", localizer);
  const std::vector<std::string> &lines = script.ScriptLines();
  TVxDemoLanguage language;
  for (int32_t index = 0; index < static_cast<int32_t>(lines.size());) {
    if (!language.Expand(lines, index)) {
      ParseLine(lines[static_cast<size_t>(index)]);
      ++index;
      continue;
    }
    while (!language.IsEmpty()) ParseLine(language.Pop());
    // The playback goes on after the line it resumes at; going back would
    // never end.
    if (language.GetResumeLine() < index) std::abort();
    index = language.GetResumeLine() + 1;
  }
  Play(script);
  return 0;
}
