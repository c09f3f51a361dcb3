// tavlor ls and tavlor properties, and the round trip through tavlor catalog: what the
// scanner writes loads back into exactly the tree it describes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "model/catalog_loader.h"
#include "model_test_helpers.h"
#include "test_support.h"
#include "zip_builder.h"

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

TEST_F(Commands, FoldersDifferingInCaseOnlyAreAllListedAndCounted) {
  TempDir src;
  src.createFile("Photos/a.txt", "1");
  src.createFile("photos/b.txt", "22");
  src.createFile("x/c.txt", "333");
  src.createDir("X");
  src.createFile("x\\y/d.txt", "4444");
  testing_support::ZipBuilder().add("In/m.txt", "55555").add("in/n.txt", "666666").writeTo(src / "arch.zip");
  const std::string catalog = catalogs_ / "CASE.zar";
  const auto scanned = run({"catalog", "--label", "CASE", "--out", catalog, src.path()});
  ASSERT_EQ(scanned.status, 0) << scanned.err;

  const auto disk = run({"ls", "--no-commas", catalog, "CASE"});
  ASSERT_EQ(disk.status, 0) << disk.err;
  std::vector<std::string> names;
  for (std::size_t at = disk.out.find('\n') + 1; at < disk.out.size(); at = disk.out.find('\n', at) + 1)
    names.push_back(disk.out.substr(at, disk.out.find('\t', at) - at));
  std::sort(names.begin(), names.end()); // twins stand in the order the folder was read
  EXPECT_EQ(names, (std::vector<std::string>{"Photos", "X", "arch.zip", "photos", "x", "x\\y"})) << disk.out;
  EXPECT_NE(disk.out.find("\nPhotos\t1\t"), std::string::npos) << disk.out;
  EXPECT_NE(disk.out.find("\nphotos\t2\t"), std::string::npos) << disk.out;
  EXPECT_EQ(run({"ls", catalog, "CASE/x\\y"}).out.substr(0, 20), "Name\tSize\tDate\nd.txt");
  const auto zip = run({"ls", catalog, "CASE/arch.zip"});
  EXPECT_EQ(zip.out.substr(0, 20), "Name\tSize\tDate\nIn\t5\t") << zip.out;
  EXPECT_NE(zip.out.find("\nin\t6\t"), std::string::npos) << zip.out;

  // Loaded twice, the disk is there once (the summary counts it as a folder): a reload
  // still replaces it.
  for (const auto &[args, contains] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"properties", catalog, "CASE"}, "Contains: 6 Files, 7 Folders, 1 Zip Folders\n"},
           {{"properties", catalog, catalog}, "Contains: 6 Files, 8 Folders, 1 Zip Folders\n"}}) {
    const auto properties = run(args);
    EXPECT_EQ(properties.status, 0) << properties.err;
    EXPECT_NE(properties.out.find(contains), std::string::npos) << properties.out;
  }
}

TEST_F(Commands, AFifoInTheCatalogsFolderIsSkipped) {
  ASSERT_EQ(::mkfifo((catalogs_ / "evil.zar").c_str(), 0600), 0);
  const auto listed = run({"ls", "--catalogs", catalogs_.path()});
  EXPECT_EQ(listed.status, 1);
  EXPECT_NE(listed.err.find("evil.zar\nIt is not a regular file"), std::string::npos) << listed.err;
  EXPECT_NE(listed.out.find("\nOTHER\t"), std::string::npos) << listed.out;
}
