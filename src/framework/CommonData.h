#pragma once
// What the product's modules share: the 24 x 24 toolbar images.

#include <QObject>

#include "framework/VxImageList.h"

class TVxApplication;

class TCommonDataModule : public QObject {
  Q_OBJECT
 public:
  explicit TCommonDataModule(QObject *owner);
  ~TCommonDataModule() override;

  TVxImageList *New24TBXImageList = nullptr;
};

// Set while the program's one instance exists.
extern TCommonDataModule *CommonDataModule;
