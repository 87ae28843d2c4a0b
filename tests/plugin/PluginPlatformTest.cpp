// The platform parts the plug-in runs on inside a host: starting and
// waiting for the editor, the installer's value, its private exchange file.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>

#include "platform/ChildProcess.h"
#include "platform/MachineStore.h"
#include "platform/TempFile.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

// The exit code as the plug-in sees it: only 0 means the user pressed OK.
TEST(ChildProcess, TellsTheExitCodeAndNothingElseAsZero) {
  struct TCase {
    const char *Script;
    int Expected;
  };
  for (const TCase &c : {TCase{"exit 0", 0}, TCase{"exit 255", -1}, TCase{"exit 3", 3},
                         TCase{"kill -KILL $$", -1}}) {
    SCOPED_TRACE(c.Script);
    testsupport::TempDir dir;
    const fs::path script = dir / "run.sh";
    std::ofstream(script) << c.Script << "\n";
    platform::ChildProcess run;
    ASSERT_TRUE(run.Start("/bin/sh", script.string(), ""));
    EXPECT_EQ(run.WaitForExit(), c.Expected);
  }
}

// A host may ignore signals for itself; the editor must still end when it
// is told to, as when started from a shell.
TEST(ChildProcess, TheHostsIgnoredSignalsAreNotHandedOn) {
  testsupport::TempDir dir;
  const fs::path script = dir / "run.sh";
  std::ofstream(script) << "kill -TERM $$\nexit 0\n";
  struct sigaction ignore {
  }, kept{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGTERM, &ignore, &kept);
  platform::ChildProcess child;
  const bool started = child.Start("/bin/sh", script.string(), "");
  sigaction(SIGTERM, &kept, nullptr);
  ASSERT_TRUE(started);
  EXPECT_EQ(child.WaitForExit(), -1);
}

TEST(ChildProcess, RunsInTheGivenFolderWithItsOneArgument) {
  testsupport::TempDir dir;
  const fs::path script = dir / "where.sh";
  std::ofstream(script) << "pwd > \"$0.out\"\n";
  platform::ChildProcess child;
  ASSERT_TRUE(child.Start("/bin/sh", script.string(), dir.Path().string()));
  EXPECT_EQ(child.WaitForExit(), 0);
  std::ifstream in(script.string() + ".out");
  std::string folder;
  std::getline(in, folder);
  EXPECT_EQ(fs::canonical(folder), fs::canonical(dir.Path()));
}

TEST(ChildProcess, APathThatIsNoProgramFailsWithTheSystemsNumber) {
  for (const char *path : {"", "/nonexistent/velora"}) {
    SCOPED_TRACE(path);
    platform::ChildProcess child;
    EXPECT_FALSE(child.Start(path, "x", ""));
    EXPECT_EQ(child.Error(), ENOENT);
  }
}

class MachineStoreTest : public testing::Test {
 protected:
  void SetUp() override { setenv("VELORA_MACHINE_STORE", Dir.Path().c_str(), 1); }
  void TearDown() override { unsetenv("VELORA_MACHINE_STORE"); }
  void Write(const std::string &key, const std::string &value) {
    const fs::path path = platform::MachineValuePath(key);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << value;
  }
  testsupport::TempDir Dir;
};

TEST_F(MachineStoreTest, ReadsAKeysDefaultValueUpToItsLimit) {
  const std::string key = "SOFTWARE\\Lumetra\\Zored Azivuzu\\Velora";
  EXPECT_EQ(platform::MachineValuePath(key),
            Dir / "SOFTWARE" / "Lumetra" / "Zored Azivuzu" / "Velora" / "default");
  EXPECT_EQ(platform::ReadMachineValue(key, 1024), "") << "missing";
  Write(key, "/opt/velora/bin/velora\n");
  EXPECT_EQ(platform::ReadMachineValue(key, 1024), "/opt/velora/bin/velora");
  EXPECT_EQ(platform::ReadMachineValue(key, 8), "/opt/vel");
  EXPECT_EQ(platform::ReadMachineValue("SOFTWARE\\Lumetra", 1024), "") << "a key without value";
}

TEST(TempFile, EachNameIsNewAndTheFileIsTheUsersAlone) {
  testsupport::TempDir dir;
  const char *old = std::getenv("TMPDIR");
  const std::string kept = old ? old : "";
  setenv("TMPDIR", dir.Path().c_str(), 1);
  const std::string first = platform::CreateUniqueTempFile("PSPF");
  const std::string second = platform::CreateUniqueTempFile("PSPF");
  old ? setenv("TMPDIR", kept.c_str(), 1) : unsetenv("TMPDIR");

  ASSERT_FALSE(first.empty());
  EXPECT_NE(first, second);
  EXPECT_EQ(fs::path(first).parent_path(), dir.Path());
  EXPECT_EQ(fs::path(first).filename().string().substr(0, 4), "PSPF");
  struct stat info {};
  ASSERT_EQ(stat(first.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(info.st_size, 0);
}

}  // namespace
