#pragma once
// Modules: the long-lived components the application drives through one
// start-up and shut-down protocol.

#include <QObject>

#include "base/VxMethodList.h"
#include "settings/VxSDF.h"

// The protocol the application drives, in this order for every module it
// owns: LoadSettings (when a configuration exists), Initialize; then Start for
// all; SaveSettings at exit. Lifetime is the component's, never the
// interface's.
class IVxModule {
 public:
  static constexpr TVxGUID IID = TVxGUID::FromLiteral("{8E85B1DA-44F0-4B60-B45D-21D0EBC05E33}");

  virtual void Initialize() = 0;
  virtual void LoadSettings(TVxSDFReader &reader) = 0;
  virtual void SaveSettings(TVxSDFWriter &writer) = 0;
  virtual void Start() = 0;

 protected:
  IVxModule() = default;
  IVxModule(const IVxModule &) = default;
  IVxModule &operator=(const IVxModule &) = default;
  ~IVxModule() = default;
};

// A non-visual module. Owned by its QObject parent; one owned by the
// application is driven by the application's Run.
class TVxModule : public QObject, public IVxModule {
  Q_OBJECT
 public:
  explicit TVxModule(QObject *owner);
  ~TVxModule() override;

  // Re-reads every caption and hint from the current language.
  virtual void Localize() {}
  // Reads the module's own section of the configuration.
  void LoadSettings(TVxSDFReader &) override {}
  // Appends the module's own section to the configuration.
  void SaveSettings(TVxSDFWriter &) override {}
  // First start-up pass: subscribes Localize, which therefore runs at once.
  void Initialize() override;
  // Second start-up pass, once every module is initialized.
  void Start() override {}
};

// A module that owns menu items and buttons and refreshes their state on
// every idle moment.
class TVxModuleWithControls : public TVxModule {
  Q_OBJECT
 public:
  explicit TVxModuleWithControls(QObject *owner) : TVxModule(owner) {}
  ~TVxModuleWithControls() override;

  // Sets the enabled, checked and visible state of the module's own controls.
  virtual void UpdateControls() {}
  // The inherited pass, then subscribes UpdateControls to the idle moments.
  void Initialize() override;
};
