#include "demo/VxDemoLanguage.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace {

// More passes than any tutorial needs; a larger loop is a typing error that
// would otherwise queue lines until memory runs out.
constexpr int64_t MaxPasses = 10000;

bool IsBlank(char c) { return c == '\t' || c == ' '; }

std::string UpperAscii(std::string_view text) {
  std::string result(text);
  for (char &c : result)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return result;
}

std::string FirstWordUpper(std::string_view line) {
  std::string text(line);
  return UpperAscii(TVxDemoLanguage::NextToken(text));
}

// An optionally signed decimal integer of 32 bits, nothing else.
bool ParseInteger(std::string_view word, int64_t &value) {
  if (word.size() > 1 && word.front() == '+' && word[1] != '-' && word[1] != '+')
    word.remove_prefix(1);
  int32_t parsed = 0;
  const char *end = word.data() + word.size();
  const auto [stop, error] = std::from_chars(word.data(), end, parsed);
  if (word.empty() || error != std::errc() || stop != end) return false;
  value = parsed;
  return true;
}

// Every occurrence of placeholder in any letter case replaced by value.
std::string Substituted(std::string_view line, std::string_view placeholder,
                        std::string_view value) {
  const std::string upperLine = UpperAscii(line);
  std::string result;
  size_t from = 0;
  for (size_t at = upperLine.find(placeholder); at != std::string::npos;
       at = upperLine.find(placeholder, from)) {
    result.append(line.substr(from, at - from));
    result.append(value);
    from = at + placeholder.size();
  }
  result.append(line.substr(from));
  return result;
}

}  // namespace

std::string TVxDemoLanguage::NextToken(std::string &text) {
  size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  size_t end = start;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  std::string word = text.substr(start, end - start);
  while (end < text.size() && IsBlank(text[end])) ++end;
  text.erase(0, end);
  return word;
}

void TVxDemoLanguage::FindBlockEnd(int32_t start, const std::vector<std::string> &lines,
                                   std::string_view word) {
  const std::string wanted = UpperAscii(word);
  const auto count = static_cast<int32_t>(lines.size());
  for (int32_t i = start < 0 ? 0 : start; i < count; ++i) {
    if (FirstWordUpper(lines[static_cast<size_t>(i)]) == wanted) {
      ResumeLine = i;
      return;
    }
  }
  ResumeLine = count;
}

bool TVxDemoLanguage::Expand(const std::vector<std::string> &lines, int32_t index) {
  ResumeLine = index;
  LastError.clear();
  if (index < 0 || static_cast<size_t>(index) >= lines.size()) return false;
  std::string text = lines[static_cast<size_t>(index)];
  const std::string directive = UpperAscii(NextToken(text));
  if (directive == "#TO") {
    GoTo(text, "");
  } else if (directive == "#TOIMAGE") {
    GoTo(text, "Image, ");
  } else if (directive == "#START") {
    Append("MouseSpeed 5");
    Append("MouseTo Image, 0, 0");
    GoTo(text, "Image, ");
  } else if (directive == "#USE") {
    Use(text, false);
  } else if (directive == "#SET") {
    Use(text, true);
  } else if (directive == "#FINISH") {
    Finish();
  } else if (directive == "#FOR") {
    For(text);
  } else if (directive == "#EACH") {
    Each(text);
  } else if (directive == "#DOFOR") {
    DoFor(text, lines, index);
  } else if (directive == "#DOEACH") {
    DoEach(text, lines, index);
  } else {
    return false;
  }
  return true;
}

std::string TVxDemoLanguage::Pop() {
  if (Output.empty()) return {};
  std::string line = std::move(Output.front());
  Output.pop_front();
  return line;
}

void TVxDemoLanguage::Clear() { Output.clear(); }

void TVxDemoLanguage::Messages(std::string text) {
  while (!text.empty()) Message1(NextToken(text));
}

void TVxDemoLanguage::Message1(const std::string &word) {
  if (word.empty()) return;
  Append("Message " + word);
  Append("Pause 0.5");
}

void TVxDemoLanguage::GoTo(std::string text, std::string_view prefix) {
  const std::string control = NextToken(text);
  Append("Pause 0.5");
  Append("MouseCurvedMove " + std::string(prefix) + control);
  Append("Pause 0.5");
  Messages(std::move(text));
}

void TVxDemoLanguage::Use(std::string text, bool withValue) {
  const std::string control = NextToken(text);
  const std::string value = withValue ? NextToken(text) : std::string();
  const std::string message = NextToken(text);
  GoTo(control, "");
  Message1(message);
  Append(withValue ? control + " " + value : control);
  Append("Pause 0.5");
  Messages(std::move(text));
}

void TVxDemoLanguage::Finish() {
  for (const char *line : {"MouseSpeed 5", "MouseCurvedMove OriginalImageButton", "MouseDown",
                           "Message &392", "MouseUp", "Message &393"})
    Append(line);
  for (int pass = 0; pass < 3; ++pass)
    for (const char *line : {"MouseDown", "Pause 0.5", "MouseUp", "Pause 0.5"}) Append(line);
}

bool TVxDemoLanguage::Counter(std::string &text, std::vector<int64_t> &values) {
  const std::string fromWord = NextToken(text);
  const std::string toWord = NextToken(text);
  const std::string stepWord = NextToken(text);
  int64_t from = 0, to = 0, step = 1;
  if (!ParseInteger(fromWord, from) || !ParseInteger(toWord, to) ||
      (!stepWord.empty() && !ParseInteger(stepWord, step))) {
    LastError = "The loop's from, to and step must be whole numbers.";
    return false;
  }
  if (step == 0) {
    LastError = "The loop's step must not be 0.";
    return false;
  }
  const bool down = from > to;
  if (down == (step > 0)) step = -step;
  const int64_t passes = (down ? from - to : to - from) / (down ? -step : step) + 1;
  if (passes > MaxPasses) {
    LastError = "The loop has more than " + std::to_string(MaxPasses) + " passes.";
    return false;
  }
  for (int64_t v = from; down ? v >= to : v <= to; v += step) values.push_back(v);
  return true;
}

void TVxDemoLanguage::For(std::string text) {
  const std::string pause = NextToken(text);
  const std::string command = NextToken(text);
  std::vector<int64_t> values;
  if (!Counter(text, values)) return;
  for (int64_t v : values) {
    Append("Pause " + pause);
    Append(command + " " + std::to_string(v));
  }
}

void TVxDemoLanguage::Each(std::string text) {
  const std::string pause = NextToken(text);
  std::string command = NextToken(text);
  const std::string upper = UpperAscii(command);
  if (upper == "MOUSEMOVE" || upper == "MOUSECURVEDMOVE") command += " Image,";
  while (!text.empty()) {
    const std::string item = NextToken(text);
    Append("Pause " + pause);
    Append(command + " " + item);
  }
}

std::vector<std::string> TVxDemoLanguage::Body(const std::vector<std::string> &lines,
                                               int32_t index) {
  FindBlockEnd(index + 1, lines, "#OD");
  if (static_cast<size_t>(ResumeLine) >= lines.size())
    LastError = "The block has no #OD line; it runs to the end of the script.";
  const auto first = static_cast<size_t>(index) + 1;
  const auto end = static_cast<size_t>(ResumeLine);
  return first < end ? std::vector<std::string>(lines.begin() + static_cast<ptrdiff_t>(first),
                                                lines.begin() + static_cast<ptrdiff_t>(end))
                     : std::vector<std::string>();
}

void TVxDemoLanguage::EmitBody(const std::vector<std::string> &body, std::string_view placeholder,
                               std::string_view value) {
  for (const std::string &line : body) Append(Substituted(line, placeholder, value));
}

void TVxDemoLanguage::DoFor(std::string text, const std::vector<std::string> &lines,
                            int32_t index) {
  std::vector<int64_t> values;
  if (!Counter(text, values)) {
    // The block is skipped as a whole rather than played as plain lines.
    FindBlockEnd(index + 1, lines, "#OD");
    return;
  }
  const std::vector<std::string> body = Body(lines, index);
  // Without a terminator the rest of the script is the body, played once.
  const bool terminated = static_cast<size_t>(ResumeLine) < lines.size();
  for (int64_t v : values) {
    EmitBody(body, "#FOR", std::to_string(v));
    if (!terminated) break;
  }
}

void TVxDemoLanguage::DoEach(std::string text, const std::vector<std::string> &lines,
                             int32_t index) {
  const std::vector<std::string> body = Body(lines, index);
  const bool terminated = static_cast<size_t>(ResumeLine) < lines.size();
  while (!text.empty()) {
    EmitBody(body, "#EACH", NextToken(text));
    if (!terminated) break;
  }
}
