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

namespace {

// Everything a load leaves, in tree order: each item's label and each entry's fields,
// with the boxes shown and the places damage was reported.
struct Trace : LoadReporter {
  std::string text;
  void warning(const std::string &caption, const std::string &box) override { text += "box " + caption + box + "\n"; }
  void damaged(const std::string &, std::size_t at, const char *what) override {
    text += "damaged " + std::to_string(at) + " " + what + "\n";
  }
};

std::string treeText(CatalogModel &model) {
  std::string out;
  std::vector<ItemId> pending{model.root()};
  while (!pending.empty()) {
    const ItemId item = pending.back();
    pending.pop_back();
    out += "[" + model.itemPath(item) + "]\n";
    for (const FileData *e : model.entriesOf(item))
      out += std::string(e->name()) + " " + std::to_string(e->size()) + " " + std::to_string(e->freeSpace()) + " " +
             std::to_string(e->date()) + " " + std::to_string(static_cast<int>(e->kind())) + "\n";
    for (ItemId child : model.childrenOf(item))
      pending.push_back(child);
  }
  return out;
}

} // namespace

TEST(LoaderRobustness, AWindowFedInPiecesReadsAsTheWholeText) {
  // A catalog read through a window of a few bytes, handed over in pieces of random
  // length, must give the same tree, boxes and damage positions as the text in memory
  // whole: every scan that meets the window's end asks for more.
  std::mt19937 random(20261209);
  std::vector<std::string> texts = {exampleCatalog(),
                                    diskCatalog("D", " \"a b  c\" 12 1 2 2003 4 5 6\r\n \"x\"\t000000000012345\t1 1 "
                                                     "2000 0 0 0 \"lone\" + 9\r\n + \"-5\" -7 +8 1 1 1999\r\n"),
                                    diskCatalog("W", " \"" + std::string(300, 'n') + "\" " + std::string(200, '9') +
                                                     " 1" + std::string(150, ' ') + "2 2003 4 5 6\r\n")};
  for (int round = 0; round < 600; ++round) {
    std::string text = texts[static_cast<std::size_t>(round) % 3];
    for (int e = 1 + static_cast<int>(random() % 6); e > 0; --e) {
      const std::size_t at = random() % text.size();
      if (random() % 2)
        text[at] = "<>\"+-% \n09x"[random() % 11];
      else
        text.erase(at, 1 + random() % 4);
      if (text.empty()) text = "x";
    }
    CatalogModel whole, windowed;
    Trace wholeTrace, windowedTrace;
    const std::string path = "c.zar";
    loadCatalogText(whole, text, path, wholeTrace);
    CatalogLoader loader(windowed, {}, path, windowedTrace);
    std::size_t at = 0;
    loader.readFrom(
        [&](char *to, std::size_t room) {
          const std::size_t n = std::min({room, text.size() - at, std::size_t(1 + random() % 17)});
          std::memcpy(to, text.data() + at, n);
          at += n;
          return n;
        },
        text.size(), 16);
    loader.run();
    ASSERT_EQ(treeText(windowed), treeText(whole)) << "round " << round << "\n" << text;
    ASSERT_EQ(windowedTrace.text, wholeTrace.text) << "round " << round << "\n" << text;
  }
}
