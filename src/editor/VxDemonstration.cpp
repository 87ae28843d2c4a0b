#include "editor/VxDemonstration.h"

#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>

#include "demo/VxDemoActions.h"
#include "demo/VxDemoDesktop.h"
#include "demo/VxDemoPlaybackThread.h"
#include "demo/VxDemoScript.h"
#include "editor/VxDemonstrationForm.h"
#include "editor/VxGraphicsEditor.h"
#include "framework/VxApplication.h"
#include "framework/VxMainForm.h"
#include "framework/VxText.h"
#include "settings/VxLocalizer.h"
#include "tools/VxToolPanel.h"

namespace {

QString Upper(const QString &name) { return name.toUpper(); }

void Complain(const QString &text) {
  std::fprintf(stderr, "velora: %s\n", text.toLocal8Bit().constData());
}

// The format whose file masks take name's extension; -1 when none does.
int32_t FormatOfName(TVxFileFormats &formats, const QString &name) {
  const QString suffix = QStringLiteral("*.") + QFileInfo(name).suffix();
  for (int32_t i = 0; i < formats.Count(); ++i)
    if (const TVxFileFormatInfo *info = formats.FormatInfo(i))
      for (const QString &mask : info->Mask.split(QLatin1Char(';')))
        if (info->Identifier >= 0 && mask.compare(suffix, Qt::CaseInsensitive) == 0)
          return info->Identifier;
  return -1;
}

}  // namespace

bool TVxDemoCommandLine::Parse(QStringList &arguments, QString &error) {
  QStringList rest;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString &argument = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (argument == QLatin1String("--play") || argument == QLatin1String("--save-after-play") ||
        argument == QLatin1String("--demo-speed")) {
      if (!hasValue) {
        error = argument + QStringLiteral(" needs a value");
        return false;
      }
      const QString value = arguments[++i];
      if (argument == QLatin1String("--play")) {
        PlayFile = value;
      } else if (argument == QLatin1String("--save-after-play")) {
        SaveAfterPlay = value;
      } else {
        bool ok = false;
        Speed = value.toDouble(&ok);
        if (!ok || !(Speed > 0) || Speed > 1000) {
          error = QStringLiteral("--demo-speed needs a factor above 0 and at most 1000");
          return false;
        }
      }
    } else if (argument == QLatin1String("--exit-after-play")) {
      ExitAfterPlay = true;
    } else {
      rest << argument;
    }
  }
  if (PlayFile.isEmpty() && (ExitAfterPlay || !SaveAfterPlay.isEmpty())) {
    error = QStringLiteral("--save-after-play and --exit-after-play need --play");
    return false;
  }
  arguments = rest;
  return true;
}

TVxDemonstrationModule *DemonstrationModule() {
  TVxApplication *application = Application();
  return application ? application->Find<TVxDemonstrationModule>() : nullptr;
}

TVxDemonstrationModule::TVxDemonstrationModule(QObject *owner) : TVxModuleWithControls(owner) {
  setObjectName(QStringLiteral("DemonstrationModule"));
  FDesktop = new TVxDemoDesktop(this);
  FPlayback = std::make_unique<TVxDemoPlayback>(*FDesktop);
  Thread = new TVxDemoPlaybackThread(*FPlayback, *FDesktop, this);
  FDesktop->OnBegin = [this] {
    if (Thread) Thread->Begin();
  };
  FDesktop->OnEnd = [this] {
    if (Thread) Thread->End();
  };
  TVxDemoPlayback &playback = *FPlayback;
  playback.OnCommand = [this](const std::string &name, bool &handled, TVxDemoScriptAction &action,
                              const TVxProperties &params) {
    ExecuteCommand(name, handled, &action, params);
  };
  playback.OnResolvePoint = [this](const TVxProperties &params, bool &handled, TVxPoint &point) {
    QPoint screen;
    if (!ResolvePoint(params, screen)) return;
    handled = true;
    point = {screen.x(), screen.y()};
  };
  playback.OnStart = [this](bool &cancel) { StartQuery(cancel); };
  playback.OnStopQuery = [this](bool &stop) { StopQuery(stop); };
  playback.OnFinish = [this] { Finished(); };
  playback.OnError = [this](const std::string &message, bool &stop, const std::string &line) {
    Error(message, stop, line);
  };
  if (TMainForm *form = MainForm()) {
    QAction *help = form->HelpMenuItem ? form->HelpMenuItem->menuAction() : nullptr;
    DemoMenuItem =
        form->AddMenuItem(Text(37), {}, help, nullptr, -1, [this] { DemoMenuItemClick(); });
    DemoMenuItem->setObjectName(QStringLiteral("DemoMenuItem"));
  }
}

TVxDemonstrationModule::~TVxDemonstrationModule() {
  // The ticks end before the playback they drive.
  delete Thread;
  Thread = nullptr;
  FPlayback.reset();
}

TVxDemonstrationModule::TCommandInfo TVxDemonstrationModule::NewCommand(const QString &name,
                                                                        TKind kind) {
  TCommandInfo command;
  command.Name = Upper(name);
  command.Kind = kind;
  return command;
}

void TVxDemonstrationModule::AddComponent(const QString &name, QObject *component) {
  if (component) Components.push_back({Upper(name), component});
}

void TVxDemonstrationModule::AddCommand(const QString &name, std::function<void()> handler) {
  TCommandInfo command = NewCommand(name, TKind::Procedure);
  command.Procedure = std::move(handler);
  Commands.push_back(std::move(command));
}

void TVxDemonstrationModule::AddNotifyCommand(const QString &name, QObject *component,
                                              std::function<void(QObject *)> handler) {
  TCommandInfo command = NewCommand(name, TKind::Notify);
  command.Component = component;
  command.Notify = std::move(handler);
  Commands.push_back(std::move(command));
}

void TVxDemonstrationModule::AddComponentCommand(const QString &name, QObject *component,
                                                 std::function<void(QObject *)> handler) {
  AddComponent(name, component);
  AddNotifyCommand(name, component, std::move(handler));
}

void TVxDemonstrationModule::AddBoolCommand(const QString &name, bool defaultValue,
                                            std::function<void(bool)> handler) {
  TCommandInfo command = NewCommand(name, TKind::Bool);
  command.Bool = std::move(handler);
  command.BoolDefault = defaultValue;
  Commands.push_back(std::move(command));
}

void TVxDemonstrationModule::AddIntCommand(const QString &name, int32_t defaultValue,
                                           std::function<void(int32_t)> handler) {
  TCommandInfo command = NewCommand(name, TKind::Integer);
  command.Integer = std::move(handler);
  command.IntDefault = defaultValue;
  Commands.push_back(std::move(command));
}

void TVxDemonstrationModule::AddColorCommand(const QString &name, int32_t defaultValue,
                                             std::function<void(int32_t)> handler) {
  TCommandInfo command = NewCommand(name, TKind::Colour);
  command.Integer = std::move(handler);
  command.IntDefault = defaultValue;
  Commands.push_back(std::move(command));
}

void TVxDemonstrationModule::AddPointCommand(const QString &name, QPoint defaultValue,
                                             std::function<void(int32_t, int32_t)> handler) {
  TCommandInfo command = NewCommand(name, TKind::Point);
  command.Point = std::move(handler);
  command.PointDefault = defaultValue;
  Commands.push_back(std::move(command));
}

void TVxDemonstrationModule::RegisterClientWords() {
  TVxApplication *application = Application();
  if (!application) return;
  for (IVxDemoClient *client : application->FindAll<IVxDemoClient>())
    client->ListDemoWords([this](const TVxDemoWordInfo &word) {
      AddComponent(word.Word, word.Control);
      if (!word.Run) return;
      TCommandInfo command = NewCommand(word.Word, TKind::Word);
      command.Args = word.Args;
      command.Run = word.Run;
      Commands.push_back(std::move(command));
    });
}

QStringList TVxDemonstrationModule::CommandNames() const {
  QStringList names;
  for (const TCommandInfo &command : Commands) names << command.Name;
  return names;
}

bool TVxDemonstrationModule::RunRegistered(const TCommandInfo &command,
                                           const TVxProperties &params) {
  int32_t x = 0, y = 0;
  switch (command.Kind) {
    case TKind::Procedure:
      if (command.Procedure) command.Procedure();
      break;
    case TKind::Notify:
      if (command.Notify) command.Notify(command.Component);
      break;
    case TKind::Bool:
      if (params.Count() == 0)
        command.Bool(command.BoolDefault);
      else
        command.Bool(DemoParamNumber(params, 0, x) && x != 0);
      break;
    case TKind::Integer:
    case TKind::Colour:
      command.Integer(params.Count() > 0 && DemoParamNumber(params, 0, x) ? x : command.IntDefault);
      break;
    case TKind::Point:
      if (params.Count() >= 2 && DemoParamNumber(params, 0, x) && DemoParamNumber(params, 1, y))
        command.Point(x, y);
      else
        command.Point(command.PointDefault.x(), command.PointDefault.y());
      break;
    case TKind::Word:
      if (!DemoArgsFit(command.Args, params)) {
        ReportError(QStringLiteral("Invalid arguments."));
        break;
      }
      command.Run(TVxDemoCall{this, params, true});
      break;
  }
  return true;
}

void TVxDemonstrationModule::ExecuteCommand(const std::string &name, bool &handled,
                                            TVxDemoScriptAction *, const TVxProperties &params) {
  const QString word = QString::fromStdString(name);
  for (const TCommandInfo &command : Commands)
    if (command.Name == word) {
      handled = RunRegistered(command, params);
      return;
    }
  if (TVxApplication *application = Application())
    for (IVxDemoClient *client : application->FindAll<IVxDemoClient>()) {
      client->ExecuteDemoCommand(this, word, handled, true, params);
      if (handled) return;
    }
}

bool TVxDemonstrationModule::ComponentPoint(const QObject *component, QPoint &point) const {
  if (const auto *action = qobject_cast<const QAction *>(component)) {
    for (QObject *owner : action->associatedObjects()) {
      auto *item = const_cast<QAction *>(action);
      if (auto *menu = qobject_cast<QMenu *>(owner); menu && menu->isVisible()) {
        point = menu->mapToGlobal(menu->actionGeometry(item).center());
        return true;
      }
      if (auto *bar = qobject_cast<QMenuBar *>(owner); bar && bar->isVisible()) {
        point = bar->mapToGlobal(bar->actionGeometry(item).center());
        return true;
      }
    }
  }
  if (const auto *widget = qobject_cast<const QWidget *>(component); widget && !widget->isVisible())
    return false;
  return DemoControlPoint(component, point);
}

bool TVxDemonstrationModule::ResolvePoint(const TVxProperties &params, QPoint &point) {
  const QString name = Upper(DemoParamText(params, 0));
  for (const TComponentInfo &component : Components)
    if (component.Name == name && component.Component && ComponentPoint(component.Component, point))
      return true;
  TVxApplication *application = Application();
  if (!application) return false;
  bool handled = false;
  for (IVxDemoClient *client : application->FindAll<IVxDemoClient>()) {
    client->GetDemoCommandPoint(this, params, handled, point);
    if (handled) return true;
  }
  // Any other control of the main window by its name, e.g. the buttons
  // that appear with the plug-in mode.
  if (QWidget *window = application->MainWindow())
    for (QWidget *widget : window->findChildren<QWidget *>())
      if (widget->objectName().compare(name, Qt::CaseInsensitive) == 0 && widget->isVisible()) {
        point = widget->mapToGlobal(widget->rect().center());
        return true;
      }
  return false;
}

void TVxDemonstrationModule::RecordText(const QString &line) {
  if (IsRecording()) RecordLine(line);
}

void TVxDemonstrationModule::RecordMoveTo(const QString &name) {
  if (IsRecording()) RecordLine(QStringLiteral("MouseCurvedMove ") + name);
}

void TVxDemonstrationModule::RecordCommand(const QString &name, const QString &value) {
  if (!IsRecording()) return;
  RecordMoveTo(name);
  RecordLine(value.isEmpty() ? name : name + QLatin1Char(' ') + value);
}

bool TVxDemonstrationModule::StartRecording(int32_t index) {
  if (!FPlayback->StartRecording(index)) return false;
  if (TVxApplication *application = Application())
    for (IVxDemoClient *client : application->FindAll<IVxDemoClient>())
      client->SetDemoPlayback(this);
  return true;
}

void TVxDemonstrationModule::StopRecording() {
  if (!IsRecording()) return;
  if (TVxApplication *application = Application())
    for (IVxDemoClient *client : application->FindAll<IVxDemoClient>())
      client->ClearDemoPlayback(this);
  FPlayback->StopRecording();
}

void TVxDemonstrationModule::RecordLine(const QString &line) {
  if (IsRecording()) FPlayback->RecordLine(line.toStdString());
}

bool TVxDemonstrationModule::IsRecording() const { return FPlayback->IsRecording(); }

bool TVxDemonstrationModule::ShowMessages() const { return FPlayback->ShowMessages; }

void TVxDemonstrationModule::ReportError(const QString &message) {
  FPlayback->ReportError(message.toStdString());
}

void TVxDemonstrationModule::StartQuery(bool &cancel) {
  TVxApplication *application = Application();
  auto *editor = application ? application->Find<TVxEditor>() : nullptr;
  if (editor) {
    if (TVxDocument *current = editor->CurrentDocument(); current && current->DiscardOnClose)
      current->Close();
    // A demonstration from the command line works on the photo it was given.
    if (CloseImagesBeforeDemo && !CommandLinePlaying && editor->CurrentDocument()) {
      cancel = application->MessageBox(Text(173), Text(37), MbYesNo | MbIconQuestion) != IdYes;
      while (!cancel && editor->CurrentDocument()) {
        TVxDocument *document = editor->CurrentDocument();
        if (editor->IsPluginMode()) {
          ReopenFileName = document->FileName();
          document->Save();
          document->SetSaved(true);
        }
        if (!document->Close()) cancel = true;
      }
    }
  }
  if (cancel || !application) return;
  SavedTitle = application->Title();
  application->SetTitle(SavedTitle + QStringLiteral(" - ") +
                        QString::fromStdU16String(FPlayback->GetScript().GetTitle(Localizer())));
}

void TVxDemonstrationModule::StopQuery(bool &stop) {
  TVxApplication *application = Application();
  if (!application) return;
  // Nobody watches a demonstration that ends the program; nobody is asked.
  if (!(CommandLinePlaying && CommandLine.ExitAfterPlay))
    stop = application->MessageBox(Text(172), Text(37), MbYesNo | MbIconQuestion) == IdYes;
  if (!stop) return;
  if (auto *host = application->Find<IVxToolHost>())
    if (TVxGraphicsTool *tool = host->CurrentTool()) {
      if (FPlayback->LeftButtonDown()) tool->EndInteraction();
      tool->AbortInteraction();
    }
  application->SetTitle(SavedTitle);
  if (StartedFromChooser) {
    StartedFromChooser = false;
    application->PostCall(TVxMethod(this, &TVxDemonstrationModule::ReopenChooser), this);
  }
  if (CommandLinePlaying) EndCommandLinePlay(false);
}

void TVxDemonstrationModule::Finished() {
  TVxApplication *application = Application();
  if (!application) return;
  application->SetTitle(SavedTitle);
  if (CommandLinePlaying) {
    EndCommandLinePlay(true);
    return;
  }
  application->MessageBox(Text(725), Text(37), MbOk | MbIconInformation);
  if (StartedFromChooser) {
    StartedFromChooser = false;
    application->PostCall(TVxMethod(this, &TVxDemonstrationModule::ReopenChooser), this);
  }
}

void TVxDemonstrationModule::Error(const std::string &message, bool &, const std::string &line) {
  TVxApplication *application = Application();
  const QString text = QString::fromStdString(message) + QLatin1Char('\n') +
                       QString::fromStdU16String(ScriptLineText(line));
  const bool playing = FPlayback->IsPlaying();
  if (CommandLinePlaying && CommandLine.ExitAfterPlay) {
    Complain(text);
  } else if (application) {
    application->MessageBox(text, Text(37), MbOk | MbIconError);
  }
  if (!playing || !application) return;
  // The demonstration stops: the title it set goes back, and the chooser it
  // came from comes back.
  application->SetTitle(SavedTitle);
  if (StartedFromChooser) {
    StartedFromChooser = false;
    application->PostCall(TVxMethod(this, &TVxDemonstrationModule::ReopenChooser), this);
  }
  if (CommandLinePlaying) EndCommandLinePlay(false);
}

void TVxDemonstrationModule::EndCommandLinePlay(bool ranToEnd) {
  CommandLinePlaying = false;
  TVxApplication *application = Application();
  auto *editor = application ? application->Find<TVxGraphicsEditor>() : nullptr;
  bool ok = ranToEnd;
  if (!CommandLine.SaveAfterPlay.isEmpty() && editor) {
    const QString &name = CommandLine.SaveAfterPlay;
    TVxGraphicsDocument *document = editor->CurrentGraphicsDocument();
    const int32_t format = FormatOfName(editor->Formats(), name);
    if (!document || format < 0) {
      Complain(document ? QStringLiteral("no image format has the extension of ") + name
                        : QStringLiteral("no image is open to be written to ") + name);
      ok = false;
    } else if (!editor->Formats().SaveDocumentAsIs(*document, name, format)) {
      Complain(QStringLiteral("the image could not be written to ") + name);
      ok = false;
    }
  }
  if (!CommandLine.ExitAfterPlay || !application) return;
  // In plug-in mode a demonstration that ran to its end leaves the exit code
  // to the plug-in's OK and Cancel.
  if (!ok)
    application->SetExitCode(1);
  else if (!(editor && editor->IsPluginMode()))
    application->SetExitCode(0);
  if (editor)
    for (int i = 0; i < editor->DocumentCount(); ++i) editor->Document(i)->DiscardOnClose = true;
  if (TMainForm *form = MainForm()) QTimer::singleShot(0, form, &QWidget::close);
}

void TVxDemonstrationModule::PlayCommandLine() {
  // The pointer moves to controls on the screen: wait until the window is there.
  TMainForm *form = MainForm();
  if (form && (!form->windowHandle() || !form->windowHandle()->isExposed()) && WindowWaits < 100) {
    ++WindowWaits;
    QTimer::singleShot(50, this, &TVxDemonstrationModule::PlayCommandLine);
    return;
  }
  TVxDemoScript script;
  if (const std::error_code error = script.LoadFromFile(CommandLine.PlayFile.toStdString());
      error) {
    const QString text =
        CommandLine.PlayFile + QStringLiteral(": ") + QString::fromStdString(error.message());
    Complain(text);
    if (CommandLine.ExitAfterPlay) {
      if (TVxApplication *application = Application()) application->SetExitCode(1);
      if (form) QTimer::singleShot(0, form, &QWidget::close);
    } else if (TVxApplication *application = Application()) {
      application->MessageBox(text, Text(37), MbOk | MbIconError);
    }
    return;
  }
  FDesktop->SetSpeedFactor(CommandLine.Speed);
  // Nobody watches a run that ends the program: what a message box would say
  // goes to the standard error, answered the way that changes nothing.
  if (CommandLine.ExitAfterPlay)
    if (TVxApplication *application = Application())
      application->SetMessageBoxAnswerer([](const QString &text, const QString &, int flags) {
        Complain(text);
        switch (flags & MbButtonsMask) {
          case MbOkCancel:
          case MbYesNoCancel:
          case MbRetryCancel:
            return int{IdCancel};
          case MbYesNo:
            return int{IdNo};
          case MbAbortRetryIgnore:
            return int{IdAbort};
          default:
            return int{IdOk};
        }
      });
  CommandLinePlaying = true;
  if (!Play(script, false) || !FPlayback->IsPlaying()) EndCommandLinePlay(false);
}

bool TVxDemonstrationModule::Play(const TVxDemoScript &script, bool fromChooser) {
  FPlayback->AssignScript(script);
  if (!FPlayback->Start(0)) return false;
  StartedFromChooser = fromChooser && FPlayback->IsPlaying();
  return true;
}

void TVxDemonstrationModule::DemoMenuItemClick() { ShowDemonstrations(); }

void TVxDemonstrationModule::ReopenChooser() { ShowDemonstrations(); }

void TVxDemonstrationModule::ShowDemonstrations() {
  if (FPlayback->IsPlaying() || IsRecording()) return;
  TVxApplication *application = Application();
  TVxDemonstrationForm form(*this, application ? application->MainWindow() : nullptr);
  const bool chosen = form.exec() == QDialog::Accepted && form.SelectedScript();
  auto *editor = application ? application->Find<TVxEditor>() : nullptr;
  if (chosen) {
    if (TVxToolPanelModule *panel = ToolPanel()) panel->SetPanelVisible(true);
    LastDemoIndex += 1;
    Play(*form.SelectedScript(), true);
  } else if (editor && editor->IsPluginMode() && !ReopenFileName.isEmpty()) {
    editor->OpenFile(ReopenFileName, true);
  }
}

void TVxDemonstrationModule::Localize() {
  if (DemoMenuItem) DemoMenuItem->setText(Text(37));
}

void TVxDemonstrationModule::UpdateControls() {
  if (DemoMenuItem) DemoMenuItem->setEnabled(!FPlayback->IsPlaying());
}

void TVxDemonstrationModule::Initialize() {
  RegisterClientWords();
  TVxApplication *application = Application();
  if (application && ShowAtStartup && CommandLine.PlayFile.isEmpty())
    application->PostCall(TVxMethod(this, &TVxDemonstrationModule::ShowDemonstrations), this);
  TVxModuleWithControls::Initialize();
}

void TVxDemonstrationModule::Start() {
  if (CommandLine.PlayFile.isEmpty()) return;
  if (TVxApplication *application = Application())
    application->PostCall(TVxMethod(this, &TVxDemonstrationModule::PlayCommandLine), this);
}

void TVxDemonstrationModule::LoadSettings(TVxSDFReader &reader) {
  if (!reader.OpenSection(1, SectionGuid)) return;
  int32_t value = 0;
  if (reader.ReadInteger(1, value)) ShowAtStartup = value != 0;
  reader.CloseNode();
}

void TVxDemonstrationModule::SaveSettings(TVxSDFWriter &writer) {
  writer.BeginSection(1, SectionGuid);
  writer.WriteInteger(1, ShowAtStartup ? 1 : 0);
  writer.EndNode();
}
