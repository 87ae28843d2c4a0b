// Every demonstration word the editor, the image view and the two small tools
// declare is recorded with a typical argument and read back by the script
// reader as the same word and arguments.

#include <gtest/gtest.h>

#include <QToolBar>
#include <QToolButton>
#include <string>
#include <vector>

#include "../tools/ToolFixture.h"
#include "demo/VxDemoLine.h"
#include "demo/VxDemoWords.h"
#include "support/FakeRecorder.h"
#include "tools/VxOriginalImageTool.h"
#include "tools/VxScrollTool.h"
#include "views/VxGraphicsView.h"

namespace {

using namespace std::string_literals;

// An argument as written, and as the reader gives it back.
struct TTypical {
  std::vector<TVxDemoArgument> Written;
  std::vector<TVxVariant> Read;
};

TTypical TypicalArguments(TVxDemoArgs args) {
  switch (args) {
    case TVxDemoArgs::None:
      return {};
    case TVxDemoArgs::Bool:
      return {{true}, {-1}};
    case TVxDemoArgs::Integer:
      return {{42}, {42}};
    case TVxDemoArgs::Colour:
      return {{0x00FF8040}, {0x00FF8040}};
    case TVxDemoArgs::Point:
      return {{640, 480}, {640, 480}};
    case TVxDemoArgs::File:
      return {{"my \"best\" face.png"s, 640, 480}, {"my \"best\" face.png"s, 640, 480}};
  }
  return {};
}

std::vector<TVxVariant> Values(const TVxDemoLine &line) {
  std::vector<TVxVariant> values;
  if (line.Arguments)
    for (int32_t i = 0; i < line.Arguments->Count(); ++i)
      values.push_back(line.Arguments->GetVariant(i));
  return values;
}

// The recorded lines read back, or a failure naming the line.
std::vector<TVxDemoLine> ReadBack(const QStringList &lines) {
  std::vector<TVxDemoLine> parsed;
  for (const QString &line : lines) {
    std::optional<TVxDemoLine> read = ParseLine(line.toStdString());
    EXPECT_TRUE(read) << line.toStdString();
    if (read) parsed.push_back(std::move(*read));
  }
  return parsed;
}

// Records every word of table as its client does and checks what the reader
// makes of it: a command word as the three lines of a click on its control,
// a word that only names a control as a move to it.
template <class TOwner>
void RecordEveryWord(const TVxDemoWordTable<TOwner> &table, const QString &prefix) {
  for (const TVxDemoWord<TOwner> &entry : table.Entries()) {
    const QString word = prefix + QLatin1String(entry.Word);
    SCOPED_TRACE(word.toStdString());
    const TTypical typical = TypicalArguments(entry.Args);
    uitest::TFakeRecorder recorder;
    std::vector<TVxVariant> expected;
    if (entry.Run) {
      table.Record(&recorder, prefix, entry.Word, typical.Written);
      expected = typical.Read;
    } else {
      ASSERT_TRUE(entry.Args == TVxDemoArgs::None || entry.Args == TVxDemoArgs::Point);
      if (entry.Args == TVxDemoArgs::Point)
        table.RecordAt(&recorder, "MouseCurvedMove", prefix, entry.Word, {640, 480});
      else
        table.RecordAt(&recorder, "MouseCurvedMove", prefix, entry.Word);
      expected.push_back(word.toStdString());
      expected.insert(expected.end(), typical.Read.begin(), typical.Read.end());
    }
    EXPECT_TRUE(recorder.Errors.isEmpty());
    const std::vector<TVxDemoLine> lines = ReadBack(recorder.Lines);
    ASSERT_EQ(lines.size(), entry.Run ? 3u : 1u);
    const TVxDemoLine &last = lines.back();
    EXPECT_EQ(last.Word, entry.Run ? word.toUpper().toStdString() : "MOUSECURVEDMOVE");
    EXPECT_EQ(Values(last), expected);
    if (!entry.Run) continue;
    const std::string target = entry.Target ? entry.Target : word.toStdString();
    const std::string message = entry.Message ? entry.Message : word.toStdString();
    EXPECT_EQ(lines[0].Word, "MOUSECURVEDMOVE");
    EXPECT_EQ(Values(lines[0]), std::vector<TVxVariant>{target});
    EXPECT_EQ(lines[1].Word, "MESSAGE");
    EXPECT_EQ(Values(lines[1]), std::vector<TVxVariant>{message});
  }
}

TEST(DemoWordsTest, EveryWordRecordsALineThatReadsBackAsTheSameWordAndArguments) {
  RecordEveryWord(TVxGraphicsEditor::DemoWords(), {});
  RecordEveryWord(TVxEditor::DemoWords(), {});
  RecordEveryWord(TVxGraphicsView::DemoWords(), {});
  RecordEveryWord(TVxGraphicsTool::DemoWords(), QStringLiteral("Scroll"));
  RecordEveryWord(TVxOriginalImageTool::DemoWords(), QStringLiteral("OriginalImage"));
}

TEST(DemoWordsTest, MessagesFollowTheRecordingUnlessAToolNamesItself) {
  uitest::TFakeRecorder recorder;
  recorder.Messages = false;
  TVxGraphicsEditor::DemoWords().Record(&recorder, {}, "ZoomIn");
  TVxGraphicsTool::DemoWords().Record(&recorder, QStringLiteral("Resize"), "");
  EXPECT_EQ(recorder.Lines,
            (QStringList{"MouseCurvedMove ZoomIn", "ZoomIn", "MouseCurvedMove Resize",
                         "Message \"Resize\"", "Resize"}));
  recorder.Lines.clear();
  recorder.Recording = false;
  TVxGraphicsEditor::DemoWords().Record(&recorder, {}, "ZoomIn");
  EXPECT_TRUE(recorder.Lines.isEmpty());
}

using DemoClientTest = tooltest::ToolTest;

// What the registry will be given: every word once, with its control and
// a handler that runs it.
TEST_F(DemoClientTest, ClientsListTheirWordsWithControlsAndHandlers) {
  auto *original = CreateGraphicsTool<TVxOriginalImageTool>();
  ASSERT_NE(Open(CopySample("a.png")), nullptr);
  std::vector<TVxDemoWordInfo> words;
  const auto keep = [&](const TVxDemoWordInfo &info) { words.push_back(info); };
  const auto find = [&](const char *word) -> const TVxDemoWordInfo * {
    for (const TVxDemoWordInfo &info : words)
      if (info.Word == QLatin1String(word)) return &info;
    return nullptr;
  };

  Editor->ListDemoWords(keep);
  EXPECT_EQ(words.size(), TVxGraphicsEditor::DemoWords().Entries().size() +
                              TVxEditor::DemoWords().Entries().size());
  const TVxDemoWordInfo *zoomIn = find("ZoomIn");
  ASSERT_TRUE(zoomIn && zoomIn->Run);
  EXPECT_EQ(zoomIn->Control, Editor->ZoomInButton);
  EXPECT_EQ(find("Undo")->Control, Editor->UndoToolButton);
  EXPECT_FALSE(find("Open")->Run);
  const TVxZoom before = View()->Zoom();
  TVxProperties none;
  zoomIn->Run({nullptr, none, true});
  EXPECT_NE(View()->Zoom(), before);

  words.clear();
  original->ListDemoWords(keep);
  ASSERT_EQ(words.size(), 2u);
  EXPECT_EQ(find("OriginalImageButton")->Control, original->OriginalImageToolButton);
  EXPECT_FALSE(find("OriginalImage")->Run);  // held, never clicked

  words.clear();
  TVxScrollTool *scroll = Application()->Find<TVxScrollTool>();
  ASSERT_NE(scroll, nullptr);
  scroll->ListDemoWords(keep);
  ASSERT_EQ(words.size(), 1u);
  ASSERT_TRUE(find("Scroll") && find("Scroll")->Run);
  find("Scroll")->Run({nullptr, none, true});
  EXPECT_EQ(Editor->CurrentTool(), scroll);
}

// A script moves to a tool by its name: the button that selects it, or for
// the original-image tool the button held to compare.
TEST_F(DemoClientTest, ToolWordsNameTheirButtons) {
  auto *original = CreateGraphicsTool<TVxOriginalImageTool>();
  tooltest::TLogTool *alpha = AddTool("Alpha");
  const auto centre = [](const QWidget *widget) {
    return widget->mapToGlobal(widget->rect().center());
  };
  const auto point = [](TVxGraphicsTool *tool, const char *name, QPoint &screen) {
    TVxProperties params;
    params.SetString(0, name);
    bool handled = false;
    tool->GetDemoCommandPoint(nullptr, params, handled, screen);
    return handled;
  };
  QPoint screen;
  ASSERT_TRUE(point(alpha, "alpha", screen));
  EXPECT_EQ(screen, centre(Panel->Toolbar->widgetForAction(alpha->Button)));
  for (const char *name : {"OriginalImage", "originalimagebutton"}) {
    ASSERT_TRUE(point(original, name, screen)) << name;
    EXPECT_EQ(screen, centre(original->OriginalImageToolButton));
  }
  EXPECT_FALSE(point(alpha, "AlphaButton", screen));
  EXPECT_FALSE(point(Application()->Find<TVxScrollTool>(), "Scroll", screen));  // no button
}

}  // namespace
