// tavlor ls and tavlor properties, and the round trip through tavlor catalog: what the
// scanner writes loads back into exactly the tree it describes.
#include <gtest/gtest.h>

#include <filesystem>

#include "model/catalog_loader.h"
#include "model_test_helpers.h"
#include "test_support.h"

using namespace tavlor;
using testing_support::runProgram;
using testing_support::TempDir;

namespace {

class Commands : public ::testing::Test {
protected:
  void SetUp() override {
    config_.createDir("config");
    catalogs_.createFile("BACKUP1.zar", model_tests::exampleCatalog());
    catalogs_.createFile("OTHER.zar", model_tests::diskCatalog("OTHER", " \"b\" 2048 1 1 2000 0 0 0\n"));
    catalogs_.createFile("descr_disks.txt", " <disk> OTHER </disk>  <description> spare  disk </description> \n");
  }
  testing_support::RunResult run(std::vector<std::string> args) {
    args.insert(args.begin(), TAVLOR_CLI_PATH);
    return runProgram(args, {"XDG_CONFIG_HOME=" + config_.path() + "/config", "LC_ALL=C", "TZ=UTC"});
  }
  TempDir config_;
  TempDir catalogs_;
};

} // namespace

TEST_F(Commands, LsListsDisksAndFolders) {
  auto disks = run({"ls", "--catalogs", catalogs_.path()});
  EXPECT_EQ(disks.status, 0) << disks.err;
  EXPECT_EQ(disks.out, "Disk\tTotal Size\tFree Space\tDate Cataloged\tDescription\n"
                       "BACKUP1\t1,457,664\t1,000,448\t12/24/99 10:30:00\t\n"
                       "OTHER\t1,000\t500\t01/01/00 00:00:00\tspare disk\n");
  auto folder = run({"ls", "--catalogs", catalogs_.path(), "--unit", "KB", "BACKUP1/pics.zip"});
  EXPECT_EQ(folder.status, 0) << folder.err;
  EXPECT_EQ(folder.out, "Name\tSize\tDate\n2019\t3KB\t12/21/99 18:02:40\ncover.gif\t4KB\t06/02/99 12:30:00\n");
  // Only the catalog named, without commas.
  auto one = run({"ls", catalogs_ / "OTHER.zar", "--no-commas", "OTHER"});
  EXPECT_EQ(one.out, "Name\tSize\tDate\nb\t2048\t01/01/00 00:00:00\n");
}

TEST_F(Commands, PropertiesOfAnEntryAndOfAllDisks) {
  auto disk = run({"properties", "--catalogs", catalogs_.path(), "BACKUP1"});
  EXPECT_EQ(disk.status, 0) << disk.err;
  EXPECT_EQ(disk.out, "Name: BACKUP1\nType: Removable Disk\nLocation: \nSize: 6,840\n"
                      "Contains: 4 Files, 2 Folders, 1 Zip Folders\nDate: 12/24/99 10:30:00\n"
                      "Count includes files and folders in Zip Folders\n");
  auto file = run({"properties", "--catalogs", catalogs_.path(), "BACKUP1/docs/notes.txt"});
  EXPECT_EQ(file.out, "Name: notes.txt\nType: File\nLocation: BACKUP1/docs\nSize: 1,200\nContains: File Data\n"
                      "Date: 12/20/99 09:05:12\n");
  auto root = run({"properties", "--catalogs", catalogs_.path()});
  EXPECT_NE(root.out.find("Contains: 5 Files, 4 Folders, 1 Zip Folders\n"), std::string::npos) << root.out;
}

TEST_F(Commands, MissingPathsAndUnreadableCatalogsFail) {
  auto missing = run({"ls", "--catalogs", catalogs_.path(), "BACKUP1/nowhere"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("BACKUP1/nowhere is not in the loaded catalogs"), std::string::npos);
  catalogs_.createFile("BROKEN.zar", "not a catalog");
  auto broken = run({"ls", "--catalogs", catalogs_.path()});
  EXPECT_EQ(broken.status, 1);
  EXPECT_NE(broken.err.find("Please re-catalog this disk"), std::string::npos);
  EXPECT_NE(broken.out.find("OTHER"), std::string::npos); // the others still listed
  EXPECT_EQ(run({"properties", "--catalogs", catalogs_ / "none"}).status, 1);
  EXPECT_EQ(run({"ls", "--unit", "GB"}).status, 2);
}

TEST_F(Commands, ScannedCatalogLoadsBackIntoTheTreeItDescribes) {
  namespace fs = std::filesystem;
  TempDir src;
  src.createFile("docs/notes.txt", "hello");
  src.createFile("a b.txt", std::string(3000, 'x'));
  src.createFile("empty", "");
  src.createFile("sub/deeper/x.bin", std::string(1000, '\1'));
  src.createFile("caf\xe9.txt", "latin-1 name");
  src.createDir("nothing");
  TempDir zipInput;
  zipInput.createFile("in/one.txt", "one");
  zipInput.createFile("two.txt", "second");
  const auto zipped =
      runProgram({"/bin/sh", "-c", "cd '" + zipInput.path() + "' && zip -qr '" + src.path() + "/arch.zip' in two.txt"});
  ASSERT_EQ(zipped.status, 0) << zipped.err;
  const std::string catalog = catalogs_ / "RT.zar";
  const auto scanned = run({"catalog", "--label", "RT", "--date", "1 2 2003 4 5 6", "--out", catalog, src.path()});
  if (scanned.status != 0 && scanned.err.find("unknown command") != std::string::npos) GTEST_SKIP() << scanned.err;
  ASSERT_EQ(scanned.status, 0) << scanned.err;

  // The scanner ran with TZ=UTC; local dates must be read back in the same zone.
  setenv("TZ", "UTC", 1);
  tzset();
  CatalogModel model;
  model_tests::RecordingReporter reporter;
  ASSERT_EQ(loadCatalog(model, catalog, reporter).status, LoadStatus::Loaded);
  EXPECT_TRUE(reporter.boxes.empty());
  std::size_t onDisk = 0;
  for (const auto &e : fs::recursive_directory_iterator(src.path())) {
    ++onDisk;
    const std::string path = "RT/" + fs::relative(e.path(), src.path()).string();
    const FileData *entry = model.findEntryByPath(path);
    ASSERT_NE(entry, nullptr) << path;
    EXPECT_EQ(entry->name(), e.path().filename().string());
    if (e.is_directory()) {
      EXPECT_EQ(entry->kind(), NodeKind::Folder) << path;
      EXPECT_NE(model.findOwnItem(*entry), kNoItem) << path;
      continue;
    }
    struct stat st {};
    ::stat(e.path().c_str(), &st);
    EXPECT_EQ(entry->date(), st.st_mtime) << path;
    EXPECT_EQ(entry->size(), static_cast<std::int64_t>(e.file_size())) << path;
  }
  EXPECT_EQ(model.findEntryByPath("RT/arch.zip")->kind(), NodeKind::ZipFolder);
  EXPECT_EQ(model.findEntryByPath("RT/arch.zip/in/one.txt")->size(), 3);
  EXPECT_EQ(model.findEntryByPath("RT/arch.zip/two.txt")->size(), 6);
  const FileData *disk = model.entriesOf(model.root())[0];
  EXPECT_EQ(disk->date(), testing_support::localTime(1, 2, 2003, 4, 5, 6));
  // The disk, what lies on it, and the archive's folder "in" and its two members.
  EXPECT_EQ(model.entryCount(), 1 + onDisk + 3);
  unsetenv("TZ");
  tzset();
}
