#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <cstring>

#include "Tavscan60.h"
#include "test_support.h"
#include "zip_builder.h"

using testing_support::readFile;
using testing_support::runProgram;
using testing_support::TempDir;

namespace {

// Two cataloged disks, DATA (docs/a.txt, arch.zip with src/readme.txt) and OTHER
// (x.txt), whose folders the volume table offers or not.
class GetCommand : public ::testing::Test {
protected:
  GetCommand() {
    dir.createFile("media/DATA/docs/a.txt", "alpha");
    testing_support::ZipBuilder().add("src/readme.txt", "read me").writeTo(dir / "media/DATA/arch.zip");
    dir.createFile("media/OTHER/x.txt", "ex");
    dir.createDir("catalogs");
    for (const std::string label : {"DATA", "OTHER"})
      catalogVolume((dir / ("media/" + label)).c_str(), label.c_str(), (dir / ("catalogs/" + label + ".zar")).c_str(),
                    1, 1, 2020, 0, 0, 0, nullptr, nullptr);
    offer({});
  }

  void offer(const std::vector<std::string> &labels) {
    std::string text;
    for (const std::string &label : labels)
      text += dir / ("media/" + label) + "\t" + label + "\tremovable\n";
    testing_support::writeFile(table, text);
  }

  std::vector<std::string> argv(const std::vector<std::string> &paths) {
    std::vector<std::string> all = {TAVLOR_CLI_PATH, "get", "--catalogs", dir / "catalogs", "--to", dest};
    all.insert(all.end(), paths.begin(), paths.end());
    return all;
  }
  // Runs the command without a terminal, the volume table in force.
  testing_support::RunResult get(const std::vector<std::string> &paths) {
    return runProgram(argv(paths), {"TAVLOR_VOLUME_TABLE=" + table});
  }

  TempDir dir;
  std::string table = dir / "volumes.tab";
  std::string dest = dir / "out";
  const std::vector<std::string> paths = {"DATA/docs/a.txt", "OTHER/x.txt", "DATA/arch.zip/src/readme.txt"};
};

TEST_F(GetCommand, WithoutATerminalThePresentDisksAreUsedAndTheOthersNamed) {
  offer({"DATA"});
  auto result = get(paths);
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_EQ(result.out.substr(0, result.out.find("DATA/docs")), "Disks needed:\n  DATA: 2 entries\n  OTHER: 1 entry\n");
  EXPECT_EQ(readFile(dest + "/a.txt"), "alpha");
  EXPECT_EQ(readFile(dest + "/readme.txt"), "read me");
  EXPECT_NE(result.err.find("  OTHER/x.txt\n"), std::string::npos) << result.err;

  // Copies from a disk never replace a file: asked again, a.txt is reported.
  offer({"DATA", "OTHER"});
  result = get(paths);
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("DATA/docs/a.txt not retrieved (it exists in the destination)"), std::string::npos)
      << result.err;
  EXPECT_EQ(readFile(dest + "/x.txt"), "ex");

  // A member of a ZIP file replaces an older file only with --overwrite-older.
  testing_support::writeFile(dest + "/readme.txt", "old");
  testing_support::setModificationTime(dest + "/readme.txt", testing_support::localTime(1, 1, 1990, 0, 0, 0));
  EXPECT_EQ(get({"DATA/arch.zip/src/readme.txt"}).status, 1);
  EXPECT_EQ(readFile(dest + "/readme.txt"), "old");
  std::vector<std::string> older = argv({"DATA/arch.zip/src/readme.txt"});
  older.insert(older.begin() + 2, "--overwrite-older");
  EXPECT_EQ(runProgram(older, {"TAVLOR_VOLUME_TABLE=" + table}).status, 0);
  EXPECT_EQ(readFile(dest + "/readme.txt"), "read me");

  EXPECT_EQ(get({}).status, 2);
  EXPECT_EQ(get({"NOWHERE/a"}).status, 1);
}

TEST_F(GetCommand, OnATerminalEachDiskIsAskedForOnce) {
  int master = -1;
  const std::vector<std::string> args = argv(paths);
  const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::setenv("TAVLOR_VOLUME_TABLE", table.c_str(), 1);
    std::vector<char *> raw;
    for (const std::string &a : args)
      raw.push_back(const_cast<char *>(a.c_str()));
    raw.push_back(nullptr);
    ::execv(raw[0], raw.data());
    ::_exit(127);
  }
  // Each prompt is answered by "inserting" the disk it names and pressing Enter.
  std::string output;
  std::vector<std::string> asked;
  for (;;) {
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 20000) <= 0) break;
    char buffer[512];
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    if (n <= 0) break;
    output.append(buffer, static_cast<std::size_t>(n));
    for (const char *label : {"DATA", "OTHER"}) {
      const std::string prompt = "Insert the disk labeled " + std::string(label) + " and press Enter";
      std::size_t count = 0;
      for (std::size_t at = output.find(prompt); at != std::string::npos; at = output.find(prompt, at + 1))
        ++count;
      if (count > static_cast<std::size_t>(std::count(asked.begin(), asked.end(), label))) {
        asked.push_back(label);
        offer(asked);
        ASSERT_EQ(::write(master, "\n", 1), 1);
      }
    }
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ::close(master);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  EXPECT_EQ(asked, (std::vector<std::string>{"DATA", "OTHER"})) << output;
  EXPECT_EQ(readFile(dest + "/a.txt"), "alpha");
  EXPECT_EQ(readFile(dest + "/readme.txt"), "read me");
  EXPECT_EQ(readFile(dest + "/x.txt"), "ex");
}

// Every entry that is not written is named with its reason and the status is 1: a link
// planted in the destination, a file gone from the disk, and (as root, in a private
// mount namespace) a read-only and a full destination.
TEST_F(GetCommand, EveryFailureIsNamedAndNoPlantedLinkIsFollowed) {
  offer({"DATA"});
  const std::string elsewhere = dir.createDir("elsewhere");
  ASSERT_EQ(::mkdir(dest.c_str(), 0755), 0);
  ASSERT_EQ(::symlink(elsewhere.c_str(), (dest + "/docs").c_str()), 0);
  auto result = get({"DATA/docs"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("not written: DATA/docs: a symbolic link or a file stands in the destination"),
            std::string::npos)
      << result.err;
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere));

  ASSERT_EQ(::unlink((dir / "media/DATA/docs/a.txt").c_str()), 0);
  result = get({"DATA/docs/a.txt"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("not written: DATA/docs/a.txt: it cannot be found on the disk: No such file"),
            std::string::npos)
      << result.err;

  if (::geteuid() != 0) GTEST_SKIP() << "read-only and full destinations need root (a private mount namespace)";
  dir.createFile("media/DATA/big/large.bin", std::string(256 * 1024, 'x'));
  catalogVolume((dir / "media/DATA").c_str(), "DATA", (dir / "catalogs/DATA.zar").c_str(), 1, 1, 2020, 0, 0, 0,
                nullptr, nullptr);
  const std::string mounted = dir.createDir("mnt");
  struct Case {
    const char *options, *path, *reason;
  };
  for (const Case &c : {Case{"ro", "DATA/big", "its folder cannot be made: Read-only file system"},
                        Case{"size=64k", "DATA/big", "large.bin: it cannot be written: No space left on device"}}) {
    SCOPED_TRACE(c.options);
    std::vector<std::string> command = {TAVLOR_CLI_PATH, "get", "--catalogs", dir / "catalogs", "--to", mounted,
                                        c.path};
    std::string script = std::string("mount -t tmpfs -o ") + c.options + " tmpfs \"$0\" && exec \"$@\"";
    std::vector<std::string> argv = {"/usr/bin/unshare", "-m", "--propagation", "private", "/bin/sh", "-c", script, mounted};
    argv.insert(argv.end(), command.begin(), command.end());
    result = runProgram(argv, {"TAVLOR_VOLUME_TABLE=" + table});
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
    EXPECT_EQ(result.out.find("\nDATA/big\n"), std::string::npos) << "reported as retrieved: " << result.out;
  }
}

// A real ext4 volume labelled DATA, loop-mounted in a private mount namespace: found by
// its label through the machine's mount table, and not found under "data".
TEST(GetFromARealVolume, TheLabelMustMatchExactly) {
  std::string reason;
  if (!testing_support::canUseLoopMounts(&reason)) GTEST_SKIP() << "loop-mounted volumes not testable: " << reason;
  TempDir dir;
  const std::string script =
      "set -e\n"
      "printf alpha > \"$TAVLOR_LOOP_MOUNT/a.txt\"\n"
      "\"$CLI\" catalog --catalogs \"$WORK/cat\" \"$TAVLOR_LOOP_MOUNT\" >/dev/null\n"
      "\"$CLI\" catalog --label data --out \"$WORK/data.zar\" \"$TAVLOR_LOOP_MOUNT\" >/dev/null\n"
      "\"$CLI\" get --catalogs \"$WORK/cat\" --to \"$WORK/out\" DATA/a.txt\n"
      "if \"$CLI\" get --to \"$WORK/lower\" \"$WORK/data.zar\" data/a.txt; then exit 3; fi\n";
  const auto result = runProgram(
      {"/bin/bash", std::string(TAVLOR_SOURCE_DIR) + "/scripts/loop_volume.sh", "DATA", "/bin/sh", "-c", script},
      {"CLI=" TAVLOR_CLI_PATH, "WORK=" + dir.path(), "TAVLOR_VOLUME_TABLE="});
  ASSERT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_EQ(readFile(dir / "out/a.txt"), "alpha");
  EXPECT_NE(result.err.find("disk data is not mounted"), std::string::npos) << result.err;
}

} // namespace
