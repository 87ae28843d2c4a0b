#pragma once
// What the product's modules share: the 24 x 24 toolbar images and the
// status bar's progress meter.

#include <QObject>
#include <memory>

#include "framework/VxImageList.h"

class QStatusBar;
class TProgressMeter;
class TVxApplication;

class TCommonDataModule : public QObject {
  Q_OBJECT
 public:
  explicit TCommonDataModule(QObject *owner);
  ~TCommonDataModule() override;

  TVxImageList *New24TBXImageList = nullptr;

  // Puts the program's progress meter into statusBar; it lives as long as
  // this module.
  TProgressMeter *CreateProgressMeter(QStatusBar *statusBar);
  TProgressMeter *ProgressMeter() const { return FProgressMeter.get(); }

 private:
  std::unique_ptr<TProgressMeter> FProgressMeter;
};

// Set while the program's one instance exists.
extern TCommonDataModule *CommonDataModule;
