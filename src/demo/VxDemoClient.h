#pragma once
// How a demonstration reaches the editor and the tools: the words a script
// runs and the points it moves to are asked of every client, and clients
// register the names of their controls and commands with the demonstration
// module once they exist.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>

#include "demo/VxDemoWords.h"
#include "settings/VxSDF.h"

class IVxDemoRecorder;
class TVxProperties;

class IVxDemoClient {
 public:
  static constexpr TVxGUID IID = TVxGUID::FromLiteral("{337C31B6-B4C2-4951-AE25-F7644D01E59E}");

  // word is upper case; params by position. userAction: the playback runs the
  // word as if the user had clicked.
  virtual void ExecuteDemoCommand(IVxDemoRecorder *playback, const QString &word, bool &handled,
                                  bool userAction, const TVxProperties &params) = 0;
  // The screen point of the control named by the first parameter.
  virtual void GetDemoCommandPoint(IVxDemoRecorder *playback, const TVxProperties &params,
                                   bool &handled, QPoint &screenPoint) = 0;
  // The recorder that receives script lines while a recording runs.
  virtual void SetDemoPlayback(IVxDemoRecorder *recorder) = 0;
  virtual void ClearDemoPlayback(IVxDemoRecorder *playback) = 0;
  // Every word the client declares, for the registry to register.
  virtual void ListDemoWords(const TVxDemoWordVisitor &visit) = 0;

 protected:
  IVxDemoClient() = default;
  IVxDemoClient(const IVxDemoClient &) = default;
  IVxDemoClient &operator=(const IVxDemoClient &) = default;
  ~IVxDemoClient() = default;
};

// The names scripts may use. Implemented by the demonstration module; names
// are compared without regard to case.
class IVxDemoRegistry {
 public:
  // A control, menu item or toolbar item a script can move to; ignored when
  // component is null.
  virtual void AddComponent(const QString &name, QObject *component) = 0;
  virtual void AddCommand(const QString &name, std::function<void()> handler) = 0;
  // The handler receives the component as its sender.
  virtual void AddNotifyCommand(const QString &name, QObject *component,
                                std::function<void(QObject *)> handler) = 0;
  // AddComponent and AddNotifyCommand under one name.
  virtual void AddComponentCommand(const QString &name, QObject *component,
                                   std::function<void(QObject *)> handler) = 0;
  virtual void AddBoolCommand(const QString &name, bool defaultValue,
                              std::function<void(bool)> handler) = 0;
  virtual void AddIntCommand(const QString &name, int32_t defaultValue,
                             std::function<void(int32_t)> handler) = 0;
  virtual void AddColorCommand(const QString &name, int32_t defaultValue,
                               std::function<void(int32_t)> handler) = 0;
  virtual void AddPointCommand(const QString &name, QPoint defaultValue,
                               std::function<void(int32_t, int32_t)> handler) = 0;

 protected:
  IVxDemoRegistry() = default;
  IVxDemoRegistry(const IVxDemoRegistry &) = default;
  IVxDemoRegistry &operator=(const IVxDemoRegistry &) = default;
  ~IVxDemoRegistry() = default;
};

// The application's component that keeps the registry, or null while there
// is none.
IVxDemoRegistry *DemoRegistry();

// The playing demonstration, as long computations see it: they hold it
// while they work, so the demonstration waits instead of moving on.
class IVxDemoPlaybackHold {
 public:
  // Nestable; playing goes on when every Pause has had its Resume.
  virtual void PausePlayback() = 0;
  virtual void ResumePlayback() = 0;

 protected:
  IVxDemoPlaybackHold() = default;
  IVxDemoPlaybackHold(const IVxDemoPlaybackHold &) = default;
  IVxDemoPlaybackHold &operator=(const IVxDemoPlaybackHold &) = default;
  ~IVxDemoPlaybackHold() = default;
};

// Holds the application's demonstration, if any, for its lifetime.
class TVxDemoPauseScope {
 public:
  TVxDemoPauseScope();
  ~TVxDemoPauseScope();
  TVxDemoPauseScope(const TVxDemoPauseScope &) = delete;
  TVxDemoPauseScope &operator=(const TVxDemoPauseScope &) = delete;

 private:
  QPointer<QObject> Holder;
};
