// Damaged and hostile catalogs: every one must load without a crash, a hang or a read
// outside the text, and leave the model consistent.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "model/catalog_loader.h"
#include "model_test_helpers.h"

using namespace tavlor;
using model_tests::diskCatalog;
using model_tests::exampleCatalog;
using model_tests::load;
using model_tests::reachableEntries;
using model_tests::RecordingReporter;

namespace {

// Loads text from a buffer that ends exactly at its last byte, so that AddressSanitizer
// sees any read beyond it.
LoadResult loadExact(CatalogModel &model, const std::string &text, RecordingReporter &reporter) {
  std::unique_ptr<char[]> exact(new char[text.size() ? text.size() : 1]);
  std::memcpy(exact.get(), text.data(), text.size());
  return loadCatalogText(model, std::string_view(exact.get(), text.size()), "cut.zar", reporter);
}

} // namespace

TEST(LoaderRobustness, EveryPrefixOfACatalogLoadsConsistently) {
  const std::string full = exampleCatalog();
  for (std::size_t n = 0; n <= full.size(); ++n) {
    CatalogModel model;
    RecordingReporter reporter;
    const LoadResult result = loadExact(model, full.substr(0, n), reporter);
    EXPECT_EQ(model.entryCount(), reachableEntries(model)) << "prefix " << n;
    if (result.status == LoadStatus::Loaded) {
      // A cut disk is still a disk: its entry and item are both there.
      EXPECT_EQ(model.childrenOf(model.root()).size(), 1u);
      EXPECT_EQ(model.entriesOf(model.root()).size(), 1u);
      std::int64_t size = 0, files = 0, folders = 0, zips = 0;
      model.accumulate(model.root(), size, files, folders, zips);
      EXPECT_LE(files, 4);
    }
  }
}

TEST(LoaderRobustness, HostileWordsAndNumbers) {
  const std::string longName(100000, 'n');
  const std::string nul("a\0b", 3);
  const std::string body = " \"" + longName + "\" 1 1 1 2000 0 0 0\n" + " \"" + nul +
                           "\" 2 1 1 2000 0 0 0\n"
                           " \"neg\" -5 1 1 2000 0 0 0\n"
                           " \"hugeDate\" 1 99999999999 -99999999999 1999 99999999999 0 0\n"
                           " \"missing\" 12\n"
                           " + \"f\" 99999999999999999999 -99999999999999999999 1 1 2000 0 0 0\n < \n > \n"
                           "\x01\x02\xff garbage > ";
  CatalogModel model;
  RecordingReporter reporter;
  ASSERT_EQ(loadExact(model, diskCatalog("D", body), reporter).status, LoadStatus::Loaded);
  const ItemId disk = model.findItemByPath("D");
  EXPECT_EQ(model.lookupEntry(disk, longName)->name().size(), 100000u);
  EXPECT_EQ(model.lookupEntry(disk, nul)->size(), 2);
  EXPECT_EQ(model.lookupEntry(disk, "neg")->size(), 0);
  // A record that lacks numbers leaves the folder's closing ">" to the folder.
  EXPECT_EQ(model.lookupEntry(disk, "missing")->size(), 12);
  const FileData *f = model.lookupEntry(disk, "f");
  EXPECT_EQ(f->size(), INT64_MAX);
  EXPECT_EQ(f->freeSpace(), INT64_MIN);
  EXPECT_GT(reporter.damage, 0);
  EXPECT_EQ(model.entryCount(), reachableEntries(model));
}

TEST(LoaderRobustness, HundredThousandLevelsDeep) {
  constexpr int kDepth = 100000;
  std::string body;
  for (int i = 0; i < kDepth; ++i)
    body += "+\"d\" 0 0 1 1 2000 0 0 0 < ";
  body += "\"leaf\" 7 1 1 2000 0 0 0 ";
  for (int i = 0; i < kDepth; ++i)
    body += "> ";
  CatalogModel model;
  RecordingReporter reporter;
  ASSERT_EQ(loadExact(model, diskCatalog("DEEP", body), reporter).status, LoadStatus::Loaded);
  std::int64_t size = 0, files = 0, folders = 0, zips = 0;
  model.accumulate(model.findItemByPath("DEEP"), size, files, folders, zips);
  EXPECT_EQ(size, 7);
  EXPECT_EQ(files, 1);
  EXPECT_EQ(folders, kDepth);
  EXPECT_EQ(model.sizeText(*model.entriesOf(model.root())[0]), "1,000"); // the disk's own total
  ItemId deepest = model.findItemByPath("DEEP");
  while (!model.childrenOf(deepest).empty())
    deepest = model.childrenOf(deepest)[0];
  EXPECT_EQ(model.itemPath(deepest).size(), 4u + 2u * kDepth);
  // Replacing and clearing walk the whole depth too.
  load(model, diskCatalog("deep", ""), reporter);
  EXPECT_EQ(model.entryCount(), 1u);
  model.clear();
  EXPECT_EQ(model.entryCount(), 0u);
}

TEST(LoaderRobustness, RandomBytesAndMutatedCatalogs) {
  std::mt19937 random(20261208);
  const std::string base = exampleCatalog();
  for (int round = 0; round < 2000; ++round) {
    std::string text = base;
    const int edits = 1 + static_cast<int>(random() % 8);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = random() % text.size();
      switch (random() % 3) {
      case 0:
        text[at] = static_cast<char>(random());
        break;
      case 1:
        text.erase(at, 1 + random() % 8);
        break;
      default:
        text.insert(at, 1, "<>\"+% \n0"[random() % 8]);
        break;
      }
      if (text.empty()) text = "x";
    }
    CatalogModel model;
    RecordingReporter reporter;
    loadExact(model, text, reporter);
    loadExact(model, text, reporter); // and once more over itself
    ASSERT_EQ(model.entryCount(), reachableEntries(model)) << "round " << round;
  }
}
