#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/FileReplace.h"
#include "platform/WriteFault.h"
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

size_t EntriesIn(const fs::path &folder) {
  return static_cast<size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// A replaced file keeps what made it the user's: its permissions, and the
// link through which the user reached it.
TEST(ReplaceFile, KeepsPermissionsAndFollowsLinks) {
  testsupport::TempDir dir;
  const fs::path photo = dir / "photo.jpg";
  std::ofstream(photo) << "old";
  ASSERT_EQ(chmod(photo.c_str(), 0640), 0);
  fs::create_symlink(photo, dir / "link.jpg");

  EXPECT_FALSE(platform::ReplaceFile(dir / "link.jpg", "new", 3));
  EXPECT_EQ(Read(photo), "new");
  EXPECT_TRUE(fs::is_symlink(dir / "link.jpg"));
  struct stat info {};
  ASSERT_EQ(stat(photo.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(EntriesIn(dir.Path()), 2u);
}

// A write that fails half-way (the disk is full, the device breaks) leaves
// the old file as it was and no temporary file behind, and says why.
TEST(ReplaceFile, AFailedWriteKeepsTheOldFileAndGivesTheReason) {
  testsupport::TempDir dir;
  const fs::path photo = dir / "photo.jpg";
  std::ofstream(photo) << "the user's photograph";
  platform::SetWriteFault(EIO);
  const std::error_code error = platform::ReplaceFile(photo, "new", 3);
  platform::SetWriteFault(0);
  EXPECT_EQ(error, std::error_code(EIO, std::system_category()));
  EXPECT_EQ(Read(photo), "the user's photograph");
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(ReplaceFile, AFullDiskKeepsTheOldFile) {
  testsupport::TinyFileSystem disk(256 * 1024);
  ASSERT_TRUE(disk.Mounted()) << disk.Why();
  const fs::path photo = disk / "photo.jpg";
  const std::string old(100 * 1024, 'o');
  ASSERT_FALSE(platform::ReplaceFile(photo, old.data(), old.size()));
  ASSERT_TRUE(disk.Fill());

  // Larger than the old file and the free space together.
  const std::string larger(120 * 1024, 'n');
  const std::error_code error = platform::ReplaceFile(photo, larger.data(), larger.size());
  EXPECT_EQ(error, std::error_code(ENOSPC, std::system_category()));
  EXPECT_EQ(Read(photo), old);
  EXPECT_EQ(EntriesIn(disk.Path()), 2u);  // the photograph and the filler
}

}  // namespace
