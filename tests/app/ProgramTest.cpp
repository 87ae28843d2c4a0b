// Starts the built program as a user would and ends it as a session logout
// does.

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/NamedMutex.h"
#include "platform/WindowPlacement.h"
#include "settings/VxSDF.h"
#include "settings/VxStream.h"
#include "support/TestSupport.h"

extern char **environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr TVxGUID MainWindowSection =
    TVxGUID::FromLiteral("{7AF6D7FF-618B-41D9-882E-419D500DF28B}");

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(Dir / "run");
    setenv("XDG_CONFIG_HOME", (Dir / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (Dir / "run").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }

  // Starts the program, waits until it is up, sends `signal` and returns its
  // exit status.
  int RunUntilSignal(int signal) {
    char *argv[] = {const_cast<char *>(VELORA_PROGRAM), nullptr};
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, VELORA_PROGRAM, nullptr, nullptr, argv, environ), 0);
    // The program holds its name once it takes termination requests.
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!platform::NamedMutex::IsHeldByAnyone("VeloraMutexName")) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) return status;
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        ADD_FAILURE() << "the program did not come up";
        return status;
      }
      std::this_thread::sleep_for(20ms);
    }
    kill(pid, signal);
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
  }

  fs::path ConfigFile() const { return Dir / "config/velora/velora.cfg"; }

  testsupport::TempDir Dir;
};

TEST_F(ProgramTest, TerminationWritesTheConfigurationAndTheNextRunKeepsIt) {
  int status = RunUntilSignal(SIGTERM);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ASSERT_TRUE(fs::is_regular_file(ConfigFile()));
  {
    TVxSDFReader reader(TVxFileStream::Open(ConfigFile(), TVxFileMode::Read));
    ASSERT_TRUE(reader.OpenSection(1, MainWindowSection));
    uint8_t placement[44];
    EXPECT_TRUE(reader.ReadBinary(2, placement, sizeof placement));
    EXPECT_TRUE(platform::WindowPlacement::FromBytes(placement, sizeof placement));
  }

  // German and a placement of our own, then Ctrl+C: both come back.
  platform::WindowPlacement placement;
  placement.Left = 40;
  placement.Top = 30;
  placement.Right = 640;
  placement.Bottom = 480;
  {
    auto stream = TVxFileStream::Open(ConfigFile(), TVxFileMode::Create);
    ASSERT_TRUE(stream);
    TVxSDFWriter writer(std::move(stream));
    writer.BeginSection(1, MainWindowSection);
    writer.WriteInteger(1, 1031);
    const auto bytes = placement.ToBytes();
    writer.WriteBinary(2, bytes.data(), 44);
    writer.EndNode();
  }
  status = RunUntilSignal(SIGINT);
  ASSERT_TRUE(WIFEXITED(status));
  TVxSDFReader reader(TVxFileStream::Open(ConfigFile(), TVxFileMode::Read));
  ASSERT_TRUE(reader.OpenSection(1, MainWindowSection));
  int32_t language = 0;
  EXPECT_TRUE(reader.ReadInteger(1, language));
  EXPECT_EQ(language, 1031);
  uint8_t bytes[44];
  ASSERT_TRUE(reader.ReadBinary(2, bytes, sizeof bytes));
  const auto kept = platform::WindowPlacement::FromBytes(bytes, sizeof bytes);
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->Left, 40);
  EXPECT_EQ(kept->Top, 30);
  EXPECT_EQ(kept->Right, 640);
  EXPECT_EQ(kept->Bottom, 480);
}

}  // namespace
