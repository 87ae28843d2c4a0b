#include <gtest/gtest.h>

#include <clocale>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "demo/VxDemoLine.h"
#include "demo/VxDemoScript.h"
#include "settings/VxLocalizer.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;
using Lines = std::vector<std::string>;

void WriteFile(const fs::path &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A localizer over two languages: English (1033, the default) and, when
// `current` asks for it, German (1031) or Russian (1049).
class Languages {
 public:
  explicit Languages(uint16_t current) {
    WriteFile(Dir / "English.ini", "[Language]\nLangId=1033\n[Strings]\n392=Original\n");
    WriteFile(Dir / "Deutsch.ini", "[Language]\nLangId=1031\n[Strings]\n392=Vorher\n");
    WriteFile(Dir / "Russian.ini", "[Language]\nLangId=1049\n[Strings]\n");
    Localizer = std::make_unique<TVxLocalizer>(std::vector<fs::path>{Dir.Path()}, 1033);
    Localizer->SetLanguage(current);
  }
  const TVxLocalizer &operator*() const { return *Localizer; }

 private:
  TempDir Dir;
  std::unique_ptr<TVxLocalizer> Localizer;
};

std::vector<std::pair<std::string, Lines>> SectionsOf(const TVxDemoScript &script) {
  std::vector<std::pair<std::string, Lines>> sections;
  for (int32_t i = 0; i < script.SectionCount(); ++i)
    sections.emplace_back(script.SectionName(i), script.SectionLines(i));
  return sections;
}

TEST(DemoScript, ReadsSectionsByTheRules) {
  TVxDemoScript script;
  script.LoadFromStrings({
      "Before=any section",
      " [ Info ] ",
      "Title \t=  Zooming ",
      "; a comment",
      "",
      "\t\x01 Image = zoom.png\r",
      "[script]",
      "  MouseTo 10, 20",
      "Pause 0.5",
      "a = b = c",
      "[1033]",
      "Title=Zoom",
      "[Script]",
      "Not played",
      "[]",
  });
  const std::vector<std::pair<std::string, Lines>> expected{
      {"Info", {"Title=Zooming", "Image=zoom.png"}},
      {"script", {"MouseTo 10, 20", "Pause 0.5", "a=b = c"}},
      {"1033", {"Title=Zoom"}},
      {"Script", {"Not played"}},
      {"", {}},
  };
  EXPECT_EQ(SectionsOf(script), expected);
  EXPECT_EQ(script.ScriptLines(), expected[1].second);
  EXPECT_EQ(script.GetInfoValue("IMAGE"), "zoom.png");
  EXPECT_EQ(script.GetInfoValue("Missing"), "");
  EXPECT_FALSE(script.IsUtf8());
}

TEST(DemoScript, AlwaysHasInfoAndScript) {
  const struct {
    const char *what;
    Lines lines;
    std::vector<std::string> names;
  } cases[] = {
      {"nothing", {}, {"Info", "Script"}},
      {"language only", {"[1031]", "Title=x"}, {"1031", "Info", "Script"}},
      {"script before info", {"[SCRIPT]", "[info]"}, {"SCRIPT", "info"}},
  };
  for (const auto &c : cases) {
    TVxDemoScript script;
    script.LoadFromStrings(c.lines);
    std::vector<std::string> names;
    for (const auto &section : SectionsOf(script)) names.push_back(section.first);
    EXPECT_EQ(names, c.names) << c.what;
  }
  TVxDemoScript script;
  script.LoadFromStrings({"[Script]", "Pause", "[Extra]"});
  script.DeleteSection(0);
  EXPECT_TRUE(script.ScriptLines().empty());
  script.New();
  EXPECT_EQ(script.SectionCount(), 2);
  script.Clear();
  EXPECT_EQ(script.SectionCount(), 0);
  EXPECT_EQ(script.GetInfoValue("Title"), "");
}

TEST(DemoScript, DecodesLanguageTextsByByteOrderMark) {
  const struct {
    const char *what;
    std::string file;
    uint16_t language;
    std::u16string hint;
  } cases[] = {
      {"byte-order mark: UTF-8", "\xEF\xBB\xBF[Script]\n[1031]\nHint=Größe\n", 1031, u"Größe"},
      {"German in code page 1252",
       "[1031]\nHint=Gr\xF6\xDF"
       "e\n",
       1031, u"Größe"},
      {"Russian in code page 1251", "[1049]\nHint=\xCF\xF0\xE8\xE2\xE5\xF2\n", 1049, u"Привет"},
      {"the default language's section", "[1033]\nHint=Size\n", 1031, u"Size"},
      {"no section of either language", "[1049]\nHint=x\n", 1031, u""},
      {"key missing", "[1031]\nOther=x\n", 1031, u""},
  };
  for (const auto &c : cases) {
    Languages languages(c.language);
    TVxDemoScript script;
    script.LoadFromStrings(TVxDemoScript::SplitLines(c.file));
    EXPECT_EQ(script.GetLocalizedValue("hint", *languages), c.hint) << c.what;
  }
}

TEST(DemoScript, FindsTheTitle) {
  const struct {
    const char *what;
    Lines lines;
    std::u16string title;
  } cases[] = {
      {"language section first", {"[Info]", "Title=Info", "[1031]", "Title=Deutsch"}, u"Deutsch"},
      {"then Info", {"[Info]", "Title=Info", "[1033]", "Other=x"}, u"Info"},
      {"then the file name", {"[Info]", "Image=x.png"}, u"Zoom In"},
      {"a language string", {"[1031]", "Title=&392"}, u"Vorher"},
      {"& and no number", {"[Info]", "Title=&Demo"}, u"&Demo"},
      {"& alone", {"[Info]", "Title=&"}, u"&"},
  };
  for (const auto &c : cases) {
    Languages languages(1031);
    TVxDemoScript script;
    script.LoadFromStrings(c.lines);
    TempDir dir;
    const fs::path file = dir / "Zoom In.dsc";
    ASSERT_FALSE(script.SaveToFile(file));
    ASSERT_FALSE(script.LoadFromFile(file));
    EXPECT_EQ(script.GetTitle(*languages), c.title) << c.what;
  }
}

TEST(DemoScript, SavesAndLoadsAgain) {
  TempDir dir;
  const fs::path file = dir / "demo.dsc";
  TVxDemoScript script;
  script.LoadFromStrings(TVxDemoScript::SplitLines(
      "\xEF\xBB\xBF[Info]\r\nTitle=T\r[Script]\nPause 1\n[1031]\nHint=\xC3\xBC"));
  EXPECT_TRUE(script.IsUtf8());
  ASSERT_FALSE(script.SaveToFile(file));
  EXPECT_EQ(ReadFile(file),
            "[Info]\r\nTitle=T\r\n[Script]\r\nPause 1\r\n[1031]\r\nHint=\xC3\xBC\r\n");
  EXPECT_TRUE(script.GetFileName().empty());

  TVxDemoScript loaded;
  ASSERT_FALSE(loaded.LoadFromFile(file));
  EXPECT_EQ(loaded.GetFileName(), file);
  EXPECT_EQ(SectionsOf(loaded), SectionsOf(script));
  // Saved without the mark, so the text now reads in the code page.
  EXPECT_FALSE(loaded.IsUtf8());
  Languages languages(1031);
  EXPECT_EQ(loaded.GetLocalizedValue("Hint", *languages), u"\u00C3\u00BC");

  TVxDemoScript copy;
  copy.Assign(script);
  EXPECT_EQ(SectionsOf(copy), SectionsOf(script));
  EXPECT_TRUE(copy.IsUtf8());
  EXPECT_TRUE(copy.GetFileName().empty());
}

TEST(DemoScript, FailedLoadOrSaveLosesNothing) {
  TempDir dir;
  TVxDemoScript script;
  script.LoadFromStrings({"[Script]", "Pause 1"});
  EXPECT_TRUE(script.LoadFromFile(dir / "missing.dsc"));
  EXPECT_EQ(script.GetFileName(), dir / "missing.dsc");
  EXPECT_EQ(script.ScriptLines(), Lines{"Pause 1"});
  fs::create_directory(dir / "folder.dsc");
  EXPECT_TRUE(script.LoadFromFile(dir / "folder.dsc"));
  EXPECT_EQ(script.ScriptLines(), Lines{"Pause 1"});
  fs::remove(dir / "folder.dsc");

  const fs::path file = dir / "old.dsc";
  WriteFile(file, "old");
  EXPECT_TRUE(script.SaveToFile(dir / "no folder" / "x.dsc"));
  fs::create_directory(dir / "blocked.dsc");
  EXPECT_TRUE(script.SaveToFile(dir / "blocked.dsc"));
  EXPECT_EQ(ReadFile(file), "old");
  for (const auto &entry : fs::directory_iterator(dir.Path()))
    EXPECT_TRUE(entry.path().filename() == "old.dsc" || entry.path().filename() == "blocked.dsc")
        << "left behind: " << entry.path();
}

// Script numbers use "." whatever the user's locale.
TEST(DemoScript, ReadsNumbersWithAPointUnderAGermanLocale) {
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale here";
  const auto line = ParseLine("Message \"x\", 2.5, 1E1");
  std::setlocale(LC_NUMERIC, previous.c_str());
  ASSERT_TRUE(line && line->Arguments);
  EXPECT_EQ(line->Arguments->GetVariant(1), TVxVariant(2.5));
  EXPECT_EQ(line->Arguments->GetVariant(2), TVxVariant(10.0));
}

}  // namespace
