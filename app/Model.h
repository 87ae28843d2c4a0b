#pragma once
// The product: which modules exist and in which order they are created.

#include <QObject>

class TMainForm;

class TModule : public QObject {
  Q_OBJECT
 public:
  // Assembles the product (DataModuleCreate); every module it creates is
  // owned by the application, in the order created here.
  explicit TModule(QObject *owner);
  ~TModule() override;

  void DataModuleCreate();
};

extern TModule *Module;
