// Folders whose names differ in case only, repeated folders, and folders with very
// many siblings.
#include <gtest/gtest.h>

#include "model/names.h"
#include "model/properties.h"
#include "model_test_helpers.h"
#include "test_support.h"

using namespace tavlor;
using namespace model_tests;
using Names = std::vector<std::string>;

namespace {

std::string folder(const std::string &name, const std::string &body) {
  return " + \"" + name + "\" 0 0 1 1 2000 0 0 0\n < \n" + body + " > \n";
}

std::string file(const std::string &name, int size) {
  return " \"" + name + "\" " + std::to_string(size) + " 1 1 2000 0 0 0\n";
}

// Size, files, folders and Zip Folders below item, as the model adds them up.
std::vector<std::int64_t> totals(CatalogModel &model, ItemId item) {
  std::int64_t size = 0, files = 0, folders = 0, zips = 0;
  model.accumulate(item, size, files, folders, zips);
  return {size, files, folders, zips};
}

} // namespace

TEST(CaseTwins, EachTwinKeepsShowsAndCountsItsOwnContents) {
  CatalogModel model;
  RecordingReporter reporter;
  // d/Photos/a.txt, d/photos/b.txt, d/x/c.txt, d/X, and in a.zip the same pair again.
  const std::string zip =
      " + \"a.zip\" 100 0 1 1 2000 0 0 0\n<\n + \"In\" 0 0 1 1 2000 0 0 0\n<\n\"m\" 7 1 1 2000 0 0 0\n"
      ">\n + \"in\" 0 0 1 1 2000 0 0 0\n<\n\"n\" 8 1 1 2000 0 0 0\n\"o\" 9 1 1 2000 0 0 0\n>\n>\n";
  load(model,
       diskCatalog("CASE", folder("Photos", file("a.txt", 10)) + folder("photos", file("b.txt", 20)) +
                               folder("x", file("c.txt", 30)) + folder("X", "") + zip),
       reporter);
  const ItemId disk = model.findItemByPath("CASE");
  EXPECT_EQ(childLabels(model, disk), (Names{"a.zip", "Photos", "photos", "x", "X"}));
  EXPECT_EQ(model.entriesOf(disk).size(), 5u);

  for (const auto &[name, size, files] : std::vector<std::tuple<std::string, std::string, int>>{
           {"Photos", "10", 1}, {"photos", "20", 1}, {"x", "30", 1}, {"X", "0", 0}}) {
    FileData *entry = model.lookupEntry(disk, name);
    ASSERT_NE(entry, nullptr) << name;
    EXPECT_EQ(entry->name(), name);
    const ItemId own = model.findOwnItem(*entry);
    EXPECT_EQ(model.label(own), name);
    EXPECT_EQ(model.findItemByPath("CASE/" + name), own);
    EXPECT_EQ(model.sizeText(*entry), size) << name;
    const PropertiesValues values = propertiesOf(model, *entry);
    EXPECT_EQ(values.contains, std::to_string(files) + " Files, 0 Folders, 0 Zip Folders") << name;
  }
  // Only when no name matches exactly does case not matter.
  EXPECT_EQ(model.lookupEntry(disk, "PHOTOS")->name(), "Photos");
  EXPECT_EQ(model.findItemByPath("case/PHOTOS/A.TXT"), kNoItem);
  EXPECT_EQ(model.findEntryByPath("case/PHOTOS/A.TXT")->size(), 10);
  EXPECT_EQ(model.findEntryByPath("CASE/a.zip/in/o")->size(), 9);

  EXPECT_EQ(totals(model, disk), (std::vector<std::int64_t>{160, 6, 6, 1}));

  // Closing one twin takes its own entry and leaves the other whole.
  model.closeChildFolder(disk, "photos");
  EXPECT_EQ(childLabels(model, disk), (Names{"a.zip", "Photos", "x", "X"}));
  EXPECT_EQ(model.lookupEntry(disk, "photos")->name(), "Photos");
  EXPECT_EQ(model.entryCount(), reachableEntries(model));
}

TEST(CaseTwins, AFolderRepeatedByteForByteReplacesItsNamesake) {
  CatalogModel model;
  RecordingReporter reporter;
  load(model,
       diskCatalog("D", folder("Sub", file("a", 1)) + folder("SUB", file("b", 2)) + folder("Sub", file("c", 3)) +
                            folder("t", "") + folder("t", file("d", 4)) + folder("t", file("e", 5)) + file("Sub", 6)),
       reporter);
  const ItemId disk = model.findItemByPath("D");
  EXPECT_EQ(childLabels(model, disk), (Names{"SUB", "Sub", "t"}));
  EXPECT_EQ(entryNames(model, disk), (Names{"SUB", "Sub", "t", "Sub"}));
  EXPECT_EQ(model.findEntryByPath("D/Sub/c")->size(), 3);
  EXPECT_EQ(model.findEntryByPath("D/Sub/a"), nullptr);
  EXPECT_EQ(model.findEntryByPath("D/t/e")->size(), 5);
  EXPECT_EQ(model.entryCount(), 8u);
  EXPECT_EQ(model.entryCount(), reachableEntries(model));
}

TEST(ManySiblings, HundredThousandFoldersInOneFolder) {
  constexpr int kFolders = 100000;
  std::string body;
  body.reserve(kFolders * 40);
  for (int i = kFolders; i-- > 0;) {
    const std::string name = (i % 2 ? "F" : "f") + std::to_string(i / 2);
    body += folder(name, file("x", i));
  }
  // Read from a file of several megabytes: the pages behind the parse are given back
  // while it goes on.
  testing_support::TempDir dir;
  const std::string path = dir.createFile("MANY.zar", diskCatalog("MANY", body));
  CatalogModel model;
  RecordingReporter reporter;
  ASSERT_EQ(loadCatalog(model, path, reporter).status, LoadStatus::Loaded);
  EXPECT_EQ(reporter.damage, 0);
  const ItemId disk = model.findItemByPath("MANY");
  const auto children = model.childrenOf(disk);
  ASSERT_EQ(children.size(), static_cast<std::size_t>(kFolders));
  for (std::size_t i = 1; i < children.size(); ++i)
    ASSERT_LE(compareIgnoringCase(model.label(children[i - 1]), model.label(children[i])), 0) << i;
  // Twins keep catalog order: F7 (i = 15) was read before f7 (i = 14).
  const ItemId f7 = model.findChild(disk, "f7", false);
  EXPECT_EQ(model.label(children[model.rowOf(f7) - 1]), "F7");
  EXPECT_EQ(model.findEntryByPath("MANY/f7/x")->size(), 14);
  const auto sums = totals(model, disk); // size, files, folders: one file "x" of size i per folder
  EXPECT_EQ(sums[0], static_cast<std::int64_t>(kFolders) * (kFolders - 1) / 2);
  EXPECT_EQ(sums[1], kFolders);
  EXPECT_EQ(sums[2], kFolders);
  EXPECT_EQ(model.entryCount(), 1u + 2u * kFolders);
}
