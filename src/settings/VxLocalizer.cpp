#include "settings/VxLocalizer.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/Locale.h"
#include "platform/ProgramPath.h"
#include "settings/VxUnicode.h"

namespace fs = std::filesystem;

namespace {

// Language files are a few hundred kilobytes at most; anything far bigger is
// not one and is treated as unreadable rather than read into memory.
constexpr uintmax_t MaxLanguageFileSize = 16u << 20;

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

std::string FoldCase(std::string_view text) {
  std::string out(text);
  for (char &c : out) c = LowerAscii(c);
  return out;
}

// A whole decimal number, optionally signed, and nothing else.
bool ParseWholeNumber(std::string_view text, int32_t &value) {
  // from_chars takes a minus sign but no plus sign.
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() == '-') return false;
  }
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

std::vector<std::string> SplitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') continue;
    lines.emplace_back(bytes.substr(start, i - start));
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
  return lines;
}

// The value of the first "CodePage" line, when it is a non-zero number.
int32_t DeclaredCodePage(const std::vector<std::string> &lines) {
  for (const std::string &line : lines) {
    const std::string_view text = Trim(line);
    const size_t equals = text.find('=');
    if (text.empty() || text.front() == '[' || equals == std::string_view::npos) continue;
    if (!SameText(Trim(text.substr(0, equals)), "CodePage")) continue;
    int32_t codePage = 0;
    return ParseWholeNumber(Trim(text.substr(equals + 1)), codePage) ? codePage : 0;
  }
  return 0;
}

void NormaliseEncoding(std::vector<std::string> &lines) {
  if (lines.empty()) return;
  if (lines.front().starts_with(Utf8Bom)) {
    lines.front().erase(0, Utf8Bom.size());
    return;
  }
  const int32_t codePage = DeclaredCodePage(lines);
  if (codePage <= 0) return;
  for (std::string &line : lines) {
    auto converted = platform::CodePageToUtf8(line, static_cast<uint32_t>(codePage));
    if (!converted) return;  // a code page the system does not know: bytes as they are
    line = std::move(*converted);
  }
}

}  // namespace

// --- TVxLanguageFile ----------------------------------------------------------

TVxLanguageFile::TVxLanguageFile(const fs::path &fileName) {
  std::error_code error;
  const uintmax_t size = fs::file_size(fileName, error);
  if (error || size > MaxLanguageFileSize) return;
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Parse(SplitLines(bytes));
}

TVxLanguageFile::TVxLanguageFile(std::vector<std::string> lines) { Parse(std::move(lines)); }

TVxLanguageFile TVxLanguageFile::FromBytes(std::string_view bytes) {
  TVxLanguageFile file;
  file.Parse(SplitLines(bytes));
  return file;
}

void TVxLanguageFile::Parse(std::vector<std::string> lines) {
  NormaliseEncoding(lines);
  TSection *section = nullptr;
  for (const std::string &line : lines) {
    const std::string_view text = Trim(line);
    if (text.empty() || text.front() == ';') continue;
    if (text.front() == '[' && text.back() == ']' && text.size() >= 2) {
      const std::string_view name = Trim(text.substr(1, text.size() - 2));
      const auto [entry, added] = SectionIndex.try_emplace(FoldCase(name), Sections.size());
      if (added) Sections.push_back(TSection{std::string(name), {}});
      section = &Sections[entry->second];
      continue;
    }
    const size_t equals = text.find('=');
    if (!section || equals == std::string_view::npos) continue;
    section->Lines.emplace_back(Trim(text.substr(0, equals)), Trim(text.substr(equals + 1)));
  }
}

const TVxLanguageFile::TSection *TVxLanguageFile::FindSection(std::string_view name) const {
  const auto entry = SectionIndex.find(FoldCase(name));
  return entry == SectionIndex.end() ? nullptr : &Sections[entry->second];
}

std::string TVxLanguageFile::ReadString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue) const {
  for (const TLine &line : SectionLines(section))
    if (SameText(line.first, key)) return line.second;
  return std::string(defaultValue);
}

int32_t TVxLanguageFile::ReadInteger(std::string_view section, std::string_view key,
                                     int32_t defaultValue) const {
  int32_t value = 0;
  return ParseWholeNumber(ReadString(section, key), value) ? value : defaultValue;
}

bool TVxLanguageFile::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

const std::vector<TVxLanguageFile::TLine> &TVxLanguageFile::SectionLines(
    std::string_view section) const {
  static const std::vector<TLine> none;
  const TSection *found = FindSection(section);
  return found ? found->Lines : none;
}

// --- TVxLocalStringList -------------------------------------------------------

void TVxLocalStringList::SetText(int32_t number, std::string text) {
  const auto [position, added] = Positions.try_emplace(number, Entries.size());
  if (!added) {
    Entries[position->second].second = std::move(text);
    return;
  }
  Entries.emplace_back(number, std::move(text));
  IsSorted = false;
}

const std::string *TVxLocalStringList::Find(int32_t number) const {
  if (IsSorted) {
    const auto it = std::lower_bound(Entries.begin(), Entries.end(), number,
                                     [](const auto &entry, int32_t n) { return entry.first < n; });
    return it != Entries.end() && it->first == number ? &it->second : nullptr;
  }
  for (const auto &entry : Entries)
    if (entry.first == number) return &entry.second;
  return nullptr;
}

void TVxLocalStringList::Sort() {
  std::stable_sort(Entries.begin(), Entries.end(),
                   [](const auto &a, const auto &b) { return a.first < b.first; });
  for (size_t i = 0; i < Entries.size(); ++i) Positions[Entries[i].first] = i;
  IsSorted = true;
}

void TVxLocalStringList::Clear() {
  Entries.clear();
  Positions.clear();
  IsSorted = false;
}

void LoadStrings(const TVxLanguageFile &file, TVxLocalStringList &table) {
  table.Clear();
  for (const auto &[name, value] : file.SectionLines("Strings")) {
    int32_t number = 0;
    if (ParseWholeNumber(name, number)) table.SetText(number, value);
  }
  table.Sort();
}

// --- TVxLocalizer -------------------------------------------------------------

namespace {

std::vector<fs::path> LanguageFilesIn(const fs::path &folder) {
  std::vector<fs::path> files;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (SameText(it->path().extension().string(), ".ini") && it->is_regular_file(error))
      files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

TVxLocalizer::TVxLocalizer(const std::vector<fs::path> &folders, uint16_t userLanguage) {
  for (const fs::path &folder : folders) {
    for (const fs::path &path : LanguageFilesIn(folder)) {
      const TVxLanguageFile file(path);
      const int32_t id = file.ReadInteger("Language", "LangId", 0);
      if (id <= 0 || id > 0xFFFF) continue;
      Languages.push_back(
          {Utf8ToUtf16(file.ReadString("Language", "Language")), static_cast<uint16_t>(id), path});
    }
  }
  const TVxLanguage *chosen = FindLanguage(userLanguage);
  if (!chosen) chosen = FindLanguage(1033);
  if (!chosen && !Languages.empty()) chosen = &Languages.front();
  if (chosen) {
    LoadStrings(TVxLanguageFile(chosen->Path), DefaultStrings);
    DefaultId = chosen->Id;
  }
  CurrentId = DefaultId;
}

std::vector<fs::path> TVxLocalizer::LanguageFolders(const fs::path &programFolder) {
  std::error_code error;
  std::vector<fs::path> folders;
  const fs::path beside = programFolder / "Languages";
  folders.push_back(fs::is_directory(beside, error)
                        ? beside
                        : programFolder / ".." / "Translations" / "Languages");
  const fs::path installed = programFolder / ".." / "share" / "velora" / "Languages";
  if (!fs::equivalent(installed, folders.front(), error)) folders.push_back(installed);
  return folders;
}

const TVxLanguage *TVxLocalizer::FindLanguage(uint16_t id) const {
  for (const TVxLanguage &language : Languages)
    if (language.Id == id) return &language;
  return nullptr;
}

std::u16string TVxLocalizer::LocalizedString(int32_t number,
                                             std::u16string_view defaultText) const {
  const std::string *text = CurrentStrings.Find(number);
  if (!text) text = DefaultStrings.Find(number);
  return text ? Utf8ToUtf16(*text) : std::u16string(defaultText);
}

void TVxLocalizer::SetLanguage(uint16_t id) {
  const TVxLanguage *language = FindLanguage(id);
  if (!language) return;
  CurrentId = id;
  if (id == DefaultId)
    CurrentStrings.Clear();
  else
    LoadStrings(TVxLanguageFile(language->Path), CurrentStrings);
  Subscribers.CallAll();
}

bool TVxLocalizer::GetLanguageName(uint16_t id, std::u16string &name) const {
  const TVxLanguage *language = FindLanguage(id);
  if (language) name = language->Name;
  return language != nullptr;
}

void TVxLocalizer::SubscribeLocalize(const TVxMethod &method) {
  method();
  Subscribers.Add(method);
}

void TVxLocalizer::UnsubscribeLocalize(const TVxMethod &method) { Subscribers.Remove(method); }

// --- the program's localizer --------------------------------------------------

namespace {
std::unique_ptr<TVxLocalizer> &Instance() {
  static std::unique_ptr<TVxLocalizer> instance;
  return instance;
}
}  // namespace

TVxLocalizer &Localizer() {
  auto &instance = Instance();
  if (!instance)
    instance = std::make_unique<TVxLocalizer>(
        TVxLocalizer::LanguageFolders(platform::ProgramFolder()), platform::UserDefaultLanguage());
  return *instance;
}

void InstallLocalizer(std::unique_ptr<TVxLocalizer> localizer) {
  Instance() = std::move(localizer);
}

std::u16string LocalizedString(int32_t number, std::u16string_view defaultText) {
  return Localizer().LocalizedString(number, defaultText);
}

std::u16string FormatLocalized(std::u16string_view pattern,
                               std::initializer_list<std::u16string_view> values) {
  std::u16string out;
  auto next = values.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == u'%' && i + 1 < pattern.size() && pattern[i + 1] == u's') {
      if (next != values.end()) out += *next++;
      ++i;
    } else if (pattern[i] == u'%' && i + 1 < pattern.size() && pattern[i + 1] == u'%') {
      out += u'%';
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}
