#include <gtest/gtest.h>

#include <QLabel>
#include <QMainWindow>
#include <stdexcept>

#include "editor/VxGraphicsEditor.h"
#include "app/CommonData.h"
#include "app/Model.h"
#include "framework/VxMainForm.h"
#include "framework/VxProgressMeter.h"
#include "support/UiFixture.h"
#include "tools/VxOriginalImageTool.h"
#include "tools/VxScrollTool.h"
#include "tools/VxToolPanel.h"

namespace {

using ProductAssemblyTest = uitest::UiTest;

TEST_F(ProductAssemblyTest, CreatesTheEditorThePanelAndTheSmallToolsInProductOrder) {
  App->CreateForm(CommonDataModule);
  App->CreateForm(Module);
  std::vector<std::string> order;
  for (int i = 0; i < App->ComponentCount(); ++i) {
    QObject *component = App->Component(i);
    if (qobject_cast<TVxGraphicsEditor *>(component)) order.push_back("editor");
    if (qobject_cast<TVxScrollTool *>(component)) order.push_back("hand");
    if (qobject_cast<TVxToolPanelModule *>(component)) order.push_back("panel");
    if (qobject_cast<TVxOriginalImageTool *>(component)) order.push_back("original");
  }
  EXPECT_EQ(order, (std::vector<std::string>{"editor", "hand", "panel", "original"}));
  // The editor made the main window, with the tool panel on its right.
  TMainForm *form = MainForm();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(App->MainWindow(), form);
  EXPECT_EQ(form->dockWidgetArea(ToolPanel()->Panel), Qt::RightDockWidgetArea);
  EXPECT_TRUE(ToolPanel()->ToolbarWraps());
  EXPECT_TRUE(GraphicsEditor()->DemoFolder.endsWith("Demo/"));
  // The original-image button follows a separator on the standard toolbar.
  const QList<QAction *> items = GraphicsEditor()->StandardToolbar->actions();
  ASSERT_GE(items.size(), 2);
  EXPECT_TRUE(items[items.size() - 2]->isSeparator());

  // The progress meter is the status bar's last panel, 200 wide, at rest.
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
  auto atRest = [&] { return bar->value() == 0 && bar->maximum() > bar->minimum(); };
  EXPECT_TRUE(atRest());  // empty, not a busy indicator

  // A run counts its steps, never past the maximum, and ends at rest even
  // when the work fails.
  try {
    TVxProgressRun run(ProgressMeter(), 3);
    EXPECT_EQ(bar->maximum(), 3);
    for (int i = 0; i < 5; ++i) run.Step();
    EXPECT_EQ(bar->value(), 3);
    throw std::runtime_error("work failed");
  } catch (const std::runtime_error &) {
  }
  EXPECT_TRUE(atRest());

  App.reset();
  EXPECT_EQ(Module, nullptr);
  ProgressMeter().Step();  // nobody watches now: nothing happens
}

}  // namespace
