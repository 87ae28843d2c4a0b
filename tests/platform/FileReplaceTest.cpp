#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/FileReplace.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ReplaceFileContents, CreatesMissingFoldersAndReplacesOldContent) {
  testsupport::TempDir dir;
  const fs::path file = dir / "a/b/settings.cfg";
  ASSERT_TRUE(platform::ReplaceFileContents(file, "first, longer", 13));
  EXPECT_EQ(Read(file), "first, longer");
  ASSERT_TRUE(platform::ReplaceFileContents(file, "second", 6));
  EXPECT_EQ(Read(file), "second");
  // Nothing but the file itself is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "a/b"), fs::directory_iterator()), 1);
}

TEST(ReplaceFileContents, FailureLeavesTheOldFileAlone) {
  testsupport::TempDir dir;
  // The folder cannot be created: a file of that name is in the way.
  std::ofstream(dir / "blocked") << "x";
  EXPECT_FALSE(platform::ReplaceFileContents(dir / "blocked/settings.cfg", "new", 3));

  // The target is a folder: renaming over it fails, and no temporary remains.
  fs::create_directories(dir / "target.cfg/inside");
  EXPECT_FALSE(platform::ReplaceFileContents(dir / "target.cfg", "new", 3));
  EXPECT_TRUE(fs::is_directory(dir / "target.cfg/inside"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);
}

}  // namespace
