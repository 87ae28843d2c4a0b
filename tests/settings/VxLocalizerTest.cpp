#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "settings/VxLocalizer.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path &path, const std::string &bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string LanguageFile(int id, const std::string &name, const std::string &strings) {
  return "[Language]\nLangId=" + std::to_string(id) + "\nLanguage=" + name + "\n[Strings]\n" +
         strings;
}

TEST(LanguageFile, FollowsTheIniRules) {
  const auto file = TVxLanguageFile::FromBytes(
      "; comment\r\n"
      "ignored=before any section\r"
      "[language]\n"
      "  LANGID = 1031  \n"
      "Language=Deutsch\n"
      "LangId=9999\n"  // the first value of a key wins
      "no equals sign\n"
      "[ Strings ]\n"
      "10=Datei\n"
      "[LANGUAGE]\n"  // the same section again
      "Extra=yes");
  EXPECT_EQ(file.ReadInteger("Language", "langid", 0), 1031);
  EXPECT_EQ(file.ReadString("LANGUAGE", "LANGUAGE"), "Deutsch");
  EXPECT_EQ(file.ReadString("Language", "Extra"), "yes");
  EXPECT_EQ(file.ReadString("Language", "ignored", "none"), "none");
  EXPECT_EQ(file.ReadString("strings", "10"), "Datei");
  EXPECT_EQ(file.ReadInteger("Strings", "10", -1), -1);
  EXPECT_TRUE(file.SectionExists("STRINGS"));
  EXPECT_FALSE(file.SectionExists("Missing"));
  EXPECT_TRUE(file.SectionLines("Missing").empty());
  EXPECT_EQ(file.SectionLines("Language").size(), 4u);
}

TEST(LanguageFile, NormalisesTheEncoding) {
  const struct {
    const char *what;
    std::string bytes;
    std::string expected;  // string 1, as UTF-8
  } cases[] = {
      {"code page 1251 without byte-order mark",
       "[Language]\nCodePage=1251\n[Strings]\n1=\xCF\xF0\xE8\xE2\xE5\xF2\n", "Привет"},
      {"code page named after the strings", "[Strings]\n1=\xC4pfel\n[Other]\ncodepage = 1252\n",
       "Äpfel"},
      {"byte-order mark wins over the code page",
       "\xEF\xBB\xBF[Language]\nCodePage=1251\n[Strings]\n1=Привет\n", "Привет"},
      {"no code page: bytes as they are", "[Strings]\n1=Grüße\n", "Grüße"},
      {"code page 0", "[Language]\nCodePage=0\n[Strings]\n1=Grüße\n", "Grüße"},
      {"code page not a number", "[Language]\nCodePage=cyrillic\n[Strings]\n1=Grüße\n", "Grüße"},
      {"code page unknown to the system", "[Language]\nCodePage=4242\n[Strings]\n1=Grüße\n",
       "Grüße"},
  };
  for (const auto &c : cases) {
    const auto file = TVxLanguageFile::FromBytes(c.bytes);
    EXPECT_EQ(file.ReadString("Strings", "1"), c.expected) << c.what;
  }
  // The byte-order mark is not part of the first section's name.
  const auto bom = TVxLanguageFile::FromBytes("\xEF\xBB\xBF[Language]\nLangId=7\n");
  EXPECT_EQ(bom.ReadInteger("Language", "LangId", 0), 7);
  // A list of lines is normalised the same way as a file.
  const TVxLanguageFile lines(std::vector<std::string>{"[Strings]", "1=\xE0", "CodePage=1251"});
  EXPECT_EQ(lines.ReadString("Strings", "1"), "а");
}

TEST(LanguageFile, AMissingFileIsEmpty) {
  testsupport::TempDir dir;
  const TVxLanguageFile missing(dir / "none.ini");
  EXPECT_FALSE(missing.SectionExists("Language"));
  const TVxLanguageFile folder(dir.Path());
  EXPECT_FALSE(folder.SectionExists("Language"));
}

TEST(LocalStringList, FindsByNumberSortedOrNot) {
  TVxLocalStringList list;
  list.SetText(30, "c");
  list.SetText(10, "a");
  list.SetText(20, "b");
  EXPECT_FALSE(list.Sorted());
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_NE(list.Find(10), nullptr);
    EXPECT_EQ(*list.Find(10), "a");
    EXPECT_EQ(*list.Find(30), "c");
    EXPECT_EQ(list.Find(15), nullptr);
    EXPECT_EQ(list.Find(40), nullptr);
    list.Sort();
    EXPECT_TRUE(list.Sorted());
  }
  list.SetText(20, "B");  // replacing keeps the order
  EXPECT_TRUE(list.Sorted());
  EXPECT_EQ(*list.Find(20), "B");
  list.SetText(5, "first");  // appending does not
  EXPECT_FALSE(list.Sorted());
  EXPECT_EQ(*list.Find(5), "first");
  EXPECT_EQ(list.Count(), 4u);
  list.Clear();
  EXPECT_EQ(list.Find(10), nullptr);
}

TEST(LocalStringList, LoadsOnlyNumberedLines) {
  const auto file = TVxLanguageFile::FromBytes(
      "[Strings]\n"
      "5=five\n"
      "+6=six\n"
      "-7=minus seven\n"
      " 8 = eight \n"
      "9x=no\n"
      "+-10=no\n"
      "0x11=no\n"
      "name=no\n"
      "=no\n"
      "5=five again\n"
      "12=a=b\n"
      "99999999999=no\n");
  TVxLocalStringList table;
  table.SetText(1, "stale");
  LoadStrings(file, table);
  EXPECT_TRUE(table.Sorted());
  EXPECT_EQ(table.Count(), 5u);
  EXPECT_EQ(table.Find(1), nullptr);
  EXPECT_EQ(*table.Find(5), "five again");
  EXPECT_EQ(*table.Find(6), "six");
  EXPECT_EQ(*table.Find(-7), "minus seven");
  EXPECT_EQ(*table.Find(8), "eight");
  EXPECT_EQ(*table.Find(12), "a=b");
}

struct Subscriber {
  TVxLocalizer *Localizer;
  std::vector<std::u16string> Seen;
  void Localize() { Seen.push_back(Localizer->LocalizedString(1, u"-")); }
};

class LocalizerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir / "Languages/English.ini", LanguageFile(1033, "English", "1=One\n2=Two\n"));
    WriteFile(dir / "Languages/Deutsch.ini", LanguageFile(1031, "Deutsch", "1=Eins\n"));
    WriteFile(dir / "Languages/Russian.INI",
              "[Language]\nLangId=1049\nCodePage=1251\nLanguage=\xD0\xF3\xF1\xF1\xEA\xE8\xE9\n"
              "[Strings]\n1=\xCE\xE4\xE8\xED\n");
    WriteFile(dir / "Languages/Notes.ini", "[Language]\nLangId=0\nLanguage=Notes\n");
    WriteFile(dir / "Languages/Readme.txt", LanguageFile(1036, "Français", "1=Un\n"));
  }
  std::vector<fs::path> Folders() const { return {dir / "Languages"}; }
  testsupport::TempDir dir;
};

TEST_F(LocalizerTest, ListsEveryLanguageFileByName) {
  TVxLocalizer localizer(Folders(), 1031);
  std::vector<std::u16string> names;
  for (const TVxLanguage &language : localizer.GetLanguages()) names.push_back(language.Name);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"Deutsch", u"English", u"Русский"}));
  std::u16string name = u"unchanged";
  EXPECT_TRUE(localizer.GetLanguageName(1049, name));
  EXPECT_EQ(name, u"Русский");
  EXPECT_FALSE(localizer.GetLanguageName(1036, name));
  EXPECT_EQ(name, u"Русский");
}

TEST_F(LocalizerTest, FallsBackFromCurrentToDefaultToTheCallersText) {
  TVxLocalizer localizer(Folders(), 1033);
  EXPECT_EQ(localizer.DefaultLanguage(), 1033);
  EXPECT_EQ(localizer.CurrentLanguage(), 1033);
  EXPECT_EQ(localizer.LocalizedString(1), u"One");
  EXPECT_EQ(localizer.LocalizedString(3, u"caller"), u"caller");
  EXPECT_EQ(localizer.LocalizedString(3), u"");

  localizer.SetLanguage(1031);
  EXPECT_EQ(localizer.CurrentLanguage(), 1031);
  EXPECT_EQ(localizer.LocalizedString(1), u"Eins");
  EXPECT_EQ(localizer.LocalizedString(2), u"Two");  // missing in German
  EXPECT_EQ(localizer.LocalizedString(3, u"caller"), u"caller");

  localizer.SetLanguage(1049);
  EXPECT_EQ(localizer.LocalizedString(1), u"Один");  // converted from code page 1251
  EXPECT_EQ(localizer.LocalizedString(2), u"Two");

  localizer.SetLanguage(1033);  // back to the default: nothing of Russian remains
  EXPECT_EQ(localizer.LocalizedString(1), u"One");
}

TEST_F(LocalizerTest, PicksTheUsersLanguageElseEnglishElseTheFirst) {
  EXPECT_EQ(TVxLocalizer(Folders(), 1031).DefaultLanguage(), 1031);
  EXPECT_EQ(TVxLocalizer(Folders(), 1036).DefaultLanguage(), 1033);  // French is a .txt
  EXPECT_EQ(TVxLocalizer(Folders(), 0).DefaultLanguage(), 1033);
  fs::remove(dir / "Languages/English.ini");
  TVxLocalizer withoutEnglish(Folders(), 1036);
  EXPECT_EQ(withoutEnglish.DefaultLanguage(), 1031);
  EXPECT_EQ(withoutEnglish.LocalizedString(1), u"Eins");
}

TEST_F(LocalizerTest, TwoFilesOfOneLanguageAreBothListedAndTheFirstIsLoaded) {
  WriteFile(dir / "Languages/Deutsch2.ini", LanguageFile(1031, "Deutsch (neu)", "1=Neu\n"));
  TVxLocalizer localizer(Folders(), 1033);
  int german = 0;
  for (const TVxLanguage &language : localizer.GetLanguages()) german += language.Id == 1031;
  EXPECT_EQ(german, 2);
  localizer.SetLanguage(1031);
  EXPECT_EQ(localizer.LocalizedString(1), u"Eins");
}

TEST_F(LocalizerTest, TellsSubscribersOfEveryLanguageChange) {
  TVxLocalizer localizer(Folders(), 1033);
  Subscriber a{&localizer, {}}, b{&localizer, {}};
  localizer.SubscribeLocalize(TVxMethod(&a, &Subscriber::Localize));
  EXPECT_EQ(a.Seen, (std::vector<std::u16string>{u"One"}));  // called at once
  localizer.SubscribeLocalize(TVxMethod(&b, &Subscriber::Localize));
  localizer.SetLanguage(1031);
  localizer.SetLanguage(1036);  // no such language: nothing happens
  EXPECT_EQ(localizer.CurrentLanguage(), 1031);
  localizer.UnsubscribeLocalize(TVxMethod(&a, &Subscriber::Localize));
  localizer.SetLanguage(1033);
  EXPECT_EQ(a.Seen, (std::vector<std::u16string>{u"One", u"Eins"}));
  EXPECT_EQ(b.Seen, (std::vector<std::u16string>{u"One", u"Eins", u"One"}));
}

TEST_F(LocalizerTest, WithoutLanguagesEveryTextIsTheCallers) {
  TVxLocalizer localizer({dir / "Missing", dir / "Languages/Readme.txt"}, 1033);
  EXPECT_TRUE(localizer.GetLanguages().empty());
  EXPECT_EQ(localizer.DefaultLanguage(), 0);
  EXPECT_EQ(localizer.LocalizedString(1, u"default"), u"default");
  Subscriber a{&localizer, {}};
  localizer.SubscribeLocalize(TVxMethod(&a, &Subscriber::Localize));
  localizer.SetLanguage(0);
  localizer.SetLanguage(1033);
  EXPECT_EQ(a.Seen.size(), 1u);
}

TEST_F(LocalizerTest, FindsTheFilesBesideTheProgramOrInTheTranslationsOrDataFolder) {
  const fs::path bin = dir / "prefix/bin";
  fs::create_directories(bin);
  auto folders = TVxLocalizer::LanguageFolders(bin);
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_EQ(folders[0], bin / ".." / "Translations" / "Languages");
  EXPECT_EQ(folders[1], bin / ".." / "share" / "velora" / "Languages");

  WriteFile(dir / "prefix/share/velora/Languages/English.ini",
            LanguageFile(1033, "E", "1=Shared\n"));
  EXPECT_EQ(TVxLocalizer(TVxLocalizer::LanguageFolders(bin), 1033).LocalizedString(1), u"Shared");

  fs::create_directories(bin / "Languages");
  folders = TVxLocalizer::LanguageFolders(bin);
  EXPECT_EQ(folders[0], bin / "Languages");
}

TEST_F(LocalizerTest, TheProgramsLocalizerCanBeReplaced) {
  InstallLocalizer(std::make_unique<TVxLocalizer>(Folders(), 1031));
  EXPECT_EQ(LocalizedString(1), u"Eins");
  EXPECT_EQ(LocalizedString(3, u"x"), u"x");
  Localizer().SetLanguage(1033);
  EXPECT_EQ(LocalizedString(1), u"One");
  InstallLocalizer(nullptr);  // the next use builds the program's own again
}

TEST(FormatLocalized, FillsValuesInOrder) {
  const struct {
    std::u16string_view pattern;
    std::u16string expected;
  } cases[] = {
      {u"Save changes to %s?", u"Save changes to photo.jpg?"},
      {u"%s and %s", u"photo.jpg and 2.2.8"},
      {u"%s %s %s", u"photo.jpg 2.2.8 "},
      {u"100%% of %s", u"100% of photo.jpg"},
      {u"%d stays, so does a trailing %", u"%d stays, so does a trailing %"},
      {u"", u""},
  };
  for (const auto &c : cases)
    EXPECT_EQ(FormatLocalized(c.pattern, {u"photo.jpg", u"2.2.8"}), c.expected);
}

}  // namespace
