#pragma once
// The one playback of the program: plays a script one action at a time, a
// tick about every 10 ms on the interface thread, and records scripts while
// the editor, the image view and the tools send it lines. Its owner (the
// demonstration module) answers its events: run a command, turn a name into
// a screen point, confirm a start or a stop, show an error, announce the end.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/VxTypes.h"
#include "demo/VxDemoDevice.h"
#include "demo/VxDemoLanguage.h"
#include "demo/VxDemoScript.h"

class TVxDemoScriptAction;
class TVxProperties;

enum class TVxDemoState : uint8_t { Idle, Playing, Paused, Stopped, Recording };

class TVxDemoPlayback {
 public:
  using TEvent = std::function<void()>;
  using TErrorEvent =
      std::function<void(const std::string &message, bool &stop, const std::string &line)>;
  using TCancelEvent = std::function<void(bool &flag)>;
  using TResolveEvent =
      std::function<void(const TVxProperties &params, bool &handled, TVxPoint &point)>;
  using TCommandEvent =
      std::function<void(const std::string &name, bool &handled, TVxDemoScriptAction &action,
                         const TVxProperties &params)>;
  using TRecordLineEvent = std::function<void(int32_t index, const std::string &line)>;

  explicit TVxDemoPlayback(IVxDemoDevice &device);
  TVxDemoPlayback(const TVxDemoPlayback &) = delete;
  TVxDemoPlayback &operator=(const TVxDemoPlayback &) = delete;
  ~TVxDemoPlayback();

  TEvent OnResume, OnPause, OnFinish, OnRecordStart, OnRecordStop;
  TErrorEvent OnError;
  TCancelEvent OnStart;      // set the flag to cancel
  TCancelEvent OnStopQuery;  // clear the flag to go on playing
  TResolveEvent OnResolvePoint;
  TCommandEvent OnCommand;
  TRecordLineEvent OnRecordLine;

  // Recorders also write "Message" lines.
  bool ShowMessages = true;
  bool UseUserInterface = true;

  void AssignScript(const TVxDemoScript &source) { Script.Assign(source); }
  const TVxDemoScript &GetScript() const { return Script; }
  TVxDemoScript &GetScript() { return Script; }

  // Begins playing at script line index; false when already playing, paused
  // or recording. A start the owner cancels is true and plays nothing.
  bool Start(int32_t index);
  // One timer step; false once nothing is left to play (the ticks end).
  bool Tick();
  // Nestable: playing continues when every Pause has had its Resume.
  void Pause();
  void Resume();
  // The user asked to stop; whether the playback stopped.
  bool UserAbort();
  void ReportError(const std::string &message);

  TVxDemoState State() const { return FState; }
  bool IsPlaying() const {
    return FState == TVxDemoState::Playing || FState == TVxDemoState::Paused;
  }
  bool IsRecording() const { return FState == TVxDemoState::Recording; }
  int32_t PauseCount() const { return FPauseCount; }
  uint32_t LineIndex() const { return FLineIndex; }

  bool StartRecording(int32_t index);
  void StopRecording();
  // Inserts line where the recording stands; callers check IsRecording.
  void RecordLine(const std::string &line);

  uint16_t MouseSpeed() const { return FMouseSpeed; }
  // 0 is ignored, so a move's duration never divides by 0.
  void SetMouseSpeed(int32_t speed);
  TVxPoint CursorPoint() const { return FCursorPoint; }
  void MoveCursorTo(TVxPoint point);
  bool ResolvePoint(const TVxProperties &params, TVxPoint &point);
  bool LeftButtonDown() const { return FLeftButtonDown; }
  void SetLeftButtonDown(bool down) { FLeftButtonDown = down; }
  // A logical button event, mapped through the user's button swap.
  void SendButton(bool left, bool down);

  // The action for one line; null for a comment.
  std::unique_ptr<TVxDemoScriptAction> ParseLine(std::string_view line);
  std::unique_ptr<TVxDemoScriptAction> CreateAction(const std::string &word,
                                                    const TVxProperties *params);

  IVxDemoDevice &Device() const { return FDevice; }
  // The "%" texts of a message come from the script's language sections.
  std::u16string LocalizedValue(std::string_view key) const;
  TVxDemoScriptAction *CurrentAction() const { return FCurrentAction.get(); }

 private:
  void TickPlaying();
  void NextAction();
  void ReleaseButtons();
  void StopNow();
  void GiveBackHandlers();

  IVxDemoDevice &FDevice;
  TVxDemoScript Script;
  TVxDemoLanguage Language;
  uint32_t FLineIndex = 0;
  int32_t InsertIndex = 0;
  TVxDemoState FState = TVxDemoState::Idle;
  int32_t FPauseCount = 0;
  std::unique_ptr<TVxDemoScriptAction> FCurrentAction;
  uint16_t FMouseSpeed = 5;
  TVxPoint FCursorPoint;
  bool FLeftButtonDown = false;
  bool HandlersInstalled = false;
};
