#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "Tavscan60.h"
#include "extract_test_helpers.h"
#include "test_support.h"
#include "zip_builder.h"

using testing_support::BoxRecorder;
using testing_support::localTime;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::ZipBuilder;

namespace {

const char kUncompressCaption[] = "Could not uncompress file in Zip file";

class ExtractFromZip : public ::testing::Test {
protected:
  bool extract(const std::string &member, bool useFolderNames = true, bool newer = false, bool older = false,
               size_t outSize = kTavscanPathBufferSize) {
    return extractFromZip(zip.c_str(), member.c_str(), dest.c_str(), useFolderNames, newer, older, out.data(), outSize);
  }
  time_t mtime(const std::string &path) {
    struct stat st = {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mtim.tv_sec;
  }

  TempDir dir;
  BoxRecorder boxes;
  std::string zip = dir / "a.zip";
  std::string dest = dir / "dest";
  std::vector<char> out = std::vector<char>(kTavscanPathBufferSize, '\0');
};

} // namespace

TEST_F(ExtractFromZip, WritesTheMemberWithItsDateBelowItsFoldersOrFlat) {
  ZipBuilder()
      .add("docs/sub/a.txt", "hello", 15, 6, 2020, 10, 20, 30)
      .add("win\\dir\\b.txt", "backslashed", 1, 2, 1999, 3, 4, 6)
      .writeTo(zip);

  ASSERT_TRUE(extract("docs/sub/a.txt"));
  EXPECT_STREQ(out.data(), (dest + "/docs/sub/a.txt").c_str());
  EXPECT_EQ(readFile(out.data()), "hello");
  EXPECT_EQ(mtime(out.data()), localTime(15, 6, 2020, 10, 20, 30));
  int comparison = 7;
  ASSERT_TRUE(CompareFileDateTime(out.data(), 15, 6, 2020, 10, 20, 30, comparison));
  EXPECT_EQ(comparison, 0) << "the member date round-trips through the file time";

  ASSERT_TRUE(extract("win\\dir\\b.txt"));
  EXPECT_STREQ(out.data(), (dest + "/win/dir/b.txt").c_str());
  EXPECT_EQ(readFile(dest + "/win/dir/b.txt"), "backslashed");

  ASSERT_TRUE(extract("docs/sub/a.txt", false));
  EXPECT_STREQ(out.data(), (dest + "/a.txt").c_str());
  ASSERT_TRUE(extract("win\\dir\\b.txt", false));
  EXPECT_STREQ(out.data(), (dest + "/b.txt").c_str());
  EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(ExtractFromZip, OverwriteRuleDecidesByTheExistingFilesDate) {
  ZipBuilder().add("f.txt", "new", 15, 6, 2020, 10, 20, 30).writeTo(zip);
  const time_t member = localTime(15, 6, 2020, 10, 20, 30);
  struct Case {
    time_t existing;
    bool newer, older, replaced;
  };
  const Case cases[] = {
      {member, false, false, true}, // the same date is replaced with both options off
      {member + 86400, false, true, false}, {member + 86400, true, false, true},
      {member - 86400, true, false, false}, {member - 86400, false, true, true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "existing " << (c.existing - member) << " s, newer " << c.newer << ", older "
                                    << c.older);
    const std::string existing = dir.createFile("dest/f.txt", "old");
    testing_support::setModificationTime(existing, c.existing);
    EXPECT_EQ(extract("f.txt", true, c.newer, c.older), c.replaced);
    EXPECT_EQ(readFile(existing), c.replaced ? "new" : "old");
    EXPECT_EQ(mtime(existing), c.replaced ? member : c.existing);
  }
  EXPECT_TRUE(boxes.boxes().empty()) << "a kept file is no error to report";
}

TEST_F(ExtractFromZip, ReadOnlyTargetCountsAsAbsentButIsNeverReplaced) {
  ZipBuilder().add("f.txt", "new", 15, 6, 2020, 10, 20, 30).writeTo(zip);
  const std::string existing = dir.createFile("dest/f.txt", "old");
  testing_support::setModificationTime(existing, localTime(1, 1, 2030, 0, 0, 0));
  ::chmod(existing.c_str(), 0444);
  int comparison = 0;
  EXPECT_FALSE(CompareFileDateTime(existing.c_str(), 15, 6, 2020, 10, 20, 30, comparison));
  // The rule would write, as for a missing file; creating over a read-only file fails
  // silently, whether the caller is root or not.
  EXPECT_FALSE(extract("f.txt", true, true, true));
  EXPECT_EQ(readFile(existing), "old");
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_EQ(extract_test::filesBelow(dest), std::vector<std::string>{"f.txt"});
}

TEST_F(ExtractFromZip, EmptyMemberIsWrittenAsAnEmptyFile) {
  ZipBuilder().add("empty.txt", "").writeTo(zip);
  EXPECT_TRUE(extract("empty.txt"));
  EXPECT_TRUE(boxes.boxes().empty());
  EXPECT_EQ(readFile(dest + "/empty.txt"), "");
}

TEST_F(ExtractFromZip, MissingMembersAndArchives) {
  ZipBuilder().add("docs/a.txt", "a").writeTo(zip);
  EXPECT_FALSE(extract("docs/b.txt"));
  EXPECT_FALSE(extract("DOCS/A.TXT")) << "names match exactly";
  ASSERT_EQ(boxes.boxes().size(), 2u);
  EXPECT_EQ(boxes.boxes()[0].caption, "Could not open file in Zip file");
  EXPECT_EQ(boxes.boxes()[0].text,
            "Could not open zipped file: docs/b.txt\nin Zip file " + zip + "\nYour catalog may be out-of-date.");

  boxes.clear();
  zip = dir / "missing.zip";
  EXPECT_FALSE(extract("docs/a.txt"));
  zip = dir.createFile("garbage.zip", "this is no archive");
  EXPECT_FALSE(extract("docs/a.txt"));
  EXPECT_TRUE(boxes.boxes().empty()) << "an archive that cannot be opened is not reported";
  EXPECT_EQ(out[0], '\0');
}

TEST_F(ExtractFromZip, DatesFrom2036OnOrNamingNoTimeAreReplacedAfterAWarning) {
  ZipBuilder().add("late.txt", "x", 1, 1, 2040, 12, 0, 0).writeTo(zip);
  ASSERT_TRUE(extract("late.txt"));
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].caption, "Warning: file date invalid");
  EXPECT_EQ(boxes.boxes()[0].text, "The file late.txt in " + zip +
                                       " has invalid date information.\nA default date will be assigned: Feb 5, "
                                       "2036\nPress OK to continue");
  EXPECT_EQ(mtime(dest + "/late.txt"), localTime(5, 2, 2036, 0, 0, 0));

  ZipBuilder().add("nodate.txt", "x", 0, 0, 2001, 25, 0, 0).writeTo(zip);
  ASSERT_TRUE(extract("nodate.txt"));
  EXPECT_EQ(boxes.boxes().size(), 2u) << "a date that names no time is warned about too";
  EXPECT_EQ(mtime(dest + "/nodate.txt"), localTime(5, 2, 2036, 0, 0, 0));
}

TEST_F(ExtractFromZip, ResultLongerThanTheBufferIsRefusedBeforeWriting) {
  ZipBuilder().add("folder/name.txt", "x").writeTo(zip);
  const std::string expected = dest + "/folder/name.txt";
  EXPECT_FALSE(extract("folder/name.txt", true, false, false, expected.size()));
  EXPECT_FALSE(std::filesystem::exists(dest + "/folder"));
  EXPECT_EQ(out[0], '\0');
  EXPECT_TRUE(extract("folder/name.txt", true, false, false, expected.size() + 1));
  EXPECT_EQ(std::string(out.data()), expected);
}

TEST_F(ExtractFromZip, FailedWriteKeepsTheExistingCopy) {
  ZipBuilder().add("big.bin", std::string(64 * 1024, 'b'), 15, 6, 2020, 10, 20, 30).writeTo(zip);
  const std::string existing = dir.createFile("dest/big.bin", "old copy");
  testing_support::setModificationTime(existing, localTime(15, 6, 2020, 10, 20, 30));
  // A file size limit makes write() fail part way, as a full disk does.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const struct rlimit limit = {8192, 8192};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(extract("big.bin") ? 1 : boxes.boxes().size() == 1 ? 0 : 2);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "false after one box";
  EXPECT_EQ(readFile(existing), "old copy");
  EXPECT_EQ(extract_test::filesBelow(dest), std::vector<std::string>{"big.bin"});
}
