// Any byte string read as a demonstration script is taken apart, its
// directives expanded and every line parsed, the way a playback walks it,
// without a crash, a hang or a read outside the text.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "demo/VxDemoLanguage.h"
#include "demo/VxDemoLine.h"
#include "demo/VxDemoScript.h"
#include "settings/VxLocalizer.h"

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
  return 0;
}
