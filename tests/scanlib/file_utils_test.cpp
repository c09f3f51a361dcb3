#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "Tavscan60.h"
#include "test_support.h"

using testing_support::BoxRecorder;
using testing_support::localTime;
using testing_support::readFile;
using testing_support::TempDir;

namespace {

time_t modificationTime(const std::string &path) {
  struct stat st = {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mtim.tv_sec;
}

mode_t permissions(const std::string &path) {
  struct stat st = {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 0777;
}

} // namespace

TEST(CompareFileDateTime, ComparesTheModificationTimeWithALocalDate) {
  TempDir dir;
  const std::string file = dir.createFile("f", "x");
  testing_support::setModificationTime(file, localTime(15, 6, 2020, 10, 20, 30));

  int comparison = 99;
  ASSERT_TRUE(CompareFileDateTime(file.c_str(), 15, 6, 2020, 10, 20, 30, comparison));
  EXPECT_EQ(comparison, 0);
  ASSERT_TRUE(CompareFileDateTime(file.c_str(), 15, 6, 2020, 10, 20, 31, comparison));
  EXPECT_EQ(comparison, -1);
  ASSERT_TRUE(CompareFileDateTime(file.c_str(), 1, 1, 2019, 0, 0, 0, comparison));
  EXPECT_EQ(comparison, 1);
}

TEST(CompareFileDateTime, FailsWithoutChangingTheResultForMissingReadOnlyAndFolders) {
  TempDir dir;
  const std::string readOnly = dir.createFile("ro", "x");
  ::chmod(readOnly.c_str(), 0444);
  int comparison = 42;
  // As root open() would succeed; the file still counts as read-only.
  EXPECT_FALSE(CompareFileDateTime(readOnly.c_str(), 1, 1, 2000, 0, 0, 0, comparison));
  EXPECT_FALSE(CompareFileDateTime((dir / "missing").c_str(), 1, 1, 2000, 0, 0, 0, comparison));
  EXPECT_FALSE(CompareFileDateTime(dir.path().c_str(), 1, 1, 2000, 0, 0, 0, comparison));
  EXPECT_EQ(comparison, 42);
}

TEST(CopyDirectory, CopiesTheTreeAndMakesReadOnlyCopiesWritable) {
  TempDir dir;
  dir.createFile("src/a.txt", "a");
  dir.createFile("src/sub/deeper/b.txt", "b");
  const std::string readOnly = dir.createFile("src/cd/ro.txt", "ro");
  ::chmod(readOnly.c_str(), 0444);
  testing_support::setModificationTime(readOnly, localTime(1, 2, 1999, 3, 4, 5));

  EXPECT_TRUE(CopyDirectory((dir / "src").c_str(), (dir / "new/dst").c_str(), false));
  EXPECT_EQ(readFile(dir / "new/dst/a.txt"), "a");
  EXPECT_EQ(readFile(dir / "new/dst/sub/deeper/b.txt"), "b");
  EXPECT_EQ(readFile(dir / "new/dst/cd/ro.txt"), "ro");
  EXPECT_EQ(permissions(dir / "new/dst/cd/ro.txt"), 0644u);
  EXPECT_EQ(modificationTime(dir / "new/dst/cd/ro.txt"), localTime(1, 2, 1999, 3, 4, 5));
  EXPECT_EQ(permissions(readOnly), 0444u) << "the source keeps its mark";
}

TEST(CopyDirectory, FailIfExistsLeavesExistingFilesAsTheyWere) {
  TempDir dir;
  dir.createFile("src/same.txt", "new");
  const std::string readOnlySource = dir.createFile("src/ro.txt", "new");
  ::chmod(readOnlySource.c_str(), 0444);
  dir.createFile("src/other.txt", "other");
  const std::string existing = dir.createFile("dst/same.txt", "old");
  const std::string existingReadOnly = dir.createFile("dst/ro.txt", "old");
  ::chmod(existingReadOnly.c_str(), 0400);

  EXPECT_TRUE(CopyDirectory((dir / "src").c_str(), (dir / "dst").c_str(), true));
  EXPECT_EQ(readFile(existing), "old");
  EXPECT_EQ(readFile(existingReadOnly), "old");
  EXPECT_EQ(permissions(existingReadOnly), 0400u) << "a file that was not copied keeps its permissions";
  EXPECT_EQ(readFile(dir / "dst/other.txt"), "other");

  EXPECT_FALSE(CopyDirectory((dir / "src").c_str(), (dir / "dst").c_str(), false))
      << "the read-only target was not replaced";
  EXPECT_EQ(readFile(existing), "new");
  EXPECT_EQ(readFile(existingReadOnly), "old") << "a read-only target is never replaced";
}

TEST(CopyDirectory, NeitherFollowsFolderLinksNorCopiesIntoItselfAndSaysSo) {
  TempDir dir;
  dir.createFile("src/a.txt", "a");
  dir.createFile("elsewhere/secret.txt", "s");
  ASSERT_EQ(::symlink((dir / "elsewhere").c_str(), (dir / "src/folderlink").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "src").c_str(), (dir / "src/loop").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "src/a.txt").c_str(), (dir / "src/filelink").c_str()), 0);

  EXPECT_FALSE(CopyDirectory((dir / "src").c_str(), (dir / "src/backup").c_str(), false))
      << "the links to folders were not copied";
  EXPECT_EQ(readFile(dir / "src/backup/a.txt"), "a");
  EXPECT_EQ(readFile(dir / "src/backup/filelink"), "a") << "a link to a file is copied as the file";
  EXPECT_FALSE(std::filesystem::exists(dir / "src/backup/backup"));
  EXPECT_FALSE(std::filesystem::exists(dir / "src/backup/folderlink"));
  EXPECT_FALSE(std::filesystem::exists(dir / "src/backup/loop"));
  EXPECT_FALSE(CopyDirectory((dir / "missing").c_str(), (dir / "dst").c_str(), false));
}

TEST(LastError, MessageIsTheErrnoTextBoundedToTheBuffer) {
  char buffer[512];
  std::memset(buffer, 'x', sizeof buffer);
  errno = ENOENT;
  EXPECT_EQ(GetLastError_Message(buffer), static_cast<uint32_t>(ENOENT));
  EXPECT_STREQ(buffer, "No such file or directory");

  char small[8];
  std::memset(small, 'x', sizeof small);
  errno = ENOENT;
  EXPECT_EQ(GetLastError_Message(small, sizeof small), static_cast<uint32_t>(ENOENT));
  EXPECT_STREQ(small, "No such");

  BoxRecorder boxes;
  errno = EACCES;
  EXPECT_EQ(GetLastError_MessageBox("SetVolumeLabel"), static_cast<uint32_t>(EACCES));
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].caption, "SetVolumeLabel");
  EXPECT_EQ(boxes.boxes()[0].text, "Permission denied");
  EXPECT_EQ(boxes.boxes()[0].icon, kTavscanBoxInformation);
}
