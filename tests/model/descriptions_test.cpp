#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

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
