#include <gtest/gtest.h>

#include <QMainWindow>

#include "ToolFixture.h"
#include "framework/VxMainForm.h"
#include "settings/VxStream.h"

namespace {

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
