#pragma once
// Windows and option panels that take part in the module protocol: settings,
// localization and idle updates.

#include <QFrame>
#include <QMainWindow>
#include <utility>

#include "framework/VxModule.h"

class TVxApplication;

// The protocol operations windows and option panels share, with their
// defaults: all do nothing but Initialize, which subscribes Localize (so it
// runs at once and after every language change) and UpdateControls (on every
// idle moment). Destruction ends both subscriptions.
class TVxFormModule : public IVxModule {
 public:
  TVxFormModule() = default;
  TVxFormModule(const TVxFormModule &) = delete;
  TVxFormModule &operator=(const TVxFormModule &) = delete;
  virtual ~TVxFormModule();

  virtual void Localize() {}
  virtual void UpdateControls() {}
  void LoadSettings(TVxSDFReader &) override {}
  void SaveSettings(TVxSDFWriter &) override {}
  void Start() override {}
  void Initialize() override;

  bool IsInitialized() const { return Initialized; }

 private:
  bool Initialized = false;
};

// A window of the program. One owned by the application is driven by Run;
// any other runs its own Initialize once it is constructed (CreateOwned), at
// the latest before it is first shown.
class TVxForm : public QMainWindow, public TVxFormModule {
  Q_OBJECT
 public:
  // Owned by the application.
  explicit TVxForm(TVxApplication *owner);
  // Owned by `parent` (or by whoever deletes it).
  explicit TVxForm(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

  bool IsOwnedByApplication() const { return OwnedByApplication; }

 protected:
  // Whether the window may close now; asked before every close.
  virtual bool CloseQuery() { return true; }
  bool event(QEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

 private:
  bool OwnedByApplication = false;
};

// An options panel embedded in a window.
class TVxFrame : public QFrame, public TVxFormModule {
  Q_OBJECT
 public:
  explicit TVxFrame(QWidget *parent = nullptr);

  // The inherited pass; the controls count as enabled from here on.
  void Initialize() override;

  bool ControlsEnabled() const { return Enabled; }
  // Enables or disables every control of the frame, nested ones included.
  // Nothing happens when the state is already `on`.
  void SetControlsEnabled(bool on);

 protected:
  bool event(QEvent *event) override;

 private:
  bool Enabled = false;
};

// Constructs a form or frame that the application does not own and runs its
// Initialize at once, so it is localized before anyone sees it.
template <class T, class... A>
T *CreateOwned(A &&...args) {
  T *created = new T(std::forward<A>(args)...);
  created->Initialize();
  return created;
}
