#include <sys/stat.h>

#include <filesystem>

#include "export/disk_locator.h"
#include "export/drag_files.h"
#include "export/file_actions.h"
#include "export/platform_desktop.h"
#include "export_fixture.h"
#include "model/extracted_files.h"

namespace export_tests {
namespace {

using testing_support::localTime;
using testing_support::readFile;
using testing_support::setModificationTime;
using testing_support::writeFile;

bool exists(const std::string &path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

time_t modified(const std::string &path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mtime;
}

TEST_F(DiskTest, TheDiskIsFoundByItsExactLabelOnly) {
  dir_.createDir("media/other");
  offer({{"media/other", "data"}, {"media/DATA", "DATA"}});
  std::string drive;
  ASSERT_TRUE(tavlor::findDriveByLabel("DATA", drive));
  EXPECT_EQ(drive, root_);
  EXPECT_TRUE(tavlor::findDriveByLabel("data", drive));
  EXPECT_EQ(drive, dir_ / "media/other");
  offer({{"media/other", "data"}});
  EXPECT_FALSE(tavlor::findDriveByLabel("DATA", drive));
  EXPECT_FALSE(tavlor::findDriveByLabel("Data", drive));
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
  EXPECT_FALSE(tavlor::copyEntry(model_, entry("DATA/docs/a.txt"), out, true, true, true, ui_));
  EXPECT_TRUE(std::filesystem::is_empty(out));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(DiskTest, CopiesFromDiskNeverReplaceAFileAndZipMembersFollowTheOverwriteSwitches) {
  const std::string out = dir_.createDir("out");
  const tavlor::FileData &onDisk = entry("DATA/docs/a.txt");
  const tavlor::FileData &member = entry("DATA/arch.zip/top.txt");
  const time_t diskDate = localTime(1, 2, 2005, 12, 0, 0);
  const time_t memberDate = localTime(3, 4, 2010, 10, 0, 0);
  struct Case {
    const char *what;
    long offset; // of the existing target's time against the entry's date
    bool newer, older;
    bool diskCopied, memberReplaced;
  };
  const Case cases[] = {
      {"older target, no switch", -86400, false, false, false, false},
      {"older target, overwrite older", -86400, false, true, false, true},
      {"newer target, overwrite older", 86400, false, true, false, false},
      {"newer target, overwrite newer", 86400, true, false, false, true},
      {"same time, no switch", 0, false, false, false, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    writeFile(out + "/a.txt", "old");
    setModificationTime(out + "/a.txt", diskDate + c.offset);
    EXPECT_EQ(tavlor::copyEntry(model_, onDisk, out, true, c.newer, c.older, ui_), c.diskCopied);
    EXPECT_EQ(readFile(out + "/a.txt"), "old");
    writeFile(out + "/top.txt", "old");
    setModificationTime(out + "/top.txt", memberDate + c.offset);
    EXPECT_EQ(tavlor::copyEntry(model_, member, out, true, c.newer, c.older, ui_), c.memberReplaced);
    EXPECT_EQ(readFile(out + "/top.txt"), c.memberReplaced ? "top" : "old");
  }
  std::filesystem::remove(out + "/a.txt");
  EXPECT_TRUE(tavlor::copyEntry(model_, onDisk, out, true, false, false, ui_));
  EXPECT_EQ(readFile(out + "/a.txt"), "alpha");
  EXPECT_EQ(modified(out + "/a.txt"), diskDate);
}

TEST_F(DiskTest, ACopyOfAReadOnlyFileIsWritableAndFoldersCopyAsTrees) {
  ::chmod((root_ + "/my notes.txt").c_str(), 0444);
  const std::string out = dir_.createDir("out");
  ASSERT_TRUE(tavlor::copyEntry(model_, entry("DATA/my notes.txt"), out, true, false, false, ui_));
  struct stat st {};
  ASSERT_EQ(::stat((out + "/my notes.txt").c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IWUSR);
  EXPECT_TRUE(tavlor::copyEntry(model_, entry("DATA/my notes.txt"), out + "/new/folder", true, false, false, ui_));
  EXPECT_EQ(readFile(out + "/new/folder/my notes.txt"), "notes");
  EXPECT_TRUE(tavlor::copyEntry(model_, entry("DATA/docs"), out, true, false, false, ui_));
  EXPECT_EQ(readFile(out + "/docs/a.txt"), "alpha");
  EXPECT_EQ(readFile(out + "/docs/top.txt"), "top on disk");
  // A Zip Folder is copied as its ZIP file.
  EXPECT_TRUE(tavlor::copyEntry(model_, entry("DATA/second.zip"), out, true, false, false, ui_));
  EXPECT_EQ(readFile(out + "/second.zip"), readFile(root_ + "/second.zip"));
}

TEST_F(DiskTest, OpeningAMemberTwiceExtractsItAgainAndRecordsItOnce) {
  tavlor::ExtractedFiles extracted;
  const tavlor::FileData &member = entry("DATA/arch.zip/src/readme.txt");
  const std::string temp = dir_ / "temp/readme.txt";
  ASSERT_TRUE(tavlor::launchEntry(model_, member, {}, ui_, desktop_, extracted));
  writeFile(temp, "changed by the user");
  ASSERT_TRUE(tavlor::launchEntry(model_, member, {}, ui_, desktop_, extracted));
  EXPECT_EQ(readFile(temp), "read me");
  EXPECT_EQ(extracted.paths(), std::set<std::string>{temp});
  ASSERT_EQ(desktop_.launches.size(), 2u);
  EXPECT_EQ(desktop_.launches[1], std::make_pair(std::string(), temp));
  extracted.deleteAll();
  EXPECT_FALSE(exists(temp));
  EXPECT_TRUE(extracted.paths().empty());
}

TEST_F(DiskTest, FilesOnDiskAreHandedOverAtTheirMountedPathUnquoted) {
  tavlor::ExtractedFiles extracted;
  ASSERT_TRUE(
      tavlor::launchEntry(model_, entry("DATA/my notes.txt"), tavlor::kTextEditorProgram, ui_, desktop_, extracted));
  ASSERT_EQ(desktop_.launches.size(), 1u);
  EXPECT_EQ(desktop_.launches[0], std::make_pair(std::string("notepad.exe"), root_ + "/my notes.txt"));
  EXPECT_TRUE(extracted.paths().empty());
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
  ui_.yes = false;
  EXPECT_EQ(tavlor::extractZipFolder(model_, entry("DATA/arch.zip"), settings, ui_, &progress), -1);
  EXPECT_FALSE(exists(dir_ / "out"));
  ui_.yes = true;
  EXPECT_EQ(tavlor::extractZipFolder(model_, entry("DATA/arch.zip"), settings, ui_, &progress), 3);
  EXPECT_EQ(ui_.questions, std::vector<std::string>(2, tavlor::kOverwriteWarningCaption));
  EXPECT_EQ(readFile(dir_ / "out/src/readme.txt"), "read me");
  EXPECT_GT(progress.steps, 0);
  settings.overwriteNewer = false;
  ui_.questions.clear();
  tavlor::extractZipFolder(model_, entry("DATA/arch.zip"), settings, ui_, nullptr);
  EXPECT_TRUE(ui_.questions.empty());
}

TEST_F(DiskTest, ExtractCopyGivesEachZipFolderItsOwnDialogAndTheRestOne) {
  const tavlor::FileData *selection[] = {&entry("DATA/arch.zip"), &entry("DATA/docs/a.txt"), &entry("DATA/second.zip"),
                                         &entry("DATA/arch.zip/top.txt")};
  tavlor::ExtractPlan plan =
      tavlor::planExtract(model_, std::vector<const tavlor::FileData *>(std::begin(selection), std::end(selection)));
  EXPECT_EQ(plan.zipFolders, (std::vector<const tavlor::FileData *>{selection[0], selection[2]}));
  EXPECT_EQ(plan.copyList, (std::vector<const tavlor::FileData *>{selection[1], selection[3]}));
}

TEST_F(DiskTest, EachDragIsPreparedInAFreshFolderWithExactlyTheDraggedEntries) {
  const tavlor::FileData *disk = model_.findEntryByPath("DATA");
  std::vector<const tavlor::FileData *> set = tavlor::dragSet(
      {disk, &entry("DATA/docs/top.txt"), &entry("DATA/arch.zip/top.txt"), &entry("DATA/docs/top.txt")});
  ASSERT_EQ(set.size(), 2u); // the disk is never dragged, an entry goes once
  tavlor::PreparedDrag first = tavlor::prepareDrag(model_, set, ui_);
  ASSERT_EQ(first.paths.size(), 2u);
  EXPECT_EQ(readFile(first.paths[0]), "top on disk");
  EXPECT_EQ(readFile(first.paths[1]), "top");
  EXPECT_EQ(first.folder.rfind(dir_ / "temp/TV60_dd_tmp/", 0), 0u);
  // The target moved the first file away and the user changed the disk's copy: the
  // next drag delivers the disk's file, never an earlier drag's leftover.
  std::filesystem::remove(first.paths[0]);
  writeFile(root_ + "/docs/top.txt", "new text");
  tavlor::PreparedDrag second = tavlor::prepareDrag(model_, {set[0]}, ui_);
  EXPECT_NE(second.folder, first.folder);
  EXPECT_EQ(readFile(second.paths[0]), "new text");
  EXPECT_TRUE(exists(first.paths[1]));
  // A missing disk that is cancelled leaves its entry listed but not prepared.
  offer({});
  tavlor::PreparedDrag third = tavlor::prepareDrag(model_, {set[0]}, ui_);
  ASSERT_EQ(third.paths.size(), 1u);
  EXPECT_FALSE(exists(third.paths[0]));
  EXPECT_EQ(ui_.prompts.size(), 1u);
}

} // namespace
} // namespace export_tests
