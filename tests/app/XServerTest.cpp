// The whole program on a real X server with a window manager, as on a
// desktop: Xvfb on a display of its own choosing and openbox. In the
// sanitizer build every run must also end without a leak report, started
// as a user starts it: the program itself knows the system libraries' own
// leaks (tests/lsan.supp).

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "imaging/codecs/VxImage.h"
#include "plugin/ExchangeFile.h"
#include "support/TestSupport.h"

extern char **environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A child process we started; ended by its own id when the test is done.
class TChild {
 public:
  TChild() = default;
  // output, when given, takes the child's standard output and error; every
  // descriptor not marked close-on-exec is inherited.
  TChild(const std::vector<std::string> &argv, const std::vector<std::string> &env,
         int output = -1) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output >= 0) {
      posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
      posix_spawn_file_actions_adddup2(&actions, output, STDERR_FILENO);
    }
    std::vector<char *> args, vars;
    for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
    for (const std::string &v : env) vars.push_back(const_cast<char *>(v.c_str()));
    args.push_back(nullptr);
    vars.push_back(nullptr);
    if (posix_spawnp(&Pid, argv[0].c_str(), &actions, nullptr, args.data(), vars.data()) != 0)
      Pid = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~TChild() { Kill(); }
  TChild(const TChild &) = delete;
  TChild &operator=(const TChild &) = delete;
  TChild(TChild &&other) noexcept : Pid(std::exchange(other.Pid, -1)) {}
  TChild &operator=(TChild &&other) noexcept {
    Kill();
    Pid = std::exchange(other.Pid, -1);
    return *this;
  }

  bool Started() const { return Pid > 0; }
  bool Running() {
    if (Pid <= 0) return false;
    int status = 0;
    if (waitpid(Pid, &status, WNOHANG) != Pid) return true;
    Status = status;
    Pid = -1;
    return false;
  }
  // The wait status once it ended within timeout.
  std::optional<int> Wait(Clock::duration timeout) {
    const auto deadline = Clock::now() + timeout;
    while (Running()) {
      if (Clock::now() > deadline) return std::nullopt;
      std::this_thread::sleep_for(50ms);
    }
    return Status;
  }
  void Kill() {
    if (Pid <= 0) return;
    kill(Pid, SIGKILL);
    waitpid(Pid, nullptr, 0);
    Pid = -1;
  }

 private:
  pid_t Pid = -1;
  std::optional<int> Status;
};

std::string Describe(int status) {
  if (WIFEXITED(status)) return "exit code " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  return "status " + std::to_string(status);
}

std::string ReadText(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A 2400 x 2400 photograph in four plain quarters of the given colours
// (0xRRGGBB, left to right, top to bottom).
void WriteQuarters(const fs::path &path, const std::array<uint32_t, 4> &colours) {
  TVxPixelBuffer pixels(PixelFormat24, {0, 0, 2400, 2400});
  for (int32_t y = 0; y < 2400; ++y)
    for (int32_t x = 0; x < 2400; ++x) {
      const uint32_t c = colours[static_cast<size_t>((y / 1200) * 2 + x / 1200)];
      uint8_t *p = pixels.PixelAddress(x, y);
      p[0] = static_cast<uint8_t>(c);
      p[1] = static_cast<uint8_t>(c >> 8);
      p[2] = static_cast<uint8_t>(c >> 16);
    }
  ASSERT_EQ(SaveImage(pixels, path, "image/png", {}), TVxImageStatus::Ok);
}

constexpr std::array<uint32_t, 4> Primaries = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
constexpr std::array<uint32_t, 4> Secondaries = {0x00FFFF, 0xFF00FF, 0x800000, 0x008000};

class XServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(Dir / "run");
    fs::permissions(Dir / "run", fs::perms::owner_all);
    StartXServer();
    if (Display.empty()) return;
    Environment = {"DISPLAY=" + Display,
                   "PATH=" + std::string(getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin"),
                   "HOME=" + Dir.Path().string(), "XDG_CONFIG_HOME=" + (Dir / "config").string(),
                   "XDG_RUNTIME_DIR=" + (Dir / "run").string(), "QT_QPA_PLATFORM=xcb",
                   "LANG=C.UTF-8",
                   // The program as a user starts it: no list of leaks to
                   // suppress from outside, only its own.
                   "ASAN_OPTIONS=detect_leaks=1"};
    WindowManager = TChild({"openbox"}, Environment, Quiet());
    ASSERT_TRUE(WindowManager.Started()) << "openbox is missing: run scripts/bootstrap";
    // A window manager names itself on the root window once it manages.
    ASSERT_TRUE(Until(60s, [&] {
      return Capture({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") !=
             std::string::npos;
    })) << "openbox did not start";
  }

  // Xvfb picks a free display number itself and tells it through a pipe.
  void StartXServer() {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    XServer = TChild({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                      "-nolisten", "tcp"},
                     {"PATH=/usr/bin:/bin"}, Quiet());
    close(fds[1]);
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    char c = 0;
    while (XServer.Started() && poll(&wait, 1, 20000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
      number += c;
    close(fds[0]);
    ASSERT_FALSE(number.empty()) << "Xvfb did not start: run scripts/bootstrap";
    Display = ":" + number;
  }

  int Quiet() {
    if (NullFd < 0) NullFd = open("/dev/null", O_WRONLY | O_CLOEXEC);
    return NullFd;
  }

  void TearDown() override {
    Editor.Kill();
    WindowManager.Kill();
    XServer.Kill();
    if (NullFd >= 0) close(NullFd);
  }

  template <class F>
  static bool Until(Clock::duration timeout, F done) {
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
      if (Clock::now() > deadline) return false;
      std::this_thread::sleep_for(200ms);
    }
    return true;
  }

  // Runs an X client to its end (at most 20 seconds); its output.
  std::string Capture(const std::vector<std::string> &argv) {
    const fs::path out = Dir / "capture.txt";
    const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    TChild child(argv, Environment, fd);
    close(fd);
    if (!child.Wait(20s)) return {};
    return ReadText(out);
  }

  void StartEditor(const std::vector<std::string> &arguments = {}) {
    std::vector<std::string> argv = {VELORA_PROGRAM};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const int log = open(EditorLog().c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    Editor = TChild(argv, Environment, log);
    close(log);
    ASSERT_TRUE(Editor.Started());
    ASSERT_TRUE(Until(60s, [&] { return !MainWindow().empty() || !Editor.Running(); }));
    ASSERT_TRUE(Editor.Running()) << ReadText(EditorLog());
    // The demonstration chooser opens once the start-up has finished; these
    // tests work with the program as it is when the user closed it.
    std::string chooser;
    ASSERT_TRUE(Until(60s, [&] {
      chooser = FindWindow("^Demonstrations$");
      return !chooser.empty();
    })) << "no demonstration chooser at start";
    Capture({"xdotool", "windowactivate", "--sync", chooser});
    Capture({"xdotool", "key", "Escape"});
    ASSERT_TRUE(Until(30s, [&] { return FindWindow("^Demonstrations$").empty(); }))
        << "the chooser did not close";
  }

  std::string FindWindow(const std::string &name) {
    const std::string found = Capture({"xdotool", "search", "--onlyvisible", "--name", name});
    return found.substr(0, found.find('\n'));
  }

  // Runs the program to its end (at most timeout); how it ended.
  std::string RunProgram(const std::vector<std::string> &arguments, Clock::duration timeout) {
    std::vector<std::string> argv = {VELORA_PROGRAM};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const int log = open(EditorLog().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    Editor = TChild(argv, Environment, log);
    close(log);
    if (!Editor.Started()) return "not started";
    const std::optional<int> status = Editor.Wait(timeout);
    if (!status) {
      Editor.Kill();
      return "still running";
    }
    return Describe(*status);
  }

  static fs::path DemoFolder() { return fs::path(VELORA_PROGRAM).parent_path() / "Demo"; }

  fs::path WriteScript(const std::string &name, const std::string &lines) {
    const fs::path path = Dir / name;
    std::ofstream(path, std::ios::binary) << "[Info]\nTitle=Test\n[Script]\n" << lines;
    return path;
  }

  fs::path EditorLog() const { return Dir / "editor.log"; }

  // The editor's main window (its title ends with the program's name).
  std::string MainWindow() {
    const std::string found = Capture({"xdotool", "search", "--onlyvisible", "--name", "Velora$"});
    return found.substr(0, found.find('\n'));
  }

  // Closes the main window through the window manager, as its close
  // button does, and returns how the program ended.
  std::string CloseEditor() {
    const std::string window = MainWindow();
    Capture({"xdotool", "windowactivate", "--sync", window});
    Capture({"xdotool", "key", "--clearmodifiers", "alt+F4"});
    const std::optional<int> status = Editor.Wait(60s);
    if (!status) {
      Editor.Kill();
      return "still running after the window was closed";
    }
    return Describe(*status);
  }

  // How much of each colour the screen shows, and how tall their area is.
  struct TSeen {
    std::array<int, 4> Pixels{};
    int Height = 0;
  };
  TSeen Look(const std::array<uint32_t, 4> &colours) {
    const fs::path shot = Dir / "screen.png";
    Capture({"import", "-window", "root", shot.string()});
    TVxImage image;
    TVxPixelBuffer screen;
    TSeen seen;
    if (image.LoadFromFile(shot) != TVxImageStatus::Ok ||
        image.DecodeAtLeast(image.Width(), image.Height(), screen) != TVxImageStatus::Ok)
      return seen;
    int top = screen.Height, bottom = -1;
    for (int32_t y = 0; y < screen.Height; ++y)
      for (int32_t x = 0; x < screen.Width; ++x) {
        const uint32_t c = testsupport::ColourAt(screen, x, y);
        for (size_t i = 0; i < colours.size(); ++i)
          if (c == colours[i]) {
            ++seen.Pixels[i];
            top = std::min(top, y);
            bottom = std::max(bottom, y);
          }
      }
    seen.Height = bottom - top + 1;
    return seen;
  }

  // Fitted: all four quarters are on the screen, and the picture takes the
  // view's height (the window is some 700 pixels tall). At 1:1 only the
  // top-left quarter would show.
  ::testing::AssertionResult ShowsFitted(const std::array<uint32_t, 4> &colours) {
    TSeen seen;
    const bool fitted = Until(60s, [&] {
      seen = Look(colours);
      for (int count : seen.Pixels)
        if (count < 5000) return false;
      return seen.Height >= 400;
    });
    if (fitted) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "quarters seen: " << seen.Pixels[0] << ", " << seen.Pixels[1] << ", "
           << seen.Pixels[2] << ", " << seen.Pixels[3] << " pixels; height " << seen.Height;
  }

  // Where the screen shows colour: the centre of those pixels and how many
  // there are (0 when none).
  struct TSpot {
    int X = 0, Y = 0, Count = 0;
  };
  TSpot Spot(uint32_t colour) {
    const fs::path shot = Dir / "screen.png";
    Capture({"import", "-window", "root", shot.string()});
    TVxImage image;
    TVxPixelBuffer screen;
    TSpot spot;
    if (image.LoadFromFile(shot) != TVxImageStatus::Ok ||
        image.DecodeAtLeast(image.Width(), image.Height(), screen) != TVxImageStatus::Ok)
      return spot;
    long sumX = 0, sumY = 0;
    for (int32_t y = 0; y < screen.Height; ++y)
      for (int32_t x = 0; x < screen.Width; ++x)
        if (testsupport::ColourAt(screen, x, y) == colour) {
          sumX += x;
          sumY += y;
          ++spot.Count;
        }
    if (spot.Count > 0) {
      spot.X = static_cast<int>(sumX / spot.Count);
      spot.Y = static_cast<int>(sumY / spot.Count);
    }
    return spot;
  }

  testsupport::TempDir Dir;
  std::string Display;
  std::vector<std::string> Environment;
  int NullFd = -1;
  TChild XServer, WindowManager, Editor;
};

TEST_F(XServerTest, TheProgramStartsAndClosesCleanly) {
  StartEditor();
  EXPECT_EQ(CloseEditor(), "exit code 0") << ReadText(EditorLog());
}

// A photograph larger than the window opens fitted, not at 1:1 at its
// top-left corner: at the first start, after the window was resized and the
// program started again (a stored placement), and from the File menu.
TEST_F(XServerTest, ALargePhotoOpensFittedFirstAfterARestartAndFromTheMenu) {
  const fs::path photo = Dir / "large.png", other = Dir / "other.png";
  WriteQuarters(photo, Primaries);
  WriteQuarters(other, Secondaries);

  StartEditor({photo.string()});
  EXPECT_TRUE(ShowsFitted(Primaries)) << "at the first start";
  Capture({"xdotool", "windowsize", "--sync", MainWindow(), "900", "650"});
  ASSERT_EQ(CloseEditor(), "exit code 0") << ReadText(EditorLog());

  StartEditor({photo.string()});
  EXPECT_TRUE(ShowsFitted(Primaries)) << "after a restart";

  Capture({"xdotool", "windowactivate", "--sync", MainWindow()});
  Capture({"xdotool", "key", "--clearmodifiers", "ctrl+o"});
  // The dialog takes the keys once the window manager has given it the
  // focus; its name box has the dialog's own focus.
  std::string dialog;
  ASSERT_TRUE(Until(60s, [&] {
    dialog = Capture({"xdotool", "search", "--onlyvisible", "--name", "^Open$"});
    dialog = dialog.substr(0, dialog.find('\n'));
    return !dialog.empty();
  })) << "no open dialog";
  Capture({"xdotool", "windowactivate", "--sync", dialog});
  ASSERT_TRUE(Until(10s, [&] {
    return Capture({"xdotool", "getactivewindow"}).substr(0, dialog.size()) == dialog;
  }));
  std::this_thread::sleep_for(500ms);
  Capture({"xdotool", "type", "--delay", "20", other.string()});
  std::this_thread::sleep_for(300ms);
  Capture({"xdotool", "key", "Return"});
  ASSERT_TRUE(Until(20s, [&] {
    return Capture({"xdotool", "search", "--onlyvisible", "--name", "^Open$"}).empty();
  })) << "the dialog did not take the name";
  EXPECT_TRUE(ShowsFitted(Secondaries)) << "opened from the File menu";
  EXPECT_EQ(CloseEditor(), "exit code 0") << ReadText(EditorLog());
}

// Every shipped demonstration plays to its end against the real program,
// moving the real pointer; its result is the sample portrait, which only
// zooming and comparing leave as it was. One of them plays at real speed.
TEST_F(XServerTest, EveryShippedDemonstrationPlaysToItsEnd) {
  TVxImage sample;
  TVxPixelBuffer expected;
  ASSERT_EQ(sample.LoadFromFile(DemoFolder() / "portrait.jpg"), TVxImageStatus::Ok);
  ASSERT_EQ(sample.DecodeAtLeast(sample.Width(), sample.Height(), expected), TVxImageStatus::Ok);
  bool realSpeed = true;
  int played = 0;
  for (const fs::directory_entry &entry : fs::directory_iterator(DemoFolder())) {
    if (entry.path().extension() != ".dsc") continue;
    ++played;
    const fs::path result = Dir / (entry.path().stem().string() + ".png");
    std::vector<std::string> arguments = {"--play", entry.path().string(), "--exit-after-play",
                                          "--save-after-play", result.string()};
    if (!realSpeed) arguments.insert(arguments.end(), {"--demo-speed", "6"});
    EXPECT_EQ(RunProgram(arguments, realSpeed ? 180s : 90s), "exit code 0")
        << entry.path() << "\n"
        << ReadText(EditorLog());
    realSpeed = false;
    TVxImage image;
    TVxPixelBuffer pixels;
    ASSERT_EQ(image.LoadFromFile(result), TVxImageStatus::Ok) << entry.path();
    ASSERT_EQ(image.DecodeAtLeast(image.Width(), image.Height(), pixels), TVxImageStatus::Ok);
    ASSERT_EQ(pixels.Width, expected.Width);
    ASSERT_EQ(pixels.Height, expected.Height);
    int differ = 0;
    for (int32_t y = 0; y < pixels.Height; y += 7)
      for (int32_t x = 0; x < pixels.Width; x += 7)
        differ += testsupport::ColourAt(pixels, x, y) != testsupport::ColourAt(expected, x, y);
    EXPECT_EQ(differ, 0) << entry.path();
  }
  EXPECT_GE(played, 2);
}

TEST_F(XServerTest, AScriptErrorNamesTheLineAndEndsWithAFailure) {
  const struct {
    const char *Lines;
    const char *Said;
  } cases[] = {
      {"Pause 0.1\nFrobnicate 1\n", "Unknown command: \"FROBNICATE\""},
      {"MouseMove Nowhere, 1\n", "Invalid arguments."},
      {"ImageOpen \"missing.jpg\"\n", "Cannot open the file."},
  };
  for (const auto &c : cases) {
    const fs::path script = WriteScript("bad.dsc", c.Lines);
    EXPECT_EQ(RunProgram({"--play", script.string(), "--exit-after-play"}, 60s), "exit code 1")
        << c.Lines;
    const std::string log = ReadText(EditorLog());
    EXPECT_NE(log.find(c.Said), std::string::npos) << log;
  }
  EXPECT_EQ(RunProgram({"--play", (Dir / "none.dsc").string(), "--exit-after-play"}, 60s),
            "exit code 1");
  EXPECT_EQ(RunProgram({"--exit-after-play"}, 60s), "exit code 2");
}

// The filter plug-in drives the editor this way: the script presses the
// plug-in mode's OK or Cancel with the real pointer.
TEST_F(XServerTest, AScriptPressesThePlugInModesOkAndCancel) {
  TVxPixelBuffer image(PixelFormat24, {0, 0, 64, 48});
  const struct {
    const char *Button;
    const char *Ended;
  } cases[] = {{"OkButton", "exit code 0"}, {"CancelButton", "exit code 255"}};
  for (const auto &c : cases) {
    const fs::path exchange = Dir / "exchange.pspf";
    ASSERT_TRUE(WriteExchangeFile(exchange.string(), image));
    const fs::path script = WriteScript(
        "plugin.dsc", std::string("Pause 0.5\nMouseClick ") + c.Button + "\nPause 30\n");
    EXPECT_EQ(RunProgram({"--play", script.string(), exchange.string(), "--exit-after-play"}, 90s),
              c.Ended)
        << c.Button << "\n"
        << ReadText(EditorLog());
  }
}

TEST_F(XServerTest, EscapeStopsADemonstration) {
  const fs::path script = WriteScript("long.dsc", "Message \"Press Escape\", 60\n");
  std::vector<std::string> argv = {VELORA_PROGRAM, "--play", script.string(), "--exit-after-play"};
  const int log = open(EditorLog().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  Editor = TChild(argv, Environment, log);
  close(log);
  std::string window;
  ASSERT_TRUE(Until(60s, [&] {
    window = FindWindow("Velora - Test$");
    return !window.empty();
  })) << ReadText(EditorLog());
  Capture({"xdotool", "windowactivate", "--sync", window});
  Capture({"xdotool", "key", "Escape"});
  const std::optional<int> status = Editor.Wait(60s);
  ASSERT_TRUE(status) << "still playing";
  EXPECT_EQ(Describe(*status), "exit code 1");
}

// The default tool as a new user meets it: a click on a spot, a move over
// clean skin, a second click, then Undo and Redo from the keyboard.
TEST_F(XServerTest, TheBlemishToolRemovesASpotInTwoClicks) {
  constexpr uint32_t skin = 0xD0A080, blemish = 0xFF00FF;
  const fs::path photo = Dir / "spot.png";
  TVxPixelBuffer pixels(PixelFormat24, {0, 0, 300, 300});
  for (int32_t y = 0; y < 300; ++y)
    for (int32_t x = 0; x < 300; ++x) {
      const bool spot = x >= 96 && x < 104 && y >= 146 && y < 154;
      const uint32_t c = spot ? blemish : skin;
      uint8_t *p = pixels.PixelAddress(x, y);
      p[0] = static_cast<uint8_t>(c);
      p[1] = static_cast<uint8_t>(c >> 8);
      p[2] = static_cast<uint8_t>(c >> 16);
    }
  ASSERT_EQ(SaveImage(pixels, photo, "image/png", {}), TVxImageStatus::Ok);
  StartEditor({photo.string()});
  TSpot spot;
  ASSERT_TRUE(Until(60s, [&] { return (spot = Spot(blemish)).Count >= 16; }));
  const std::string x = std::to_string(spot.X), y = std::to_string(spot.Y);
  const std::string cleanX = std::to_string(spot.X + 100);
  Capture({"xdotool", "mousemove", "--sync", x, y});
  Capture({"xdotool", "click", "1"});
  Capture({"xdotool", "mousemove", "--sync", std::to_string(spot.X + 60), y});
  Capture({"xdotool", "mousemove", "--sync", cleanX, y});
  // Live: the spot is gone before the second click.
  EXPECT_TRUE(Until(20s, [&] { return Spot(blemish).Count == 0; })) << "no live patch";
  Capture({"xdotool", "click", "1"});
  Capture({"xdotool", "mousemove", "--sync", "5", "5"});
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(Spot(blemish).Count, 0) << "the patch was not kept";
  Capture({"xdotool", "windowactivate", "--sync", MainWindow()});
  Capture({"xdotool", "key", "--clearmodifiers", "ctrl+z"});
  EXPECT_TRUE(Until(20s, [&] { return Spot(blemish).Count >= 16; })) << "undo";
  Capture({"xdotool", "key", "--clearmodifiers", "ctrl+y"});
  EXPECT_TRUE(Until(20s, [&] { return Spot(blemish).Count == 0; })) << "redo";
  // Closing now would ask whether to save the change; the fixture ends the
  // program instead.
  EXPECT_TRUE(Editor.Running()) << ReadText(EditorLog());
}

}  // namespace
