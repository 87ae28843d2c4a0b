#include "app/Model.h"

#include <QToolBar>
#include <filesystem>

#include "app/CommonData.h"
#include "editor/VxDemonstration.h"
#include "editor/VxGraphicsEditor.h"
#include "framework/VxApplication.h"
#include "framework/VxMainForm.h"
#include "platform/ProgramPath.h"
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
}
