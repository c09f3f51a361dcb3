// The scanner on trees that fight back: permissions, links, special files, odd
// names, great depth, entries that vanish, and interrupted catalogs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "Tavscan60.h"
#include "scan_test_helpers.h"
#include "test_support.h"

using namespace testing_support;
using scan_test::contains;
using scan_test::linesOf;
using scan_test::scanFolder;

namespace {

// Every folder line opens a body that is closed again, and the root's close line
// is the last line: the catalog can be read back whatever was skipped.
void expectBalanced(const std::vector<std::string> &lines) {
  int depth = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == " < " || lines[i] == "<") ++depth;
    if (lines[i] == " > " || lines[i] == ">") {
      --depth;
      ASSERT_GE(depth, 0) << "line " << i;
      if (depth == 0) {
        EXPECT_EQ(i + 1, lines.size());
      }
    }
  }
  EXPECT_EQ(depth, 0);
}

// Removes a tree of any depth (std::filesystem fails on paths over PATH_MAX).
void removeTree(int parentFd, const char *name) {
  const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
  if (fd >= 0) {
    std::vector<std::string> names;
    if (DIR *dir = ::fdopendir(::dup(fd))) {
      while (auto *e = ::readdir(dir))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
      ::closedir(dir);
    }
    for (const auto &n : names) {
      if (::unlinkat(fd, n.c_str(), 0) != 0) removeTree(fd, n.c_str());
    }
    ::close(fd);
  }
  ::unlinkat(parentFd, name, AT_REMOVEDIR);
}

TEST(ScanRobustness, LinksFifosAndSocketsAreFilesAndNeverOpened) {
  TempDir dir;
  dir.createFile("real/inside.txt", "abc");
  ASSERT_EQ(::symlink("real", (dir / "link").c_str()), 0);
  ASSERT_EQ(::symlink("loop", (dir / "loop").c_str()), 0);
  ASSERT_EQ(::symlink(".", (dir / "self.zip").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((dir / "pipe.zip").c_str(), 0600), 0);
  const auto lines = linesOf(scanFolder(dir.path()));
  // A link is written with its own size, the length of its target.
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](auto &l) { return l.starts_with(" \"link\" 4 "); }));
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](auto &l) { return l.starts_with(" \"loop\" 4 "); }));
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](auto &l) { return l.starts_with(" \"self.zip\" 1 "); }));
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](auto &l) { return l.starts_with(" \"pipe\" 0 "); }));
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](auto &l) { return l.starts_with(" \"pipe.zip\" 0 "); }));
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](auto &l) { return l.starts_with(" \"inside.txt\""); }), 1);
  expectBalanced(lines);
}

TEST(ScanRobustness, NamesWithQuotesControlBytesAndFullLength) {
  TempDir dir;
  const std::string longest(255, 'L');
  dir.createFile("say \"hi\"\n.txt", "1");
  dir.createFile("tab\there", "1");
  dir.createFile(longest, "1");
  dir.createDir("folder\"q");
  const auto lines = linesOf(scanFolder(dir.path()));
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](auto &l) { return l.starts_with(" \"say ?hi??.txt\" 1 "); }));
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](auto &l) { return l.starts_with(" \"tab?here\" 1 "); }));
  EXPECT_TRUE(
      std::any_of(lines.begin(), lines.end(), [&](auto &l) { return l.starts_with(" \"" + longest + "\" 1 "); }));
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](auto &l) { return l.starts_with(" + \"folder?q\" 0 0 "); }));
}

TEST(ScanRobustness, DeepTreesBeyondPathMaxAreCatalogedWhole) {
  TempDir dir;
  // 600 levels: paths of about 6600 bytes, far more folders than the scanner keeps
  // descriptors for; every tenth level holds a file.
  const int levels = 600;
  int fd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  for (int i = 0; i < levels; ++i) {
    ASSERT_EQ(::mkdirat(fd, "level10ch", 0700), 0) << i;
    if (i % 10 == 0) ::close(::openat(fd, "f.txt", O_CREAT | O_WRONLY, 0600));
    const int next = ::openat(fd, "level10ch", O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
    ASSERT_GE(fd, 0);
  }
  ::close(::openat(fd, "last.txt", O_CREAT | O_WRONLY, 0600));
  ::close(fd);
  const int before = ::open("/dev/null", O_RDONLY);
  ::close(before);

  const auto lines = linesOf(scanFolder(dir.path()));
  const int after = ::open("/dev/null", O_RDONLY);
  ::close(after);
  EXPECT_EQ(after, before) << "descriptors left open";
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](auto &l) { return l.starts_with(" + \"level10ch\" 0 0 "); }),
            levels);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](auto &l) { return l.starts_with(" \"f.txt\" 0 "); }),
            levels / 10);
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](auto &l) { return l.starts_with(" \"last.txt\" 0 "); }));
  expectBalanced(lines);
  const int root = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  removeTree(root, "level10ch");
  ::close(root);
}

TEST(ScanRobustness, UnreadableFolderIsWrittenEmptyAndTheScanGoesOn) {
  TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  dir.createFile("closed/secret.txt", "1");
  dir.createFile("listonly/hidden.txt", "1");
  dir.createFile("open/visible.txt", "1");
  dir.createFile("after.txt", "1");
  ASSERT_EQ(::chmod((dir / "closed").c_str(), 0000), 0);
  ASSERT_EQ(::chmod((dir / "listonly").c_str(), 0444), 0); // names readable, entries not
  for (const char *p : {"open", "open/visible.txt", "after.txt"})
    ::chmod((dir / p).c_str(), 0755);

  // Root reads everything; the scan runs as nobody in a child.
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(pipeFds[0]);
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
    const std::string text = scanFolder(dir.path());
    const bool written = ::write(pipeFds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::_exit(written ? 0 : 4);
  }
  ::close(pipeFds[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<size_t>(n));
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;

  const auto lines = linesOf(text);
  const auto closed = std::find_if(lines.begin(), lines.end(), [](auto &l) { return l.starts_with(" + \"closed\" "); });
  ASSERT_NE(closed, lines.end());
  EXPECT_EQ(*(closed + 1), " < ");
  EXPECT_EQ(*(closed + 2), " > ");
  EXPECT_EQ(text.find("secret.txt"), std::string::npos);
  EXPECT_EQ(text.find("hidden.txt"), std::string::npos);
  EXPECT_NE(text.find("visible.txt"), std::string::npos);
  EXPECT_NE(text.find("after.txt"), std::string::npos);
  expectBalanced(lines);
}

// ---- catalogVolume -------------------------------------------------------------

struct Cancel {
  int calls = 0;
  uint64_t lastEntries = 0;
  bool answer = false;
  std::string vanishFolder; // emptied at the first call
};

bool onProgress(uint64_t entries, const char *folder, void *context) {
  auto *c = static_cast<Cancel *>(context);
  ++c->calls;
  c->lastEntries = entries;
  EXPECT_NE(folder, nullptr);
  if (!c->vanishFolder.empty()) {
    for (const auto &e : std::filesystem::directory_iterator(c->vanishFolder))
      std::filesystem::remove_all(e.path());
    c->vanishFolder.clear();
  }
  return c->answer;
}

class CatalogVolume : public ::testing::Test {
protected:
  void SetUp() override {
    for (int i = 0; i < 300; ++i)
      dir_.createFile("disk/many/f" + std::to_string(i), "x");
    catalog_ = dir_ / "out/DISK.zar";
    dir_.createDir("out");
  }
  int run(Cancel *cancel) {
    return catalogVolume((dir_ / "disk").c_str(), "DISK", catalog_.c_str(), 2, 3, 2004, 5, 6, 7,
                         cancel ? &onProgress : nullptr, cancel);
  }
  size_t filesInOut() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir_ / "out"), {}));
  }
  TempDir dir_;
  std::string catalog_;
};

TEST_F(CatalogVolume, WritesAWholeCatalogAndReplacesTheOldOne) {
  writeFile(catalog_, "old catalog");
  Cancel keepGoing;
  keepGoing.answer = true;
  ASSERT_EQ(run(&keepGoing), kTavscanCatalogOk);
  const std::string text = readFile(catalog_);
  EXPECT_TRUE(text.starts_with("zar_version_1_1\r\n< \r\n   %drivetype "));
  EXPECT_NE(text.find("> \r\n + \"DISK\" "), std::string::npos);
  EXPECT_NE(text.find(" 2 3 2004 5 6 7\r\n < \r\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with(" > \r\n > \r\n"));
  EXPECT_GE(keepGoing.calls, 1);
  EXPECT_EQ(filesInOut(), 1u) << "temporary file left behind";
}

TEST_F(CatalogVolume, CancelledScanLeavesThePreviousCatalog) {
  writeFile(catalog_, "old catalog");
  Cancel stop;
  ASSERT_EQ(run(&stop), kTavscanCatalogCancelled);
  EXPECT_EQ(stop.calls, 1);
  EXPECT_EQ(readFile(catalog_), "old catalog");
  EXPECT_EQ(filesInOut(), 1u);
}

TEST_F(CatalogVolume, EntriesVanishingDuringTheScanArePassedOver) {
  // Twenty folders among 300 files; at the first progress call (64 entries in) they
  // are removed, so most of them vanish between the listing and their visit.
  for (int i = 0; i < 20; ++i)
    dir_.createFile("disk/many/s" + std::to_string(i) + "/inner.txt", "x");
  Cancel vanish;
  vanish.answer = true;
  vanish.vanishFolder = dir_ / "disk/many";
  ASSERT_EQ(run(&vanish), kTavscanCatalogOk);
  const auto lines = linesOf(readFile(catalog_));
  const auto inner = std::count_if(lines.begin(), lines.end(), [](auto &l) { return l.starts_with(" \"inner.txt\""); });
  EXPECT_LT(inner, 20);
  expectBalanced(std::vector<std::string>(lines.begin() + 4, lines.end()));
}

TEST_F(CatalogVolume, MissingSourceOrUnwritableTargetFailsWithoutTouchingAnything) {
  writeFile(catalog_, "old catalog");
  EXPECT_EQ(catalogVolume((dir_ / "nothing").c_str(), "DISK", catalog_.c_str(), 1, 1, 2000, 0, 0, 0, nullptr, nullptr),
            kTavscanCatalogNoSource);
  EXPECT_EQ(
      catalogVolume((dir_ / "disk/many/f1").c_str(), "DISK", catalog_.c_str(), 1, 1, 2000, 0, 0, 0, nullptr, nullptr),
      kTavscanCatalogNoSource);
  EXPECT_EQ(readFile(catalog_), "old catalog");
  const std::string elsewhere = dir_ / "missing/DISK.zar";
  EXPECT_EQ(catalogVolume((dir_ / "disk").c_str(), "DISK", elsewhere.c_str(), 1, 1, 2000, 0, 0, 0, nullptr, nullptr),
            kTavscanCatalogCannotWrite);
  // A folder in the catalog's place cannot be replaced by a file.
  dir_.createDir("out/FOLDER.zar/x");
  const std::string folder = dir_ / "out/FOLDER.zar";
  EXPECT_EQ(catalogVolume((dir_ / "disk").c_str(), "DISK", folder.c_str(), 1, 1, 2000, 0, 0, 0, nullptr, nullptr),
            kTavscanCatalogCannotWrite);
  EXPECT_EQ(filesInOut(), 2u);
}

} // namespace
