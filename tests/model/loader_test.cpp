#include <gtest/gtest.h>

#include <algorithm>

#include "model/catalog_loader.h"
#include "model_test_helpers.h"
#include "test_support.h"

using namespace tavlor;
using namespace model_tests;

namespace {

NodeKind diskKindOf(const std::string &text) {
  CatalogModel model;
  RecordingReporter reporter;
  EXPECT_EQ(load(model, text, reporter).status, LoadStatus::Loaded);
  auto disks = model.entriesOf(model.root());
  return disks.empty() ? NodeKind::File : disks[0]->kind();
}

} // namespace

TEST(Loader, ExampleCatalogBuildsTreeAndStore) {
  CatalogModel model;
  RecordingReporter reporter;
  const LoadResult result = load(model, exampleCatalog(), reporter);
  ASSERT_EQ(result.status, LoadStatus::Loaded);
  EXPECT_TRUE(reporter.boxes.empty());

  const ItemId root = model.root();
  EXPECT_EQ(model.label(root), "My Removable Disk Drive");
  EXPECT_EQ(model.icon(root), 4);
  ASSERT_EQ(childLabels(model, root), std::vector<std::string>{"BACKUP1"});
  const ItemId disk = result.disk;
  EXPECT_EQ(model.childrenOf(root)[0], disk);

  const FileData *diskEntry = model.lookupEntry(root, "backup1");
  ASSERT_NE(diskEntry, nullptr);
  EXPECT_EQ(diskEntry->kind(), NodeKind::RemovableDisk);
  EXPECT_EQ(diskEntry->size(), 1457664);
  EXPECT_EQ(diskEntry->freeSpace(), 1000448);
  EXPECT_EQ(diskEntry->date(), testing_support::localTime(24, 12, 1999, 10, 30, 0));
  EXPECT_EQ(model.findOwnItem(*diskEntry), disk);

  // Files are entries only; the tree holds the folders and the Zip Folder.
  EXPECT_EQ(childLabels(model, disk), (std::vector<std::string>{"docs", "pics.zip"}));
  EXPECT_EQ(entryNames(model, disk), (std::vector<std::string>{"docs", "pics.zip", "readme.txt"}));
  const ItemId pics = model.findChild(disk, "pics.zip", false);
  EXPECT_EQ(model.icon(pics), 2);
  EXPECT_EQ(model.selectedIcon(pics), 12);
  EXPECT_EQ(model.selectedIcon(model.findChild(disk, "docs", false)), 11);
  EXPECT_EQ(model.lookupEntry(disk, "PICS.ZIP")->kind(), NodeKind::ZipFolder);
  EXPECT_EQ(entryNames(model, pics), (std::vector<std::string>{"2019", "cover.gif"}));

  const ItemId y2019 = model.findChild(pics, "2019", false);
  const FileData *gif = model.lookupEntry(y2019, "a.gif");
  ASSERT_NE(gif, nullptr);
  EXPECT_EQ(gif->size(), 2100);
  EXPECT_EQ(model.folderPath(*gif), "BACKUP1/pics.zip/2019");
  std::string zip;
  EXPECT_TRUE(model.zipFilePath(*gif, zip));
  EXPECT_EQ(zip, "BACKUP1/pics.zip");
  EXPECT_FALSE(model.zipFilePath(*model.lookupEntry(disk, "pics.zip"), zip));
  EXPECT_EQ(zip, "");
  EXPECT_EQ(model.folderPath(*diskEntry), "");
  EXPECT_EQ(model.entryCount(), 8u);
}

TEST(Loader, VersionsAndDriveTypes) {
  EXPECT_EQ(diskKindOf("zar_version_1_0\n + \"OLD\" 1 0 1 1 2000 0 0 0\n < \n > \n"), NodeKind::RemovableDisk);
  EXPECT_EQ(diskKindOf(diskCatalog("D", "", "fixed")), NodeKind::FixedDisk);
  EXPECT_EQ(diskKindOf(diskCatalog("D", "", "cdrom")), NodeKind::CdRom);
  EXPECT_EQ(diskKindOf(diskCatalog("D", "", "removable")), NodeKind::RemovableDrive);
  EXPECT_EQ(diskKindOf(diskCatalog("D", "", "Fixed")), NodeKind::RemovableDisk); // case-sensitive
  // A header without drivetype, and another keyword pair before the drive type.
  EXPECT_EQ(diskKindOf("zar_version_1_1\n< \n> \n + \"D\" 1 0 1 1 2000 0 0 0\n < \n > \n"), NodeKind::RemovableDisk);
  EXPECT_EQ(diskKindOf("zar_version_1_1\n< \n   %volume 7\n   %drivetype cdrom\n> \n + \"D\" 1 0 1 1 2000 0 0 0\n"),
            NodeKind::CdRom);
}

TEST(Loader, RejectsUnknownVersionAndLoadsNothingWithoutHeaderBlock) {
  CatalogModel model;
  RecordingReporter reporter;
  EXPECT_EQ(load(model, "zar_version_2_0\n + \"D\" 1 0 1 1 2000 0 0 0\n", reporter, "/c/D.zar").status,
            LoadStatus::Rejected);
  ASSERT_EQ(reporter.boxes.size(), 1u);
  EXPECT_EQ(reporter.boxes[0].caption, "Please re-catalog this disk");
  EXPECT_EQ(reporter.boxes[0].text, "Cannot read /c/D.zar\nThe file is not compatible with this version of Tavlor,"
                                    "\nwhich requires *.zar files with version id: zar_version_1_1"
                                    "\n\nTo proceed, please re-catalog this disk, i.e. File->Catalog New Disk ...\n");
  // A 1.1 file whose header block is missing consumes the "+" as the block's opener.
  EXPECT_EQ(load(model, "zar_version_1_1\n + \"D\" 1 0 1 1 2000 0 0 0\n < \n > \n", reporter).status,
            LoadStatus::NoFolder);
  EXPECT_EQ(loadCatalog(model, "/nonexistent/x.zar", reporter).status, LoadStatus::Rejected);
  EXPECT_EQ(reporter.boxes.size(), 2u);
  EXPECT_TRUE(model.childrenOf(model.root()).empty());
  EXPECT_EQ(model.entryCount(), 0u);
}

TEST(Loader, ZipFolderNames) {
  EXPECT_TRUE(isZipFolderName("ARCHIVE.ZIP"));
  EXPECT_TRUE(isZipFolderName("photos.zip"));
  EXPECT_FALSE(isZipFolderName("a.Zip"));
  EXPECT_FALSE(isZipFolderName("x.zip.zip"));
  EXPECT_FALSE(isZipFolderName("a.zip.ZIP"));
  EXPECT_FALSE(isZipFolderName(".zip"));
  EXPECT_FALSE(isZipFolderName("a.ZIP.ZIP"));
  CatalogModel model;
  RecordingReporter reporter;
  load(model,
       diskCatalog("D", " + \"x.zip.zip\" 10 0 1 1 2000 0 0 0\n<\n>\n + \"ARCHIVE.ZIP\" 10 0 1 1 2000 0 0 0\n<\n>\n"),
       reporter);
  const ItemId disk = model.childrenOf(model.root())[0];
  EXPECT_EQ(model.lookupEntry(disk, "x.zip.zip")->kind(), NodeKind::Folder);
  EXPECT_EQ(model.lookupEntry(disk, "ARCHIVE.ZIP")->kind(), NodeKind::ZipFolder);
}

// Only a Zip Folder above an entry makes it a member of a ZIP file, never ".zip"
// somewhere in the text of its path.
TEST(Loader, ZipFilePathIsTheOutermostZipFolderAbove) {
  CatalogModel model;
  RecordingReporter reporter;
  const std::string f = "\"f\" 1 1 1 2000 0 0 0\n";
  load(model,
       diskCatalog("OLD.ZIP", " + \"x.zipper\" 0 0 1 1 2000 0 0 0\n<\n" + f + " + \"in.zip\" 0 0 1 1 2000 0 0 0\n<\n" +
                                  " + \"sub\" 0 0 1 1 2000 0 0 0\n<\n" + f + ">\n>\n>\n" +
                                  " + \"x.zip.zip\" 0 0 1 1 2000 0 0 0\n<\n" + f + ">\n" + f),
       reporter);
  struct Case {
    const char *folder, *zip;
  } cases[] = {{"OLD.ZIP", ""},
               {"OLD.ZIP/x.zipper", ""},
               {"OLD.ZIP/x.zip.zip", ""},
               {"OLD.ZIP/x.zipper/in.zip/sub", "OLD.ZIP/x.zipper/in.zip"}};
  for (const Case &c : cases) {
    const FileData *entry = model.lookupEntry(model.findItemByPath(c.folder), "f");
    ASSERT_NE(entry, nullptr) << c.folder;
    std::string zip;
    EXPECT_EQ(model.zipFilePath(*entry, zip), *c.zip != 0) << c.folder;
    EXPECT_EQ(zip, c.zip) << c.folder;
  }
}

TEST(Loader, QuotedNamesLoseLeadingAndRepeatedBlanks) {
  CatalogModel model;
  RecordingReporter reporter;
  load(model,
       diskCatalog("D", " \"  two   words\" 1 1 1 2000 0 0 0\n \"tail  \" 2 1 1 2000 0 0 0\n \"\" 3 1 1 2000 0 0 0\n"
                        " \"tab\there\" 4 1 1 2000 0 0 0\n"),
       reporter);
  const ItemId disk = model.childrenOf(model.root())[0];
  EXPECT_EQ(entryNames(model, disk), (std::vector<std::string>{"two words", "tail ", "", "tab here"}));
}

TEST(Loader, LateDatesBecomeTheDefaultDate) {
  CatalogModel model;
  RecordingReporter reporter;
  load(model,
       diskCatalog("D", " + \"future\" 0 0 1 1 2050 0 0 0\n < \n"
                        " \"late.txt\" 1 7 3 2040 10 0 0\n \"default.txt\" 1 5 2 2036 15 0 0\n"
                        " \"ok.txt\" 1 31 12 2035 23 59 59\n > \n"),
       reporter);
  const time_t defaultDate = testing_support::localTime(5, 2, 2036, 0, 0, 0);
  const ItemId future = model.findItemByPath("D/future");
  ASSERT_NE(future, kNoItem);
  EXPECT_EQ(model.lookupEntry(model.parentOf(future), "future")->date(), defaultDate); // folders: no box
  EXPECT_EQ(model.lookupEntry(future, "late.txt")->date(), defaultDate);
  EXPECT_EQ(model.lookupEntry(future, "default.txt")->date(), defaultDate);
  EXPECT_EQ(model.lookupEntry(future, "ok.txt")->date(), testing_support::localTime(31, 12, 2035, 23, 59, 59));
  ASSERT_EQ(reporter.boxes.size(), 1u);
  EXPECT_EQ(reporter.boxes[0].caption, "Warning: file date invalid");
  EXPECT_EQ(reporter.boxes[0].text, "The file D/future/late.txt has invalid date information.\n"
                                    "A default date will be presented: Feb 5, 2036\n\n"
                                    "You may re-catalog the disk to eliminate this message.\n\n"
                                    "Press OK to continue");
}

TEST(Loader, DatesMatchMktimeAcrossTheYear) {
  // The loader's per-day shortcut must give what mktime gives, daylight saving included.
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  std::string body;
  for (int month = 1; month <= 12; ++month) {
    for (int hour : {0, 1, 2, 3, 12, 23}) {
      body += " \"f" + std::to_string(month) + "_" + std::to_string(hour) + "\" 1 " +
              std::to_string(month == 3 || month == 10 ? 27 : 15) + " " + std::to_string(month) + " 2024 " +
              std::to_string(hour) + " 30 0\n";
    }
  }
  CatalogModel model;
  RecordingReporter reporter;
  load(model, diskCatalog("D", body), reporter);
  for (const FileData *e : model.entriesOf(model.childrenOf(model.root())[0])) {
    int month = 0, hour = 0;
    std::sscanf(std::string(e->name()).c_str(), "f%d_%d", &month, &hour);
    EXPECT_EQ(e->date(), testing_support::localTime(month == 3 || month == 10 ? 27 : 15, month, 2024, hour, 30, 0))
        << e->name();
  }
  unsetenv("TZ");
  tzset();
}

TEST(Loader, DateFieldsOfEveryWidthAndPlacement) {
  // Fields are read eight bytes at a time where the text allows: every width, leading
  // zeros, other blanks, and a record at the very end of the text must read alike.
  struct Case {
    const char *fields;
    int day, month, year, hour, minute, second;
  } cases[] = {
      {"1 2 2003 4 5 6", 1, 2, 2003, 4, 5, 6},
      {"01 02 2003 04 05 06", 1, 2, 2003, 4, 5, 6},
      {"0000031 0000012 0002003 23 59 59", 31, 12, 2003, 23, 59, 59},
      {"15\t6\t1999\t12\t0\t0", 15, 6, 1999, 12, 0, 0},
      {"15 6 1999\r\n 12 0 0", 15, 6, 1999, 12, 0, 0},
      {"000000015 6 1999 12 0 0", 15, 6, 1999, 12, 0, 0}, // nine digits: the general reading
  };
  for (const Case &c : cases) {
    const std::string fields = c.fields;
    for (bool last : {false, true}) {
      SCOPED_TRACE(std::string(c.fields) + (last ? " at the end" : ""));
      // At the end the record is the text's last bytes: no closing marks follow it.
      const std::string text = last ? "zar_version_1_0 + \"D\" 0 0 1 1 2000 0 0 0 < \"f\" 7 " + fields
                                    : diskCatalog("D", " \"f\" 7 " + fields + "\r\n");
      CatalogModel model;
      RecordingReporter reporter;
      load(model, text, reporter);
      const auto disks = model.childrenOf(model.root());
      ASSERT_EQ(disks.size(), 1u);
      const FileData *f = model.lookupEntry(disks[0], "f");
      ASSERT_NE(f, nullptr);
      EXPECT_EQ(f->date(), testing_support::localTime(c.day, c.month, c.year, c.hour, c.minute, c.second));
    }
  }
}

TEST(Loader, SizesAreUnsigned64Bit) {
  CatalogModel model;
  RecordingReporter reporter;
  load(model,
       diskCatalog("D", " \"big\" 3000000000 1 1 2000 0 0 0\n \"huge\" 5000000000 1 1 2000 0 0 0\n"
                        " \"over\" 99999999999999999999999 1 1 2000 0 0 0\n"),
       reporter);
  const ItemId disk = model.childrenOf(model.root())[0];
  EXPECT_EQ(model.lookupEntry(disk, "big")->size(), 3000000000LL);
  EXPECT_EQ(model.lookupEntry(disk, "huge")->size(), 5000000000LL);
  EXPECT_EQ(model.lookupEntry(disk, "over")->size(), INT64_MAX);
  EXPECT_EQ(model.sizeText(*model.lookupEntry(disk, "big")), "3,000,000,000");
}

TEST(Loader, ReloadReplacesTheDiskEvenWhenItsCaseDiffers) {
  CatalogModel model;
  RecordingReporter reporter;
  const ItemId first = load(model, exampleCatalog("BACKUP1"), reporter).disk;
  const ItemId firstDocs = model.findItemByPath("BACKUP1/docs");
  load(model, exampleCatalog("BACKUP1"), reporter);
  const ItemId third = load(model, exampleCatalog("backup1"), reporter).disk;
  load(model, exampleCatalog("OTHER"), reporter);
  EXPECT_EQ(childLabels(model, model.root()), (std::vector<std::string>{"backup1", "OTHER"}));
  EXPECT_EQ(entryNames(model, model.root()), (std::vector<std::string>{"backup1", "OTHER"}));
  EXPECT_FALSE(model.isValid(first));
  EXPECT_FALSE(model.isValid(firstDocs));
  EXPECT_TRUE(model.isValid(third));
  EXPECT_EQ(model.entryCount(), 16u);
  EXPECT_EQ(model_tests::reachableEntries(model), 16u);
}

TEST(Loader, DuplicateFolderInOneCatalogKeepsTheLastOne) {
  CatalogModel model;
  RecordingReporter reporter;
  load(model,
       diskCatalog("D", " + \"SUB\" 0 0 1 1 2000 0 0 0\n < \n \"a\" 1 1 1 2000 0 0 0\n > \n"
                        " + \"SUB\" 0 0 1 1 2000 0 0 0\n < \n \"b\" 2 1 1 2000 0 0 0\n > \n"),
       reporter);
  const ItemId disk = model.childrenOf(model.root())[0];
  EXPECT_EQ(childLabels(model, disk), std::vector<std::string>{"SUB"});
  EXPECT_EQ(entryNames(model, disk), std::vector<std::string>{"SUB"});
  EXPECT_EQ(entryNames(model, model.findChild(disk, "SUB", false)), std::vector<std::string>{"b"});
  EXPECT_EQ(model.entryCount(), 3u);
}

TEST(Loader, ChildrenSortedIgnoringCase) {
  CatalogModel model;
  RecordingReporter reporter;
  load(model,
       diskCatalog("D", " + \"beta\" 0 0 1 1 2000 0 0 0\n < \n > \n + \"Alpha\" 0 0 1 1 2000 0 0 0\n < \n > \n"
                        " + \"_x\" 0 0 1 1 2000 0 0 0\n < \n > \n + \"gamma\" 0 0 1 1 2000 0 0 0\n"),
       reporter);
  load(model, diskCatalog("ant", ""), reporter);
  load(model, diskCatalog("Zed", ""), reporter);
  const ItemId d = model.findItemByPath("D");
  // "_" (0x5F) sorts after the folded upper-case letters.
  EXPECT_EQ(childLabels(model, d), (std::vector<std::string>{"Alpha", "beta", "gamma", "_x"}));
  EXPECT_EQ(childLabels(model, model.root()), (std::vector<std::string>{"ant", "D", "Zed"}));
}

// The program paints its windows in the loader's progress calls: they must come
// throughout a large file, and the disk being read must not be in the tree yet.
TEST(Loader, ProgressComesThroughoutTheFileBeforeTheDiskIsJoined) {
  struct ProgressReporter : RecordingReporter {
    CatalogModel *model = nullptr;
    std::vector<std::size_t> offsets;
    std::size_t total = 0, disksSeen = 0;
    void progress(std::size_t done, std::size_t size) override {
      offsets.push_back(done);
      total = size;
      disksSeen += model->childrenOf(model->root()).size();
    }
  };
  std::string body;
  for (int i = 0; body.size() < (2u << 20); ++i)
    body += " \"file" + std::to_string(i) + ".txt\" 1234 1 2 2001 10 20 30\n";
  const std::string text = diskCatalog("BIG", body);
  CatalogModel model;
  ProgressReporter reporter;
  reporter.model = &model;
  ASSERT_EQ(load(model, text, reporter).status, LoadStatus::Loaded);
  EXPECT_EQ(reporter.total, text.size());
  ASSERT_GE(reporter.offsets.size(), 8u);
  EXPECT_TRUE(std::is_sorted(reporter.offsets.begin(), reporter.offsets.end()));
  EXPECT_GT(reporter.offsets.back(), text.size() - (512u << 10));
  EXPECT_EQ(reporter.disksSeen, 0u);
  EXPECT_EQ(model.childrenOf(model.root()).size(), 1u);
}
