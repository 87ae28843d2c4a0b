#include "framework/VxApplication.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QChildEvent>
#include <algorithm>

#include "framework/VxCursors.h"
#include "framework/VxMessageBox.h"
#include "framework/VxModule.h"
#include "platform/AppFolders.h"
#include "platform/FileReplace.h"
#include "platform/NamedMutex.h"
#include "platform/ProgramPath.h"
#include "platform/TerminationSignals.h"
#include "settings/VxLocalizer.h"
#include "settings/VxSDF.h"
#include "settings/VxStream.h"

// Resources live in the static Qt layer; naming the initializer keeps the
// linker from dropping them.
static void InitProgramResources() { Q_INIT_RESOURCE(velora); }

namespace {

TVxApplication *TheApplication = nullptr;

}  // namespace

TVxApplication *Application() { return TheApplication; }

TVxApplication::TVxApplication()
    : CursorTable(std::make_unique<TVxCursorTable>()),
      Signals(std::make_unique<platform::TerminationSignals>()),
      Mutex(std::make_unique<platform::NamedMutex>("VeloraMutexName")) {
  Q_ASSERT(qobject_cast<QApplication *>(QCoreApplication::instance()));
  Q_ASSERT(!TheApplication);
  TheApplication = this;
  InitProgramResources();
  Localizer();
  CursorTable->LoadProgramCursors();
  // The main window's closing ends the program, not the last window's.
  QGuiApplication::setQuitOnLastWindowClosed(false);
  connect(QAbstractEventDispatcher::instance(thread()), &QAbstractEventDispatcher::aboutToBlock,
          this, &TVxApplication::DoIdle);
  connect(Signals.get(), &platform::TerminationSignals::Received, this,
          &TVxApplication::CloseMainWindow);
}

TVxApplication::~TVxApplication() {
  std::vector<QPointer<QObject>> owned;
  owned.swap(Owned);
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) delete it->data();
  IdleHandlers.Clear();
  PostedCalls.Clear();
  PostedGuards.clear();
  if (TheApplication == this) TheApplication = nullptr;
}

void TVxApplication::SetTitle(const QString &title) {
  AppTitle = title;
  emit TitleChanged();
}

void TVxApplication::childEvent(QChildEvent *event) {
  if (event->added()) {
    Owned.emplace_back(event->child());
  } else if (event->removed()) {
    Forget(event->child());
  }
  QObject::childEvent(event);
}

void TVxApplication::InsertComponent(QWidget *window) {
  if (!window || std::find(Owned.begin(), Owned.end(), window) != Owned.end()) return;
  Owned.emplace_back(window);
  connect(window, &QObject::destroyed, this, [this, window] { Forget(window); });
}

void TVxApplication::Forget(QObject *component) {
  std::erase_if(Owned, [component](const QPointer<QObject> &p) { return !p || p == component; });
}

std::vector<QObject *> TVxApplication::LiveComponents() const {
  std::vector<QObject *> live;
  for (const auto &p : Owned)
    if (p) live.push_back(p.data());
  return live;
}

int TVxApplication::ComponentCount() const { return static_cast<int>(LiveComponents().size()); }

QObject *TVxApplication::Component(int index) const {
  auto live = LiveComponents();
  return index >= 0 && index < static_cast<int>(live.size()) ? live[index] : nullptr;
}

void TVxApplication::SetMainWindow(QWidget *window) {
  if (MainWin == window) return;
  if (MainWin) disconnect(MainWin, nullptr, this, nullptr);
  MainWin = window;
  PostedCalls.Clear();
  PostedGuards.clear();
  if (!window) return;
  // Calls queued for a window that is gone would never get their event.
  connect(window, &QObject::destroyed, this, [this] {
    PostedCalls.Clear();
    PostedGuards.clear();
    OnMainWindowClosed();
  });
}

void TVxApplication::OnMainWindowClosed() {
  if (Running) QCoreApplication::exit(0);
}

void TVxApplication::CloseMainWindow() {
  if (MainWin) MainWin->close();
}

int TVxApplication::MessageBox(const QString &text, int flags) {
  return MessageBox(text, AppTitle, flags);
}

int TVxApplication::MessageBox(const QString &text, const QString &caption, int flags) {
  if (Answerer) return Answerer(text, caption, flags);
  QWidget *parent = QApplication::activeWindow();
  if (!parent) parent = MainWin;
  return ShowMessageBox(parent, text, caption, flags);
}

void TVxApplication::PostCall(const TVxMethod &method, QObject *component) {
  if (!MainWin) return;
  PostedCalls.Add(method);
  PostedGuards.push_back({component != nullptr, component});
  if (PostedCalls.Count() == 1) QCoreApplication::postEvent(MainWin, new QEvent(VxPostedCallEvent));
}

void TVxApplication::RunPostedCall() {
  if (PostedCalls.Count() == 0) return;
  const TVxMethod method = PostedCalls.Get(0);
  const TGuard guard = PostedGuards.front();
  // The entry stays queued while it runs, so calls it posts wait behind it
  // and are announced once it is gone.
  struct TDequeue {
    TVxApplication *Self;
    ~TDequeue() {
      if (Self->PostedCalls.Count() == 0) return;
      Self->PostedCalls.Delete(0);
      Self->PostedGuards.erase(Self->PostedGuards.begin());
      if (Self->PostedCalls.Count() > 0 && Self->MainWin)
        QCoreApplication::postEvent(Self->MainWin, new QEvent(VxPostedCallEvent));
    }
  } dequeue{this};
  if (!guard.Guarded || guard.Component) method();
}

void TVxApplication::DoIdle() {
  if (InIdle) return;
  InIdle = true;
  IdleHandlers.CallAll();
  InIdle = false;
}

std::filesystem::path TVxApplication::ConfigFileName() const {
  return platform::ConfigFileFor(platform::ProgramPath(), platform::UserAppDataFolder());
}

namespace {

// Every owned module, in creation order, as the components stood when the
// pass began; one destroyed during the pass is skipped.
template <class F>
void ForEachModule(const std::vector<QObject *> &components, F &&visit) {
  std::vector<QPointer<QObject>> snapshot(components.begin(), components.end());
  for (const QPointer<QObject> &component : snapshot)
    if (component)
      if (auto *module = dynamic_cast<IVxModule *>(component.data())) visit(*module, component);
}

}  // namespace

void TVxApplication::Run() {
  {
    std::unique_ptr<TVxSDFReader> reader;
    const auto path = ConfigFileName();
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error))
      if (auto stream = TVxFileStream::Open(path, TVxFileMode::Read))
        reader = std::make_unique<TVxSDFReader>(std::move(stream));
    ForEachModule(LiveComponents(), [&](IVxModule &module, const QPointer<QObject> &alive) {
      if (reader) module.LoadSettings(*reader);
      if (alive) module.Initialize();
    });
  }
  ForEachModule(LiveComponents(),
                [](IVxModule &module, const QPointer<QObject> &) { module.Start(); });

  if (MainWin) {
    MainWin->show();
    if (MainWin && MainWin->isVisible()) {
      Running = true;
      QCoreApplication::exec();
      Running = false;
    }
  }
  SaveConfiguration();
}

void TVxApplication::SaveConfiguration() {
  TVxMemoryStream stream;
  {
    TVxSDFWriter writer(&stream, false);
    ForEachModule(LiveComponents(), [&](IVxModule &module, const QPointer<QObject> &) {
      module.SaveSettings(writer);
    });
  }
  if (stream.Size() == 0) return;
  // A configuration that cannot be written is lost without a word.
  platform::ReplaceFileContents(ConfigFileName(), stream.Data().data(), stream.Data().size());
}
