#include "demo/VxDemoLine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

// What a parsed argument list holds, in order.
std::vector<TVxVariant> Values(const TVxProperties &arguments) {
  std::vector<TVxVariant> values;
  for (int32_t i = 0; i < arguments.Count(); ++i) values.push_back(arguments.GetVariant(i));
  return values;
}

std::vector<TVxVariant> ParsedArguments(std::string_view text) {
  TVxProperties arguments;
  ParseDemoArguments(text, arguments);
  return Values(arguments);
}

struct TArgumentCase {
  const char *Text;
  std::vector<TVxVariant> Expected;
};

TEST(DemoLineTest, ArgumentsReadAsTheScriptGrammarSays) {
  const TArgumentCase cases[] = {
      {"Image, 120, 80", {"Image"s, 120, 80}},
      {"\"Zoom In\", 2.5, 3", {"Zoom In"s, 2.5, 3}},
      {"&392", {"&392"s}},
      {"10 20", {10}},  // no comma: the rest is ignored
      // Either quote; the other one and a backslash are plain characters.
      {"'say \"hi\"', \"it's\", \"C:\\\\x\"", {"say \"hi\""s, "it's"s, "C:\\\\x"s}},
      {"\"two\\nlines\"", {"two\nlines"s}},
      {"\"unterminated, 5", {"unterminated, 5"s}},
      {"true, false", {-1, 0}},
      {"trueish, 5", {-1}},  // matched as a prefix; what follows ends the list
      {"+5, -2.5E1, 1E3, .5", {5, -25.0, 1000.0, ".5"s}},
      // Scanned as numbers that do not convert: kept as written.
      {"1-2, 1.2.3, 1e3", {"1-2"s, "1.2.3"s, 1}},  // a small e ends the number
      {"99999999999", {99999999999.0}},
      {"(100, 200", {"(100"s, 200}},
      {" \t7 ,\n 8 \r\n", {7, 8}},
      {"a,", {"a"s, ""s}},
      {"", {""s}},
  };
  for (const TArgumentCase &c : cases) EXPECT_EQ(ParsedArguments(c.Text), c.Expected) << c.Text;
}

struct TLineCase {
  std::string_view Line;
  const char *Word;  // null: a comment
  bool HasArguments;
  std::vector<TVxVariant> Expected;
};

TEST(DemoLineTest, LinesSplitIntoAnUpperCaseWordAndItsArguments) {
  const TLineCase cases[] = {
      {"", nullptr, false, {}},
      {" \t ", nullptr, false, {}},
      {"; note", nullptr, false, {}},
      {"* note", nullptr, false, {}},
      {"// note", nullptr, false, {}},
      {"#OD", nullptr, false, {}},
      {"Pause", "PAUSE", false, {}},
      {"  zoomIn", "ZOOMIN", false, {}},
      {"Pause\t0.25", "PAUSE", true, {0.25}},
      {"MouseDown Image, 240, 120", "MOUSEDOWN", true, {"Image"s, 240, 120}},
      {"MouseTo(100, 200)", "MOUSETO", true, {"(100"s, 200}},
      {"Message \"Best Fit\"", "MESSAGE", true, {"Best Fit"s}},
      {"Stop\0 5"sv, "STOP", false, {}},  // the line ends at a NUL
  };
  for (const TLineCase &c : cases) {
    const std::optional<TVxDemoLine> line = ParseLine(c.Line);
    if (!c.Word) {
      EXPECT_FALSE(line) << c.Line;
      continue;
    }
    ASSERT_TRUE(line) << c.Line;
    EXPECT_EQ(line->Word, c.Word);
    ASSERT_EQ(line->Arguments != nullptr, c.HasArguments) << c.Line;
    if (line->Arguments) {
      EXPECT_EQ(Values(*line->Arguments), c.Expected) << c.Line;
    }
  }
}

TEST(DemoLineTest, QuotingGivesEveryTextBackOrRefusesIt) {
  const std::pair<std::string, const char *> cases[] = {
      {"face.png", "\"face.png\""},
      {"my \"best\" face.png", "'my \"best\" face.png'"},
      {"it's mine.png", "\"it's mine.png\""},
      {"two\nlines", "\"two\\nlines\""},
      {"back\\slash\\\n", "\"back\\slash\\\\n\""},
      {"tab\there", "\"tab\there\""},
      {"", "\"\""},
      // No quoting or escape gives these back.
      {"both \" and '", nullptr},
      {"C:\\new", nullptr},
      {"carriage\rreturn", nullptr},
      {"nul\0"s, nullptr},
  };
  for (const auto &[text, quoted] : cases) {
    const std::optional<std::string> result = QuoteDemoText(text);
    if (!quoted) {
      EXPECT_FALSE(result) << text;
      continue;
    }
    ASSERT_TRUE(result) << text;
    EXPECT_EQ(*result, quoted);
    EXPECT_EQ(ParsedArguments(*result), std::vector<TVxVariant>{text}) << *result;
  }
}

TEST(DemoLineTest, WrittenLinesReadBackAsTheSameWordAndArguments) {
  const std::vector<TVxDemoArgument> arguments = {
      TVxDemoName{"Image"},    120,        -80, 2.0, 0.5, 1e20, -1.5e-7, true, false,
      "my \"best\" face.png"s, "Zoom In"s, ""s};
  const std::optional<std::string> line = FormatDemoLine("ImageOpen", arguments);
  ASSERT_TRUE(line);
  EXPECT_EQ(*line,
            "ImageOpen Image, 120, -80, 2.0, 0.5, 1E+20, -1.5E-07, true, false, "
            "'my \"best\" face.png', \"Zoom In\", \"\"");
  const std::optional<TVxDemoLine> parsed = ParseLine(*line);
  ASSERT_TRUE(parsed && parsed->Arguments);
  EXPECT_EQ(parsed->Word, "IMAGEOPEN");
  EXPECT_EQ(Values(*parsed->Arguments),
            (std::vector<TVxVariant>{"Image"s, 120, -80, 2.0, 0.5, 1e20, -1.5e-7, -1, 0,
                                     "my \"best\" face.png"s, "Zoom In"s, ""s}));
  EXPECT_EQ(FormatDemoLine("ZoomIn"), "ZoomIn");
}

TEST(DemoLineTest, LinesThatWouldReadBackAsSomethingElseAreNotWritten) {
  const auto refused = [](std::string_view word, std::vector<TVxDemoArgument> arguments) {
    return !FormatDemoLine(word, arguments).has_value();
  };
  for (const char *word : {"", "Zoom In", "Zoom(", "#SET", ";x", "*x", "/x", "Tab\tWord"})
    EXPECT_TRUE(refused(word, {})) << word;
  for (const char *name : {"", "10", "-x", "'x", "\"x", "true", "falsehood", "a b", "a,b", "a\nb"})
    EXPECT_TRUE(refused("MouseTo", {TVxDemoName{name}})) << name;
  for (double real : {std::numeric_limits<double>::infinity(), std::nan("")})
    EXPECT_TRUE(refused("Pause", {real}));
  EXPECT_TRUE(refused("ImageOpen", {"both \" and '.png"s, 10, 10}));
}

TEST(DemoLineTest, ACommandIsRecordedWholeOrNotAtAll) {
  const std::vector<TVxDemoArgument> size = {640, 480};
  EXPECT_EQ(DemoCommandLines("ZoomIn", "Zoom In"s, "ZoomIn"),
            (std::vector<std::string>{"MouseCurvedMove ZoomIn", "Message \"Zoom In\"", "ZoomIn"}));
  EXPECT_EQ(DemoCommandLines("Open", std::nullopt, "SetMinViewSize", size),
            (std::vector<std::string>{"MouseCurvedMove Open", "SetMinViewSize 640, 480"}));
  const std::vector<TVxDemoArgument> unquotable = {"a \" b ' c"s};
  EXPECT_TRUE(DemoCommandLines("Open", "Open Image"s, "ImageOpen", unquotable).empty());
  EXPECT_TRUE(DemoCommandLines("Open", "say \" and '"s, "ZoomIn").empty());
}

}  // namespace
