#include "framework/Model.h"

#include "framework/CommonData.h"
#include "framework/VxApplication.h"
#include "framework/VxMainForm.h"

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
  // The main window; the image editor will create it in its place.
  TMainForm *mainForm = nullptr;
  application->CreateForm(mainForm);
  if (CommonDataModule) mainForm->SetCommonImages(CommonDataModule->New24TBXImageList);
}
