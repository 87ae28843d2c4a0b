#pragma once
// Every user-visible text of the program is a numbered string looked up at run
// time in language files: INI files with a [Language] section (LangId,
// Language) and a [Strings] section of number=text lines. The localizer finds
// the files, keeps the strings of the default and of the current language,
// switches languages and tells its subscribers to re-read their texts.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/VxMethodList.h"

// One language file in memory, its text normalised to UTF-8: a file that
// starts with the UTF-8 byte-order mark is UTF-8; otherwise a "CodePage" key
// (in any section) with a non-zero number names the Windows code page every
// line is converted from; otherwise the bytes are taken as they are. Sections
// and keys are compared without regard to (ASCII) case.
class TVxLanguageFile {
 public:
  using TLine = std::pair<std::string, std::string>;  // name, value; both trimmed

  // An empty file when the file is missing, unreadable or implausibly large.
  explicit TVxLanguageFile(const std::filesystem::path &fileName);
  explicit TVxLanguageFile(std::vector<std::string> lines);
  // The whole content of a file.
  static TVxLanguageFile FromBytes(std::string_view bytes);

  // The first value of the key in the section, else `defaultValue`.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue = {}) const;
  // The value as a decimal whole number, else `defaultValue`.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
  bool SectionExists(std::string_view section) const;
  // The name=value lines of a section in file order (a section that appears
  // twice is one section); empty for a missing section.
  const std::vector<TLine> &SectionLines(std::string_view section) const;

 private:
  struct TSection {
    std::string Name;
    std::vector<TLine> Lines;
  };
  TVxLanguageFile() = default;
  void Parse(std::vector<std::string> lines);
  const TSection *FindSection(std::string_view name) const;
  std::vector<TSection> Sections;
  std::unordered_map<std::string, size_t> SectionIndex;  // by case-folded name
};

// Numbered UTF-8 texts.
class TVxLocalStringList {
 public:
  // Replaces the text of an existing number, else appends (the list is then
  // no longer sorted).
  void SetText(int32_t number, std::string text);
  // Binary search when sorted, a linear scan otherwise; null when missing.
  const std::string *Find(int32_t number) const;
  void Sort();
  void Clear();
  bool Sorted() const { return IsSorted; }
  size_t Count() const { return Entries.size(); }

 private:
  std::vector<std::pair<int32_t, std::string>> Entries;
  // Where each number sits, so that filling a table of thousands of lines
  // stays linear however the file is ordered.
  std::unordered_map<int32_t, size_t> Positions;
  bool IsSorted = false;
};

// Clears the table and fills it from the file's "Strings" section: every line
// whose name is a whole decimal number (optionally signed); a later line with
// the same number replaces an earlier one.
void LoadStrings(const TVxLanguageFile &file, TVxLocalStringList &table);

struct TVxLanguage {
  std::u16string Name;  // shown in the Language menu
  uint16_t Id = 0;      // Windows language identifier, e.g. 1033
  std::filesystem::path Path;
};

class TVxLocalizer {
 public:
  // Reads every "*.ini" file of the folders, folder by folder and by file name
  // within a folder (missing folders are skipped); a file whose LangId is 0
  // or missing is no language. The default language is the one with
  // `userLanguage`, else English (1033), else the first one found.
  TVxLocalizer(const std::vector<std::filesystem::path> &folders, uint16_t userLanguage);
  TVxLocalizer(const TVxLocalizer &) = delete;
  TVxLocalizer &operator=(const TVxLocalizer &) = delete;

  // Where a program in `programFolder` keeps its language files: "Languages"
  // beside it when that exists, else "../Translations/Languages"; and, for an
  // installed program, "../share/velora/Languages".
  static std::vector<std::filesystem::path> LanguageFolders(
      const std::filesystem::path &programFolder);

  // The current language's text, else the default language's, else
  // `defaultText`.
  std::u16string LocalizedString(int32_t number, std::u16string_view defaultText = {}) const;
  // Nothing happens for an identifier that no language has. Otherwise the
  // language becomes current and every subscriber is called in order.
  void SetLanguage(uint16_t id);
  uint16_t CurrentLanguage() const { return CurrentId; }
  uint16_t DefaultLanguage() const { return DefaultId; }
  // Every language in the order found; two files may share an identifier.
  const std::vector<TVxLanguage> &GetLanguages() const { return Languages; }
  // The name of the first language with that identifier; `name` is left
  // unchanged (and the result false) when there is none.
  bool GetLanguageName(uint16_t id, std::u16string &name) const;

  // Calls the method at once, then after every language change.
  void SubscribeLocalize(const TVxMethod &method);
  // Removes the last subscription of that method.
  void UnsubscribeLocalize(const TVxMethod &method);

 private:
  const TVxLanguage *FindLanguage(uint16_t id) const;
  std::vector<TVxLanguage> Languages;
  uint16_t DefaultId = 0;
  uint16_t CurrentId = 0;
  TVxLocalStringList DefaultStrings;
  TVxLocalStringList CurrentStrings;
  TVxMethodList Subscribers;
};

// The program's one localizer, created on first use over the language folders
// of the running program and the user's language.
TVxLocalizer &Localizer();
// Puts another localizer in its place (a test's, or one over other folders).
// Subscriptions held by the old one are dropped with it.
void InstallLocalizer(std::unique_ptr<TVxLocalizer> localizer);

// Localizer().LocalizedString(number, defaultText).
std::u16string LocalizedString(int32_t number, std::u16string_view defaultText = {});

// Fills a message that carries values: each "%s" takes the next value (an
// empty text when they run out) and "%%" is one "%". Every language file
// writes its messages with this one convention.
std::u16string FormatLocalized(std::u16string_view pattern,
                               std::initializer_list<std::u16string_view> values);
