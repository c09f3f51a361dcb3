// The scanner reading ahead on a second thread: trees large enough that the reader
// fills its look-ahead, deep enough that descriptors are given up and shared ones
// stop, folders that cannot be read, archives that warn, folders that vanish after
// they were read ahead, and a cancel while the reader waits.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "Tavscan60.h"
#include "scan_test_helpers.h"
#include "test_support.h"
#include "zip_builder.h"

using namespace testing_support;
using scan_test::linesOf;

namespace {

constexpr int kTopFolders = 32, kSubfolders = 12, kFiles = 30; // about 12,000 entries
constexpr int kDeepLevels = 150;

// Folders of files, a chain of folders with archives at several depths, and two
// folders that only root can read.
void buildTree(const TempDir &dir) {
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  for (int t = 0; t < kTopFolders; ++t) {
    for (int s = 0; s < kSubfolders; ++s) {
      const std::string folder = dir.createDir("disk/t" + std::to_string(t) + "/s" + std::to_string(s));
      for (int f = 0; f < kFiles; ++f)
        writeFile(folder + "/f" + std::to_string(f) + ".txt", std::string(static_cast<size_t>(f), 'x'));
    }
  }
  ZipBuilder archive;
  archive.add("good/inner.txt", "abc").add("late.txt", "x", 1, 1, 2050); // a date the catalog cannot hold
  archive.writeTo(dir / "disk/t3/archive.zip");
  std::string deep = "disk/deep";
  for (int level = 1; level <= kDeepLevels; ++level) {
    deep += "/d";
    if (level % 10 == 0) dir.createFile(deep + "/level.txt", std::to_string(level));
    if (level == 40 || level == 90) archive.writeTo(dir.createDir(deep) + "/archive.zip");
  }
  dir.createDir(deep);
  dir.createFile("disk/closed/secret.txt", "1");
  dir.createFile("disk/listonly/hidden.txt", "1");
  ASSERT_EQ(::chmod((dir / "disk/closed").c_str(), 0000), 0);
  ASSERT_EQ(::chmod((dir / "disk/listonly").c_str(), 0444), 0);
}

struct Scan {
  std::string catalog;
  std::string boxes; // caption and text of every box, in order
};

// scandisk over folder as nobody, with or without the reading thread.
Scan scanAsNobody(const std::string &folder, bool readAhead) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    ::setenv("TAVSCAN_READ_AHEAD", readAhead ? "1" : "0", 1);
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
    BoxRecorder recorder;
    std::string text = scan_test::scanFolder(folder);
    text.push_back('\0');
    for (const auto &box : recorder.boxes())
      text += box.caption + ": " + box.text + "\n";
    const bool written = ::write(pipeFds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::_exit(written ? 0 : 4);
  }
  ::close(pipeFds[1]);
  std::string text;
  char buffer[65536];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<size_t>(n));
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
  const size_t end = text.find('\0');
  if (end == std::string::npos) return {};
  return {text.substr(0, end), text.substr(end + 1)};
}

int nextDescriptor() {
  const int fd = ::open("/dev/null", O_RDONLY);
  ::close(fd);
  return fd;
}

// ---- catalogVolume, with a progress call that waits while the reader runs ahead --

struct Pause {
  int calls = 0;
  std::string disk;
  std::string victim; // the top folder moved out of the tree at the third call
  std::string away;
  bool cancel = false;
};

bool pausingProgress(uint64_t, const char *folder, void *context) {
  auto *p = static_cast<Pause *>(context);
  ++p->calls;
  // Each wait makes the next check report: the reading thread starts after the
  // second call, and has the third call's wait to fill its look-ahead.
  std::this_thread::sleep_for(std::chrono::milliseconds(p->calls < 3 ? 210 : 150));
  if (p->calls != 3) return true;
  for (int t = kTopFolders - 1; t >= 0 && p->victim.empty(); --t) {
    const std::string top = p->disk + "/t" + std::to_string(t);
    if (!std::string(folder).starts_with(top + "/") && folder != top) p->victim = "t" + std::to_string(t);
  }
  if (p->cancel) return false;
  EXPECT_EQ(::rename((p->disk + "/" + p->victim).c_str(), p->away.c_str()), 0);
  return true;
}

// The records below the root line, without the block of the root's entry name.
std::vector<std::string> withoutFolder(const std::string &catalog, const std::string &name) {
  const auto lines = linesOf(catalog);
  auto at = std::find_if(lines.begin(), lines.end(), [](auto &l) { return l.starts_with(" + \"DISK\" "); });
  std::vector<std::string> kept;
  if (at == lines.end()) return kept;
  for (++at; at != lines.end(); ++at) {
    if (!at->starts_with(" + \"" + name + "\" ")) {
      kept.push_back(*at);
      continue;
    }
    int depth = 0;
    for (++at; at != lines.end(); ++at) {
      if (*at == " < " || *at == "<") ++depth;
      if ((*at == " > " || *at == ">") && --depth == 0) break;
    }
    if (at == lines.end()) break;
  }
  return kept;
}

// One tree for every test: building it is most of their time.
class ScanReadAhead : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    buildTree(*dir_);
    dir_->createDir("out");
  }
  static void TearDownTestSuite() {
    ::chmod((*dir_ / "disk/closed").c_str(), 0700);
    delete dir_;
    dir_ = nullptr;
  }
  int run(Pause *pause) {
    return catalogVolume((*dir_ / "disk").c_str(), "DISK", catalog_.c_str(), 2, 3, 2004, 5, 6, 7,
                         pause ? &pausingProgress : nullptr, pause);
  }
  static TempDir *dir_;
  const std::string catalog_ = *dir_ / "out/DISK.zar";
  BoxRecorder quiet_;
};

TempDir *ScanReadAhead::dir_ = nullptr;

TEST_F(ScanReadAhead, WritesWhatTheOneThreadWalkWrites) {
  const Scan threaded = scanAsNobody(*dir_ / "disk", true);
  const Scan single = scanAsNobody(*dir_ / "disk", false);
  ASSERT_FALSE(single.catalog.empty());
  EXPECT_TRUE(threaded.catalog == single.catalog) << "the catalogs differ";
  EXPECT_EQ(threaded.boxes, single.boxes);

  const auto lines = linesOf(threaded.catalog);
  EXPECT_GT(lines.size(), static_cast<size_t>(kTopFolders * kSubfolders * (kFiles + 3)));
  // Each archive warns once for its undatable member: the one near the root, and
  // those of the chain, listed on either side of the depth where descriptors stop
  // being shared.
  size_t warnings = 0;
  for (size_t at = 0; (at = threaded.boxes.find("late.txt in ", at)) != std::string::npos; ++at)
    ++warnings;
  EXPECT_EQ(warnings, 3u);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](auto &l) { return l.starts_with(" + \"d\" 0 0 "); }),
            kDeepLevels);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](auto &l) { return l.starts_with(" \"level.txt\" "); }),
            kDeepLevels / 10);
  EXPECT_EQ(threaded.catalog.find("secret.txt"), std::string::npos);
  EXPECT_EQ(threaded.catalog.find("hidden.txt"), std::string::npos);
}

TEST_F(ScanReadAhead, FolderVanishingAfterItWasReadAheadLeavesTheRestIntact) {
  ::setenv("TAVSCAN_READ_AHEAD", "0", 1);
  ASSERT_EQ(run(nullptr), kTavscanCatalogOk);
  ::unsetenv("TAVSCAN_READ_AHEAD");
  const std::string before = readFile(catalog_);

  Pause pause;
  pause.disk = *dir_ / "disk";
  pause.away = *dir_ / "away";
  const int descriptors = nextDescriptor();
  ASSERT_EQ(run(&pause), kTavscanCatalogOk);
  EXPECT_EQ(nextDescriptor(), descriptors) << "descriptors left open";
  ASSERT_GE(pause.calls, 3);
  ASSERT_FALSE(pause.victim.empty());
  ASSERT_EQ(::rename(pause.away.c_str(), (pause.disk + "/" + pause.victim).c_str()), 0);
  // The victim is there whole, in part or not at all, as far as the reader had come;
  // everything else is as the one-thread walk wrote it before.
  const auto after = withoutFolder(readFile(catalog_), pause.victim);
  EXPECT_TRUE(after == withoutFolder(before, pause.victim)) << "the catalogs differ beyond " << pause.victim;
  EXPECT_GT(after.size(), static_cast<size_t>((kTopFolders - 1) * kSubfolders * kFiles));
}

TEST_F(ScanReadAhead, CancelWhileTheReaderWaitsReturnsAndKeepsTheOldCatalog) {
  writeFile(catalog_, "old catalog");
  Pause pause;
  pause.disk = *dir_ / "disk";
  pause.cancel = true;
  const int descriptors = nextDescriptor();
  ASSERT_EQ(run(&pause), kTavscanCatalogCancelled);
  EXPECT_EQ(pause.calls, 3);
  EXPECT_EQ(nextDescriptor(), descriptors) << "descriptors left open";
  EXPECT_EQ(readFile(catalog_), "old catalog");
}

} // namespace
