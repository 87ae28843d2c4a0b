#include "app/CommonData.h"

#include "framework/VxApplication.h"
#include "framework/VxProgressMeter.h"

TCommonDataModule *CommonDataModule = nullptr;

namespace {

// One past the highest index the product's toolbars use.
constexpr int ImageCount = 98;

}  // namespace

TCommonDataModule::TCommonDataModule(QObject *owner) : QObject(owner) {
  setObjectName(QStringLiteral("CommonDataModule"));
  New24TBXImageList = new TVxImageList(24, 24, this);
  New24TBXImageList->setObjectName(QStringLiteral("New24TBXImageList"));
  New24TBXImageList->LoadSvgResources(QStringLiteral(":/icons/24"), ImageCount);
  if (!CommonDataModule) CommonDataModule = this;
  if (TVxApplication *application = Application())
    if (!application->CommonImages()) application->SetCommonImages(New24TBXImageList);
}

TCommonDataModule::~TCommonDataModule() {
  if (CommonDataModule == this) CommonDataModule = nullptr;
}

TProgressMeter *TCommonDataModule::CreateProgressMeter(QStatusBar *statusBar) {
  FProgressMeter = std::make_unique<TProgressMeter>(statusBar);
  SetProgressMeter(FProgressMeter.get());
  return FProgressMeter.get();
}
