// Damaged and hostile catalogs: every one must load without a crash, a hang or a read
// outside the text, and leave the model consistent.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>

#include "model/catalog_loader.h"
#include "model_test_helpers.h"
#include "test_support.h"

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

// Everything a load left in the model and told its reporter, as text.
std::string dump(CatalogModel &model, const RecordingReporter &reporter) {
  std::string out;
  std::vector<ItemId> pending{model.root()};
  while (!pending.empty()) {
    const ItemId id = pending.back();
    pending.pop_back();
    out += model.itemPath(id) + " icons " + std::to_string(model.icon(id)) + "/" +
           std::to_string(model.selectedIcon(id)) + "\n";
    for (const FileData *e : model.entriesOf(id))
      out += "  [" + std::string(e->name()) + "] " + std::to_string(e->size()) + " " + std::to_string(e->freeSpace()) +
             " " + std::to_string(e->date()) + " " + std::to_string(static_cast<int>(e->kind())) + "\n";
    for (ItemId child : model.childrenOf(id))
      pending.push_back(child);
  }
  for (const auto &box : reporter.boxes)
    out += "box " + box.caption + ": " + box.text + "\n";
  return out + "damage " + std::to_string(reporter.damage) + "\n";
}

// The dump of text loaded whole, and of text handed to the loader step bytes at a time
// as it asks for more (from a buffer that ends at its last byte).
std::pair<std::string, std::string> wholeAndInPieces(const std::string &text, std::size_t step) {
  CatalogModel whole;
  RecordingReporter wholeReporter;
  loadExact(whole, text, wholeReporter);
  std::unique_ptr<char[]> exact(new char[text.size() ? text.size() : 1]);
  std::memcpy(exact.get(), text.data(), text.size());
  std::size_t given = std::min(step, text.size());
  CatalogModel pieces;
  RecordingReporter piecesReporter;
  const std::string path = "cut.zar";
  CatalogLoader loader(pieces, std::string_view(exact.get(), given), path, piecesReporter);
  loader.readAhead(
      [&] {
        given = std::min(given + step, text.size());
        return std::string_view(exact.get(), given);
      },
      text.size());
  loader.run();
  return {dump(whole, wholeReporter), dump(pieces, piecesReporter)};
}

} // namespace

TEST(LoaderRobustness, TextReadAsTheParseGoesLoadsAsTheWholeText) {
  // Catalogs cut at every byte by the pieces they are read in: regular ones, hostile
  // words and numbers, and mutated ones.
  std::vector<std::string> texts{
      exampleCatalog(),
      diskCatalog("D", " \"" + std::string(300, 'n') +
                           "\" 1 1 1 2000 0 0 0\n \"a b  c\"\t77777777777777777777 -3 12 "
                           "2020 23 59 59\n \"m\" 12\n + \"f\" x -9 1 1 2000 0 0 0 < > "
                           "+ \"z.zip\" 5 0 1 1 2099 0 0 0 <\"q\" 1 5 2 2036 0 0 0>"
                           " \"late\" 1 1 1 2077 0 0 0 \"w\" 1 12345678901 7x 2000 0 0 0 + 12 \"x\" - +5 <>")};
  std::mt19937 random(20261209);
  for (int round = 0; round < 200; ++round) {
    std::string text = texts[round % 2];
    for (int e = 0; e < 4; ++e)
      text.insert(random() % text.size(), 1, "<>\"+-% \n07"[random() % 11]);
    texts.push_back(text);
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    for (const std::size_t step : {1, 3, 8}) {
      const auto [whole, pieces] = wholeAndInPieces(texts[i], step);
      ASSERT_EQ(whole, pieces) << "text " << i << ", pieces of " << step;
    }
  }
}

TEST(LoaderRobustness, LargeCatalogFileLoadsAsItsText) {
  // A file of many read-ahead pieces, through the file reader and its reuse of the
  // pages behind the parse. Short lines, so that the model outgrows the room it
  // expected and takes more while the file is read (where the pieces were), and large
  // folders at the end, whose lists are allocated on their own.
  std::string body;
  for (int folder = 0; folder < 2000; ++folder) {
    body += " + \"folder " + std::to_string(folder) + "\" 0 0 3 4 2001 5 6 7\n <\n";
    for (int file = 0; file < (folder < 1990 ? 300 : 30000); ++file)
      body += "\"" + std::to_string(file * 7919 % 1000) + "\" " + std::to_string(file) + " " +
              std::to_string(1 + file % 28) + " " + std::to_string(1 + folder % 12) + " " +
              std::to_string(1990 + file % 40) + " 1 2 3\n";
    body += " >\n";
  }
  const std::string text = diskCatalog("BIG", body);
  ASSERT_GT(text.size(), 6u << 20);
  testing_support::TempDir dir;
  const std::string path = dir.createFile("big.zar", text);
  CatalogModel fromFile, fromText;
  RecordingReporter fileReporter, textReporter;
  ASSERT_EQ(loadCatalog(fromFile, path, fileReporter).status, LoadStatus::Loaded);
  loadExact(fromText, text, textReporter);
  EXPECT_EQ(fromFile.entryCount(), 1u + 2000u + 1990u * 300u + 10u * 30000u);
  EXPECT_EQ(dump(fromFile, fileReporter), dump(fromText, textReporter));
}

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
  // Beyond what a record holds: a name of over a mebibyte is cut there, and the entry
  // after it is whole.
  const std::string hugeName(FileData::kMaxNameLength + 10, 'h');
  const std::string beyond = " \"" + hugeName + "\" 3 1 1 2000 0 0 0\n \"after\" 6 1 1 2000 0 0 0\n" + " + \"" +
                             hugeName + "\" 0 0 1 1 2000 0 0 0\n < \n \"inside\" 7 1 1 2000 0 0 0\n > \n";
  CatalogModel model;
  RecordingReporter reporter;
  ASSERT_EQ(loadExact(model, diskCatalog("D", beyond + body), reporter).status, LoadStatus::Loaded);
  const ItemId disk = model.findItemByPath("D");
  EXPECT_EQ(model.lookupEntry(disk, longName)->name().size(), 100000u);
  ASSERT_TRUE(model.lookupEntry(disk, hugeName.substr(0, FileData::kMaxNameLength)));
  EXPECT_EQ(model.lookupEntry(disk, hugeName.substr(0, FileData::kMaxNameLength))->size(), 3);
  EXPECT_EQ(model.lookupEntry(disk, "after")->size(), 6);
  // A folder of such a name is cut alike: its entry still finds its folder.
  const FileData *cutFolder = nullptr;
  for (const FileData *e : model.entriesOf(disk))
    if (e->isContainer() && e->name().size() == FileData::kMaxNameLength) cutFolder = e;
  ASSERT_TRUE(cutFolder);
  const ItemId inside = model.findOwnItem(*cutFolder);
  ASSERT_NE(inside, kNoItem);
  ASSERT_TRUE(model.lookupEntry(inside, "inside"));
  EXPECT_EQ(model.summedSize(*cutFolder), 7);
  EXPECT_EQ(model.lookupEntry(disk, "after")->date(), model.lookupEntry(disk, "neg")->date());
  // The loader keeps its dates near today; other callers' dates beyond some seventeen
  // thousand years are the farthest a record holds, and still have a text.
  for (const auto &[when, kept] : {std::pair{std::numeric_limits<std::time_t>::max(), FileData::kLatestDate},
                                   std::pair{std::numeric_limits<std::time_t>::min(), FileData::kEarliestDate},
                                   std::pair{std::time_t{-62135596800}, std::int64_t{-62135596800}}}) {
    const FileData *far = model.addEntry(disk, "far" + std::to_string(when), 1, 0, when, NodeKind::File);
    EXPECT_EQ(far->date(), kept);
    EXPECT_EQ(far->kind(), NodeKind::File);
    EXPECT_EQ(far->name(), "far" + std::to_string(when));
    EXPECT_FALSE(model.dateText(*far).empty());
  }
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
