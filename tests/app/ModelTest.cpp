#include <gtest/gtest.h>

#include <QLabel>
#include <QMainWindow>
#include <stdexcept>

#include "app/CommonData.h"
#include "app/Model.h"
#include "editor/VxGraphicsEditor.h"
#include "framework/VxMainForm.h"
#include "framework/VxProgressMeter.h"
#include "framework/VxText.h"
#include "support/UiFixture.h"
#include "tools/VxAntiAgingTool.h"
#include "tools/VxHandInpaintingTool.h"
#include "tools/VxMakeUpSurfaceTool.h"
#include "tools/VxOriginalImageTool.h"
#include "tools/VxScrollTool.h"
#include "tools/VxSmudgeTool.h"
#include "tools/VxToolPanel.h"
#include "tools/VxUndoBrushTool.h"

namespace {

// The product assembled as the program entry does it.
class ProductAssemblyTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    uitest::UseProgramLanguages();
    App->CreateForm(CommonDataModule);
    App->CreateForm(Module);
  }
};

TEST_F(ProductAssemblyTest, CreatesTheEditorThePanelAndTheSmallToolsInProductOrder) {
  std::vector<std::string> order;
  for (int i = 0; i < App->ComponentCount(); ++i) {
    QObject *component = App->Component(i);
    if (qobject_cast<TVxGraphicsEditor *>(component)) order.push_back("editor");
    if (qobject_cast<TVxScrollTool *>(component)) order.push_back("hand");
    if (qobject_cast<TVxToolPanelModule *>(component)) order.push_back("panel");
    if (qobject_cast<TVxOriginalImageTool *>(component)) order.push_back("original");
    if (qobject_cast<TVxSmudgeTool *>(component)) order.push_back("smudge");
    if (qobject_cast<TVxUndoBrushTool *>(component)) order.push_back("history");
    if (qobject_cast<TVxAntiAgingTool1 *>(component)) order.push_back("smoothing");
    if (qobject_cast<TVxEmphasisTool *>(component)) order.push_back("emphasis");
    if (qobject_cast<TVxHandInpaintingTool *>(component)) order.push_back("blemish");
    if (qobject_cast<TVxTeethBleachTool *>(component)) order.push_back("teeth");
  }
  EXPECT_EQ(order,
            (std::vector<std::string>{"editor", "hand", "panel", "original", "smudge", "history",
                                      "smoothing", "emphasis", "blemish", "teeth"}));
}

// Buttons in product order with their pictures; the wide separator starts
// the retouching row.
TEST_F(ProductAssemblyTest, TheToolPanelShowsTheToolsButtonsWithTheirPicturesAndSeparators) {
  const QList<QAction *> items = ToolPanel()->Toolbar->actions();
  std::vector<std::string> layout;
  for (QAction *item : items) {
    if (item->isSeparator()) {
      layout.push_back(item->property(TVxToolGrid::RowBreakProperty).toBool() ? "wide" : "|");
      continue;
    }
    layout.push_back(item->text().toStdString());
  }
  const auto text = [](int number) { return Text(number).toStdString(); };
  EXPECT_EQ(layout, (std::vector<std::string>{text(2651), text(2002), "|", "wide", text(2654),
                                              text(2819), "|", text(2450), "|", text(2615), "|"}));
  const struct {
    QString Text;
    int Image;
  } pictures[] = {{Text(2651), 35}, {Text(2002), 21}, {Text(2654), 39},
                  {Text(2819), 45}, {Text(2450), 40}, {Text(2615), 29}};
  for (const auto &picture : pictures) {
    auto found = std::find_if(items.begin(), items.end(),
                              [&](QAction *item) { return item->text() == picture.Text; });
    ASSERT_NE(found, items.end()) << picture.Text.toStdString();
    EXPECT_EQ((*found)->icon().cacheKey(),
              CommonDataModule->New24TBXImageList->Icon(picture.Image).cacheKey())
        << picture.Text.toStdString();
    EXPECT_FALSE((*found)->icon().isNull()) << picture.Text.toStdString();
  }
}

TEST_F(ProductAssemblyTest, BlemishRemovalIsTheToolAtStartWithOnlyItsEverydayOptions) {
  auto *blemish = App->Find<TVxHandInpaintingTool>();
  ASSERT_NE(blemish, nullptr);
  EXPECT_EQ(GraphicsEditor()->CurrentTool(), blemish);
  EXPECT_TRUE(blemish->Active);
  ASSERT_NE(blemish->HandFrame, nullptr);
  EXPECT_TRUE(blemish->HandFrame->AreaReflectionPanel->isHidden());
  blemish->Initialize();  // as Run does: its idle updates start
  App->DoIdle();
  EXPECT_TRUE(blemish->Button->isChecked());
  EXPECT_TRUE(blemish->HandFrame->OptionsPanel->isHidden());
  EXPECT_FALSE(blemish->HandFrame->AdjustmentPanel->isHidden());
  EXPECT_EQ(blemish->AdjustmentMode, 2);
  EXPECT_TRUE(blemish->AutoReflection);
}

TEST_F(ProductAssemblyTest, TheEditorMakesTheMainWindowWithAWrappingToolPanelOnItsRight) {
  TMainForm *form = MainForm();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(App->MainWindow(), form);
  EXPECT_EQ(form->dockWidgetArea(ToolPanel()->Panel), Qt::RightDockWidgetArea);
  EXPECT_TRUE(ToolPanel()->ToolbarWraps());
}

TEST_F(ProductAssemblyTest, TheDemonstrationsAreLookedForInTheDemoFolder) {
  EXPECT_TRUE(GraphicsEditor()->DemoFolder.endsWith("Demo/"));
}

TEST_F(ProductAssemblyTest, TheOriginalImageButtonFollowsASeparatorOnTheStandardToolbar) {
  const QList<QAction *> items = GraphicsEditor()->StandardToolbar->actions();
  ASSERT_GE(items.size(), 2);
  EXPECT_TRUE(items[items.size() - 2]->isSeparator());
}

TEST_F(ProductAssemblyTest, TheProgressMeterIsTheStatusBarsLastPanel200WideAndAtRest) {
  TMainForm *form = MainForm();
  ASSERT_NE(form, nullptr);
  QProgressBar *bar = CommonDataModule->ProgressMeter()->Bar();
  ASSERT_NE(bar, nullptr);
  const QList<QProgressBar *> bars = form->StatusBar->findChildren<QProgressBar *>();
  EXPECT_EQ(bars, QList<QProgressBar *>{bar});
  form->resize(1100, 600);
  form->show();
  uitest::ProcessEvents();
  for (QLabel *panel : GraphicsEditor()->StatusPanels)
    EXPECT_LT(panel->geometry().right(), bar->geometry().left());
  EXPECT_EQ(bar->width(), 200);
  // Empty, not a busy indicator.
  EXPECT_EQ(bar->value(), 0);
  EXPECT_GT(bar->maximum(), bar->minimum());
}

TEST_F(ProductAssemblyTest, AProgressRunNeverCountsPastItsMaximumAndEndsAtRestWhenWorkFails) {
  QProgressBar *bar = CommonDataModule->ProgressMeter()->Bar();
  ASSERT_NE(bar, nullptr);
  try {
    TVxProgressRun run(ProgressMeter(), 3);
    EXPECT_EQ(bar->maximum(), 3);
    for (int i = 0; i < 5; ++i) run.Step();
    EXPECT_EQ(bar->value(), 3);
    throw std::runtime_error("work failed");
  } catch (const std::runtime_error &) {
  }
  EXPECT_EQ(bar->value(), 0);
  EXPECT_GT(bar->maximum(), bar->minimum());
}

TEST_F(ProductAssemblyTest, TheModulesGoWithTheApplicationAndLaterProgressStepsAreHarmless) {
  App.reset();
  EXPECT_EQ(Module, nullptr);
  ProgressMeter().Step();  // nobody watches now: nothing happens
}

}  // namespace
