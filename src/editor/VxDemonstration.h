#pragma once
// The demonstration module: owns the program's one playback, keeps the
// registry of names scripts use (controls to move to, commands to run),
// answers the playback's events, offers the recording operations the editor
// and the tools write through, and shows the chooser from which the user
// starts a demonstration. The registry fills itself from the word tables of
// every demonstration client once the product is assembled, so a tool that
// declares its words is known to scripts without further work.

#include <QAction>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "demo/VxDemoClient.h"
#include "demo/VxDemoPlayback.h"
#include "demo/VxDemoRecorder.h"
#include "demo/VxDemoWords.h"
#include "framework/VxModule.h"

class TVxDemoDesktop;
class TVxDemoPlaybackThread;
class TVxDemoScript;
class TVxDemoScriptAction;

// What the command line asks of the demonstrations.
struct TVxDemoCommandLine {
  // Played as soon as the window is up; the chooser is not shown.
  QString PlayFile;
  // The image is written here when the demonstration has ended.
  QString SaveAfterPlay;
  // The program ends when the demonstration has ended: status 0 when it ran
  // to its end, else 1.
  bool ExitAfterPlay = false;
  // Time runs this many times faster while playing (tests).
  double Speed = 1;

  // Takes our options out of arguments (the program's name first); false
  // with error set when one is incomplete or wrong.
  bool Parse(QStringList &arguments, QString &error);
};

class TVxDemonstrationModule : public TVxModuleWithControls,
                               public IVxDemoRegistry,
                               public IVxDemoRecorder,
                               public IVxDemoPlaybackHold {
  Q_OBJECT
 public:
  static constexpr TVxGUID SectionGuid =
      TVxGUID::FromLiteral("{2032DB53-FE8E-4FB8-8457-43C5430C9D6B}");

  explicit TVxDemonstrationModule(QObject *owner);
  ~TVxDemonstrationModule() override;

  QAction *DemoMenuItem = nullptr;
  bool ShowAtStartup = true;
  bool StartedFromChooser = false;
  int32_t LastDemoIndex = 0;
  QString SavedTitle;
  // The folder of the script files, ending with a slash.
  QString DemoFolder;
  // Ask to close open images before a demonstration.
  bool CloseImagesBeforeDemo = true;
  QString ReopenFileName;
  TVxDemoCommandLine CommandLine;

  TVxDemoPlayback &Playback() { return *FPlayback; }
  TVxDemoDesktop &Desktop() { return *FDesktop; }

  // IVxDemoRegistry
  void AddComponent(const QString &name, QObject *component) override;
  void AddCommand(const QString &name, std::function<void()> handler) override;
  void AddNotifyCommand(const QString &name, QObject *component,
                        std::function<void(QObject *)> handler) override;
  void AddComponentCommand(const QString &name, QObject *component,
                           std::function<void(QObject *)> handler) override;
  void AddBoolCommand(const QString &name, bool defaultValue,
                      std::function<void(bool)> handler) override;
  void AddIntCommand(const QString &name, int32_t defaultValue,
                     std::function<void(int32_t)> handler) override;
  void AddColorCommand(const QString &name, int32_t defaultValue,
                       std::function<void(int32_t)> handler) override;
  void AddPointCommand(const QString &name, QPoint defaultValue,
                       std::function<void(int32_t, int32_t)> handler) override;
  // Registers every word of every client's table.
  void RegisterClientWords();
  // The registered command names, in registration order.
  QStringList CommandNames() const;

  // Recording operations; each does nothing unless a recording runs.
  void RecordText(const QString &line);
  void RecordMoveTo(const QString &name);
  void RecordCommand(const QString &name, const QString &value);
  // Tells every client to write its lines here from now on / no more.
  bool StartRecording(int32_t index);
  void StopRecording();

  // IVxDemoRecorder
  void RecordLine(const QString &line) override;
  bool IsRecording() const override;
  bool ShowMessages() const override;
  QString MessageText() const override { return FMessageText; }
  void ReportError(const QString &message) override;

  // IVxDemoPlaybackHold
  void PausePlayback() override { FPlayback->Pause(); }
  void ResumePlayback() override { FPlayback->Resume(); }

  // Runs one of the playback's commands, as the playback does.
  void ExecuteCommand(const std::string &name, bool &handled, TVxDemoScriptAction *action,
                      const TVxProperties &params);
  // The screen point the arguments name.
  bool ResolvePoint(const TVxProperties &params, QPoint &point);

  // The chooser; a demonstration chosen there is played.
  void ShowDemonstrations();
  // Plays script; false when it could not start.
  bool Play(const TVxDemoScript &script, bool fromChooser);

  void Localize() override;
  void UpdateControls() override;
  void Initialize() override;
  void Start() override;
  void LoadSettings(TVxSDFReader &reader) override;
  void SaveSettings(TVxSDFWriter &writer) override;

 private:
  enum class TKind { Procedure, Notify, Bool, Integer, Colour, Point, Word };
  struct TComponentInfo {
    QString Name;
    QPointer<QObject> Component;
  };
  struct TCommandInfo {
    QString Name;
    TKind Kind = TKind::Procedure;
    QPointer<QObject> Component;
    std::function<void()> Procedure;
    std::function<void(QObject *)> Notify;
    std::function<void(bool)> Bool;
    std::function<void(int32_t)> Integer;
    std::function<void(int32_t, int32_t)> Point;
    bool BoolDefault = false;
    int32_t IntDefault = 0;
    QPoint PointDefault;
    TVxDemoArgs Args = TVxDemoArgs::None;
    std::function<void(const TVxDemoCall &)> Run;
  };

  static TCommandInfo NewCommand(const QString &name, TKind kind);
  bool RunRegistered(const TCommandInfo &command, const TVxProperties &params);
  bool ComponentPoint(const QObject *component, QPoint &point) const;
  void StartQuery(bool &cancel);
  void StopQuery(bool &stop);
  void Finished();
  void Error(const std::string &message, bool &stop, const std::string &line);
  void PlayCommandLine();
  void EndCommandLinePlay(bool ranToEnd);
  void ReopenChooser();
  void DemoMenuItemClick();

  TVxDemoDesktop *FDesktop = nullptr;
  std::unique_ptr<TVxDemoPlayback> FPlayback;
  TVxDemoPlaybackThread *Thread = nullptr;
  std::vector<TComponentInfo> Components;
  std::vector<TCommandInfo> Commands;
  QString FMessageText = QStringLiteral("Click");
  bool CommandLinePlaying = false;
  int WindowWaits = 0;
};

// The application's demonstration module, or null.
TVxDemonstrationModule *DemonstrationModule();
