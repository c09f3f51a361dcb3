// Writing a catalog in a folder others can write to, on a full disk, and after
// killed runs.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>

#include "Tavscan60.h"
#include "platform/files.h"
#include "test_support.h"

using namespace testing_support;

namespace {

std::vector<std::string> namesIn(const std::string &folder) {
  std::vector<std::string> names;
  for (const auto &e : std::filesystem::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Runs body in a child process and returns its exit status (-1 when it was killed).
template <typename Body> int inChild(Body body) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(body());
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class CatalogWrite : public ::testing::Test {
protected:
  void SetUp() override {
    for (int i = 0; i < 200; ++i)
      dir_.createFile("disk/folder/file-with-a-longish-name-" + std::to_string(i) + ".txt", "x");
    out_ = dir_.createDir("out");
    target_ = out_ + "/DISK.zar";
  }
  int catalog(const std::string &label = "DISK", const std::string &target = "") {
    return catalogVolume((dir_ / "disk").c_str(), label.c_str(), (target.empty() ? target_ : target).c_str(), 1, 2,
                         2003, 4, 5, 6, nullptr, nullptr);
  }
  TempDir dir_;
  std::string out_, target_;
};

} // namespace

TEST_F(CatalogWrite, KeepsTheModeAndTakesLabelsUpToTheNameLimit) {
  ASSERT_EQ(catalog(), kTavscanCatalogOk);
  for (const mode_t mode : {0600u, 0640u, 0444u}) {
    ::chmod(target_.c_str(), mode);
    ASSERT_EQ(catalog(), kTavscanCatalogOk);
    struct stat st {};
    ASSERT_EQ(::lstat(target_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode);
  }
  // A label of 251 bytes names a catalog of 255, the longest name a folder takes.
  for (const size_t length : {240u, 251u}) {
    const std::string label(length, 'L');
    ASSERT_EQ(catalog(label, out_ + "/" + label + ".zar"), kTavscanCatalogOk) << length;
  }
  EXPECT_EQ(namesIn(out_).size(), 3u) << "no temporary file is left";
}

TEST_F(CatalogWrite, KilledRunsLeaveNothingAndStaleFilesAreRemoved) {
  writeFile(target_, "old catalog");
  // A run killed in the middle of its scan.
  const int status = inChild([&] {
    return catalogVolume((dir_ / "disk").c_str(), "DISK", target_.c_str(), 1, 1, 2000, 0, 0, 0,
                         [](uint64_t, const char *, void *) {
                           ::raise(SIGKILL);
                           return true;
                         },
                         nullptr);
  });
  EXPECT_EQ(status, -1);
  // Files of runs that could not leave unnamed files, and of earlier versions.
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const std::string stale = platform::ReplacementFile::temporaryPrefix("DISK.zar") + std::to_string(gone) + "-0.tmp";
  writeFile(out_ + "/" + stale, "stale");
  writeFile(out_ + "/.DISK.zar.123456.tmp", "stale");
  writeFile(out_ + "/.OTHER.zar.123456.tmp", "another catalog's");
  const std::string running = platform::ReplacementFile::temporaryPrefix("DISK.zar") + "1-0.tmp"; // init runs
  writeFile(out_ + "/" + running, "a live run");

  EXPECT_EQ(readFile(target_), "old catalog");
  ASSERT_EQ(catalog(), kTavscanCatalogOk);
  EXPECT_EQ(namesIn(out_), (std::vector<std::string>{".OTHER.zar.123456.tmp", running, "DISK.zar"}));
}

TEST_F(CatalogWrite, AFullDiskKeepsTheOldCatalogAndSaysWhy) {
  const int status = inChild([&] {
    // A private mount namespace, so the small filesystem is seen by this child only.
    if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tavlor-test", out_.c_str(), "tmpfs", 0, "size=8k") != 0)
      return 77;
    writeFile(target_, "old catalog");
    errno = 0;
    if (catalog() != kTavscanCatalogCannotWrite) return 1;
    if (errno != ENOSPC) return 2;
    char text[256];
    GetLastError_Message(text, sizeof text);
    if (std::string(text) != "No space left on device") return 3;
    if (readFile(target_) != "old catalog") return 4;
    return namesIn(out_).size() == 1 ? 0 : 5;
  });
  if (status == 77) GTEST_SKIP() << "needs root to mount a small filesystem";
  EXPECT_EQ(status, 0);
}

// Another user who may write in the catalogs folder swaps a link to a private file
// for every file that appears there while root catalogs again and again.
TEST_F(CatalogWrite, ALinkSwappedInNeverRedirectsTheWrite) {
  if (::geteuid() != 0) GTEST_SKIP() << "runs the other user as root's child";
  const std::string secret = dir_.createFile("private/secret", "root only");
  ::chmod((dir_ / "private").c_str(), 0700);
  ::chmod(secret.c_str(), 0600);
  ::chmod(dir_.path().c_str(), 0755);
  ::chmod(out_.c_str(), 0777);
  const std::string target = out_ + "/R.zar";

  const pid_t swapper = ::fork();
  if (swapper == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(1);
    const std::string link = out_ + "/.swap";
    for (;;) {
      DIR *dir = ::opendir(out_.c_str());
      while (const dirent *e = dir ? ::readdir(dir) : nullptr) {
        const std::string name = e->d_name;
        if (name == "." || name == ".." || name == "R.zar" || name == ".swap") continue;
        ::symlink(secret.c_str(), link.c_str());
        ::rename(link.c_str(), (out_ + "/" + name).c_str());
      }
      if (dir) ::closedir(dir);
    }
  }
  for (int run = 0; run < 60; ++run) {
    const int result = catalog("R", target);
    EXPECT_TRUE(result == kTavscanCatalogOk || result == kTavscanCatalogCannotWrite) << result;
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0) {
      EXPECT_FALSE(S_ISLNK(st.st_mode)) << "run " << run << " result " << result;
    }
  }
  ::kill(swapper, SIGKILL);
  ::waitpid(swapper, nullptr, 0);
  EXPECT_EQ(readFile(secret), "root only");
}
