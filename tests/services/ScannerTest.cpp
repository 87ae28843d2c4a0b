// Acquisition end to end through SANE's own "test" backend, a real driver
// that produces known pictures. A private configuration folder enables only
// that backend and sets its picture, mode and geometry per case.

#include "services/Scanner.h"

#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "imaging/codecs/VxImage.h"
#include "support/TestSupport.h"

using platform::TScanner;
using platform::TScanResult;
using platform::TScanStatus;
using testsupport::ColourAt;

// SANE's test backend ends a scan by cancelling its reader thread. That
// cancellation can strike while the thread holds a lock of the C library's
// allocator, and the next allocation on that heap then waits forever. Here
// the call does nothing: the backend closes the reader's pipe at the same
// moment, so the reader's next write fails and it returns by itself.
extern "C" int pthread_cancel(pthread_t) { return 0; }

namespace {

// SANE reads its configuration folder once per process, at its first start,
// so the folder is set up before any test runs and kept until the end.
class TSaneEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    Root = std::filesystem::temp_directory_path() / ("velora-sane-" + std::to_string(getpid()));
    std::filesystem::create_directories(Root / "config");
    std::filesystem::create_directories(Root / "tmp");
    std::ofstream(Root / "config" / "dll.conf") << "test\n";
    setenv("SANE_CONFIG_DIR", (Root / "config").c_str(), 1);
    // The reader's write into its closed pipe must fail, not end the process.
    signal(SIGPIPE, SIG_IGN);
    // The backend leaks some of its picture buffers. Unloaded at SANE's
    // shutdown, it would leave them as leaks of an unknown module, which no
    // suppression can name; kept loaded, they carry its name (see lsan.supp).
    TestBackend = dlopen(SANE_TEST_BACKEND, RTLD_NOW | RTLD_NODELETE);
    ASSERT_NE(TestBackend, nullptr) << dlerror();
    // Acquired files must land in the system's temporary folder; this one is ours.
    setenv("TMPDIR", (Root / "tmp").c_str(), 1);
  }
  void TearDown() override {
    if (TestBackend) dlclose(TestBackend);
    std::error_code ignored;
    std::filesystem::remove_all(Root, ignored);
  }
  static std::filesystem::path Root;
  void *TestBackend = nullptr;
};
std::filesystem::path TSaneEnvironment::Root;

const auto *const Environment = ::testing::AddGlobalTestEnvironment(new TSaneEnvironment);

std::filesystem::path TempFolder() { return TSaneEnvironment::Root / "tmp"; }

std::vector<std::filesystem::path> FilesIn(const std::filesystem::path &folder) {
  std::vector<std::filesystem::path> files;
  for (const auto &entry : std::filesystem::directory_iterator(folder))
    files.push_back(entry.path());
  return files;
}

// The backend reads its file whenever SANE starts, which is when the first
// scanner object uses it; every test writes it before creating one. Values
// the file leaves out keep what the previous start set, so every key a case
// changes is named here with its default; `extra` lines override them.
void ConfigureTestBackend(const std::string &extra) {
  std::ofstream(TSaneEnvironment::Root / "config" / "test.conf")
      << "number_of_devices 2\n"
         "mode Color\n"
         "depth 8\n"
         "resolution 25.0\n"
         "test-picture \"Color pattern\"\n"
         "br_x 40.0\n"
         "br_y 40.0\n"
         "three-pass false\n"
         "three-pass-order RGB\n"
         "hand-scanner false\n"
         "ppl-loss 0\n"
         "read-limit false\n"
         "read-delay false\n"
         "read-status-code \"Default\"\n"
      << extra;
}

class ScannerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConfigureTestBackend({});
    for (const auto &file : FilesIn(TempFolder())) std::filesystem::remove_all(file);
  }
  void TearDown() override { EXPECT_TRUE(FilesIn(TempFolder()).empty()); }
};

struct TProbe {
  int32_t X, Y;
  uint32_t Rgb;  // 0xRRGGBB
};

// The colour pattern: a 0x55 grey lattice around 4x4 cells; the cells of row
// band 1 run down from full red, band 2 up from black in green, band 3 down
// from full green, band 5 down from full blue.
const std::vector<TProbe> ColourPattern = {{0, 0, 0x555555},  {1, 6, 0xFF0000},  {6, 6, 0xFE0000},
                                           {1, 16, 0x00FF00}, {6, 11, 0x000100}, {1, 26, 0x0000FF},
                                           {35, 35, 0x555555}};
const std::vector<TProbe> GreyPattern = {
    {0, 0, 0x555555}, {1, 1, 0x000000}, {1, 6, 0xFFFFFF}, {6, 6, 0xFEFEFE}};

TEST_F(ScannerTest, ListsTheTestDevicesByName) {
  TScanner scanner;
  std::vector<platform::TScanSource> sources;
  std::string error;
  ASSERT_TRUE(scanner.Sources(sources, &error)) << error;
  ASSERT_EQ(sources.size(), 2u);
  EXPECT_EQ(sources[0].Name, "test:0");
  EXPECT_EQ(sources[1].Name, "test:1");
  EXPECT_EQ(sources[0].Vendor, "Noname");
  // Asking again works on the same session.
  ASSERT_TRUE(scanner.Sources(sources, &error)) << error;
  EXPECT_EQ(sources.size(), 2u);
}

TEST_F(ScannerTest, ConvertsEveryFrameLayoutTo24Bits) {
  struct TCase {
    const char *Name;
    std::string Config;
    platform::TScanOptions Options;
    int32_t Width, Height;
    std::vector<TProbe> Probes;
  };
  const platform::TScanOptions colour{true, 0};
  const platform::TScanOptions grey{false, 0};
  const std::vector<TCase> cases = {
      {"colour, 8 bits", "", colour, 39, 39, ColourPattern},
      {"grey asked of a device set to colour", "", grey, 39, 39, GreyPattern},
      {"colour asked of a device set to grey", "mode Gray\n", colour, 39, 39, ColourPattern},
      {"resolution asked", "", {true, 50}, 78, 78, ColourPattern},
      {"three passes in another order", "three-pass true\nthree-pass-order BGR\n", colour, 39, 39,
       ColourPattern},
      // A checkerboard of 16-pixel squares.
      {"line art, a set bit is black",
       "depth 1\n",
       grey,
       39,
       39,
       {{0, 0, 0xFFFFFF}, {16, 0, 0x000000}, {0, 16, 0x000000}, {31, 31, 0xFFFFFF}}},
      // The 16-bit picture differs: red ramps up from x = 4 in its high byte,
      // with the line number minus 4 in its low byte.
      {"colour, 16 bits",
       "depth 16\n",
       colour,
       39,
       39,
       {{0, 0, 0x555555}, {4, 6, 0x000000}, {19, 6, 0x0F0000}, {38, 30, 0x220000}}},
      {"grey, 16 bits",
       "depth 16\n",
       grey,
       39,
       39,
       {{0, 0, 0x555555}, {19, 6, 0x0F0F0F}, {38, 30, 0x222222}}},
      {"lines longer than their pixels", "ppl-loss 3\n", colour, 36, 39, ColourPattern},
      {"one byte per read", "read-limit true\nread-limit-size 1\n", colour, 39, 39, ColourPattern},
      // These devices scan a fixed width and as many lines as the user moves over.
      {"height unknown beforehand", "hand-scanner true\n", colour, 108, 167, ColourPattern},
      {"height unknown, three passes", "hand-scanner true\nthree-pass true\n", colour, 108, 167,
       ColourPattern},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.Name);
    ConfigureTestBackend(c.Config);
    TScanner scanner;
    scanner.Options = c.Options;
    TVxPixelBuffer pixels;
    const TScanResult result = scanner.Acquire("test:0", pixels);
    ASSERT_TRUE(result.Ok()) << result.Detail;
    EXPECT_TRUE(result.File.empty());
    EXPECT_EQ(pixels.Format, PixelFormat24);
    EXPECT_EQ(pixels.Width, c.Width);
    EXPECT_EQ(pixels.Height, c.Height);
    for (const TProbe &probe : c.Probes)
      EXPECT_EQ(ColourAt(pixels, probe.X, probe.Y), probe.Rgb) << probe.X << "," << probe.Y;
  }
}

TEST_F(ScannerTest, WritesABmpThatDecodesToTheScannedPixels) {
  TScanner scanner;
  TVxPixelBuffer scanned;
  ASSERT_TRUE(scanner.Acquire("test:1", scanned).Ok());

  const TScanResult result = scanner.AcquireToFile("test:1");
  ASSERT_TRUE(result.Ok()) << result.Detail;
  EXPECT_EQ(result.File.parent_path(), TempFolder());
  EXPECT_EQ(result.File.extension(), ".bmp");
  TVxImage image;
  ASSERT_EQ(image.LoadFromFile(result.File), TVxImageStatus::Ok);
  EXPECT_EQ(image.RawFormat(), TVxRawFormat::Bmp);
  EXPECT_NEAR(image.HorizontalResolution(), 25, 0.5);
  TVxPixelBuffer decoded(PixelFormat24, {0, 0, image.Width(), image.Height()});
  ASSERT_EQ(image.ReadPixels(decoded), TVxImageStatus::Ok);
  ASSERT_EQ(decoded.Width, scanned.Width);
  ASSERT_EQ(decoded.Height, scanned.Height);
  for (int32_t y = 0; y < scanned.Height; ++y)
    for (int32_t x = 0; x < scanned.Width; ++x)
      ASSERT_EQ(ColourAt(decoded, x, y), ColourAt(scanned, x, y)) << x << "," << y;
  std::filesystem::remove(result.File);
}

TEST_F(ScannerTest, FailuresCarrySanesReasonAndLeaveNoFile) {
  struct TCase {
    const char *Name;
    std::string Config;
    std::string Source;
    TScanStatus Status;
    std::string Detail;
  };
  const std::vector<TCase> cases = {
      {"unknown device", "", "nosuch:0", TScanStatus::OpenFailed, "Invalid argument"},
      {"device error while reading", "read-status-code \"SANE_STATUS_JAMMED\"\n", "test:0",
       TScanStatus::ScanFailed, "Document feeder jammed"},
      {"cancelled on the device", "read-status-code \"SANE_STATUS_CANCELLED\"\n", "test:0",
       TScanStatus::Cancelled, "Operation was canceled"},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.Name);
    ConfigureTestBackend(c.Config);
    TScanner scanner;
    const TScanResult result = scanner.AcquireToFile(c.Source);
    EXPECT_EQ(result.Status, c.Status);
    EXPECT_EQ(result.Detail, c.Detail);
    EXPECT_TRUE(result.File.empty());
    EXPECT_TRUE(FilesIn(TempFolder()).empty());
    EXPECT_FALSE(scanner.IsBusy());
  }
}

TEST_F(ScannerTest, NotifiesAroundEveryAcquisition) {
  TScanner scanner;
  std::vector<std::string> events;
  scanner.OnAcquireStarted = [&] {
    events.push_back(scanner.IsBusy() ? "started busy" : "started");
  };
  scanner.OnAcquireEnded = [&] { events.push_back(scanner.IsBusy() ? "ended busy" : "ended"); };

  TVxPixelBuffer pixels;
  EXPECT_TRUE(scanner.Acquire("test:0", pixels).Ok());
  EXPECT_FALSE(scanner.AcquireToFile("nosuch:0").Ok());
  EXPECT_EQ(events, (std::vector<std::string>{"started busy", "ended", "started busy", "ended"}));
}

// The editor queues the end of an asynchronous acquisition to its own thread;
// here the queue is drained by the test's thread.
TEST_F(ScannerTest, AsynchronousAcquisitionEndsThroughTheDispatcher) {
  TScanner scanner;
  const auto owner = std::this_thread::get_id();
  std::vector<std::string> events;
  std::deque<std::function<void()>> queue;
  std::mutex queueLock;
  scanner.Dispatch = [&](std::function<void()> call) {
    std::lock_guard lock(queueLock);
    queue.push_back(std::move(call));
  };
  scanner.OnAcquireStarted = [&] {
    events.push_back(std::this_thread::get_id() == owner ? "started here" : "started elsewhere");
  };
  scanner.OnAcquireEnded = [&] {
    events.push_back(std::this_thread::get_id() == owner ? "ended here" : "ended elsewhere");
  };
  std::filesystem::path file;
  auto future = scanner.AcquireToFileAsync("test:0", [&](const TScanResult &result) {
    events.push_back(std::this_thread::get_id() == owner ? "done here" : "done elsewhere");
    file = result.File;
  });
  EXPECT_EQ(events, std::vector<std::string>{"started here"});

  const TScanResult result = future.get();
  ASSERT_TRUE(result.Ok()) << result.Detail;
  EXPECT_FALSE(scanner.IsBusy());
  EXPECT_EQ(events.size(), 1u);
  ASSERT_EQ(queue.size(), 1u);
  queue.front()();
  EXPECT_EQ(events, (std::vector<std::string>{"started here", "ended here", "done here"}));
  EXPECT_EQ(file, result.File);
  EXPECT_TRUE(std::filesystem::exists(file));
  std::filesystem::remove(file);
}

TEST_F(ScannerTest, ACompletionMayStartTheNextAcquisition) {
  TScanner scanner;
  std::promise<TScanResult> second;
  std::vector<std::filesystem::path> files;
  auto first = scanner.AcquireToFileAsync("test:0", [&](const TScanResult &result) {
    files.push_back(result.File);
    scanner.AcquireToFileAsync("test:1", [&](const TScanResult &next) { second.set_value(next); });
  });
  ASSERT_TRUE(first.get().Ok());
  const TScanResult next = second.get_future().get();
  ASSERT_TRUE(next.Ok()) << next.Detail;
  files.push_back(next.File);
  EXPECT_NE(files[0], files[1]);
  for (const auto &file : files) EXPECT_TRUE(std::filesystem::remove(file));
}

// The scan waits in its progress report until the test has tried to start
// others, so it is still running then. Cancelling only after data has come
// also keeps the test backend's reader thread out of its start-up, where its
// cancellation is unsafe.
TEST_F(ScannerTest, RefusesASecondAcquisitionAndCancelsTheRunningOne) {
  TScanner scanner;
  int started = 0, ended = 0;
  std::vector<int32_t> progress;
  std::promise<void> checked;
  std::shared_future<void> gate = checked.get_future().share();
  scanner.OnAcquireStarted = [&] { ++started; };
  scanner.OnAcquireEnded = [&] { ++ended; };
  scanner.OnProgress = [&](int32_t percent) {
    progress.push_back(percent);
    gate.wait();
    scanner.Cancel();
  };
  auto running = scanner.AcquireToFileAsync("test:0");
  ASSERT_TRUE(scanner.IsBusy());

  TScanStatus refusedLater = TScanStatus::Ok;
  auto refused = scanner.AcquireToFileAsync(
      "test:0", [&](const TScanResult &result) { refusedLater = result.Status; });
  EXPECT_EQ(refused.get().Status, TScanStatus::Busy);
  EXPECT_EQ(refusedLater, TScanStatus::Busy);
  TVxPixelBuffer pixels;
  EXPECT_EQ(scanner.Acquire("test:0", pixels).Status, TScanStatus::Busy);
  // While the scan holds SANE the source list of the last call comes back at once.
  std::vector<platform::TScanSource> sources{{"stale", "", "", ""}};
  EXPECT_TRUE(scanner.Sources(sources));
  EXPECT_TRUE(sources.empty());
  checked.set_value();

  const TScanResult result = running.get();
  EXPECT_EQ(result.Status, TScanStatus::Cancelled);
  EXPECT_TRUE(result.File.empty());
  EXPECT_EQ(started, 1);
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(progress.size(), 1u);  // stopped at the first block after the cancel
}

TEST_F(ScannerTest, ReportsProgressThroughEveryPass) {
  using ::testing::Contains;
  using ::testing::Each;
  // Each pass is a third of the page; however the backend splits its blocks,
  // the report rises to 100 and passes the ends of the first two passes.
  ConfigureTestBackend("three-pass true\n");
  std::vector<int32_t> progress;
  {
    TScanner scanner;
    scanner.OnProgress = [&](int32_t percent) { progress.push_back(percent); };
    TVxPixelBuffer pixels;
    ASSERT_TRUE(scanner.Acquire("test:0", pixels).Ok());
  }
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_THAT(progress, Contains(33));
  EXPECT_THAT(progress, Contains(66));
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), 100);

  // Without a height there is no percentage to give.
  ConfigureTestBackend("hand-scanner true\n");
  progress.clear();
  TScanner scanner;
  scanner.OnProgress = [&](int32_t percent) { progress.push_back(percent); };
  TVxPixelBuffer pixels;
  ASSERT_TRUE(scanner.Acquire("test:0", pixels).Ok());
  EXPECT_FALSE(progress.empty());
  EXPECT_THAT(progress, Each(-1));
}

}  // namespace
