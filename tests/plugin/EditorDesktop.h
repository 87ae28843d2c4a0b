#pragma once
// A desktop for the real editor that the plug-in starts: Xvfb on a display
// of its own choosing with the openbox window manager, and the process
// environment pointed at it, so a program started from this process shows
// its windows there. Answer() is the one place that works the editor's
// plug-in buttons, as a user would.

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace pluginhost {

// The OK or Cancel button, or the window's close button (through the
// window manager, as a user closes it).
enum class TEditorAnswer { Ok, Cancel, CloseWindow };

class TEditorDesktop {
 public:
  // home: the folder the editor takes as its home and configuration folder.
  explicit TEditorDesktop(const std::filesystem::path &home);
  ~TEditorDesktop();
  TEditorDesktop(const TEditorDesktop &) = delete;
  TEditorDesktop &operator=(const TEditorDesktop &) = delete;

  bool Ready() const { return FReady; }
  const std::string &Why() const { return FWhy; }

  // Waits for the editor's plug-in window and answers it. False, with
  // Why() telling, when it could not.
  bool Answer(TEditorAnswer answer);
  // Ends the display: whatever still shows on it goes down as well.
  void Close();

 private:
  std::string Run(const std::vector<std::string> &argv);
  bool FindButtons(int &okX, int &cancelX, int &y);

  std::filesystem::path Home;
  std::string Display;
  pid_t XServer = -1, WindowManager = -1;
  bool FReady = false;
  std::string FWhy;
};

}  // namespace pluginhost
