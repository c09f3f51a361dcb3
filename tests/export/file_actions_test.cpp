#include <sys/stat.h>

#include <filesystem>

#include "export/disk_locator.h"
#include "export/drag_files.h"
#include "export/file_actions.h"
#include "export/platform_desktop.h"
#include "export_fixture.h"

namespace export_tests {
namespace {

using namespace testing_support;

bool exists(const std::string &path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

TEST_F(DiskTest, TheDiskIsFoundByItsExactLabelOnly) {
  // The folder of the disk so labelled, or "none".
  const auto drive = [](const std::string &label) {
    std::string found;
    return tavlor::findDriveByLabel(label, found) ? found : "none";
  };
  dir_.createDir("media/other");
  offer({{"media/other", "data"}, {"media/DATA", "DATA"}});
  EXPECT_EQ(drive("DATA"), root_);
  EXPECT_EQ(drive("data"), dir_ / "media/other");
  offer({{"media/other", "data"}});
  EXPECT_EQ(drive("DATA"), "none");
  EXPECT_EQ(drive("Data"), "none");
}

TEST_F(DiskTest, ThePromptRepeatsUntilTheDiskIsInsertedOrCancelled) {
  offer({});
  ui_.answers = {true, true};
  ui_.onPrompt = [this](std::size_t n) {
    if (n == 2) offer({{"media/DATA", "DATA"}}); // inserted before the second Retry
  };
  std::string label, drive, rest;
  ASSERT_TRUE(tavlor::locateDisk("DATA/docs/a.txt", label, drive, rest, ui_));
  EXPECT_EQ(ui_.prompts, std::vector<std::string>(2, "Disk labeled DATA was not found."));
  EXPECT_EQ(tavlor::resolvedPath(drive, rest), root_ + "/docs/a.txt");

  offer({});
  ui_.onPrompt = nullptr;
  ui_.prompts.clear();
  ui_.answers = {true, false};
  EXPECT_FALSE(tavlor::locateDisk("DATA", label, drive, rest, ui_));
  EXPECT_EQ(ui_.prompts.size(), 2u);
  // A cancelled copy writes nothing and says nothing more.
  const std::string out = dir_.createDir("out");
  EXPECT_FALSE(copy("DATA/docs/a.txt", out, true, true));
  EXPECT_TRUE(std::filesystem::is_empty(out));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DiskTest, CopiesFromDiskNeverReplaceAFileAndZipMembersFollowTheOverwriteSwitches) {
  const std::string out = dir_.createDir("out");
  const time_t diskDate = localTime(1, 2, 2005, 12, 0, 0);
  const time_t memberDate = localTime(3, 4, 2010, 10, 0, 0);
  // Offset: of the existing target's time against the entry's date.
  const struct {
    const char *what;
    long offset;
    bool newer, older, diskCopied, memberReplaced;
  } cases[] = {
      {"older target, no switch", -86400, false, false, false, false},
      {"older target, overwrite older", -86400, false, true, false, true},
      {"newer target, overwrite older", 86400, false, true, false, false},
      {"newer target, overwrite newer", 86400, true, false, false, true},
      {"same time, no switch", 0, false, false, false, true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    writeFile(out + "/a.txt", "old");
    setModificationTime(out + "/a.txt", diskDate + c.offset);
    EXPECT_EQ(copy("DATA/docs/a.txt", out, c.newer, c.older), c.diskCopied);
    EXPECT_EQ(readFile(out + "/a.txt"), "old");
    writeFile(out + "/top.txt", "old");
    setModificationTime(out + "/top.txt", memberDate + c.offset);
    EXPECT_EQ(copy("DATA/arch.zip/top.txt", out, c.newer, c.older), c.memberReplaced);
    EXPECT_EQ(readFile(out + "/top.txt"), c.memberReplaced ? "top" : "old");
  }
  std::filesystem::remove(out + "/a.txt");
  EXPECT_TRUE(copy("DATA/docs/a.txt", out));
  EXPECT_EQ(readFile(out + "/a.txt"), "alpha");
  struct stat st {};
  ::stat((out + "/a.txt").c_str(), &st);
  EXPECT_EQ(st.st_mtime, diskDate);
}

TEST_F(DiskTest, ACopyOfAReadOnlyFileIsWritableAndFoldersCopyAsTrees) {
  ::chmod((root_ + "/my notes.txt").c_str(), 0444);
  const std::string out = dir_.createDir("out");
  ASSERT_TRUE(copy("DATA/my notes.txt", out));
  struct stat st {};
  ASSERT_EQ(::stat((out + "/my notes.txt").c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IWUSR);
  EXPECT_TRUE(copy("DATA/my notes.txt", out + "/new/folder"));
  EXPECT_EQ(readFile(out + "/new/folder/my notes.txt"), "notes");
  EXPECT_TRUE(copy("DATA/docs", out));
  EXPECT_EQ(readFile(out + "/docs/a.txt"), "alpha");
  EXPECT_EQ(readFile(out + "/docs/top.txt"), "top on disk");
  // A Zip Folder is copied as its ZIP file.
  EXPECT_TRUE(copy("DATA/second.zip", out));
  EXPECT_EQ(readFile(out + "/second.zip"), readFile(root_ + "/second.zip"));
}

TEST_F(DiskTest, OpeningAMemberTwiceExtractsItAgainAndRecordsItOnce) {
  const std::string temp = dir_ / "temp/readme.txt";
  ASSERT_TRUE(launch("DATA/arch.zip/src/readme.txt"));
  writeFile(temp, "changed by the user");
  ASSERT_TRUE(launch("DATA/arch.zip/src/readme.txt"));
  EXPECT_EQ(readFile(temp), "read me");
  EXPECT_EQ(extracted_.paths(), std::set<std::string>{temp});
  ASSERT_EQ(desktop_.launches.size(), 2u);
  EXPECT_EQ(desktop_.launches[1], std::make_pair(std::string(), temp));
  extracted_.deleteAll();
  EXPECT_FALSE(exists(temp));
  EXPECT_TRUE(extracted_.paths().empty());
}

TEST_F(DiskTest, FilesOnDiskAreHandedOverAtTheirMountedPathUnquoted) {
  ASSERT_TRUE(launch("DATA/my notes.txt", tavlor::kTextEditorProgram));
  ASSERT_EQ(desktop_.launches.size(), 1u);
  EXPECT_EQ(desktop_.launches[0], std::make_pair(std::string("notepad.exe"), root_ + "/my notes.txt"));
  EXPECT_TRUE(extracted_.paths().empty());
  // Without a separator the whole path is the rest and the label is empty.
  offer({{"media/DATA", ""}});
  tavlor::launchPath("nothing-else", {}, true, ui_, desktop_);
  EXPECT_EQ(desktop_.launches.back().second, root_);
  EXPECT_TRUE(ui_.prompts.empty());
}

TEST_F(DiskTest, LaunchErrorsAreDecidedBeforeAnythingStarts) {
  tavlor::PlatformDesktop real([](const std::string &) { return std::string("application/x-never-handled"); });
  EXPECT_EQ(real.launch({}, root_ + "/gone.txt"), tavlor::kLaunchFileNotFound);
  EXPECT_EQ(real.launch({}, root_ + "/gone/a.txt"), tavlor::kLaunchPathNotFound);
  EXPECT_EQ(real.launch({}, root_ + "/docs/a.txt"), tavlor::kLaunchNoAssociation);
  EXPECT_EQ(real.launch("no-such-program-anywhere", root_ + "/docs/a.txt"), tavlor::kLaunchFileNotFound);
  tavlor::launchPath("DATA/gone.txt", {}, true, ui_, real);
  EXPECT_EQ(ui_.messages,
            std::vector<std::string>{"File launch failed: " + root_ + "/gone.txt\nThe specified file was not found."});
}

TEST_F(DiskTest, ExtractAllWarnsOnceBeforeOverwritingNewerFilesAndStepsProgress) {
  struct Counter : tavlor::ProgressSink {
    void step() override { ++steps; }
    int steps = 0;
  } progress;
  tavlor::ExtractSettings settings{dir_ / "out", true, true, false};
  const tavlor::FileData &zip = entry("DATA/arch.zip");
  ui_.yes = false;
  EXPECT_EQ(tavlor::extractZipFolder(model_, zip, settings, ui_, &progress), -1);
  EXPECT_FALSE(exists(dir_ / "out"));
  ui_.yes = true;
  EXPECT_EQ(tavlor::extractZipFolder(model_, zip, settings, ui_, &progress), 3);
  EXPECT_EQ(ui_.questions, std::vector<std::string>(2, tavlor::kOverwriteWarningCaption));
  EXPECT_EQ(readFile(dir_ / "out/src/readme.txt"), "read me");
  EXPECT_GT(progress.steps, 0);
  settings.overwriteNewer = false;
  ui_.questions.clear();
  tavlor::extractZipFolder(model_, zip, settings, ui_, nullptr);
  EXPECT_TRUE(ui_.questions.empty());
}

TEST_F(DiskTest, ExtractCopyGivesEachZipFolderItsOwnDialogAndTheRestOne) {
  using Entries = std::vector<const tavlor::FileData *>;
  const Entries selection = {&entry("DATA/arch.zip"), &entry("DATA/docs/a.txt"), &entry("DATA/second.zip"),
                             &entry("DATA/arch.zip/top.txt")};
  const tavlor::ExtractPlan plan = tavlor::planExtract(model_, selection);
  EXPECT_EQ(plan.zipFolders, (Entries{selection[0], selection[2]}));
  EXPECT_EQ(plan.copyList, (Entries{selection[1], selection[3]}));
}

TEST_F(DiskTest, EachDragIsPreparedInAFreshFolderWithExactlyTheDraggedEntries) {
  const std::vector<const tavlor::FileData *> set = tavlor::dragSet(
      {&entry("DATA"), &entry("DATA/docs/top.txt"), &entry("DATA/arch.zip/top.txt"), &entry("DATA/docs/top.txt")});
  ASSERT_EQ(set.size(), 2u); // the disk is never dragged, an entry goes once
  const tavlor::PreparedDrag first = tavlor::prepareDrag(model_, set, ui_);
  ASSERT_EQ(first.paths.size(), 2u);
  EXPECT_EQ(readFile(first.paths[0]), "top on disk");
  EXPECT_EQ(readFile(first.paths[1]), "top");
  EXPECT_EQ(first.folder.rfind(dir_ / "temp/TV60_dd_tmp/", 0), 0u);
  // The target moved the first file away and the user changed the disk's copy: the
  // next drag delivers the disk's file, never an earlier drag's leftover.
  std::filesystem::remove(first.paths[0]);
  writeFile(root_ + "/docs/top.txt", "new text");
  const tavlor::PreparedDrag second = tavlor::prepareDrag(model_, {set[0]}, ui_);
  EXPECT_NE(second.folder, first.folder);
  EXPECT_EQ(readFile(second.paths[0]), "new text");
  EXPECT_TRUE(exists(first.paths[1]));
  // A missing disk that is cancelled leaves its entry listed but not prepared.
  offer({});
  const tavlor::PreparedDrag third = tavlor::prepareDrag(model_, {set[0]}, ui_);
  ASSERT_EQ(third.paths.size(), 1u);
  EXPECT_FALSE(exists(third.paths[0]));
  EXPECT_EQ(ui_.prompts.size(), 1u);
}

} // namespace
} // namespace export_tests
