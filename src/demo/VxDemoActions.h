#pragma once
// What one script line does while it plays: pauses, balloon hints, pointer
// moves, button presses, macros of those, and the commands that the program's
// clients run. Every action measures real time through the playback's
// device, so a slow tick makes the pointer jump further but never lengthens
// a move or a pause.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/VxTypes.h"
#include "demo/VxDemoScriptParams.h"

class TVxDemoPlayback;
class TVxProperties;

class TVxDemoScriptAction {
 public:
  // params may be null: the action then has an empty copy.
  TVxDemoScriptAction(TVxDemoPlayback &playback, const TVxProperties *params);
  TVxDemoScriptAction(const TVxDemoScriptAction &) = delete;
  TVxDemoScriptAction &operator=(const TVxDemoScriptAction &) = delete;
  virtual ~TVxDemoScriptAction();

  // Runs once, on the first Step.
  virtual void Start() {}
  virtual bool IsFinished() { return true; }
  // One tick of work. Overrides call this first.
  virtual void Step();
  // The playback pauses / continues.
  virtual void Suspend() {}
  virtual void Resume() {}
  // The user stopped the playback while this action was current.
  virtual void Abort() {}

  const TVxDemoScriptParams &Params() const { return FParams; }
  bool IsStarted() const { return Started; }

 protected:
  // The target of a pointer action: x, y when both are numbers, else what
  // the playback resolves the arguments to; the tracked pointer position
  // without arguments or when nothing resolves them ("Invalid arguments.").
  TVxPoint TargetPoint();

  TVxDemoPlayback &Playback;
  TVxDemoScriptParams FParams;

 private:
  bool Started = false;
};

class TVxDemoScriptPauseAction : public TVxDemoScriptAction {
 public:
  using TVxDemoScriptAction::TVxDemoScriptAction;
  void Start() override;
  bool IsFinished() override { return Elapsed >= Duration; }
  void Step() override;
  void Resume() override;
  uint32_t GetDuration() const { return Duration; }

 protected:
  uint32_t Duration = 0;
  uint32_t Elapsed = 0;
  uint32_t LastTick = 0;
};

class TVxDemoScriptBalloonAction : public TVxDemoScriptPauseAction {
 public:
  using TVxDemoScriptPauseAction::TVxDemoScriptPauseAction;
  ~TVxDemoScriptBalloonAction() override;
  void Start() override;
  void Suspend() override;
  void Resume() override;
  const std::u16string &GetText() const { return FText; }
  int32_t Corner() const { return FCorner; }

 private:
  void Show();

  bool CursorHidden = false;
  bool Shown = false;
  TVxPoint Position;
  std::u16string FText;
  int32_t FCorner = 0;
};

class TVxDemoScriptMouseToAction : public TVxDemoScriptAction {
 public:
  using TVxDemoScriptAction::TVxDemoScriptAction;
  void Start() override { Target = TargetPoint(); }
  void Step() override;

 private:
  TVxPoint Target;
};

class TVxDemoScriptMouseSpeedAction : public TVxDemoScriptAction {
 public:
  using TVxDemoScriptAction::TVxDemoScriptAction;
  void Start() override;
};

class TVxDemoScriptMouseMoveAction : public TVxDemoScriptAction {
 public:
  using TVxDemoScriptAction::TVxDemoScriptAction;
  void Start() override;
  bool IsFinished() override { return Finished; }
  void Step() override;
  void Resume() override;
  uint32_t GetDuration() const { return Duration; }
  TVxPoint GetTarget() const { return Target; }

 protected:
  TVxPoint StartPoint, Target;
  uint32_t Duration = 0;
  uint32_t Elapsed = 0;
  uint32_t LastTick = 0;
  double DX = 0, DY = 0;
  // How far the path bows away from the straight line: a third of the
  // smaller distance for 3; 0 is straight.
  int32_t Curve = 0;
  bool Finished = false;
};

class TVxDemoScriptMouseCurvedMoveAction : public TVxDemoScriptMouseMoveAction {
 public:
  using TVxDemoScriptMouseMoveAction::TVxDemoScriptMouseMoveAction;
  void Start() override;
};

// One button event; the left button's state is kept by the playback so that
// a stop in the middle of a drag can release it.
class TVxDemoScriptButtonAction : public TVxDemoScriptAction {
 public:
  // Logical buttons: left is the primary one.
  TVxDemoScriptButtonAction(TVxDemoPlayback &playback, bool left, bool down)
      : TVxDemoScriptAction(playback, nullptr), Left(left), Down(down) {}
  void Step() override;

 private:
  bool Left, Down;
};

class TVxDemoScriptMacroAction : public TVxDemoScriptAction {
 public:
  using TVxDemoScriptAction::TVxDemoScriptAction;
  ~TVxDemoScriptMacroAction() override;
  // Null is ignored; the macro owns what it is given.
  void AddAction(std::unique_ptr<TVxDemoScriptAction> action);
  bool IsFinished() override { return CurrentIndex >= Actions.size(); }
  void Step() override;
  void Resume() override;
  size_t ActionCount() const { return Actions.size(); }
  TVxDemoScriptAction *Action(size_t index) const { return Actions.at(index).get(); }

 private:
  std::vector<std::unique_ptr<TVxDemoScriptAction>> Actions;
  size_t CurrentIndex = 0;
};

// A command word that is not built in: the playback's owner runs it.
class TVxDemoScriptUserAction : public TVxDemoScriptMacroAction {
 public:
  TVxDemoScriptUserAction(TVxDemoPlayback &playback, std::string name, const TVxProperties *params);
  void Start() override;
  const std::string &Name() const { return FName; }

 private:
  std::string FName;
};
