#include "app/Model.h"

#include <QToolBar>

#include "app/CommonData.h"
#include "editor/VxGraphicsEditor.h"
#include "framework/VxApplication.h"
#include "framework/VxMainForm.h"
#include "platform/ProgramPath.h"
#include "tools/VxHandInpaintingTool.h"
#include "tools/VxOriginalImageTool.h"
#include "tools/VxToolPanel.h"

TModule *Module = nullptr;

TModule::TModule(QObject *owner) : QObject(owner) {
  setObjectName(QStringLiteral("Module"));
  if (!Module) Module = this;
  DataModuleCreate();
}

TModule::~TModule() {
  if (Module == this) Module = nullptr;
}

void TModule::DataModuleCreate() {
  TVxApplication *application = Application();
  if (!application) return;
  // The image editor creates the main window, which uses the common images.
  TVxGraphicsEditor *editor = nullptr;
  application->CreateModule(editor);
  editor->DemoFolder =
      QString::fromStdString((platform::ProgramFolder() / "Demo").string()) + QStringLiteral("/");

  TVxToolPanelModule *panel = nullptr;
  application->CreateModule(panel);
  panel->SetToolbarWrap(true);
  if (editor->StandardToolbar) editor->StandardToolbar->addSeparator();

  CreateGraphicsTool<TVxOriginalImageTool>();

  if (CommonDataModule)
    if (TMainForm *form = MainForm()) CommonDataModule->CreateProgressMeter(form->StatusBar);

  // Blemish removal (image 40), the tool selected at start. In the tool
  // panel it follows the emphasis tool and its separator; the teeth tool
  // comes after it, behind a separator of its own.
  auto *blemish = CreateGraphicsTool<TVxHandInpaintingTool>();
  blemish->ApplyPreset(false);
  editor->SelectTool(blemish);
}
