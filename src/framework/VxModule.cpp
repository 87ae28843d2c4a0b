#include "framework/VxModule.h"

#include "framework/VxApplication.h"
#include "settings/VxLocalizer.h"

TVxModule::TVxModule(QObject *owner) : QObject(owner) {}

TVxModule::~TVxModule() { Localizer().UnsubscribeLocalize(TVxMethod(this, &TVxModule::Localize)); }

void TVxModule::Initialize() {
  Localizer().SubscribeLocalize(TVxMethod(this, &TVxModule::Localize));
}

TVxModuleWithControls::~TVxModuleWithControls() {
  if (TVxApplication *application = Application())
    application->RemoveIdleHandler(TVxMethod(this, &TVxModuleWithControls::UpdateControls));
}

void TVxModuleWithControls::Initialize() {
  TVxModule::Initialize();
  if (TVxApplication *application = Application())
    application->AddIdleHandler(TVxMethod(this, &TVxModuleWithControls::UpdateControls));
}
