#include "EditorDesktop.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "imaging/codecs/VxImage.h"
#include "support/TestSupport.h"

extern char **environ;

namespace pluginhost {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

pid_t Spawn(const std::vector<std::string> &argv, int output) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output >= 0) {
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output, STDERR_FILENO);
  }
  std::vector<char *> args;
  for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

void End(pid_t &pid) {
  if (pid <= 0) return;
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  pid = -1;
}

template <class F>
bool Until(Clock::duration timeout, F done) {
  const auto deadline = Clock::now() + timeout;
  while (!done()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(200ms);
  }
  return true;
}

// The editor's view is painted in this grey around the image.
constexpr uint32_t ViewBackground = 0x404040;

bool Dark(uint32_t c) {
  return (c >> 16 & 0xFF) < 100 && (c >> 8 & 0xFF) < 100 && (c & 0xFF) < 100;
}

}  // namespace

TEditorDesktop::TEditorDesktop(const std::filesystem::path &home) : Home(home) {
  int fds[2];
  if (pipe(fds) != 0) return;
  fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
  XServer = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                   "-nolisten", "tcp"},
                  quiet);
  close(fds[1]);
  std::string number;
  pollfd wait{fds[0], POLLIN, 0};
  char c = 0;
  while (XServer > 0 && poll(&wait, 1, 20000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
    number += c;
  close(fds[0]);
  if (number.empty()) {
    FWhy = "Xvfb did not start: run scripts/bootstrap";
    close(quiet);
    return;
  }
  Display = ":" + number;
  std::filesystem::create_directories(home / "run");
  std::filesystem::permissions(home / "run", std::filesystem::perms::owner_all);
  // The plug-in starts the editor with this process's environment.
  setenv("DISPLAY", Display.c_str(), 1);
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (home / "run").c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  setenv("LANG", "C.UTF-8", 1);
  // The sanitizer build of the editor runs as a user starts it, with the
  // list of the system libraries' leaks it carries itself; the tests' own
  // stricter checks would stop it inside those libraries.
  setenv("ASAN_OPTIONS", "detect_leaks=1", 1);
  unsetenv("LSAN_OPTIONS");
  WindowManager = Spawn({"openbox"}, quiet);
  close(quiet);
  FReady = Until(60s, [&] {
    return Run({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") !=
           std::string::npos;
  });
  if (!FReady) FWhy = "openbox did not start: run scripts/bootstrap";
}

TEditorDesktop::~TEditorDesktop() { Close(); }

void TEditorDesktop::Close() {
  End(WindowManager);
  End(XServer);
}

std::string TEditorDesktop::Run(const std::vector<std::string> &argv) {
  const std::filesystem::path out = Home / "capture.txt";
  const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  pid_t pid = Spawn(argv, fd);
  close(fd);
  if (pid <= 0) return {};
  const bool ended = Until(20s, [&] { return waitpid(pid, nullptr, WNOHANG) == pid; });
  if (!ended) {
    End(pid);
    return {};
  }
  std::ifstream in(out, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The plug-in's buttons are the last two text buttons of the toolbar over
// the image view: the rightmost clusters of dark text in the band just
// above the view's top edge.
bool TEditorDesktop::FindButtons(int &okX, int &cancelX, int &y) {
  const std::filesystem::path shot = Home / "screen.png";
  Run({"import", "-window", "root", shot.string()});
  TVxImage image;
  TVxPixelBuffer screen;
  if (image.LoadFromFile(shot) != TVxImageStatus::Ok ||
      image.DecodeAtLeast(image.Width(), image.Height(), screen) != TVxImageStatus::Ok)
    return false;
  int viewTop = -1, viewRight = -1;
  for (int32_t row = 0; row < screen.Height && viewTop < 0; ++row) {
    int run = 0;
    for (int32_t x = 0; x < screen.Width; ++x) {
      run = testsupport::ColourAt(screen, x, row) == ViewBackground ? run + 1 : 0;
      if (run >= 200) {
        viewTop = row;
        viewRight = x;
      }
    }
  }
  if (viewTop < 40) return false;
  while (viewRight + 1 < screen.Width &&
         testsupport::ColourAt(screen, viewRight + 1, viewTop) == ViewBackground)
    ++viewRight;

  const int top = viewTop - 34, bottom = viewTop - 4;
  std::vector<std::pair<int, int>> clusters;  // right to left: (right, left)
  int rowSum = 0, inked = 0;
  for (int x = viewRight; x >= 0; --x) {
    bool ink = false;
    for (int row = top; row < bottom; ++row)
      if (Dark(testsupport::ColourAt(screen, x, row))) {
        ink = true;
        rowSum += row;
        ++inked;
      }
    if (!ink) continue;
    if (clusters.empty() || clusters.back().second - x > 6) clusters.push_back({x, x});
    clusters.back().second = x;
    if (clusters.size() > 2) break;
  }
  if (clusters.size() < 2 || inked == 0) return false;
  cancelX = (clusters[0].first + clusters[0].second) / 2;
  okX = (clusters[1].first + clusters[1].second) / 2;
  y = rowSum / inked;
  return true;
}

bool TEditorDesktop::Answer(TEditorAnswer answer) {
  std::string window;
  if (!Until(90s, [&] {
        window = Run({"xdotool", "search", "--onlyvisible", "--name", "Velora Plug-in$"});
        window = window.substr(0, window.find('\n'));
        return !window.empty();
      })) {
    FWhy = "no plug-in window came up";
    return false;
  }
  // The demonstration chooser opens once the start-up has finished; the user
  // closes it before answering.
  std::string chooser;
  if (!Until(60s, [&] {
        chooser = Run({"xdotool", "search", "--onlyvisible", "--name", "^Demonstrations$"});
        chooser = chooser.substr(0, chooser.find('\n'));
        return !chooser.empty();
      })) {
    FWhy = "no demonstration chooser at start";
    return false;
  }
  Run({"xdotool", "windowactivate", "--sync", chooser});
  Run({"xdotool", "key", "Escape"});
  if (!Until(30s, [&] {
        return Run({"xdotool", "search", "--onlyvisible", "--name", "^Demonstrations$"}).empty();
      })) {
    FWhy = "the chooser did not close";
    return false;
  }
  Run({"xdotool", "windowactivate", "--sync", window});
  if (answer == TEditorAnswer::CloseWindow) {
    Run({"xdotool", "key", "--clearmodifiers", "alt+F4"});
    return true;
  }
  int okX = 0, cancelX = 0, y = 0;
  if (!Until(60s, [&] { return FindButtons(okX, cancelX, y); })) {
    FWhy = "the OK and Cancel buttons were not found";
    return false;
  }
  const int x = answer == TEditorAnswer::Ok ? okX : cancelX;
  Run({"xdotool", "mousemove", "--sync", std::to_string(x), std::to_string(y)});
  std::this_thread::sleep_for(300ms);
  Run({"xdotool", "click", "1"});
  return true;
}

}  // namespace pluginhost
