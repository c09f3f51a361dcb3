#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files.h"
#include "test_support.h"

using testing_support::readFile;
using testing_support::TempDir;

namespace {

struct stat statOf(const std::string &path) {
  struct stat st = {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

std::vector<std::string> namesIn(const std::string &folder) {
  std::vector<std::string> names;
  DIR *dir = ::opendir(folder.c_str());
  while (const dirent *e = dir ? ::readdir(dir) : nullptr) {
    if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
  }
  if (dir) ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

} // namespace

TEST(CopyFile, CopiesContentsPermissionsAndModificationTime) {
  TempDir dir;
  const std::string source = dir.createFile("src.bin", std::string("a\0b\xff", 4));
  ::chmod(source.c_str(), 0750);
  const time_t when = testing_support::localTime(3, 4, 2005, 6, 7, 8);
  testing_support::setModificationTime(source, when);

  ASSERT_EQ(platform::copyFile(source, dir / "copy.bin", false), 0);
  EXPECT_EQ(readFile(dir / "copy.bin"), std::string("a\0b\xff", 4));
  const struct stat st = statOf(dir / "copy.bin");
  EXPECT_EQ(st.st_mode & 07777, 0750u);
  EXPECT_EQ(st.st_mtim.tv_sec, when);
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"copy.bin", "src.bin"})) << "no temporary file left";
}

TEST(CopyFile, FailIfExistsNeverTouchesAnExistingTargetOrLink) {
  TempDir dir;
  const std::string source = dir.createFile("src", "new");
  const std::string existing = dir.createFile("existing", "old");
  const time_t old = testing_support::localTime(1, 1, 2001, 0, 0, 0);
  testing_support::setModificationTime(existing, old);
  const std::string outside = dir.createFile("outside", "keep");
  ASSERT_EQ(::symlink(outside.c_str(), (dir / "link").c_str()), 0);

  EXPECT_EQ(platform::copyFile(source, existing, true), EEXIST);
  EXPECT_EQ(readFile(existing), "old");
  EXPECT_EQ(statOf(existing).st_mtim.tv_sec, old);
  EXPECT_EQ(platform::copyFile(source, dir / "link", true), EEXIST);
  EXPECT_EQ(readFile(outside), "keep");
  EXPECT_EQ(platform::copyFile(source, dir / "fresh", true), 0);
  EXPECT_EQ(readFile(dir / "fresh"), "new");
}

TEST(CopyFile, ReplacingKeepsReadOnlyTargetsAndLinkTargets) {
  TempDir dir;
  const std::string source = dir.createFile("src", "new");
  const std::string readOnly = dir.createFile("ro", "old");
  ::chmod(readOnly.c_str(), 0444);
  const std::string outside = dir.createFile("outside", "keep");
  ASSERT_EQ(::symlink(outside.c_str(), (dir / "link").c_str()), 0);

  // Refused for root too: read-only is the owner write bit, not what open() allows.
  EXPECT_EQ(platform::copyFile(source, readOnly, false), EACCES);
  EXPECT_EQ(readFile(readOnly), "old");
  // The link itself is replaced; what it pointed to is not written through.
  EXPECT_EQ(platform::copyFile(source, dir / "link", false), 0);
  EXPECT_TRUE(S_ISREG(statOf(dir / "link").st_mode));
  EXPECT_EQ(readFile(outside), "keep");
  EXPECT_EQ(platform::copyFile(dir / "missing", dir / "x", false), ENOENT);
  EXPECT_EQ(platform::copyFile(dir.path(), dir / "x", false), EISDIR);
}

TEST(OpenWritableExisting, RefusesReadOnlyFilesFoldersAndUnfollowedLinks) {
  TempDir dir;
  const std::string file = dir.createFile("f", "x");
  const std::string readOnly = dir.createFile("ro", "x");
  ::chmod(readOnly.c_str(), 0444);
  ASSERT_EQ(::symlink(file.c_str(), (dir / "link").c_str()), 0);

  int fd = platform::openWritableExisting(AT_FDCWD, file, false);
  EXPECT_GE(fd, 0);
  ::close(fd);
  EXPECT_EQ(platform::openWritableExisting(AT_FDCWD, readOnly, true), -1);
  EXPECT_EQ(errno, EACCES);
  EXPECT_EQ(platform::openWritableExisting(AT_FDCWD, dir.path(), true), -1);
  EXPECT_EQ(platform::openWritableExisting(AT_FDCWD, dir / "link", false), -1);
  EXPECT_EQ(errno, ELOOP);
  fd = platform::openWritableExisting(AT_FDCWD, dir / "link", true);
  EXPECT_GE(fd, 0);
  ::close(fd);
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
  EXPECT_EQ(platform::openWritableExisting(AT_FDCWD, dir / "fifo", true), -1) << "a FIFO is not a file";
}

TEST(ModificationTime, IsSetWithoutTheAccessTimeAndCompared) {
  TempDir dir;
  const std::string file = dir.createFile("f", "x");
  const time_t access = testing_support::localTime(2, 2, 2002, 2, 2, 2);
  testing_support::setModificationTime(file, access);
  const time_t when = testing_support::localTime(9, 8, 2010, 11, 12, 14);

  const int fd = ::open(file.c_str(), O_RDWR);
  ASSERT_EQ(platform::setModificationTime(fd, when), 0);
  ::close(fd);
  const struct stat st = statOf(file);
  EXPECT_EQ(st.st_mtim.tv_sec, when);
  EXPECT_EQ(st.st_mtim.tv_nsec, 0);
  EXPECT_EQ(st.st_atim.tv_sec, access);
  EXPECT_EQ(platform::compareModificationTime(st, when), 0);
  EXPECT_EQ(platform::compareModificationTime(st, when + 1), -1);
  EXPECT_EQ(platform::compareModificationTime(st, when - 1), 1);
  struct stat later = st;
  later.st_mtim.tv_nsec = 1;
  EXPECT_EQ(platform::compareModificationTime(later, when), 1) << "a fraction of a second is newer";
}

TEST(OpenFolderBelow, CreatesLevelsAndNeverPassesALink) {
  TempDir dir;
  const std::string outside = dir.createDir("outside");
  const std::string base = dir.createDir("base");
  ASSERT_EQ(::symlink(outside.c_str(), (dir / "base/link").c_str()), 0);
  const int baseFd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY);

  int fd = platform::openFolderBelow(baseFd, {"a", "b"}, true);
  EXPECT_GE(fd, 0);
  ::close(fd);
  EXPECT_TRUE(S_ISDIR(statOf(dir / "base/a/b").st_mode));
  EXPECT_EQ(platform::openFolderBelow(baseFd, {"link", "c"}, true), -1);
  EXPECT_EQ(platform::openFolderBelow(baseFd, {"a", ".."}, true), -1);
  EXPECT_EQ(platform::openFolderBelow(baseFd, {"missing"}, false), -1);
  // One level down without creating, the step a walk takes: the same refusals.
  for (const char *refused : {"link", "..", ".", "a/b", ""})
    EXPECT_EQ(platform::openFolderBelow(baseFd, {refused}, false), -1) << refused;
  fd = platform::openFolderBelow(baseFd, {"a"}, false);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(statOf(dir / "base/a").st_ino, [fd] {
    struct stat st {};
    ::fstat(fd, &st);
    return st.st_ino;
  }());
  ::close(fd);
  EXPECT_TRUE(namesIn(outside).empty());
  ::close(baseFd);
}

TEST(ReplacementFile, ReplacesOnlyWhenCommitted) {
  TempDir dir;
  const std::string target = dir.createFile("t", "old");
  const int dirFd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  {
    platform::ReplacementFile unfinished;
    ASSERT_EQ(unfinished.create(dirFd, "t"), 0);
    ASSERT_EQ(unfinished.write("partial", 7), 0);
  }
  EXPECT_EQ(readFile(target), "old");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"t"});

  platform::ReplacementFile done;
  ASSERT_EQ(done.create(dirFd, "t"), 0);
  ASSERT_EQ(done.write("new", 3), 0);
  EXPECT_EQ(readFile(target), "old");
  ASSERT_EQ(done.commit(), 0);
  EXPECT_EQ(readFile(target), "new");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"t"});
  EXPECT_EQ(done.create(dirFd, "../t"), EINVAL);
  ::close(dirFd);
}

TEST(Folders, LevelsAreCreatedAndReadOnlyFilesMadeWritable) {
  TempDir dir;
  platform::createFolderLevels(dir / "x//y/z");
  EXPECT_TRUE(S_ISDIR(statOf(dir / "x/y/z").st_mode));
  const std::string file = dir.createFile("ro", "x");
  ::chmod(file.c_str(), 0444);
  EXPECT_EQ(platform::makeWritable(file), 0);
  EXPECT_EQ(statOf(file).st_mode & 0777, 0644u);
}

// Where no unnamed file can be made, the named one is written through its own
// descriptor: a link swapped in under its name is moved into place by the rename,
// found there and taken away, and the file it points at is never written.
TEST(ReplacementFile, NamedFileSwappedForALinkIsNeverWrittenThrough) {
  TempDir dir;
  const std::string victim = dir.createFile("victim", "private");
  const std::string shared = dir.createDir("shared");
  const int dirFd = ::open(shared.c_str(), O_RDONLY | O_DIRECTORY);
  platform::ReplacementFile::Options named;
  named.allowUnnamed = false;
  platform::ReplacementFile file;
  ASSERT_EQ(file.create(dirFd, "R.zar", named), 0);
  EXPECT_FALSE(file.unnamed());
  const std::vector<std::string> temporary = namesIn(shared);
  ASSERT_EQ(temporary.size(), 1u);
  EXPECT_EQ(temporary[0].rfind(platform::ReplacementFile::temporaryPrefix("R.zar"), 0), 0u);
  ASSERT_EQ(::symlink(victim.c_str(), (shared + "/swap").c_str()), 0);
  ASSERT_EQ(::rename((shared + "/swap").c_str(), (shared + "/" + temporary[0]).c_str()), 0);
  ASSERT_EQ(file.write("catalog", 7), 0);
  EXPECT_EQ(file.commit(), ELOOP);
  EXPECT_EQ(readFile(victim), "private");
  EXPECT_TRUE(namesIn(shared).empty());

  // An unnamed file (where the filesystem has them) leaves nothing behind uncommitted.
  platform::ReplacementFile unnamed;
  ASSERT_EQ(unnamed.create(dirFd, "R.zar"), 0);
  if (unnamed.unnamed()) {
    EXPECT_TRUE(namesIn(shared).empty());
  }
  ::close(dirFd);
}
