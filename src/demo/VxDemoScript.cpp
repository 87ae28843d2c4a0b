#include "demo/VxDemoScript.h"

#include <cerrno>
#include <charconv>
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/FileReplace.h"
#include "platform/Locale.h"
#include "settings/VxLocalizer.h"
#include "settings/VxUnicode.h"

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
  return text;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

// name=value with the blanks on both sides of the first "=" removed.
std::string WithoutBlanksAroundEquals(std::string_view line) {
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::string(line);
  std::string_view name = line.substr(0, equals);
  std::string_view value = line.substr(equals + 1);
  while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
  while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
  return std::string(name) + "=" + std::string(value);
}

// The value of key among name=value lines; nothing when no line has the key.
std::optional<std::string> ValueOf(const std::vector<std::string> &lines, std::string_view key) {
  for (const std::string &line : lines) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos && SameText(std::string_view(line).substr(0, equals), key))
      return line.substr(equals + 1);
  }
  return std::nullopt;
}

std::u16string FromCodePage(std::string_view bytes, uint32_t codePage) {
  std::optional<std::string> utf8 = platform::CodePageToUtf8(bytes, codePage);
  // Every system knows the Western code page; it maps every byte.
  if (!utf8) utf8 = platform::CodePageToUtf8(bytes, 1252);
  return Utf8ToUtf16(utf8 ? *utf8 : std::string());
}

}  // namespace

std::u16string ScriptLineText(std::string_view bytes) {
  return FromCodePage(bytes, AnsiCodePageOfLanguage(platform::UserDefaultLanguage()));
}

uint32_t AnsiCodePageOfLanguage(uint16_t languageId) {
  const int primary = languageId & 0x3FF;
  const int sub = languageId >> 10;
  switch (primary) {
    case 0x05:
    case 0x0E:
    case 0x15:
    case 0x18:
    case 0x1A:
    case 0x1B:
    case 0x1C:
    case 0x24:
      return 1250;
    case 0x02:
    case 0x19:
    case 0x22:
    case 0x23:
    case 0x2F:
    case 0x3F:
      return 1251;
    case 0x08:
      return 1253;
    case 0x1F:
    case 0x2C:
      return 1254;
    case 0x0D:
      return 1255;
    case 0x01:
    case 0x20:
    case 0x29:
      return 1256;
    case 0x25:
    case 0x26:
    case 0x27:
      return 1257;
    case 0x2A:
      return 1258;
    case 0x1E:
      return 874;
    case 0x11:
      return 932;
    case 0x12:
      return 949;
    case 0x04:
      return sub == 2 || sub == 4 ? 936 : 950;
    default:
      return 1252;
  }
}

std::error_code TVxDemoScript::LoadFromFile(const std::filesystem::path &name) {
  FileName = name;
  errno = 0;
  std::ifstream stream(name, std::ios::binary);
  if (!stream) return std::error_code(errno != 0 ? errno : EIO, std::generic_category());
  if (std::filesystem::is_directory(name)) return std::make_error_code(std::errc::is_a_directory);
  LoadFromStream(stream);
  if (stream.bad()) return std::make_error_code(std::errc::io_error);
  return {};
}

void TVxDemoScript::LoadFromStream(std::istream &stream) {
  const std::string text((std::istreambuf_iterator<char>(stream)),
                         std::istreambuf_iterator<char>());
  LoadFromStrings(SplitLines(text));
}

std::vector<std::string> TVxDemoScript::SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

void TVxDemoScript::LoadFromStrings(const std::vector<std::string> &lines) {
  Clear();
  Utf8 = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    if (i == 0 && line.starts_with(ByteOrderMark)) {
      line.remove_prefix(ByteOrderMark.size());
      Utf8 = true;
    }
    line = Trimmed(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      AddSection(Trimmed(line.substr(1, line.size() - 2)));
    } else if (!Sections.empty()) {
      Sections.back().Lines.push_back(WithoutBlanksAroundEquals(line));
    }
  }
  EnsureSections();
}

std::error_code TVxDemoScript::SaveToFile(const std::filesystem::path &name) const {
  std::string text;
  for (const TSection &section : Sections) {
    text += "[" + section.Name + "]\r\n";
    for (const std::string &line : section.Lines) text += line + "\r\n";
  }
  return platform::ReplaceFile(name, text.data(), text.size());
}

void TVxDemoScript::Assign(const TVxDemoScript &source) {
  if (&source == this) return;
  Clear();
  Sections = source.Sections;
  EnsureSections();
  Utf8 = source.Utf8;
}

void TVxDemoScript::Clear() {
  Sections.clear();
  ScriptIndex = -1;
}

void TVxDemoScript::New() {
  Clear();
  EnsureSections();
}

void TVxDemoScript::EnsureSections() {
  int32_t index = 0;
  if (!FindSection("Info", index)) AddSection("Info");
  ScriptIndex = FindSection("Script", index) ? index : AddSection("Script");
}

bool TVxDemoScript::FindSection(std::string_view name, int32_t &index) const {
  for (size_t i = 0; i < Sections.size(); ++i) {
    if (SameText(Sections[i].Name, name)) {
      index = static_cast<int32_t>(i);
      return true;
    }
  }
  return false;
}

const std::string &TVxDemoScript::SectionName(int32_t index) const {
  return Sections.at(static_cast<size_t>(index)).Name;
}

std::vector<std::string> &TVxDemoScript::SectionLines(int32_t index) {
  return Sections.at(static_cast<size_t>(index)).Lines;
}

const std::vector<std::string> &TVxDemoScript::SectionLines(int32_t index) const {
  return Sections.at(static_cast<size_t>(index)).Lines;
}

int32_t TVxDemoScript::AddSection(std::string_view name) {
  Sections.push_back({std::string(name), {}});
  return static_cast<int32_t>(Sections.size()) - 1;
}

void TVxDemoScript::DeleteSection(int32_t index) {
  if (index < 0 || index >= SectionCount()) return;
  Sections.erase(Sections.begin() + index);
  if (ScriptIndex == index)
    ScriptIndex = -1;
  else if (ScriptIndex > index)
    --ScriptIndex;
}

const std::vector<std::string> &TVxDemoScript::ScriptLines() const {
  static const std::vector<std::string> none;
  return ScriptIndex < 0 ? none : SectionLines(ScriptIndex);
}

std::string TVxDemoScript::GetInfoValue(std::string_view key) const {
  int32_t index = 0;
  if (!FindSection("Info", index)) return {};
  return ValueOf(SectionLines(index), key).value_or(std::string());
}

std::u16string TVxDemoScript::GetLocalizedValue(std::string_view key,
                                                const TVxLocalizer &localizer) const {
  int32_t index = 0;
  if (!FindSection(std::to_string(localizer.CurrentLanguage()), index) &&
      !FindSection(std::to_string(localizer.DefaultLanguage()), index))
    return {};
  const std::optional<std::string> value = ValueOf(SectionLines(index), key);
  if (!value) return {};
  if (Utf8) return Utf8ToUtf16(*value);
  return FromCodePage(*value, AnsiCodePageOfLanguage(localizer.CurrentLanguage()));
}

std::u16string TVxDemoScript::GetTitle(const TVxLocalizer &localizer) const {
  std::u16string title = GetLocalizedValue("Title", localizer);
  if (title.empty())
    title = FromCodePage(GetInfoValue("Title"),
                         AnsiCodePageOfLanguage(platform::UserDefaultLanguage()));
  if (title.empty()) return FileName.stem().u16string();
  if (title.size() < 2 || title.front() != u'&') return title;
  // "&" and a number; anything else after the "&" is a title of its own.
  const std::string digits = Utf16ToUtf8(std::u16string_view(title).substr(1));
  int32_t number = 0;
  const char *end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, number);
  if (error != std::errc() || stop != end) return title;
  const std::u16string text = localizer.LocalizedString(number);
  return text.empty() ? title : text;
}
