#include <gtest/gtest.h>

#include <set>

#include "model/properties.h"
#include "model_test_helpers.h"
#include "test_support.h"

using namespace tavlor;
using model_tests::diskCatalog;
using model_tests::exampleCatalog;
using model_tests::load;
using model_tests::RecordingReporter;

TEST(ModelTexts, SizeFormatting) {
  CatalogModel model;
  EXPECT_EQ(model.formatSize(1234567), "1,234,567");
  EXPECT_EQ(model.formatSize(123), "123");
  EXPECT_EQ(model.formatSize(0), "0");
  // Every length of the first group of digits, and a sign before them.
  EXPECT_EQ(model.formatSize(1000), "1,000");
  EXPECT_EQ(model.formatSize(12345), "12,345");
  EXPECT_EQ(model.formatSize(123456), "123,456");
  EXPECT_EQ(model.formatSize(-1234567), "-1,234,567");
  EXPECT_EQ(model.formatSize(INT64_MIN), "-9,223,372,036,854,775,808");
  EXPECT_TRUE(model.setSizeUnit("KB"));
  EXPECT_FALSE(model.setSizeUnit("KB"));
  EXPECT_FALSE(model.setSizeUnit("kb")); // unknown: nothing changes
  EXPECT_EQ(model.formatSize(0), "0KB");
  EXPECT_EQ(model.formatSize(1), "1KB");
  EXPECT_EQ(model.formatSize(1024), "1KB");
  EXPECT_EQ(model.formatSize(1025), "2KB");
  EXPECT_TRUE(model.setSizeUnit("MB"));
  EXPECT_EQ(model.formatSize(1048577), "2MB");
  EXPECT_EQ(model.formatSize(INT64_MAX), "8,796,093,022,208MB");
  model.setSizeUnit("byte");
  model.setSizeComma(false, false);
  EXPECT_EQ(model.formatSize(1234567), "1234567");
}

TEST(ModelTexts, CachedSizeTextsFollowUnitChangesOnlyAfterRefresh) {
  CatalogModel model;
  RecordingReporter reporter;
  load(model, exampleCatalog(), reporter);
  struct Counter : ModelObserver {
    int drops = 0;
    void sizeTextsDropped() override { ++drops; }
  } counter;
  model.addObserver(&counter);
  const FileData &disk = *model.entriesOf(model.root())[0];
  EXPECT_EQ(model.sizeText(disk), "1,457,664");
  EXPECT_EQ(model.freeSpaceText(disk), "1,000,448");
  model.setSizeUnit("KB");
  EXPECT_EQ(model.sizeText(disk), "1,457,664"); // still cached
  model.refreshSizeTexts();
  EXPECT_EQ(model.sizeText(disk), "1,424KB");
  EXPECT_EQ(model.freeSpaceText(disk), "977KB");
  model.setSizeComma(false, true);
  EXPECT_EQ(model.sizeText(disk), "1424KB");
  EXPECT_EQ(counter.drops, 2);
  model.removeObserver(&counter);
}

TEST(ModelTexts, KeptTextsGoWithTheirEntriesAndNeverReachTheirSuccessors) {
  // A disk whose texts were shown is loaded again with other sizes and dates: the new
  // records, in the slots the old ones left, show their own, and so does a report.
  CatalogModel model;
  RecordingReporter reporter;
  load(model, diskCatalog("D", " \"a\" 1 1 1 2000 0 0 0\n \"b\" 2 1 1 2000 0 0 0\n"), reporter);
  for (const FileData *e : model.entriesOf(model.findItemByPath("D"))) {
    model.sizeText(*e);
    model.dateText(*e);
  }
  load(model, diskCatalog("D", " \"a\" 3000 2 2 2010 0 0 0\n \"b\" 4000 2 2 2010 0 0 0\n"), reporter);
  const auto entries = model.entriesOf(model.findItemByPath("D"));
  ASSERT_EQ(entries.size(), 2u);
  char buffer[CatalogModel::kDateTextSize];
  for (const FileData *e : entries) {
    EXPECT_EQ(model.sizeTextOnce(*e), e->name() == "a" ? "3,000" : "4,000");
    EXPECT_EQ(model.dateTextOnce(*e, buffer), "02/02/10 00:00:00");
    EXPECT_EQ(model.sizeText(*e), model.sizeTextOnce(*e));
  }
}

TEST(ModelTexts, MidnightIsShownAsZeroHours) {
  CatalogModel model;
  RecordingReporter reporter;
  load(model, diskCatalog("D", " \"m\" 1 24 12 1999 0 0 0\n"), reporter);
  const FileData &m = *model.entriesOf(model.findItemByPath("D"))[0];
  EXPECT_EQ(model.dateText(m), "12/24/99 00:00:00"); // the tests run in the C locale
}

TEST(ModelTexts, LazyFolderSizesCountZipFoldersAtTheirStoredSize) {
  CatalogModel model;
  RecordingReporter reporter;
  load(model, exampleCatalog(), reporter);
  const ItemId disk = model.findItemByPath("BACKUP1");
  EXPECT_EQ(model.sizeText(*model.lookupEntry(disk, "docs")), "1,200");
  // The Zip Folder's own stored size stays; its members are not summed into it.
  EXPECT_EQ(model.sizeText(*model.lookupEntry(disk, "pics.zip")), "5,230");
  // A Zip Folder whose stored size is 0 shows its members' sum.
  const ItemId pics = model.findItemByPath("BACKUP1/pics.zip");
  EXPECT_EQ(model.sizeText(*model.lookupEntry(pics, "2019")), "2,100");
  const FileData &docs = *model.lookupEntry(disk, "docs");
  EXPECT_EQ(docs.size(), 1200); // kept
}

TEST(Properties, DiskWithFolderAndZipFolder) {
  CatalogModel model;
  RecordingReporter reporter;
  load(model,
       diskCatalog("D",
                   " + \"dir\" 0 0 1 1 2000 0 0 0\n < \n \"a\" 100 1 1 2000 0 0 0\n \"b\" 20 1 1 2000 0 0 0\n > \n"
                   " + \"z.zip\" 999 0 1 1 2000 0 0 0\n<\n\"m1\" 5000 1 1 2000 0 0 0\n\"m2\" 1 1 1 2000 0 0 0\n"
                   "\"m3\" 1 1 1 2000 0 0 0\n>\n",
                   "cdrom"),
       reporter);
  const PropertiesValues disk = propertiesOf(model, *model.entriesOf(model.root())[0]);
  EXPECT_EQ(disk.name, "D");
  EXPECT_EQ(disk.type, "CD-ROM");
  EXPECT_EQ(disk.location, "");
  EXPECT_EQ(disk.size, "1,119"); // 100 + 20 + the archive's 999, not the disk's 1000 total
  EXPECT_EQ(disk.contains, "5 Files, 1 Folders, 1 Zip Folders");
  EXPECT_EQ(disk.note, "Count includes files and folders in Zip Folders");
  EXPECT_EQ(disk.hint, "Resize here -->");

  const ItemId d = model.findItemByPath("D");
  const PropertiesValues zip = propertiesOf(model, *model.lookupEntry(d, "z.zip"));
  EXPECT_EQ(zip.type, "Zip Folder");
  EXPECT_EQ(zip.location, "D");
  EXPECT_EQ(zip.contains, "3 Files, 0 Folders, 0 Zip Folders");
  EXPECT_EQ(zip.size, "5,002");

  const PropertiesValues file = propertiesOf(model, *model.lookupEntry(model.findItemByPath("D/dir"), "a"));
  EXPECT_EQ(file.type, "File");
  EXPECT_EQ(file.contains, "File Data");
  EXPECT_EQ(file.note, "");
  EXPECT_EQ(file.size, "100");
  EXPECT_EQ(file.location, "D/dir");
}

TEST(Properties, RootCountsEveryDiskAsAFolder) {
  CatalogModel model;
  RecordingReporter reporter;
  const PropertiesValues empty = rootProperties(model, 0);
  EXPECT_EQ(empty.contains, "0 Files, 0 Folders, 0 Zip Folders");
  EXPECT_EQ(empty.size, "0");
  load(model, diskCatalog("ONE", " \"a\" 10 1 1 2000 0 0 0\n"), reporter);
  load(model, diskCatalog("TWO", " \"b\" 5 1 1 2000 0 0 0\n"), reporter, "two.zar");
  const time_t now = testing_support::localTime(8, 12, 2026, 0, 0, 0);
  const PropertiesValues root = rootProperties(model, now);
  EXPECT_EQ(root.name, "My Removable Disk Drive");
  EXPECT_EQ(root.type, "Disk Drive");
  EXPECT_EQ(root.location, "");
  EXPECT_EQ(root.size, "15");
  EXPECT_EQ(root.contains, "2 Files, 2 Folders, 0 Zip Folders");
  EXPECT_EQ(root.date, "12/08/26 00:00:00");
  EXPECT_EQ(model.entryCount(), 4u); // the summary adds nothing to the model
}

TEST(EntryStore, ListsLookupsAndRemoval) {
  CatalogModel model;
  RecordingReporter reporter;
  load(model, exampleCatalog(), reporter);
  const ItemId disk = model.findItemByPath("backup1"); // exact first, then ignoring case
  ASSERT_NE(disk, kNoItem);
  EXPECT_EQ(model.filesOf(disk).size(), 1u);
  EXPECT_EQ(model.filesAndZipFoldersOf(disk).size(), 2u);
  EXPECT_EQ(model.findEntryByPath("BACKUP1/pics.zip/cover.gif")->size(), 3300);
  EXPECT_EQ(model.findEntryByPath("BACKUP1/docs/NOTES.TXT")->size(), 1200);
  EXPECT_EQ(model.findEntryByPath("BACKUP1\\docs\\NOTES.TXT"), nullptr); // "\" is part of a name
  EXPECT_EQ(model.findEntryByPath("BACKUP1/nothing"), nullptr);
  EXPECT_TRUE(model.removeEntry(disk, "README.TXT"));
  EXPECT_FALSE(model.removeEntry(disk, "readme.txt"));
  EXPECT_TRUE(model.filesOf(disk).empty());
  FileData *added = model.addEntry(disk, "new.txt", 9, 0, 0, NodeKind::File);
  EXPECT_EQ(model.folderPath(*added), "BACKUP1");
  EXPECT_EQ(model.catalogPath(*added), "BACKUP1/new.txt");
  // A loaded list grows past its loaded length, and goes with the disk when reloaded.
  for (const char *name : {"n1", "n2", "n3"})
    model.addEntry(model.findItemByPath("BACKUP1/docs"), name, 1, 0, 0, NodeKind::File);
  EXPECT_EQ(model_tests::entryNames(model, model.findItemByPath("BACKUP1/docs")),
            (std::vector<std::string>{"notes.txt", "n1", "n2", "n3"}));
  load(model, exampleCatalog(), reporter);
  EXPECT_EQ(model.entryCount(), 8u);
  const ItemId reloaded = model.findItemByPath("BACKUP1");
  model.removeEntriesOf(reloaded);
  EXPECT_TRUE(model.entriesOf(reloaded).empty());
  EXPECT_EQ(model.childrenOf(reloaded).size(), 2u); // the items stay
}

namespace {

// A view that shows the entries of one item and follows the announcements the way the
// panes and result lists must: it reads every row it drops on "about to", and holds
// none of the destroyed entries afterwards.
class ShowingObserver : public ModelObserver {
public:
  ShowingObserver(CatalogModel &model, ItemId shown) : model_(model), shown_(shown) { refill(); }
  void refill() {
    rows_.clear();
    for (const FileData *e : model_.entriesOf(shown_))
      rows_.insert(e);
  }
  void subtreeAboutToBeRemoved(ItemId, ItemId item, std::size_t) override {
    events.push_back("subtree-about");
    for (auto it = rows_.begin(); it != rows_.end();) {
      if (model_.isInSubtree((*it)->parentItem(), item)) {
        touched += (*it)->name().size();
        it = rows_.erase(it);
      } else {
        ++it;
      }
    }
    if (model_.isInSubtree(shown_, item)) shown_ = kNoItem;
  }
  void subtreeRemoved(ItemId, ItemId) override { events.push_back("subtree-done"); }
  void entryAboutToBeRemoved(const FileData &entry, std::size_t) override {
    events.push_back("entry-about");
    touched += entry.name().size();
    rows_.erase(&entry);
  }
  void entryRemoved(ItemId) override { events.push_back("entry-done"); }
  void diskAboutToBeAdded(ItemId, std::size_t row) override { events.push_back("disk-about " + std::to_string(row)); }
  void diskAdded(ItemId disk, const FileData &entry) override {
    events.push_back("disk-done " + model_.label(disk) + " " + std::string(entry.name()));
  }
  void modelAboutToBeCleared() override {
    events.push_back("clear-about");
    rows_.clear();
    shown_ = kNoItem;
  }
  void modelCleared() override { events.push_back("clear-done"); }

  // True when every row is a live entry of the model.
  bool rowsAreLive() const {
    std::set<const FileData *> live;
    std::vector<ItemId> pending{model_.root()};
    while (!pending.empty()) {
      const ItemId id = pending.back();
      pending.pop_back();
      for (const FileData *e : model_.entriesOf(id))
        live.insert(e);
      for (ItemId c : model_.childrenOf(id))
        pending.push_back(c);
    }
    for (const FileData *r : rows_) {
      if (!live.count(r)) return false;
    }
    return true;
  }

  std::vector<std::string> events;
  std::size_t touched = 0;
  std::set<const FileData *> rows_;

private:
  CatalogModel &model_;
  ItemId shown_;
};

} // namespace

TEST(ModelObservers, ReloadAnnouncesRemovalBeforeDestruction) {
  CatalogModel model;
  RecordingReporter reporter;
  load(model, exampleCatalog("ALPHA"), reporter);
  load(model, exampleCatalog("BACKUP1"), reporter);
  ShowingObserver inFolder(model, model.findItemByPath("BACKUP1/pics.zip/2019"));
  ShowingObserver disks(model, model.root());
  model.addObserver(&inFolder);
  model.addObserver(&disks);
  ASSERT_EQ(inFolder.rows_.size(), 1u);

  load(model, exampleCatalog("backup1"), reporter);
  EXPECT_TRUE(inFolder.rows_.empty());
  EXPECT_EQ(disks.rows_.size(), 1u); // ALPHA stays; the new disk is not a row yet
  EXPECT_TRUE(disks.rowsAreLive());
  EXPECT_EQ(inFolder.events, (std::vector<std::string>{"subtree-about", "subtree-done", "entry-about", "entry-done",
                                                       "disk-about 1", "disk-done backup1 backup1"}));
  disks.refill();
  model.closeChildFolder(model.root(), "ALPHA");
  EXPECT_TRUE(disks.rowsAreLive());
  EXPECT_EQ(disks.rows_.size(), 1u);
  model.clear();
  EXPECT_TRUE(disks.rows_.empty());
  EXPECT_EQ(disks.events.back(), "clear-done");
  model.removeObserver(&inFolder);
  model.removeObserver(&disks);
}

TEST(ModelObservers, StaleItemHandlesStayInvalid) {
  CatalogModel model;
  RecordingReporter reporter;
  const ItemId old = load(model, exampleCatalog(), reporter).disk;
  const ItemId oldDocs = model.findItemByPath("BACKUP1/docs");
  for (int i = 0; i < 3; ++i)
    load(model, exampleCatalog(), reporter);
  EXPECT_FALSE(model.isValid(old));
  EXPECT_FALSE(model.isValid(oldDocs));
  EXPECT_EQ(model.label(oldDocs), "");
  EXPECT_TRUE(model.childrenOf(oldDocs).empty());
  EXPECT_EQ(model.lookupEntry(oldDocs, "notes.txt"), nullptr);
  EXPECT_NE(model.findItemByPath("BACKUP1/docs"), oldDocs);
}
