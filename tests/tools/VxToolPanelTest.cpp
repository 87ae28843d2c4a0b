#include <gtest/gtest.h>

#include <QMainWindow>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <cstdlib>
#include <set>

#include "ToolFixture.h"
#include "framework/VxMainForm.h"
#include "settings/VxStream.h"

namespace {

using tooltest::TLogTool;

class ToolPanelTest : public tooltest::ToolTest {
 protected:
  // Loads a configuration whose panel section holds `record` as item 1.
  void LoadRecord(const std::vector<uint8_t> &record) {
    TVxMemoryStream stream;
    {
      TVxSDFWriter writer(&stream, false);
      writer.BeginSection(1, TVxToolPanelModule::SectionGuid);
      writer.WriteBinary(1, record.data(), static_cast<uint32_t>(record.size()));
      writer.EndNode();
    }
    stream.Seek(0, TVxSeekOrigin::Begin);
    TVxSDFReader reader(&stream, false);
    Panel->LoadSettings(reader);
  }
  static std::vector<uint8_t> Record(const TVxPanelLayout &layout) {
    const auto bytes = layout.Encode();
    return {bytes.begin(), bytes.end()};
  }
};

TEST_F(ToolPanelTest, DocksOnTheRightWithItsToggleUnderToolbars) {
  TMainForm *form = MainForm();
  EXPECT_EQ(form->dockWidgetArea(Panel->Panel), Qt::RightDockWidgetArea);
  EXPECT_TRUE(form->ToolbarsMenuItem->actions().contains(Panel->VisibleMenuItem));
  Panel->VisibleMenuItem->trigger();
  EXPECT_FALSE(Panel->PanelVisible());
  Idle();
  EXPECT_FALSE(Panel->VisibleMenuItem->isChecked());
  Panel->VisibleMenuItem->trigger();
  EXPECT_TRUE(Panel->PanelVisible());
}

// The tool buttons flow into rows at the panel's fixed width; a row break
// starts a new row and a hidden tool leaves no gap.
TEST_F(ToolPanelTest, ToolButtonsWrapIntoRowsAtThePanelsWidth) {
  std::vector<TLogTool *> tools;
  for (const char *name : {"Aa", "Bb", "Cc", "Dd", "Ee", "Ff", "Gg"})
    tools.push_back(AddTool(name));
  Panel->AddToolSeparator(true);
  TLogTool *after = AddTool("Hh");
  ASSERT_NE(Open(CopySample("a.png")), nullptr);
  TMainForm *form = MainForm();
  form->resize(1000, 700);
  form->show();
  Panel->SetPanelWidth(200);
  uitest::ProcessEvents();

  TVxToolGrid *grid = Panel->ToolFrame->Grid;
  ASSERT_TRUE(Panel->ToolbarWraps());
  EXPECT_FALSE(Panel->Toolbar->isVisible());
  auto box = [&](TLogTool *tool) {
    QWidget *button = Panel->ToolFrame->ButtonFor(tool->Button);
    return button ? button->geometry() : QRect();
  };
  std::set<int> rows;
  for (TLogTool *tool : tools) {
    const QRect r = box(tool);
    ASSERT_FALSE(r.isNull()) << tool->Name;
    EXPECT_TRUE(grid->rect().contains(r)) << tool->Name;
    rows.insert(r.top());
  }
  EXPECT_GT(rows.size(), 1u);            // wrapped
  EXPECT_LT(rows.size(), tools.size());  // and more than one to a row
  EXPECT_EQ(box(after).left(), 0);
  EXPECT_GT(box(after).top(), *rows.rbegin());
  EXPECT_EQ(Panel->ToolFrame->height(), grid->height() + 6);
  EXPECT_EQ(grid->height(), box(after).bottom() + 1);
  if (const char *shots = std::getenv("VELORA_VIEW_SHOTS"))
    form->grab().save(QString::fromUtf8(shots) + "/tool-panel.png");

  // Hidden, a tool's place goes to the next one.
  const QRect second = box(tools[1]);
  tools[1]->SetToolVisible(false);
  uitest::ProcessEvents();
  EXPECT_FALSE(Panel->ToolFrame->ButtonFor(tools[1]->Button)->isVisible());
  EXPECT_EQ(box(tools[2]).topLeft(), second.topLeft());

  // The button is the tool's: clicking it selects the tool.
  QTest::mouseClick(Panel->ToolFrame->ButtonFor(tools[3]->Button), Qt::LeftButton);
  EXPECT_EQ(Editor->CurrentTool(), tools[3]);
  Idle();
  EXPECT_TRUE(
      static_cast<QToolButton *>(Panel->ToolFrame->ButtonFor(tools[3]->Button))->isChecked());

  // Unwrapped, the toolbar itself shows them in one line.
  Panel->SetToolbarWrap(false);
  EXPECT_FALSE(Panel->ToolbarWraps());
  EXPECT_EQ(Panel->ToolFrame->ButtonFor(tools[0]->Button),
            Panel->Toolbar->widgetForAction(tools[0]->Button));
}

TEST_F(ToolPanelTest, LayoutRecordIsFortySevenPackedLittleEndianBytes) {
  TVxPanelLayout docked;
  docked.Visible = true;
  docked.DockSide = TVxPanelLayout::SideLeft;
  docked.DockedWidth = 0x01020304;
  docked.DockedHeight = 600;
  docked.SplitSize = 250;
  const auto bytes = docked.Encode();
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 6),
            (std::vector<uint8_t>{47, 0, 0, 0, 1, 0}));
  EXPECT_EQ(bytes[22], TVxPanelLayout::SideLeft);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 31, bytes.begin() + 35),
            (std::vector<uint8_t>{4, 3, 2, 1}));
  EXPECT_EQ(bytes[39], 250);
  EXPECT_EQ(bytes[43], 250);
  // The floating fields of a docked panel stay zero.
  for (size_t i = 6; i < 22; ++i) EXPECT_EQ(bytes[i], 0) << i;
  TVxPanelLayout back;
  ASSERT_TRUE(TVxPanelLayout::Decode(bytes.data(), bytes.size(), back));
  EXPECT_EQ(back.DockedWidth, docked.DockedWidth);
  EXPECT_EQ(back.SplitSize, 250);
}

TEST_F(ToolPanelTest, AStoredLayoutIsAppliedOnlyWhenItsSizeFieldSaysFortySeven) {
  TVxPanelLayout hidden;
  hidden.Visible = false;
  std::vector<uint8_t> wrongSize = Record(hidden);
  wrongSize[0] = 46;
  LoadRecord(wrongSize);
  EXPECT_TRUE(Panel->PanelVisible());
  std::vector<uint8_t> shortRecord = Record(hidden);
  shortRecord.resize(40);
  LoadRecord(shortRecord);
  EXPECT_TRUE(Panel->PanelVisible());

  hidden.DockSide = TVxPanelLayout::SideLeft;
  LoadRecord(Record(hidden));
  EXPECT_FALSE(Panel->PanelVisible());
  EXPECT_EQ(MainForm()->dockWidgetArea(Panel->Panel), Qt::LeftDockWidgetArea);
}

TEST_F(ToolPanelTest, SettingsRoundTripTheLayout) {
  Panel->SetPanelVisible(false);
  TVxMemoryStream stream;
  {
    TVxSDFWriter writer(&stream, false);
    Panel->SaveSettings(writer);
  }
  Panel->SetPanelVisible(true);
  stream.Seek(0, TVxSeekOrigin::Begin);
  TVxSDFReader reader(&stream, false);
  Panel->LoadSettings(reader);
  EXPECT_FALSE(Panel->PanelVisible());
}

// A tall options frame on a small screen scrolls instead of being cut off;
// a short one shown after it has nothing to scroll.
TEST_F(ToolPanelTest, ATallOptionsFrameScrollsInsteadOfBeingCutOff) {
  const auto frameOf = [&](int height) {
    auto *frame = Panel->CreateOptionsFrame<TVxFrame>();
    auto *column = new QVBoxLayout(frame);
    auto *content = new QWidget(frame);
    content->setMinimumHeight(height);
    column->addWidget(content);
    return frame;
  };
  TVxFrame *tall = frameOf(900);
  TVxFrame *shortFrame = frameOf(40);
  MainForm()->resize(700, 400);
  MainForm()->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(MainForm()));

  Panel->ShowOptionsFrame(tall);
  uitest::ProcessEvents();
  EXPECT_GE(tall->height(), 900);
  QScrollBar *bar = Panel->OptionsScroller->verticalScrollBar();
  EXPECT_GT(bar->maximum(), 0);
  bar->setValue(bar->maximum());
  EXPECT_LE(tall->mapTo(Panel->OptionsScroller->viewport(), QPoint(0, tall->height())).y(),
            Panel->OptionsScroller->viewport()->height());

  Panel->ShowOptionsFrame(shortFrame);
  uitest::ProcessEvents();
  EXPECT_EQ(bar->maximum(), 0);
  EXPECT_LE(Panel->OptionsScroller->horizontalScrollBar()->maximum(), 0);
}

TEST_F(ToolPanelTest, PanelWidthIsFixedAndNeverShrinksBelowTheMinimum) {
  Panel->SetPanelWidth(260);
  EXPECT_EQ(Panel->Panel->minimumWidth(), 260);
  EXPECT_EQ(Panel->Panel->maximumWidth(), 260);
  Panel->SetPanelWidth(120);
  EXPECT_EQ(Panel->Panel->minimumWidth(), 260);
  Panel->SetPanelWidth(300);
  EXPECT_EQ(Panel->Panel->maximumWidth(), 300);
}

}  // namespace
