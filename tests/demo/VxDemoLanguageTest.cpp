#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo/VxDemoLanguage.h"
#include "demo/VxDemoLine.h"

namespace {

using Lines = std::vector<std::string>;

// The queued lines of the first script line, joined by " / ".
std::string Expanded(const Lines &script, int32_t index = 0) {
  TVxDemoLanguage language;
  EXPECT_TRUE(language.Expand(script, index)) << script[static_cast<size_t>(index)];
  std::string joined;
  while (!language.IsEmpty()) {
    if (!joined.empty()) joined += " / ";
    joined += language.Pop();
  }
  return joined;
}

TEST(DemoLanguage, ExpandsEveryDirective) {
  const std::string finish =
      "MouseSpeed 5 / MouseCurvedMove OriginalImageButton / MouseDown / Message &392 / MouseUp / "
      "Message &393 / MouseDown / Pause 0.5 / MouseUp / Pause 0.5 / MouseDown / Pause 0.5 / "
      "MouseUp / Pause 0.5 / MouseDown / Pause 0.5 / MouseUp / Pause 0.5";
  const struct {
    std::string line;
    std::string expected;
  } cases[] = {
      {"#TO ZoomIn &201 %Hint",
       "Pause 0.5 / MouseCurvedMove ZoomIn / Pause 0.5 / Message &201 / Pause 0.5 / "
       "Message %Hint / Pause 0.5"},
      {"#TO", "Pause 0.5 / MouseCurvedMove  / Pause 0.5"},
      {"#toimage 120,80 &5",
       "Pause 0.5 / MouseCurvedMove Image, 120,80 / Pause 0.5 / "
       "Message &5 / Pause 0.5"},
      {"#START 10,20",
       "MouseSpeed 5 / MouseTo Image, 0, 0 / Pause 0.5 / "
       "MouseCurvedMove Image, 10,20 / Pause 0.5"},
      {"#USE ZoomIn &201 &202",
       "Pause 0.5 / MouseCurvedMove ZoomIn / Pause 0.5 / Message &201 / Pause 0.5 / ZoomIn / "
       "Pause 0.5 / Message &202 / Pause 0.5"},
      {"#SET TextFontSize 24",
       "Pause 0.5 / MouseCurvedMove TextFontSize / Pause 0.5 / "
       "TextFontSize 24 / Pause 0.5"},
      {"#SET Radius 12 %A %B",
       "Pause 0.5 / MouseCurvedMove Radius / Pause 0.5 / Message %A / Pause 0.5 / Radius 12 / "
       "Pause 0.5 / Message %B / Pause 0.5"},
      {"#FINISH", finish},
      {"#Finish whatever words", finish},
      {"#EACH 0.2 MouseMove 10,10 20,20",
       "Pause 0.2 / MouseMove Image, 10,10 / Pause 0.2 / MouseMove Image, 20,20"},
      {"#EACH 0.2 mousecurvedmove 5,5", "Pause 0.2 / mousecurvedmove Image, 5,5"},
      {"#EACH 0.2 MouseTo 10,10", "Pause 0.2 / MouseTo 10,10"},
      {"#FOR 0.5 TextFontSize 30 10 10",
       "Pause 0.5 / TextFontSize 30 / Pause 0.5 / TextFontSize 20 / Pause 0.5 / TextFontSize 10"},
      {"#FOR 1 Size 1 10 3",
       "Pause 1 / Size 1 / Pause 1 / Size 4 / Pause 1 / Size 7 / Pause 1 / Size 10"},
      {"#FOR 1 Size 5 1 2", "Pause 1 / Size 5 / Pause 1 / Size 3 / Pause 1 / Size 1"},
      {"#FOR 1 Size 1 3 -1", "Pause 1 / Size 1 / Pause 1 / Size 2 / Pause 1 / Size 3"},
      {"#FOR 1 Size 3 3", "Pause 1 / Size 3"},
      {"#FOR 1 Size -2 +1 2", "Pause 1 / Size -2 / Pause 1 / Size 0"},
      // Blanks are TAB and space only; commas stay inside words.
      {"\t#to \t Zoom,In\t&1  ",
       "Pause 0.5 / MouseCurvedMove Zoom,In / Pause 0.5 / "
       "Message &1 / Pause 0.5"},
  };
  for (const auto &c : cases) EXPECT_EQ(Expanded({c.line}), c.expected) << c.line;
}

TEST(DemoLanguage, LeavesOtherLinesAlone) {
  for (const char *line : {"#OD", "#", "#TOO ZoomIn", "MouseTo 10, 10", "", "  ", "\r#TO x"}) {
    TVxDemoLanguage language;
    EXPECT_FALSE(language.Expand({"first", line}, 1)) << line;
    EXPECT_TRUE(language.IsEmpty());
    EXPECT_EQ(language.GetResumeLine(), 1);
  }
}

TEST(DemoLanguage, RepeatsBlocks) {
  const struct {
    const char *what;
    Lines script;
    std::string expected;
    int32_t resume;
  } cases[] = {
      {"counter in any letter case",
       {"#DOFOR 1 2", "MouseMove Image, #FOR, 50", "#for", "#OD", "Pause 1"},
       "MouseMove Image, 1, 50 / 1 / MouseMove Image, 2, 50 / 2",
       3},
      {"items, terminator in lower case after blanks",
       {"#doeach a b", "Use #Each", "#TO x", " \t#od", "#OD"},
       "Use a / #TO x / Use b / #TO x",
       3},
      {"downward with a step", {"#DOFOR 5 1 2", "S #FOR", "#OD"}, "S 5 / S 3 / S 1", 2},
      {"no items", {"#DOEACH", "Line", "#OD"}, "", 2},
      {"empty body", {"#DOFOR 1 3", "#OD", "Pause 1"}, "", 1},
      // Without a terminator the rest of the script is played once.
      {"counter block never ended", {"#DOFOR 1 3", "A #FOR", "B"}, "A 1 / B", 3},
      {"item block never ended", {"#DOEACH x y", "A #EACH"}, "A x", 2},
      {"block on the last line", {"Pause 1", "#DOEACH x y"}, "", 2},
  };
  for (const auto &c : cases) {
    TVxDemoLanguage language;
    const int32_t index = c.what == std::string("block on the last line") ? 1 : 0;
    ASSERT_TRUE(language.Expand(c.script, index)) << c.what;
    std::string joined;
    while (!language.IsEmpty()) joined += (joined.empty() ? "" : " / ") + language.Pop();
    EXPECT_EQ(joined, c.expected) << c.what;
    EXPECT_EQ(language.GetResumeLine(), c.resume) << c.what;
    const bool terminated = static_cast<size_t>(c.resume) < c.script.size();
    EXPECT_EQ(language.Error().empty(), terminated) << c.what;
  }
}

TEST(DemoLanguage, RejectsLoopsWithoutAnEnd) {
  for (const char *line :
       {"#FOR 1 Size 1 10 0", "#FOR 1 Size a 10", "#FOR 1 Size 1 1.5", "#FOR 1 Size 1",
        "#FOR 1 Size 1 99999999999", "#FOR 1 Size 0 2000000000", "#DOFOR 1 5 0"}) {
    TVxDemoLanguage language;
    EXPECT_TRUE(language.Expand({line, "Body", "#OD"}, 0)) << line;
    EXPECT_TRUE(language.IsEmpty()) << line;
    EXPECT_FALSE(language.Error().empty()) << line;
  }
  // A rejected block is skipped as a whole.
  TVxDemoLanguage language;
  language.Expand({"#DOFOR 1 5 0", "Body", "#OD"}, 0);
  EXPECT_EQ(language.GetResumeLine(), 2);
}

TEST(DemoLanguage, QueuesAndClears) {
  TVxDemoLanguage language;
  EXPECT_EQ(language.Pop(), "");
  language.Expand({"#EACH 1 A x y"}, 0);
  EXPECT_EQ(language.Pop(), "Pause 1");
  // A second directive appends behind what is still queued.
  language.Expand({"#EACH 2 B z"}, 0);
  EXPECT_EQ(language.Queued().size(), 5u);
  EXPECT_EQ(language.Queued().back(), "B z");
  language.Clear();
  EXPECT_TRUE(language.IsEmpty());
  EXPECT_FALSE(language.Expand({"#EACH"}, 1)) << "an index past the script";
}

TEST(DemoLanguage, NextTokenSplitsAtTabsAndSpacesOnly) {
  const struct {
    std::string text;
    std::string word;
    std::string rest;
  } cases[] = {
      {"  one two", "one", "two"},
      {"\tone\t \ttwo three ", "one", "two three "},
      {"a,b\rc\nd e", "a,b\rc\nd", "e"},
      {"\"quoted words\" x", "\"quoted", "words\" x"},
      {"single", "single", ""},
      {" \t ", "", ""},
      {"", "", ""},
  };
  for (const auto &c : cases) {
    std::string text = c.text;
    EXPECT_EQ(TVxDemoLanguage::NextToken(text), c.word) << c.text;
    EXPECT_EQ(text, c.rest) << c.text;
  }
}

TEST(DemoLanguage, FindBlockEndComparesTheFirstWord) {
  TVxDemoLanguage language;
  const Lines lines{"#od", "x #OD", "#ODD", "  #Od trailing", "#OD"};
  language.FindBlockEnd(1, lines, "#OD");
  EXPECT_EQ(language.GetResumeLine(), 3);
  language.FindBlockEnd(4, lines, "#od");
  EXPECT_EQ(language.GetResumeLine(), 4);
  language.FindBlockEnd(0, lines, "#END");
  EXPECT_EQ(language.GetResumeLine(), 5);
  language.FindBlockEnd(9, lines, "#OD");
  EXPECT_EQ(language.GetResumeLine(), 5);
}

// Lines a directive produces are what the line parser reads.
TEST(DemoLanguage, ProducedLinesParse) {
  TVxDemoLanguage language;
  language.Expand({"#EACH 0.25 MouseMove 10,20"}, 0);
  const auto pause = ParseLine(language.Pop());
  ASSERT_TRUE(pause && pause->Arguments);
  EXPECT_EQ(pause->Word, "PAUSE");
  EXPECT_EQ(pause->Arguments->GetVariant(0), TVxVariant(0.25));
  const auto move = ParseLine(language.Pop());
  ASSERT_TRUE(move && move->Arguments);
  EXPECT_EQ(move->Word, "MOUSEMOVE");
  EXPECT_EQ(move->Arguments->GetVariant(0), TVxVariant(std::string("Image")));
  EXPECT_EQ(move->Arguments->GetVariant(1), TVxVariant(10));
  EXPECT_EQ(move->Arguments->GetVariant(2), TVxVariant(20));
  // Directive lines left in a body are comments when played.
  EXPECT_FALSE(ParseLine("#TO x"));
}

}  // namespace
