#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "model/disk_descriptions.h"
#include "test_support.h"

using tavlor::DiskDescriptions;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

namespace {

DiskDescriptions::Options in(const TempDir &dir) {
  return {dir.path(), "descr_disks.txt", true, true};
}

std::vector<std::string> folderNames(const TempDir &dir) {
  std::vector<std::string> names;
  for (const auto &e : std::filesystem::directory_iterator(dir.path()))
    names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

} // namespace

TEST(Descriptions, WritesRecordsInLabelOrderAndReadsThemNormalised) {
  TempDir dir;
  DiskDescriptions d(in(dir));
  d.readDescriptions(true); // creates the empty file
  EXPECT_TRUE(d.loaded());
  d.setDescription("backup01", "lower");
  d.setDescription("BACKUP01", "Tax files 1998");
  EXPECT_EQ(readFile(dir / "descr_disks.txt"),
            " <disk> BACKUP01 </disk>  <description> Tax files 1998 </description> \r\n"
            " <disk> backup01 </disk>  <description> lower </description> \r\n");

  writeFile(dir / "descr_disks.txt", "  <disk>\tA\n</disk> <description>  many   blanks\t\tand\nlines  </description>\n"
                                     "<disk> B </disk> <description> cut </description> here </description>\n"
                                     "<disk> C </disk> <description> </description>\n");
  d.readDescriptions(false);
  EXPECT_EQ(d.getDescription("A"), "many blanks and lines");
  EXPECT_EQ(d.getDescription("B"), "cut");
  EXPECT_EQ(d.map().count("C"), 0u); // an empty description is dropped
  EXPECT_EQ(d.getDescription("a"), "");
}

TEST(Descriptions, ClearedDescriptionIsWrittenThenDropped) {
  TempDir dir;
  DiskDescriptions d(in(dir));
  d.readDescriptions(true);
  d.setDescription("X", "something");
  d.setDescription("X", "");
  EXPECT_EQ(readFile(dir / "descr_disks.txt"), " <disk> X </disk>  <description>  </description> \r\n");
  d.readDescriptions(false);
  EXPECT_TRUE(d.map().empty());
}

TEST(Descriptions, SixStartUpsKeepTheNewestFiveBackups) {
  TempDir dir;
  for (int run = 0; run < 7; ++run) {
    DiskDescriptions d(in(dir));
    d.readDescriptions(true);
    d.setDescription("D", "run " + std::to_string(run));
  }
  // The first start-up created the file; the six after it made copies 1 to 6.
  EXPECT_EQ(folderNames(dir),
            (std::vector<std::string>{"descr_disks.txt", "descr_disks.txt;2", "descr_disks.txt;3", "descr_disks.txt;4",
                                      "descr_disks.txt;5", "descr_disks.txt;6"}));
  EXPECT_NE(readFile(dir / "descr_disks.txt;6").find("run 5"), std::string::npos);
  // A backup name that is taken moves on to the next number.
  writeFile(dir / "descr_disks.txt;7", "taken");
  DiskDescriptions d(in(dir));
  d.readDescriptions(true);
  EXPECT_EQ(readFile(dir / "descr_disks.txt;7"), "taken");
  EXPECT_TRUE(std::filesystem::exists(dir / "descr_disks.txt;8"));
  EXPECT_FALSE(std::filesystem::exists(dir / "descr_disks.txt;3"));
}

TEST(Descriptions, NothingHappensWithDescriptionsOffOrWithoutAFile) {
  TempDir dir;
  DiskDescriptions off({dir.path(), "descr_disks.txt", false, true});
  off.readDescriptions(true);
  EXPECT_EQ(off.getDescription("A"), "");
  off.setDescription("A", "text");
  EXPECT_FALSE(off.loaded());
  EXPECT_TRUE(folderNames(dir).empty());

  // Without backups a missing file is not created, and is then never written.
  DiskDescriptions noFile({dir.path(), "descr_disks.txt", true, false});
  noFile.readDescriptions(true);
  EXPECT_FALSE(noFile.loaded());
  noFile.setDescription("A", "text");
  EXPECT_TRUE(folderNames(dir).empty());
}

TEST(Descriptions, FailedWriteKeepsThePreviousFile) {
  if (geteuid() == 0) {
    // Root writes into read-only folders; a file name that is a folder fails the rename.
    TempDir dir;
    DiskDescriptions d(in(dir));
    d.readDescriptions(true);
    d.setDescription("A", "kept");
    std::filesystem::remove(dir / "descr_disks.txt");
    std::filesystem::create_directory(dir / "descr_disks.txt");
    d.setDescription("A", "lost");
    EXPECT_FALSE(d.writeDescriptions());
    EXPECT_EQ(folderNames(dir), std::vector<std::string>{"descr_disks.txt"}); // no temporary left
    return;
  }
  TempDir dir;
  DiskDescriptions d(in(dir));
  d.readDescriptions(true);
  d.setDescription("A", "kept");
  chmod(dir.path().c_str(), 0555);
  d.setDescription("A", "lost");
  chmod(dir.path().c_str(), 0755);
  EXPECT_EQ(readFile(dir / "descr_disks.txt"), " <disk> A </disk>  <description> kept </description> \r\n");
}

// Files other users can drop in a shared catalogs folder: a backup number near a
// billion costs one listing, not a billion unlinks, and keeps the newest copies; a
// FIFO under the file's name neither hangs the start (nor tavlor ls) nor is written.
TEST(Descriptions, StrayBackupNumbersAndFifosCannotStallTheStart) {
  TempDir dir;
  writeFile(dir / "descr_disks.txt", " <disk> A </disk>  <description> kept </description> \r\n");
  for (const char *stray : {"descr_disks.txt;999999999", "descr_disks.txt;2", "descr_disks.txt;3",
                            "descr_disks.txt;99999999999999999999999", "descr_disks.txt;x"})
    writeFile(dir / stray, "stray");
  for (int run = 0; run < 2; ++run) {
    DiskDescriptions d(in(dir));
    d.readDescriptions(true);
    EXPECT_EQ(d.getDescription("A"), "kept");
  }
  EXPECT_EQ(folderNames(dir),
            (std::vector<std::string>{"descr_disks.txt", "descr_disks.txt;1000000000", "descr_disks.txt;1000000001",
                                      "descr_disks.txt;2", "descr_disks.txt;3", "descr_disks.txt;999999999",
                                      "descr_disks.txt;99999999999999999999999", "descr_disks.txt;x"}));

  TempDir shared;
  ASSERT_EQ(::mkfifo((shared / "descr_disks.txt").c_str(), 0666), 0);
  testing_support::BoxRecorder boxes;
  DiskDescriptions d(in(shared));
  d.readDescriptions(true);
  EXPECT_EQ(d.getDescription("A"), ""); // tries again, quietly
  d.setDescription("A", "text");
  EXPECT_FALSE(d.loaded());
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_NE(boxes.boxes()[0].text.find("descr_disks.txt is not a regular file"), std::string::npos);
  struct stat st;
  ASSERT_EQ(::lstat((shared / "descr_disks.txt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(folderNames(shared), std::vector<std::string>{"descr_disks.txt"});

  shared.createFile("D.zar", "zar_version_1_1\n< \n> \n + \"D\" 0 0 1 1 2000 0 0 0\n < \n > \n");
  const auto ls =
      testing_support::runProgram({"/usr/bin/timeout", "20", TAVLOR_CLI_PATH, "ls", "--catalogs", shared.path()},
                                  {"XDG_CONFIG_HOME=" + shared.path() + "/config"});
  EXPECT_EQ(ls.status, 0) << ls.err;
  EXPECT_NE(ls.err.find("is not a regular file"), std::string::npos) << ls.err;
}

// A save killed at any moment leaves the old file or the new one, never a part; the
// next start makes its backup and keeps the earlier ones.
TEST(Descriptions, SaveKilledHalfWayLeavesTheOldOrTheNewFile) {
  TempDir dir;
  // The records in label order, as a save writes them: a save that completed before
  // the kill leaves one of the two texts, byte for byte.
  std::vector<std::string> labels;
  for (int i = 0; i < 20000; ++i)
    labels.push_back(std::to_string(i));
  std::sort(labels.begin(), labels.end());
  std::string old, renewed;
  for (const std::string &label : labels) {
    const std::string record = " <disk> " + label + " </disk>  <description> ";
    old += record + "old " + label + " </description> \r\n";
    renewed += record + (label != "0" ? "old " : "new ") + label + " </description> \r\n";
  }
  writeFile(dir / "descr_disks.txt", old);
  for (int delayUs : {0, 300, 1000, 3000, 10000}) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      DiskDescriptions d(in(dir));
      d.readDescriptions(false);
      for (int round = 0;; ++round)
        d.setDescription("0", round % 2 ? "old 0" : "new 0");
    }
    ::usleep(static_cast<useconds_t>(delayUs));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string now = readFile(dir / "descr_disks.txt");
    EXPECT_TRUE(now == old || now == renewed) << delayUs << ": " << now.size() << " bytes";
  }
  DiskDescriptions next(in(dir));
  next.readDescriptions(true);
  EXPECT_EQ(next.map().size(), 20000u);
  EXPECT_EQ(folderNames(dir), (std::vector<std::string>{"descr_disks.txt", "descr_disks.txt;1"}));
}
