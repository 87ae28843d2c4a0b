// The whole round trip with the real editor: our host runs the plug-in,
// the plug-in starts the editor on the exchange file, and the editor's OK
// or Cancel decides what the host gets back.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <future>
#include <thread>

#include "EditorDesktop.h"
#include "PluginHost.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace pluginhost;
using namespace std::chrono_literals;

class PluginEditorTest : public testing::Test {
 protected:
  void SetUp() override {
    Desktop = std::make_unique<TEditorDesktop>(Dir / "home");
    if (!Desktop->Ready()) GTEST_SKIP() << Desktop->Why();
    InstallEditor(Dir.Path(), VELORA_PROGRAM);
    Library = std::make_unique<TPluginLibrary>(VELORA_PLUGIN_LIBRARY);
    ASSERT_TRUE(Library->Loaded()) << Library->Why();
  }
  void TearDown() override {
    // An editor still up goes down with its display, which ends the start.
    if (Desktop) Desktop->Close();
    if (Running.valid()) Running.wait();
  }

  // Runs selector 3 over host while the user answers in the editor; the
  // host's result.
  int16_t StartAndAnswer(THost &host, TEditorAnswer answer) {
    Running =
        std::async(std::launch::async, [&] { return host.Run(*Library, VxFilterSelectorStart); });
    EXPECT_TRUE(Desktop->Answer(answer)) << Desktop->Why();
    if (Running.wait_for(120s) != std::future_status::ready) {
      ADD_FAILURE() << "the editor did not end";
      Desktop->Close();
    }
    return Running.get();
  }

  // While the editor runs, the one exchange file is the user's alone.
  void ExpectOnePrivateExchangeFile() {
    std::vector<fs::path> files;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while ((files = ExchangeFilesLeft(Dir.Path())).empty() &&
           std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(50ms);
    ASSERT_EQ(files.size(), 1u);
    struct stat info {};
    ASSERT_EQ(stat(files[0].c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
  }

  testsupport::TempDir Dir;
  std::unique_ptr<TEditorDesktop> Desktop;
  std::unique_ptr<TPluginLibrary> Library;
  std::future<int16_t> Running;
};

// OK: the editor writes its three bytes a pixel back, and they land in the
// host's selection at (100, 50); the fourth byte of every host pixel stays.
TEST_F(PluginEditorTest, OkHandsTheImageBackIntoTheSelection) {
  THost host(160, 90, 4, 640, {50, 100, 80, 150});
  testing::internal::CaptureStderr();
  EXPECT_EQ(StartAndAnswer(host, TEditorAnswer::Ok), 0);
  EXPECT_THAT(testing::internal::GetCapturedStderr(), testing::Not(testing::HasSubstr("Error:")));
  EXPECT_EQ(host.CheckReturned(3), "");
  EXPECT_EQ(host.OutputRequests, 1);
  EXPECT_THAT(ExchangeFilesLeft(Dir.Path()), testing::IsEmpty());
}

// The editor pads its rows to four bytes; the host's 10-pixel rows of 30
// bytes take only the pixels.
TEST_F(PluginEditorTest, OkFillsUnpaddedHostRows) {
  THost host(10, 12, 3, 30, {0, 0, 12, 10});
  EXPECT_EQ(StartAndAnswer(host, TEditorAnswer::Ok), 0);
  EXPECT_EQ(host.CheckReturned(3), "");
  EXPECT_THAT(ExchangeFilesLeft(Dir.Path()), testing::IsEmpty());
}

// Cancel, or closing the window without OK: the editor ends with -1.
TEST_F(PluginEditorTest, CancelOrClosingLeavesTheHostImageAsItWas) {
  for (TEditorAnswer answer : {TEditorAnswer::Cancel, TEditorAnswer::CloseWindow}) {
    SCOPED_TRACE(answer == TEditorAnswer::Cancel ? "Cancel" : "closed");
    THost host(64, 48, 3, 192, {0, 0, 48, 64});
    testing::internal::CaptureStderr();
    Running =
        std::async(std::launch::async, [&] { return host.Run(*Library, VxFilterSelectorStart); });
    ExpectOnePrivateExchangeFile();
    ASSERT_TRUE(Desktop->Answer(answer)) << Desktop->Why();
    ASSERT_EQ(Running.wait_for(120s), std::future_status::ready);
    EXPECT_EQ(Running.get(), -128);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), testing::Not(testing::HasSubstr("Error:")));
    EXPECT_TRUE(host.OutputUntouched());
    EXPECT_EQ(host.OutputRequests, 0);
    EXPECT_THAT(ExchangeFilesLeft(Dir.Path()), testing::IsEmpty());
  }
}

}  // namespace
