#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <string>

#include "platform/NamedMutex.h"
#include "support/TestSupport.h"

namespace {

TEST(NamedMutex, AnyNumberOfCopiesHoldItAndItIsFreedWithThem) {
  testsupport::TempDir runtime;
  setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
  const std::string name = "VeloraTestMutex" + std::to_string(getpid());
  EXPECT_FALSE(platform::NamedMutex::IsHeldByAnyone(name));
  {
    platform::NamedMutex first(name);
    platform::NamedMutex second(name);  // a second copy starts normally
    EXPECT_TRUE(first.IsHeld());
    EXPECT_TRUE(second.IsHeld());
    EXPECT_EQ(first.Path().parent_path(), runtime.Path());
    EXPECT_TRUE(platform::NamedMutex::IsHeldByAnyone(name));
  }
  EXPECT_FALSE(platform::NamedMutex::IsHeldByAnyone(name));
  unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
