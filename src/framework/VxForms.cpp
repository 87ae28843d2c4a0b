#include "framework/VxForms.h"

#include <QCloseEvent>

#include "framework/VxApplication.h"
#include "settings/VxLocalizer.h"

TVxFormModule::~TVxFormModule() {
  Localizer().UnsubscribeLocalize(TVxMethod(this, &TVxFormModule::Localize));
  if (TVxApplication *application = Application())
    application->RemoveIdleHandler(TVxMethod(this, &TVxFormModule::UpdateControls));
}

void TVxFormModule::Initialize() {
  Initialized = true;
  Localizer().SubscribeLocalize(TVxMethod(this, &TVxFormModule::Localize));
  if (TVxApplication *application = Application())
    application->AddIdleHandler(TVxMethod(this, &TVxFormModule::UpdateControls));
}

TVxForm::TVxForm(TVxApplication *owner)
    : QMainWindow(nullptr), OwnedByApplication(owner != nullptr) {
  if (owner) owner->InsertComponent(this);
}

TVxForm::TVxForm(QWidget *parent, Qt::WindowFlags flags) : QMainWindow(parent, flags) {}

bool TVxForm::event(QEvent *event) {
  if (event->type() == VxPostedCallEvent) {
    if (TVxApplication *application = Application()) application->RunPostedCall();
    return true;
  }
  // A form nobody initialized still gets its texts before it shows.
  if (event->type() == QEvent::Polish && !IsInitialized() && !OwnedByApplication) Initialize();
  return QMainWindow::event(event);
}

void TVxForm::closeEvent(QCloseEvent *event) {
  if (!CloseQuery()) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
  TVxApplication *application = Application();
  if (event->isAccepted() && application && application->MainWindow() == this)
    application->OnMainWindowClosed();
}

TVxFrame::TVxFrame(QWidget *parent) : QFrame(parent) {}

void TVxFrame::Initialize() {
  TVxFormModule::Initialize();
  Enabled = true;
}

bool TVxFrame::event(QEvent *event) {
  if (event->type() == QEvent::Polish && !IsInitialized()) Initialize();
  return QFrame::event(event);
}

void TVxFrame::SetControlsEnabled(bool on) {
  if (on == Enabled) return;
  // Each control is set on its own rather than through the frame, so each
  // reports its own state and UpdateControls may enable single ones again.
  for (QWidget *child : findChildren<QWidget *>()) child->setEnabled(on);
  Enabled = on;
}
