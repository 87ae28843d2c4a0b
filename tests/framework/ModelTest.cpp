#include <gtest/gtest.h>

#include <QMainWindow>

#include "documents/VxGraphicsEditor.h"
#include "framework/CommonData.h"
#include "framework/Model.h"
#include "framework/VxMainForm.h"
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
  App.reset();
  EXPECT_EQ(Module, nullptr);
}

}  // namespace
