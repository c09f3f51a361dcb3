#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "Tavscan60.h"
#include "extract_test_helpers.h"
#include "test_support.h"
#include "zip_builder.h"

using extract_test::filesBelow;
using testing_support::BoxRecorder;
using testing_support::localTime;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::ZipBuilder;
using Files = std::vector<std::string>;

namespace {

class ExtractAll : public ::testing::Test {
protected:
  int extract(const char *folderInZip, bool useFolderNames, void (*progress)() = nullptr, bool newer = false,
              bool older = false) {
    return extractAllFromZip(zip.c_str(), folderInZip, dest.c_str(), useFolderNames, newer, older, progress);
  }

  TempDir dir;
  BoxRecorder boxes;
  std::string zip = dir / "a.zip";
  std::string dest = dir / "out/dest";
};

// What the progress function saw: how many files were written when it was called.
std::string g_progressFolder;
std::vector<size_t> g_progressCalls;
void recordProgress() {
  g_progressCalls.push_back(filesBelow(g_progressFolder).size());
}

} // namespace

TEST_F(ExtractAll, WholeArchiveWithAndWithoutFolderNames) {
  ZipBuilder()
      .add("docs/", "")
      .add("docs/a.txt", "a")
      .add("docs/sub/x/y.txt", "y")
      .add("top.txt", "t")
      .add("empty/none.txt", "")
      .add("back\\slash.txt", "b")
      .writeTo(zip);

  EXPECT_EQ(extract(nullptr, true), 5) << "the folder entry is not counted; the empty member is a file";
  EXPECT_EQ(filesBelow(dest), (Files{"back/slash.txt", "docs/a.txt", "docs/sub/x/y.txt", "empty/none.txt", "top.txt"}));
  EXPECT_TRUE(std::filesystem::is_directory(dest + "/empty")) << "folders are made before members are read";
  EXPECT_EQ(readFile(dest + "/docs/sub/x/y.txt"), "y");

  const std::string flat = dest + "-flat";
  EXPECT_EQ(extractAllFromZip(zip.c_str(), nullptr, flat.c_str(), false, false, false, nullptr), 5);
  EXPECT_EQ(filesBelow(flat), (Files{"a.txt", "none.txt", "slash.txt", "top.txt", "y.txt"}));
  EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ExtractAll, FolderInZipNamingOneMemberSelectsByPlainPrefixInBothModes) {
  ZipBuilder()
      .add("docs/a.txt", "a")
      .add("docs/a.txt.bak", "bak")
      .add("docs/b.txt", "b")
      .add("other/docs/a.txt", "o")
      .writeTo(zip);
  EXPECT_EQ(extract("docs/a.txt", true), 2);
  EXPECT_EQ(filesBelow(dest), (Files{"a.txt", "a.txt.bak"}));
  std::filesystem::remove_all(dest);
  EXPECT_EQ(extract("DOCS/A.TXT", false), 2) << "selection ignores ASCII case";
  EXPECT_EQ(filesBelow(dest), (Files{"a.txt", "a.txt.bak"}));
}

TEST_F(ExtractAll, SelectedFolderKeepsItsOwnNameButNotItsParents) {
  ZipBuilder()
      .add("docs/sub/x/y.txt", "y")
      .add("docs/subway.txt", "w")
      .add("docs/top.txt", "t")
      .add("docs2/z.txt", "z")
      .writeTo(zip);
  EXPECT_EQ(extract("docs/sub", true), 2);
  EXPECT_EQ(filesBelow(dest), (Files{"sub/x/y.txt", "subway.txt"}));

  std::filesystem::remove_all(dest);
  EXPECT_EQ(extract("docs", true), 4) << "docs2 begins with docs too";
  EXPECT_EQ(filesBelow(dest), (Files{"docs/sub/x/y.txt", "docs/subway.txt", "docs/top.txt", "docs2/z.txt"}));
}

TEST_F(ExtractAll, ProgressIsCalledEveryTwentiethOfTheEntries) {
  ZipBuilder hundred;
  for (int i = 0; i < 100; ++i)
    hundred.add("f" + std::to_string(100 + i) + ".txt", "x");
  hundred.writeTo(zip);
  g_progressFolder = dest;
  g_progressCalls.clear();
  EXPECT_EQ(extract(nullptr, true, &recordProgress), 100);
  // Before members 7, 13, 19 ... 97: after 6, 12, 18 ... 96 files.
  std::vector<size_t> expected;
  for (size_t written = 6; written < 100; written += 6)
    expected.push_back(written);
  EXPECT_EQ(g_progressCalls, expected);

  ZipBuilder five;
  for (int i = 0; i < 5; ++i)
    five.add("g" + std::to_string(i), "x");
  five.writeTo(zip);
  g_progressFolder = dest + "5";
  g_progressCalls.clear();
  EXPECT_EQ(extractAllFromZip(zip.c_str(), nullptr, g_progressFolder.c_str(), true, false, false, &recordProgress), 5);
  EXPECT_EQ(g_progressCalls, (std::vector<size_t>{1, 2, 3, 4})) << "before every member but the first";
}

TEST_F(ExtractAll, KeptFilesAreNotCountedAndLateDatesAreWarnedAbout) {
  ZipBuilder()
      .add("same.txt", "new", 15, 6, 2020, 10, 20, 30)
      .add("newer.txt", "new", 15, 6, 2020, 10, 20, 30)
      .add("late.txt", "late", 1, 1, 2100, 0, 0, 0)
      .writeTo(zip);
  const time_t member = localTime(15, 6, 2020, 10, 20, 30);
  testing_support::setModificationTime(dir.createFile("out/dest/same.txt", "old"), member);
  testing_support::setModificationTime(dir.createFile("out/dest/newer.txt", "old"), member + 60);

  EXPECT_EQ(extract(nullptr, true), 2);
  EXPECT_EQ(readFile(dest + "/same.txt"), "new");
  EXPECT_EQ(readFile(dest + "/newer.txt"), "old");
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].caption, "Warning: file date invalid");
  EXPECT_EQ(boxes.boxes()[0].icon, kTavscanBoxWarning);
  EXPECT_EQ(extract(nullptr, true, nullptr, true, false), 3) << "with overwriteNewer";
}

TEST_F(ExtractAll, UnreadableArchivesGiveNothingAndNoMessage) {
  EXPECT_EQ(extract(nullptr, true), 0);
  testing_support::writeFile(zip, "PK but not really");
  EXPECT_EQ(extract(nullptr, true), 0);
  ZipBuilder().writeTo(zip);
  EXPECT_EQ(extract(nullptr, true), 0);
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_TRUE(filesBelow(dest).empty());
}
