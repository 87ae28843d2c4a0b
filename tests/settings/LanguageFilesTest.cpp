// The shipped language files: complete for every text the program asks for,
// and consistent with each other.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

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
bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The text with every comment blanked out (line breaks kept), so that a
// comment naming a helper is not taken for a call; string and character
// literals are kept as they are.
std::string WithoutComments(std::string text) {
  char quote = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (quote) {
      if (text[i] == '\\')
        ++i;
      else if (text[i] == quote)
        quote = 0;
    } else if (text[i] == '"' || text[i] == '\'') {
      quote = text[i];
    } else if (text.compare(i, 2, "//") == 0) {
      for (; i < text.size() && text[i] != '\n'; ++i) text[i] = ' ';
    } else if (text.compare(i, 2, "/*") == 0) {
      const size_t close = std::min(text.find("*/", i + 2), text.size() - 2) + 2;
      for (; i < close; ++i)
        if (text[i] != '\n') text[i] = ' ';
      --i;
    }
  }
  return text;
}

// Where the program asks for numbered strings. By convention a string number
// appears in the code only as the literal first argument of one of these.
const char *const NumberedCalls[] = {"Text", "FormattedText", "LocalizedString"};

struct TStringUses {
  std::set<int32_t> Numbers;
  // Lines where a helper gets its number from elsewhere: numbers the scan
  // cannot see, so the convention forbids them.
  std::vector<int> Hidden;
};

// The number at `i` when it is the whole argument ("12" in "(12)" or
// "(12, x)"); advances `i` past it.
std::optional<int32_t> LiteralArgument(const std::string &text, size_t &i) {
  const size_t start = i;
  if (i < text.size() && text[i] == '-') ++i;
  const size_t digits = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  if (i == digits || i - digits > 9) return std::nullopt;
  size_t after = i;
  while (after < text.size() && IsBlank(text[after])) ++after;
  if (after >= text.size() || (text[after] != ',' && text[after] != ')')) return std::nullopt;
  return std::stoi(text.substr(start, i - start));
}

// A member call (x.Text(...), x->Text(...), T::Text(...)) is another function.
bool IsMemberCall(const std::string &text, size_t at) {
  while (at > 0 && IsBlank(text[at - 1])) --at;
  if (at == 0) return false;
  const char before = text[at - 1];
  return before == '.' ||
         (at >= 2 && (text.compare(at - 2, 2, "->") == 0 || text.compare(at - 2, 2, "::") == 0));
}

// A declaration names the parameter's type where a call has its argument.
bool IsDeclaration(const std::string &text, size_t i) {
  for (const char *type : {"int32_t ", "int "})
    if (text.compare(i, std::strlen(type), type) == 0) return true;
  return false;
}

TStringUses StringUsesIn(const std::string &source) {
  const std::string text = WithoutComments(source);
  TStringUses uses;
  for (const std::string name : NumberedCalls) {
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
      if (at > 0 && IsIdentifierChar(text[at - 1])) continue;
      size_t i = at + name.size();
      while (i < text.size() && IsBlank(text[i])) ++i;
      if (i >= text.size() || text[i] != '(' || IsMemberCall(text, at)) continue;
      ++i;
      while (i < text.size() && IsBlank(text[i])) ++i;
      if (IsDeclaration(text, i)) continue;
      if (const auto number = LiteralArgument(text, i))
        uses.Numbers.insert(*number);
      else
        uses.Hidden.push_back(1 +
                              static_cast<int>(std::count(text.begin(), text.begin() + at, '\n')));
    }
  }
  return uses;
}

// Every use in the program's sources, by file; the helpers' own definitions
// pass their parameter on and are left out.
std::map<fs::path, TStringUses> StringUsesInSources() {
  const fs::path root(VELORA_SOURCE_DIR);
  const fs::path helpers = fs::path("src") / "framework" / "VxText.h";
  std::map<fs::path, TStringUses> uses;
  for (const char *folder : {"src", "app"}) {
    for (const auto &entry : fs::recursive_directory_iterator(root / folder)) {
      const auto extension = entry.path().extension();
      if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) continue;
      const fs::path relative = entry.path().lexically_relative(root);
      if (relative == helpers) continue;
      std::ifstream in(entry.path());
      const std::string text((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
      uses[relative] = StringUsesIn(text);
    }
  }
  return uses;
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

TEST(LanguageFiles, TheScanFindsEveryLiteralNumberAndEveryHiddenOne) {
  struct Case {
    const char *Source;
    std::set<int32_t> Numbers;
    std::vector<int> Hidden;
  };
  const Case cases[] = {
      {"a = Text(98); b = FormattedText( 94 , name);\nLocalizedString(12, u\"x\");",
       {12, 94, 98},
       {}},
      {"FormatLocalized(LocalizedString(1030), {n}); MessageBox(Text(-3), MbOk);", {-3, 1030}, {}},
      // Other functions: a longer name, members, declarations.
      {"ItemText(5); item.Text(6); p->Text(7); TVxLocalizer::LocalizedString(8);", {}, {}},
      {"QString Text(int32_t number);\nstd::u16string LocalizedString(int n);", {}, {}},
      // Comments do not count; a "//" inside a string is no comment.
      {"// Text(number)\n/* Text(4)\n */ x = \"//\"; Text(5);", {5}, {}},
      // Numbers the scan cannot see are reported with their line.
      {"Text(number);\n\nText(208 + i); FormattedText(n, v); Text(12345678901);", {}, {1, 3, 3, 3}},
  };
  for (const Case &c : cases) {
    const TStringUses uses = StringUsesIn(c.Source);
    EXPECT_EQ(uses.Numbers, c.Numbers) << c.Source;
    auto hidden = uses.Hidden;
    std::sort(hidden.begin(), hidden.end());
    EXPECT_EQ(hidden, c.Hidden) << c.Source;
  }
}

// Every string number of the program is a literal at a helper's call, and both
// language files define it.
TEST(LanguageFiles, DefineEveryNumberTheProgramAsksFor) {
  const auto english = StringsOf("English.ini");
  const auto german = StringsOf("Deutsch.ini");
  ASSERT_FALSE(english.empty());
  std::set<int32_t> numbers;
  for (const auto &[file, uses] : StringUsesInSources()) {
    for (int line : uses.Hidden)
      ADD_FAILURE() << file.string() << ":" << line
                    << ": the string number is not a literal, so no test can check it";
    numbers.insert(uses.Numbers.begin(), uses.Numbers.end());
  }
  ASSERT_FALSE(numbers.empty()) << "the scan found no string numbers in src/";
  for (int32_t number : numbers) {
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
