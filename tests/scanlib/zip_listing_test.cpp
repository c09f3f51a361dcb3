// Archives as Zip Folders: the member tree, damaged archives and hostile names.
#include <gtest/gtest.h>

#include "Tavscan60.h"
#include "scan_test_helpers.h"
#include "test_support.h"
#include "zip_builder.h"

using namespace testing_support;
using scan_test::linesOf;

namespace {

class ZipListing : public ::testing::Test {
protected:
  // The lines of the scan of a folder holding only the archive a.zip, without the
  // root's own lines; the archive's file date is 1 2 2001 3 4 5.
  std::vector<std::string> listing(const std::string &bytes) {
    const std::string path = dir_.createFile("a.zip", bytes);
    setModificationTime(path, localTime(1, 2, 2001, 3, 4, 5));
    auto lines = linesOf(scan_test::scanFolder(dir_.path()));
    EXPECT_GE(lines.size(), 3u);
    return std::vector<std::string>(lines.begin() + 2, lines.end() - 1);
  }
  std::string archiveLine(size_t size) { return " + \"a.zip\" " + std::to_string(size) + " 0 1 2 2001 3 4 5"; }

  TempDir dir_;
  BoxRecorder boxes_;
};

TEST_F(ZipListing, ExplicitFolderEntryAndNestedMember) {
  const std::string bytes = ZipBuilder().add("e/", "", 1, 1, 2001).add("f/g.txt", "hello", 9, 8, 2007, 6, 5, 4).bytes();
  const std::vector<std::string> expected{archiveLine(bytes.size()),    "<", " + \"f\" 0 0 1 2 2001 3 4 5", "<",
                                          "\"g.txt\" 5 9 8 2007 6 5 4", ">", "\"e\" 0 1 1 2001 0 0 0",      ">"};
  EXPECT_EQ(listing(bytes), expected);
}

TEST_F(ZipListing, BackslashesDuplicatesAndAMemberThatBecomesAFolder) {
  const std::string bytes = ZipBuilder()
                                .add("\\a\\b.txt", "12", 1, 1, 2001)
                                .add("dup.txt", "first", 1, 1, 2001)
                                .add("dup.txt", "second!", 1, 1, 2001)
                                .add("c", "xyz", 1, 1, 2001)
                                .add("c/d.txt", "1", 1, 1, 2001)
                                .add("///", "", 1, 1, 2001)
                                .bytes();
  const std::vector<std::string> expected{archiveLine(bytes.size()),    "<", " + \"a\" 0 0 1 2 2001 3 4 5",  "<",
                                          "\"b.txt\" 2 1 1 2001 0 0 0", ">", " + \"c\" 0 0 1 2 2001 3 4 5",  "<",
                                          "\"d.txt\" 1 1 1 2001 0 0 0", ">", "\"dup.txt\" 5 1 1 2001 0 0 0", ">"};
  EXPECT_EQ(listing(bytes), expected);
}

TEST_F(ZipListing, EmptyArchiveIsOneMemberLineAmongTheFolders) {
  const std::string empty = ZipBuilder().bytes();
  dir_.createFile("z.txt", "1");
  const auto lines = listing(empty);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "\"a.zip\" " + std::to_string(empty.size()) + " 1 2 2001 3 4 5");
  EXPECT_TRUE(lines[1].starts_with(" \"z.txt\" 1 "));
}

TEST_F(ZipListing, CorruptOrTruncatedArchivesLeaveNoTrace) {
  const std::string good = ZipBuilder().add("m.txt", "some data here", 1, 1, 2001).bytes();
  for (const std::string &bytes :
       {std::string("not an archive at all"), good.substr(0, good.size() / 2), std::string(), std::string(22, '\0')}) {
    EXPECT_TRUE(listing(bytes).empty()) << bytes.size();
  }
  EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(ZipListing, ArchiveWhoseDirectoryCannotBeReachedIsOneMemberLine) {
  // The end record is found but cut short: the members cannot be reached.
  const std::string good = ZipBuilder().add("m.txt", "some data here", 1, 1, 2001).bytes();
  const std::string cut = good.substr(0, good.size() - 10);
  EXPECT_EQ(listing(cut), std::vector<std::string>{"\"a.zip\" " + std::to_string(cut.size()) + " 1 2 2001 3 4 5"});
}

TEST_F(ZipListing, MemberDatedAfter2035OrImpossiblyGetsTheDefaultDateAndAWarning) {
  const auto lines = listing(ZipBuilder()
                                 .add("late.txt", "1", 1, 1, 2040)
                                 .add("ok.txt", "1", 31, 12, 2035)
                                 .add("month0.txt", "1", 1, 0, 2001)
                                 .add("day0.txt", "1", 0, 1, 2001)
                                 .bytes());
  EXPECT_TRUE(scan_test::contains(lines, "\"late.txt\" 1 5 2 2036 0 0 0"));
  EXPECT_TRUE(scan_test::contains(lines, "\"ok.txt\" 1 31 12 2035 0 0 0"));
  EXPECT_TRUE(scan_test::contains(lines, "\"month0.txt\" 1 5 2 2036 0 0 0"));
  EXPECT_TRUE(scan_test::contains(lines, "\"day0.txt\" 1 5 2 2036 0 0 0"));
  ASSERT_EQ(boxes_.boxes().size(), 3u);
  EXPECT_EQ(boxes_.boxes()[0].caption, "Warning: file date invalid");
  EXPECT_EQ(boxes_.boxes()[0].text, "The file late.txt in " + dir_.path() + "/a.zip has invalid date information.\n" +
                                        "A default catalog date will be assigned: Feb 5, 2036\n" +
                                        "Press OK to continue");
}

TEST_F(ZipListing, Zip64SizesComeFromTheExtraField) {
  ZipEntrySpec huge;
  huge.name = "huge.iso";
  huge.data = "tiny";
  huge.zip64 = true;
  huge.zip64Size = 6442450944ULL; // 6 GiB
  const auto lines = listing(ZipBuilder().add(huge).bytes());
  EXPECT_TRUE(scan_test::contains(lines, "\"huge.iso\" 6442450944 1 1 2000 0 0 0"));
}

TEST_F(ZipListing, HostileAndLongNamesAreCatalogedSafelyAndWhole) {
  const std::string longName(1000, 'n');
  const std::string bytes = ZipBuilder()
                                .add("../../etc/passwd", "1", 1, 1, 2001)
                                .add("/abs/x", "1", 1, 1, 2001)
                                .add("./q\"uote\nd", "1", 1, 1, 2001)
                                .add("deep/" + longName, "1", 1, 1, 2001)
                                .bytes();
  const auto lines = listing(bytes);
  // No member climbs out of its Zip Folder or breaks its quotes.
  for (const auto &line : lines) {
    EXPECT_EQ(line.find(".."), std::string::npos) << line;
    if (line != "<" && line != ">") {
      EXPECT_EQ(std::count(line.begin(), line.end(), '"'), 2) << line;
    }
  }
  EXPECT_TRUE(scan_test::contains(lines, " + \"etc\" 0 0 1 2 2001 3 4 5"));
  EXPECT_TRUE(scan_test::contains(lines, "\"passwd\" 1 1 1 2001 0 0 0"));
  EXPECT_TRUE(scan_test::contains(lines, " + \"abs\" 0 0 1 2 2001 3 4 5"));
  EXPECT_TRUE(scan_test::contains(lines, "\"q?uote?d\" 1 1 1 2001 0 0 0"));
  EXPECT_TRUE(scan_test::contains(lines, "\"" + longName + "\" 1 1 1 2001 0 0 0"));
}

TEST_F(ZipListing, ArchivesMadeByZipAreListed) {
  dir_.createFile("src/one.txt", std::string(5000, 'a'));
  dir_.createFile("src/sub/two.txt", "two");
  ASSERT_EQ(runProgram({"/bin/sh", "-c", "cd '" + dir_.path() + "/src' && zip -q -r ../real.zip ."}).status, 0);
  const std::string text = scan_test::scanFolder(dir_.path());
  EXPECT_NE(text.find("\r\n\"one.txt\" 5000 "), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n + \"sub\" 0 0 "), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n\"two.txt\" 3 "), std::string::npos) << text;
}

} // namespace
