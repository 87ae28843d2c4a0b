#include "app/Model.h"

#include <QToolBar>
#include <filesystem>

#include "app/CommonData.h"
#include "editor/VxDemonstration.h"
#include "editor/VxGraphicsEditor.h"
#include "framework/VxApplication.h"
#include "framework/VxMainForm.h"
#include "platform/ProgramPath.h"
#include "tools/VxAntiAgingTool.h"
#include "tools/VxHandInpaintingTool.h"
#include "tools/VxMakeUpSurfaceTool.h"
#include "tools/VxOriginalImageTool.h"
#include "tools/VxSmudgeTool.h"
#include "tools/VxToolPanel.h"
#include "tools/VxUndoBrushTool.h"

TModule *Module = nullptr;

namespace {

// Creates a tool of the tool panel and gives its button the picture of index.
template <class TTool>
TTool *CreatePanelTool(int imageIndex) {
  TTool *tool = CreateGraphicsTool<TTool>();
  TMainForm *form = MainForm();
  if (tool && tool->Button && form) {
    tool->Button->setIcon(form->Images()->Icon(imageIndex));
  }
  return tool;
}

}  // namespace

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
  // Beside the program when built, in the shared data folder when installed.
  std::filesystem::path demo = platform::ProgramFolder() / "Demo";
  if (const auto shared = platform::ProgramFolder() / ".." / "share" / "velora" / "Demo";
      !std::filesystem::is_directory(demo) && std::filesystem::is_directory(shared))
    demo = shared.lexically_normal();
  editor->DemoFolder = QString::fromStdString(demo.string()) + QStringLiteral("/");

  TVxDemonstrationModule *demonstrations = nullptr;
  application->CreateModule(demonstrations);
  demonstrations->DemoFolder = editor->DemoFolder;
  demonstrations->ShowAtStartup = true;

  TVxToolPanelModule *panel = nullptr;
  application->CreateModule(panel);
  panel->SetToolbarWrap(true);
  if (editor->StandardToolbar) editor->StandardToolbar->addSeparator();

  CreateGraphicsTool<TVxOriginalImageTool>();

  if (CommonDataModule)
    if (TMainForm *form = MainForm()) CommonDataModule->CreateProgressMeter(form->StatusBar);

  CreatePanelTool<TVxSmudgeTool>(35);
  CreatePanelTool<TVxUndoBrushTool>(21);
  panel->AddToolSeparator();
  // The geometry, text and lighting tools take their places here.
  panel->AddToolSeparator(true);
  CreatePanelTool<TVxAntiAgingTool1>(39);
  CreatePanelTool<TVxEmphasisTool>(45);
  panel->AddToolSeparator();
  // Blemish removal, the tool selected at start.
  auto *blemish = CreatePanelTool<TVxHandInpaintingTool>(40);
  if (blemish) {
    blemish->ApplyPreset(false);
    editor->SelectTool(blemish);
  }
  panel->AddToolSeparator();
  CreatePanelTool<TVxTeethBleachTool>(29);
  panel->AddToolSeparator();
}
