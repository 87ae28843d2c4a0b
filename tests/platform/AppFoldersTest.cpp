#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/AppFolders.h"

namespace {

namespace fs = std::filesystem;

// Sets or clears an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char *name, const char *value) : Name(name) {
    if (const char *old = std::getenv(name)) Old = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (Old)
      setenv(Name, Old->c_str(), 1);
    else
      unsetenv(Name);
  }

 private:
  const char *Name;
  std::optional<std::string> Old;
};

TEST(ConfigFile, LivesInAFolderNamedAfterTheProgram) {
  struct Case {
    fs::path Program;
    std::optional<fs::path> AppData;
    fs::path Expected;
  };
  const Case cases[] = {
      {"/opt/velora/bin/velora", fs::path("/home/ann/.config"),
       "/home/ann/.config/velora/velora.cfg"},
      {"/opt/Velora.bin", fs::path("/cfg"), "/cfg/Velora/Velora.cfg"},
      {"/opt/velora/bin/velora", std::nullopt, "/opt/velora/bin/velora.cfg"},
      {"/opt/velora/bin/velora.exe", std::nullopt, "/opt/velora/bin/velora.cfg"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(platform::ConfigFileFor(c.Program, c.AppData), c.Expected) << c.Program;
}

TEST(ConfigFile, AppDataFolderFollowsXdg) {
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/tmp/xdg-config");
    EXPECT_EQ(platform::UserAppDataFolder(), fs::path("/tmp/xdg-config"));
  }
  ScopedEnv home("HOME", "/home/ann");
  for (const char *unusable : {static_cast<const char *>(nullptr), "", "relative/path"}) {
    ScopedEnv config("XDG_CONFIG_HOME", unusable);
    EXPECT_EQ(platform::UserAppDataFolder(), fs::path("/home/ann/.config"))
        << (unusable ? unusable : "(unset)");
  }
}

}  // namespace
