#pragma once
// A demonstration script file (".dsc"): sections of lines in the layout of an
// initialization file. "Info" holds the title and the chooser's picture,
// "Script" the lines that are played, and a section named by a decimal
// language identifier (1033, 1031 ...) the title and balloon texts of that
// language.
//
// Script lines and "Info" values are 8-bit text in the system's code page;
// language sections are UTF-8 when the file starts with the UTF-8 byte-order
// mark, else text in the code page of the language that reads them.

#include <cstdint>
#include <filesystem>
#include <istream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

class TVxLocalizer;

class TVxDemoScript {
 public:
  struct TSection {
    std::string Name;
    std::vector<std::string> Lines;
  };

  TVxDemoScript() { EnsureSections(); }

  // FileName becomes name even when the file cannot be read; the sections
  // are then left as they were and the system's reason is returned.
  std::error_code LoadFromFile(const std::filesystem::path &name);
  void LoadFromStream(std::istream &stream);
  // Takes raw lines (a line may still carry the byte-order mark) through the
  // reading rules: trimmed, empty and ";" lines dropped, "[name]" opens a
  // section, lines before the first section dropped, blanks around the first
  // "=" removed.
  void LoadFromStrings(const std::vector<std::string> &lines);
  // Every section as "[name]" and its lines, CR LF after each line, no
  // byte-order mark; written to a temporary file renamed over name, so a
  // failed save leaves the old file as it was. FileName is not changed.
  std::error_code SaveToFile(const std::filesystem::path &name) const;
  // The lines of a whole file: they end with CR LF, LF or CR.
  static std::vector<std::string> SplitLines(std::string_view text);

  // Sections and the UTF-8 mark, not the file name.
  void Assign(const TVxDemoScript &source);
  // No section at all; ScriptLines is then empty.
  void Clear();
  // Exactly an empty "Info" and an empty "Script".
  void New();
  // Appends "Info" and "Script" when missing.
  void EnsureSections();

  // The first section with that name, compared without regard to case.
  bool FindSection(std::string_view name, int32_t &index) const;
  int32_t SectionCount() const { return static_cast<int32_t>(Sections.size()); }
  const std::string &SectionName(int32_t index) const;
  std::vector<std::string> &SectionLines(int32_t index);
  const std::vector<std::string> &SectionLines(int32_t index) const;
  int32_t AddSection(std::string_view name);
  void DeleteSection(int32_t index);
  // The lines of the "Script" section.
  const std::vector<std::string> &ScriptLines() const;

  // The value of key in "Info"; empty when there is none.
  std::string GetInfoValue(std::string_view key) const;
  // The value of key in the section of the localizer's current language,
  // else of its default language; empty when neither section
  // exists or has the key.
  std::u16string GetLocalizedValue(std::string_view key, const TVxLocalizer &localizer) const;
  // The localized title, else the "Info" title, else the file name without
  // folder and extension; "&" and a number stands for that language string.
  std::u16string GetTitle(const TVxLocalizer &localizer) const;

  const std::filesystem::path &GetFileName() const { return FileName; }
  bool IsUtf8() const { return Utf8; }

 private:
  std::filesystem::path FileName;
  bool Utf8 = false;
  std::vector<TSection> Sections;
  int32_t ScriptIndex = -1;
};

// The code page in which 8-bit text of a language is written (1252 for
// Western languages, 1250, 1251 ... for others).
uint32_t AnsiCodePageOfLanguage(uint16_t languageId);

// Text of a script line or an "Info" value, which are written in the
// system's code page.
std::u16string ScriptLineText(std::string_view bytes);
