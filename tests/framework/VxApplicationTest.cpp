#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/VxMainForm.h"
#include "framework/VxModule.h"
#include "platform/ProgramPath.h"
#include "settings/VxLocalizer.h"
#include "support/UiFixture.h"

namespace {

namespace fs = std::filesystem;
using uitest::ProcessEvents;

using TLog = std::vector<std::string>;

// Logs every protocol step; keeps one integer in a section of its own.
class TRecordingModule : public TVxModuleWithControls {
 public:
  explicit TRecordingModule(QObject *owner) : TVxModuleWithControls(owner) {}
  ~TRecordingModule() override {
    if (Log) Log->push_back(Name + ".Destroyed");
  }

  void Setup(std::string name, TLog *log, uint32_t tag) {
    Name = std::move(name);
    Log = log;
    Guid.Data1 = tag;
  }
  void LoadSettings(TVxSDFReader &reader) override {
    Log->push_back(Name + ".Load");
    if (reader.OpenSection(1, Guid)) {
      reader.ReadInteger(1, Loaded);
      reader.CloseNode();
    }
  }
  void Initialize() override {
    Log->push_back(Name + ".Init");
    TVxModuleWithControls::Initialize();
  }
  void Start() override {
    Log->push_back(Name + ".Start");
    if (OnStart) OnStart();
  }
  void SaveSettings(TVxSDFWriter &writer) override {
    Log->push_back(Name + ".Save");
    if (!Writes) return;
    writer.BeginSection(1, Guid);
    writer.WriteInteger(1, Value);
    writer.EndNode();
  }
  void Localize() override { ++Localized; }
  void UpdateControls() override { ++Updates; }

  std::string Name;
  TLog *Log = nullptr;
  TVxGUID Guid = TVxGUID::FromLiteral("{00000000-5EC7-4E57-9A11-000000000001}");
  bool Writes = true;
  int32_t Value = 0;
  int32_t Loaded = -1;
  int Localized = 0;
  int Updates = 0;
  std::function<void()> OnStart;
};

class TThrowingModule : public TVxModule {
 public:
  explicit TThrowingModule(QObject *owner) : TVxModule(owner) {
    throw std::runtime_error("construction failed");
  }
};

// A method target that records its calls.
class TTarget : public QObject {
 public:
  TTarget(std::string name, TLog *log) : Name(std::move(name)), Log(log) {}
  void Run() {
    Log->push_back(Name);
    if (Then) Then();
  }
  TVxMethod Method() { return TVxMethod(this, &TTarget::Run); }

  std::string Name;
  TLog *Log;
  std::function<void()> Then;
};

class ApplicationTest : public uitest::UiTest {
 protected:
  TRecordingModule *AddModule(const std::string &name, TLog &log, uint32_t tag) {
    auto *module = App->CreateModule<TRecordingModule>();
    module->Setup(name, &log, tag);
    return module;
  }
  TMainForm *AddMainForm() {
    TMainForm *form = nullptr;
    App->CreateForm(form);
    return form;
  }
  // Closes the main window the way Exit does, once the program runs.
  void ExitOnStart(TRecordingModule *module, TMainForm *form) {
    module->OnStart = [form] {
      Application()->PostCall(TVxMethod(form, &TMainForm::ExitMenuItemClick));
    };
  }
  // Outlives the modules, which log their destruction.
  TLog Log;

  fs::path ExpectedConfigFile() const {
    const auto name = platform::ProgramPath().stem().string();
    return Dir / "config" / name / (name + ".cfg");
  }
};

TEST_F(ApplicationTest, FirstRunWritesTheConfigurationAndTheNextRunLoadsIt) {
  TLog &log = Log;
  {
    auto *a = AddModule("A", log, 1);
    AddModule("B", log, 2)->Value = 22;
    TMainForm *form = AddMainForm();
    auto *c = AddModule("C", log, 3);
    a->Value = 11;
    ExitOnStart(a, form);
    ASSERT_EQ(App->ConfigFileName(), ExpectedConfigFile());
    ASSERT_FALSE(fs::exists(Dir / "config"));

    App->Run();

    EXPECT_EQ(log, (TLog{"A.Init", "B.Init", "C.Init", "A.Start", "B.Start", "C.Start", "A.Save",
                         "B.Save", "C.Save"}));
    EXPECT_TRUE(fs::is_regular_file(ExpectedConfigFile()));
    EXPECT_GE(c->Localized, 1);  // at Initialize, before the loop
    EXPECT_GE(c->Updates, 1);    // on the loop's idle moments
  }

  App.reset();
  App = std::make_unique<TVxApplication>();
  log.clear();
  auto *a = AddModule("A", log, 1);
  auto *b = AddModule("B", log, 2);
  TMainForm *form = AddMainForm();
  AddModule("C", log, 3)->Writes = false;
  ExitOnStart(a, form);
  App->Run();
  EXPECT_EQ(log, (TLog{"A.Load", "A.Init", "B.Load", "B.Init", "C.Load", "C.Init", "A.Start",
                       "B.Start", "C.Start", "A.Save", "B.Save", "C.Save"}));
  EXPECT_EQ(a->Loaded, 11);
  EXPECT_EQ(b->Loaded, 22);
}

TEST_F(ApplicationTest, NothingWrittenCreatesOrReplacesNoFile) {
  TLog &log = Log;
  AddModule("A", log, 1)->Writes = false;
  App->Run();  // no main window: no loop
  EXPECT_FALSE(fs::exists(Dir / "config"));

  uitest::WriteFile(ExpectedConfigFile(), "kept as it was");
  App->Run();
  EXPECT_EQ(uitest::ReadFile(ExpectedConfigFile()), "kept as it was");
}

TEST_F(ApplicationTest, AnUnusableConfigurationPathIsNeitherReadNorReported) {
  TLog &log = Log;
  fs::create_directories(ExpectedConfigFile());  // a folder where the file should be
  AddModule("A", log, 1);
  App->Run();
  EXPECT_EQ(log, (TLog{"A.Init", "A.Start", "A.Save"}));
  EXPECT_TRUE(fs::is_directory(ExpectedConfigFile()));
}

TEST_F(ApplicationTest, TerminationSignalClosesTheMainWindowAndKeepsTheSettings) {
  TLog &log = Log;
  auto *a = AddModule("A", log, 1);
  AddMainForm();
  a->OnStart = [] { std::raise(SIGTERM); };
  App->Run();
  EXPECT_EQ(log.back(), "A.Save");
  EXPECT_TRUE(fs::is_regular_file(ExpectedConfigFile()));
}

TEST_F(ApplicationTest, OwnsComponentsInCreationOrderAndDestroysTheLastFirst) {
  TLog &log = Log;
  auto *a = AddModule("A", log, 1);
  TMainForm *form = AddMainForm();
  auto *b = AddModule("B", log, 2);
  AddModule("C", log, 3);
  QObject::connect(form, &QObject::destroyed, [&log] { log.push_back("Form.Destroyed"); });
  ASSERT_EQ(App->ComponentCount(), 4);
  EXPECT_EQ(App->Component(0), a);
  EXPECT_EQ(App->Component(1), form);
  EXPECT_EQ(App->Component(2), b);
  EXPECT_EQ(App->MainWindow(), form);

  delete b;
  EXPECT_EQ(App->ComponentCount(), 3);
  App.reset();
  EXPECT_EQ(log, (TLog{"B.Destroyed", "C.Destroyed", "Form.Destroyed", "A.Destroyed"}));
}

TEST_F(ApplicationTest, CreateModuleClearsTheReferenceWhenConstructionFails) {
  TThrowingModule *module = reinterpret_cast<TThrowingModule *>(this);
  EXPECT_THROW(App->CreateModule(module), std::runtime_error);
  EXPECT_EQ(module, nullptr);
  EXPECT_EQ(App->ComponentCount(), 0);
}

// Counts the deferred-call events the main window receives.
class TEventCounter : public QObject {
 public:
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == VxPostedCallEvent) ++Count;
    return false;
  }
  int Count = 0;
};

TEST_F(ApplicationTest, PostedCallsRunOnePerEventInOrder) {
  TLog &log = Log;
  TTarget early("early", &log);
  App->PostCall(early.Method());  // no main window yet: dropped

  TMainForm *form = AddMainForm();
  TEventCounter events;
  form->installEventFilter(&events);
  TTarget first("first", &log), second("second", &log), handler("handler", &log);
  auto stamp = [&](TTarget &target) {
    target.Then = [&log, &events] { log.back() += "@" + std::to_string(events.Count); };
  };
  stamp(first);
  stamp(second);
  handler.Then = [&] {
    log.back() += "@" + std::to_string(events.Count);
    App->PostCall(first.Method());
    App->PostCall(second.Method());
    EXPECT_EQ(log, TLog{"handler@1"});  // nothing runs inside the handler
  };
  App->PostCall(handler.Method());
  ProcessEvents();
  EXPECT_EQ(log, (TLog{"handler@1", "first@2", "second@3"}));
  EXPECT_EQ(events.Count, 3);
}

TEST_F(ApplicationTest, PostedCallOfADestroyedComponentIsDropped) {
  TLog &log = Log;
  AddMainForm();
  auto *gone = new TTarget("gone", &log);
  TTarget kept("kept", &log);
  App->PostCall(gone->Method(), gone);
  App->PostCall(kept.Method(), &kept);
  delete gone;
  ProcessEvents();
  EXPECT_EQ(log, TLog{"kept"});
}

TEST_F(ApplicationTest, IdleHandlersRunInSubscriptionOrder) {
  TLog &log = Log;
  TTarget one("1", &log), two("2", &log);
  App->AddIdleHandler(one.Method());
  App->AddIdleHandler(two.Method());
  App->AddIdleHandler(one.Method());  // held twice, called twice
  App->DoIdle();
  EXPECT_EQ(log, (TLog{"1", "2", "1"}));

  log.clear();
  App->RemoveIdleHandler(one.Method());  // the later copy goes
  App->DoIdle();
  EXPECT_EQ(log, (TLog{"1", "2"}));

  log.clear();
  one.Then = [&] { App->RemoveIdleHandler(two.Method()); };  // unsubscribed during the pass
  App->DoIdle();
  App->DoIdle();
  EXPECT_EQ(log, (TLog{"1", "1"}));
}

TEST_F(ApplicationTest, IdleHandlersRunWhenTheLoopWaitsAndNeverReentrantly) {
  TLog &log = Log;
  TTarget handler("idle", &log);
  handler.Then = [&] { App->DoIdle(); };  // a nested idle does nothing
  App->AddIdleHandler(handler.Method());
  QEventLoop loop;
  QTimer::singleShot(30, &loop, &QEventLoop::quit);
  loop.exec();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.size(), static_cast<size_t>(std::count(log.begin(), log.end(), "idle")));

  log.clear();
  App->DoIdle();
  EXPECT_EQ(log, TLog{"idle"});
}

TEST_F(ApplicationTest, DestroyedModulesLeaveTheIdleAndLanguageLists) {
  TLog &log = Log;
  auto *module = AddModule("A", log, 1);
  module->Initialize();
  EXPECT_EQ(module->Localized, 1);  // at once on subscription
  delete module;
  App->DoIdle();
  Localizer().SetLanguage(1031);  // would reach a destroyed module otherwise
  EXPECT_EQ(log.back(), "A.Destroyed");
}

}  // namespace
