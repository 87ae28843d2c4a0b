#pragma once
// The application object: owns the modules and forms, drives them through the
// start-up protocol, runs idle updates and deferred calls, and writes the
// configuration at exit.

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "base/VxMethodList.h"
#include "framework/VxImageList.h"

class TVxCursorTable;
namespace platform {
class NamedMutex;
class TerminationSignals;
}  // namespace platform

// The deferred-call event every framework form handles: one queued call runs
// per event.
inline constexpr QEvent::Type VxPostedCallEvent = static_cast<QEvent::Type>(QEvent::User + 100);

// Answers of MessageBox.
enum : int { IdOk = 1, IdCancel = 2, IdAbort = 3, IdRetry = 4, IdIgnore = 5, IdYes = 6, IdNo = 7 };

// Flags of MessageBox: one set of buttons, or-ed with at most one icon and at
// most one default button (without one, the first button is the default).
inline constexpr int MbOk = 0x0;
inline constexpr int MbOkCancel = 0x1;
inline constexpr int MbAbortRetryIgnore = 0x2;
inline constexpr int MbYesNoCancel = 0x3;
inline constexpr int MbYesNo = 0x4;
inline constexpr int MbRetryCancel = 0x5;
inline constexpr int MbButtonsMask = 0xF;
inline constexpr int MbIconError = 0x10;
inline constexpr int MbIconQuestion = 0x20;
inline constexpr int MbIconWarning = 0x30;
inline constexpr int MbIconInformation = 0x40;
inline constexpr int MbIconMask = 0xF0;
inline constexpr int MbDefaultButton2 = 0x100;
inline constexpr int MbDefaultButton3 = 0x200;

// Replaces the modal message box, e.g. so that tests answer it. Receives the
// text, caption and flags; returns the answer.
using TVxMessageBoxAnswerer =
    std::function<int(const QString &text, const QString &caption, int flags)>;

class TVxApplication : public QObject {
  Q_OBJECT
 public:
  // Needs a QApplication. Becomes the one application object (Application())
  // until destroyed; loads the program's cursors, holds the named mutex and
  // turns SIGTERM and SIGINT into closing the main window.
  TVxApplication();
  // Destroys the owned components, the last created first.
  ~TVxApplication() override;

  QString Title() const { return AppTitle; }
  // Emits TitleChanged afterwards.
  void SetTitle(const QString &title);

  // Constructs T with the application as owner and stores it in `reference`
  // (cleared when the constructor throws; the error propagates). The first
  // window created this way becomes the main window.
  template <class T>
  void CreateForm(T *&reference);
  template <class T>
  T *CreateModule(T *&reference);
  template <class T>
  T *CreateModule();

  // The owned components in creation order: QObject children of the
  // application and the top-level windows it owns.
  int ComponentCount() const;
  QObject *Component(int index) const;
  // The first owned component of type T (a class or an interface), in
  // creation order; null when there is none.
  template <class T>
  T *Find() const {
    for (int i = 0; i < ComponentCount(); ++i)
      if (auto *found = dynamic_cast<T *>(Component(i))) return found;
    return nullptr;
  }
  // Every owned component of type T, in creation order.
  template <class T>
  std::vector<T *> FindAll() const {
    std::vector<T *> found;
    for (int i = 0; i < ComponentCount(); ++i)
      if (auto *component = dynamic_cast<T *>(Component(i))) found.push_back(component);
    return found;
  }
  // Takes ownership of a top-level window (QWidget parents must be widgets, so
  // windows cannot be QObject children of the application).
  void InsertComponent(QWidget *window);

  QWidget *MainWindow() const { return MainWin; }

  // The toolbar images every module draws its buttons from; the product's
  // shared-data module provides them before the main window is made.
  TVxImageList *CommonImages() const { return FCommonImages; }
  void SetCommonImages(TVxImageList *images) { FCommonImages = images; }
  void SetMainWindow(QWidget *window);

  // Modal message box captioned with the title; `flags` are Mb... values
  // or-ed together, e.g. MbYesNo | MbIconQuestion. Returns IdOk, IdCancel,
  // IdYes, IdNo...
  int MessageBox(const QString &text, int flags);
  int MessageBox(const QString &text, const QString &caption, int flags);
  void SetMessageBoxAnswerer(TVxMessageBoxAnswerer answerer) { Answerer = std::move(answerer); }

  // Runs `method` later on this thread, after the current event, one queued
  // call per deferred-call event, first in first out. Dropped when there is
  // no main window yet, or when `component` is destroyed before its turn.
  void PostCall(const TVxMethod &method, QObject *component = nullptr);
  // Runs the first queued call; what the main window does on the deferred-call event.
  void RunPostedCall();

  // Idle handlers run once, in subscription order, whenever the event loop
  // is about to wait.
  void AddIdleHandler(const TVxMethod &method) { IdleHandlers.Add(method); }
  void RemoveIdleHandler(const TVxMethod &method) { IdleHandlers.Remove(method); }
  void DoIdle();

  // The per-user configuration file.
  std::filesystem::path ConfigFileName() const;

  // Loads settings and initializes every owned module in creation order,
  // starts them, runs the event loop until the main window closes, and writes
  // every module's settings into a new configuration file.
  void Run();

  int ExitCode() const { return Code; }
  void SetExitCode(int code) { Code = code; }

  TVxCursorTable &Cursors() { return *CursorTable; }

 signals:
  void TitleChanged();

 protected:
  void childEvent(QChildEvent *event) override;

 private:
  std::vector<QObject *> LiveComponents() const;
  void Forget(QObject *component);
  void OnMainWindowClosed();
  void CloseMainWindow();
  void SaveConfiguration();

  QString AppTitle;
  int Code = 0;
  std::vector<QPointer<QObject>> Owned;
  QPointer<QWidget> MainWin;
  QPointer<TVxImageList> FCommonImages;
  TVxMethodList IdleHandlers;
  bool InIdle = false;
  TVxMethodList PostedCalls;
  struct TGuard {
    bool Guarded = false;
    QPointer<QObject> Component;
  };
  std::vector<TGuard> PostedGuards;  // beside each queued call
  TVxMessageBoxAnswerer Answerer;
  std::unique_ptr<TVxCursorTable> CursorTable;
  // Signals first: whoever sees the name held may already ask the program
  // to close.
  std::unique_ptr<platform::TerminationSignals> Signals;
  std::unique_ptr<platform::NamedMutex> Mutex;
  bool Running = false;

  friend class TVxForm;
};

// The one application object; null before it exists and after it is gone.
TVxApplication *Application();

template <class T>
void TVxApplication::CreateForm(T *&reference) {
  CreateModule(reference);
  if constexpr (std::is_base_of_v<QWidget, T>) {
    if (!MainWin) SetMainWindow(reference);
  }
}

template <class T>
T *TVxApplication::CreateModule(T *&reference) {
  reference = nullptr;
  try {
    reference = new T(this);
  } catch (...) {
    reference = nullptr;
    throw;
  }
  return reference;
}

template <class T>
T *TVxApplication::CreateModule() {
  return new T(this);
}
