#include "framework/VxForms.h"

#include <QCloseEvent>

#include "framework/VxApplication.h"
#include "settings/VxLocalizer.h"

namespace {

template <class T>
void Subscribe(T *self) {
  Localizer().SubscribeLocalize(TVxMethod(self, &T::Localize));
  if (TVxApplication *application = Application())
    application->AddIdleHandler(TVxMethod(self, &T::UpdateControls));
}

template <class T>
void Unsubscribe(T *self) {
  Localizer().UnsubscribeLocalize(TVxMethod(self, &T::Localize));
  if (TVxApplication *application = Application())
    application->RemoveIdleHandler(TVxMethod(self, &T::UpdateControls));
}

}  // namespace

TVxForm::TVxForm(TVxApplication *owner)
    : QMainWindow(nullptr), OwnedByApplication(owner != nullptr) {
  if (owner) owner->InsertComponent(this);
}

TVxForm::TVxForm(QWidget *parent, Qt::WindowFlags flags) : QMainWindow(parent, flags) {}

TVxForm::~TVxForm() { Unsubscribe(this); }

void TVxForm::Initialize() {
  Initialized = true;
  Subscribe(this);
}

bool TVxForm::event(QEvent *event) {
  if (event->type() == VxPostedCallEvent) {
    if (TVxApplication *application = Application()) application->RunPostedCall();
    return true;
  }
  // A form nobody initialized still gets its texts before it shows.
  if (event->type() == QEvent::Polish && !Initialized && !OwnedByApplication) Initialize();
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

TVxFrame::~TVxFrame() { Unsubscribe(this); }

void TVxFrame::Initialize() {
  Initialized = true;
  Enabled = true;
  Subscribe(this);
}

bool TVxFrame::event(QEvent *event) {
  if (event->type() == QEvent::Polish && !Initialized) Initialize();
  return QFrame::event(event);
}

void TVxFrame::SetControlsEnabled(bool on) {
  if (on == Enabled) return;
  // Each control is set on its own rather than through the frame, so each
  // reports its own state and UpdateControls may enable single ones again.
  for (QWidget *child : findChildren<QWidget *>()) child->setEnabled(on);
  Enabled = on;
}
