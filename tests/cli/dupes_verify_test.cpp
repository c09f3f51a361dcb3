#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "Tavscan60.h"
#include "test_support.h"
#include "zip_builder.h"

using testing_support::runProgram;
using testing_support::TempDir;

namespace {

using Sets = std::vector<std::vector<std::string>>; // "path/name" of each member

// The sets of a Duplicate Files report section: "--->" opens a set, each entry line
// ends in its name and folder path (no blanks in the names used here).
Sets setsOf(const std::string &report, const std::string &opener = "--->") {
  Sets sets;
  std::istringstream in(report);
  std::string line;
  bool inSet = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(opener, 0) == 0) {
      sets.emplace_back();
      inSet = true;
    } else if (line.empty() || line[0] == '-') {
      inSet = false;
    } else if (inSet) {
      std::istringstream fields(line);
      std::vector<std::string> words;
      for (std::string w; fields >> w;)
        words.push_back(w);
      sets.back().push_back(words[words.size() - 1] + "/" + words[words.size() - 2]);
    }
  }
  return sets;
}

// Three cataloged disks whose files are changed after cataloguing, as a disk is used
// after its catalog was made; C is never mounted.
TEST(DupesVerify, SetsAreSplitByContentAndEveryFileThatCannotBeReadIsNamed) {
  TempDir dir;
  const std::string big(2 * 1024 * 1024 + 12345, 'b'); // more than one chunk
  std::string bigOther = big;
  bigOther.back() = 'c';
  dir.createFile("media/A/a/report.txt", "same content");
  dir.createFile("media/A/b/report.txt", "same content");
  dir.createFile("media/A/c/report.txt", "same contenX");
  dir.createFile("media/A/big.bin", big);
  dir.createFile("media/B/big.bin", big);
  dir.createFile("media/B/copy/big.bin", bigOther);
  dir.createFile("media/A/x/notes.txt", "notes");
  dir.createFile("media/B/notes.txt", "notes");
  dir.createFile("media/A/grown.txt", "grown");
  dir.createFile("media/B/grown.txt", "grown");
  testing_support::ZipBuilder().add("in/zipped.txt", "zipped!").writeTo(dir / "media/A/arch.zip");
  dir.createFile("media/B/zipped.txt", "zipped!");
  dir.createFile("media/A/far.txt", "far");
  dir.createFile("media/C/far.txt", "far");
  dir.createDir("catalogs");
  for (const std::string label : {"A", "B", "C"})
    ASSERT_EQ(catalogVolume((dir / ("media/" + label)).c_str(), label.c_str(),
                            (dir / ("catalogs/" + label + ".zar")).c_str(), 1, 1, 2020, 0, 0, 0, nullptr, nullptr),
              kTavscanCatalogOk);

  // A link planted in place of a cataloged file leads off the disk; a file grew.
  const std::string outside = dir.createFile("outside/notes.txt", "notes");
  ASSERT_EQ(::unlink((dir / "media/A/x/notes.txt").c_str()), 0);
  ASSERT_EQ(::symlink(outside.c_str(), (dir / "media/A/x/notes.txt").c_str()), 0);
  testing_support::writeFile(dir / "media/B/grown.txt", "grown more");

  const std::string scratch = dir.createDir("tmp");
  ::chmod(scratch.c_str(), 0700);
  const std::string table = dir / "volumes.tab";
  testing_support::writeFile(table, dir / "media/A" + "\tA\tremovable\n" + dir / "media/B" + "\tB\tremovable\n");
  const auto result = runProgram(
      {TAVLOR_CLI_PATH, "dupes", "--catalogs", dir / "catalogs", "--names", "--sizes", "--unit", "byte", "--verify"},
      {"TAVLOR_VOLUME_TABLE=" + table, "TEMP=" + scratch});
  EXPECT_EQ(result.status, 1) << result.err;

  const std::size_t unverifiedAt = result.out.find(" Unverified sets");
  ASSERT_NE(unverifiedAt, std::string::npos) << result.out;
  EXPECT_EQ(setsOf(result.out.substr(0, unverifiedAt)), (Sets{{"A/big.bin", "B/big.bin"},
                                                              {"A/a/report.txt", "A/b/report.txt"},
                                                              {"A/arch.zip/in/zipped.txt", "B/zipped.txt"}}))
      << result.out;
  EXPECT_EQ(setsOf(result.out.substr(unverifiedAt), "---> insert C"), (Sets{{"A/far.txt", "C/far.txt"}})) << result.out;

  // Each file read once, and only as far as another one still matched it: the three
  // big files and three reports to their ends, the ZIP member and its copy; the
  // lone readable notes.txt and grown.txt not at all.
  const std::uint64_t read = 3 * big.size() + 3 * 12 + 2 * 7;
  const std::string summary = " Verified by content: 5 sets checked, 3 duplicate sets, 1 set unverified, "
                              "2 files unreadable, " +
                              std::to_string(read) + " bytes read.\r\n";
  EXPECT_EQ(result.out.substr(result.out.size() - std::min(result.out.size(), summary.size())), summary) << result.out;

  for (const char *named : {"not verified: A/x/notes.txt: a symbolic link to a place outside the disk, not followed",
                            "not verified: B/grown.txt: its size changed (5 bytes cataloged, 10 bytes now)",
                            "disk C is not mounted; insert it to verify the sets it holds"})
    EXPECT_NE(result.err.find(named), std::string::npos) << named << "\n" << result.err;
  EXPECT_EQ(result.err.find("%"), std::string::npos) << "progress shown without a terminal: " << result.err;

  // The member extracted to be read is gone again.
  EXPECT_TRUE(std::filesystem::is_empty(scratch)) << scratch;
}

} // namespace
