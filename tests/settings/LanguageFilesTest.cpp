// The shipped language files: complete for every text the program asks for,
// and consistent with each other.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "settings/VxLocalizer.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

const fs::path LanguagesFolder = fs::path(VELORA_SOURCE_DIR) / "data" / "Languages";

std::map<int32_t, std::string> StringsOf(const std::string &fileName) {
  const TVxLanguageFile file(LanguagesFolder / fileName);
  std::map<int32_t, std::string> strings;
  TVxLocalStringList table;
  LoadStrings(file, table);
  for (const auto &[name, value] : file.SectionLines("Strings")) {
    const bool numeric =
        !name.empty() && name.size() < 10 &&
        std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!numeric) continue;
    const std::string *text = table.Find(std::stoi(name));
    if (text) strings[std::stoi(name)] = *text;
  }
  return strings;
}

bool IsIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The literal string numbers passed to LocalizedString in the given text.
std::set<int32_t> NumbersAskedFor(const std::string &source) {
  static const std::string name = "LocalizedString";
  std::set<int32_t> numbers;
  for (size_t at = source.find(name); at != std::string::npos; at = source.find(name, at + 1)) {
    if (at > 0 && IsIdentifierChar(source[at - 1])) continue;
    size_t i = at + name.size();
    const auto skipBlanks = [&] {
      while (i < source.size() && std::isspace(static_cast<unsigned char>(source[i]))) ++i;
    };
    skipBlanks();
    if (i >= source.size() || source[i] != '(') continue;
    ++i;
    skipBlanks();
    const size_t start = i;
    if (i < source.size() && source[i] == '-') ++i;
    const size_t digits = i;
    while (i < source.size() && std::isdigit(static_cast<unsigned char>(source[i]))) ++i;
    if (i > digits) numbers.insert(std::stoi(source.substr(start, i - start)));
  }
  return numbers;
}

std::set<int32_t> NumbersAskedForInSources() {
  std::set<int32_t> numbers;
  for (const auto &entry : fs::recursive_directory_iterator(fs::path(VELORA_SOURCE_DIR) / "src")) {
    const auto extension = entry.path().extension();
    if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) continue;
    std::ifstream in(entry.path());
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    numbers.merge(NumbersAskedFor(text));
  }
  return numbers;
}

// "%s" placeholders of a text; other uses of "%" than "%s" and "%%" count as -1.
int Placeholders(const std::string &text) {
  int count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (i + 1 < text.size() && text[i + 1] == 's')
      ++count;
    else if (i + 1 >= text.size() || text[i + 1] != '%')
      return -1;
    ++i;
  }
  return count;
}

TEST(LanguageFiles, TheScanFindsLiteralNumbers) {
  EXPECT_EQ(
      NumbersAskedFor("a = LocalizedString(94); b = LocalizedString( 12 , u\"x\");\n"
                      "LocalizedString(number); FormatLocalized(LocalizedString(1030), {n});"),
      (std::set<int32_t>{12, 94, 1030}));
}

TEST(LanguageFiles, DefineEveryNumberTheProgramAsksFor) {
  const auto english = StringsOf("English.ini");
  const auto german = StringsOf("Deutsch.ini");
  ASSERT_FALSE(english.empty());
  for (int32_t number : NumbersAskedForInSources()) {
    EXPECT_TRUE(english.count(number)) << "English.ini lacks string " << number;
    EXPECT_TRUE(german.count(number)) << "Deutsch.ini lacks string " << number;
  }
}

TEST(LanguageFiles, AgreeOnNumbersAndPlaceholders) {
  const auto english = StringsOf("English.ini");
  const auto german = StringsOf("Deutsch.ini");
  for (const auto &[number, text] : english) {
    EXPECT_TRUE(german.count(number)) << "Deutsch.ini lacks string " << number;
    EXPECT_EQ(text.empty(), number == 0) << "string " << number;
    EXPECT_GE(Placeholders(text), 0) << "English.ini string " << number;
    if (german.count(number)) {
      EXPECT_EQ(Placeholders(german.at(number)), Placeholders(text)) << "string " << number;
    }
  }
  for (const auto &[number, text] : german)
    EXPECT_TRUE(english.count(number)) << "English.ini lacks string " << number;
}

TEST(LanguageFiles, AreFoundBesideTheBuiltProgram) {
  TVxLocalizer localizer(TVxLocalizer::LanguageFolders(fs::path(VELORA_BINARY_DIR) / "bin"), 1031);
  ASSERT_EQ(localizer.GetLanguages().size(), 2u);
  std::u16string name;
  EXPECT_TRUE(localizer.GetLanguageName(1033, name));
  EXPECT_EQ(name, u"English");
  EXPECT_TRUE(localizer.GetLanguageName(1031, name));
  EXPECT_EQ(name, u"Deutsch");
  EXPECT_EQ(localizer.DefaultLanguage(), 1031);
  EXPECT_EQ(FormatLocalized(localizer.LocalizedString(1030), {u"a.jpg"}),
            u"Die Datei a.jpg kann nicht geöffnet werden.");
  localizer.SetLanguage(1033);
  EXPECT_EQ(localizer.LocalizedString(2917) + localizer.LocalizedString(75) +
                localizer.LocalizedString(2918),
            u"Then click “Start” to begin.");
}

}  // namespace
