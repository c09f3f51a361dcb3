// matchMask, the Find Files search and its report.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "model/names.h"
#include "tools/find_files.h"
#include "tools/match_mask.h"
#include "tools/report_text.h"
#include "tools/result_list.h"

#include "tools_test_helpers.h"

using namespace tavlor;
using namespace tools_tests;

namespace {

TEST(MatchMask, CommitsToTheLastOccurrenceWithoutBacktracking) {
  struct Case {
    const char *mask, *name;
    bool match;
  };
  // clang-format off
  const Case cases[] = {
      {"*", "ANYTHING", true},    {"*", "", true},                {"", "ANY", true},
      {"*.TXT", "A.TXT", true},   {"*.TXT", "A.TXT.BAK", false},  {"*.TXT", "ATXT", false},
      {"A*.TXT", "A.TXT", true},  {"A*", "AB", true},             {"A*", "A", false},
      {"*A*B", "XAYBAZ", false},  {"*A*B", "XAYB", true},         {"*?", "AB", false},
      {"**", "AB", false},        {"**", "**", true},             {"?", "", false},
      {"A?C", "ABC", true},       {"A?C", "ABCD", false},         {"*.*", "README", false},
      {"*.*", "A.B", true},       {"abc", "ABC", false},          {"*B*", "ABBA", true},
      // The whole name is the mask's last run, or one character short of it.
      {"*.TXT", ".TXT", true},    {"*.TXT", "TXT", false},        {"A*BC", "ABC", true},
      {"A*BC", "AC", false},      {"?*.TXT", ".TXT", false}};
  // clang-format on
  for (const Case &c : cases)
    EXPECT_EQ(matchMask(c.mask, c.name), c.match) << c.mask << " vs " << c.name;
  // The folded form upper-cases the name only.
  EXPECT_TRUE(matchMaskFolded("*.TXT", "Readme.txt"));
  EXPECT_FALSE(matchMaskFolded("*.txt", "README.TXT"));
}

class FindFiles : public ::testing::Test {
protected:
  void SetUp() override {
    load(model, "DATA", folder("docs", file("Readme.TXT", 10) + file("a", 1)) + file("AB", 2) + file("data.txt", 3));
    load(model, "PHOTOS98",
         folder("trips", file("beach.jpg", 128000, "12 3 1999 14 22 10") +
                             folder("coast", file("harbour.jpg", 2365440, "2 4 1999 9 5 44"))) +
             folder("x.zip", file("in.jpg", 5)));
    docs = model.findItemByPath("DATA/docs");
    photos = model.findItemByPath("PHOTOS98");
  }
  std::vector<std::string> names(std::vector<ResultRow> rows, bool sorted = true) {
    if (sorted) sortByName(rows);
    std::vector<std::string> out;
    for (const ResultRow &r : rows)
      out.emplace_back(r.entry->name());
    return out;
  }
  using Names = std::vector<std::string>;
  CatalogModel model;
  ItemId docs = kNoItem, photos = kNoItem;
};

TEST_F(FindFiles, MasksRootsAndSubfolders) {
  const ItemId root = model.root();
  const ItemId data = model.findItemByPath("DATA");
  const ItemId both[] = {data, docs};
  struct Case {
    std::vector<ItemId> roots;
    const char *mask;
    bool subfolders;
    Names found;
  } cases[] = {
      {{root}, "D*", true, {"DATA", "data.txt", "docs"}}, // from the tree's root the disks themselves are tested
      {{data}, "*.TXT", true, {"data.txt", "Readme.TXT"}},
      {{data}, "*.TXT", false, {"data.txt"}},
      {{data}, "A*", true, {"AB"}},
      {{data, docs}, "R*", true, {"Readme.TXT", "Readme.TXT"}}, // overlapping roots list common entries twice
  };
  for (const Case &c : cases)
    EXPECT_EQ(names(findFiles(model, c.roots, c.mask, c.subfolders)), c.found) << c.mask << " " << c.roots.size();
  // An empty mask finds everything below; a Zip Folder's members are searched.
  EXPECT_EQ(findFiles(model, {&photos, 1}, "", true).size(), 6u);
  EXPECT_EQ(names(findFiles(model, {&photos, 1}, "*.JPG", true), false), (Names{"beach.jpg", "harbour.jpg", "in.jpg"}));
  const FoundCounts counts = countFound(findFiles(model, {&photos, 1}, "", true));
  EXPECT_EQ(foundTitle(counts), "Find Files or Folders: 3 File(s), 2 Folder(s), 1 Zip Folder(s) Found");
  EXPECT_EQ(lookInText(model, both), "DATA; DATA/docs");
  EXPECT_EQ(lookInText(model, {&root, 1}), "My Removable Disk Drive");
}

// The search matches names in the order their records lie in memory; what it returns
// must still be the depth-first order of the roots, also after a reload has put new
// records into the slots of destroyed ones.
TEST_F(FindFiles, ResultsComeInDepthFirstOrderWhateverTheMemoryOrder) {
  auto reference = [&](std::span<const ItemId> roots, std::string_view mask, bool subfolders) {
    std::vector<const FileData *> out;
    std::vector<ItemId> pending;
    for (ItemId root : roots) {
      pending.assign(1, root);
      while (!pending.empty()) {
        const ItemId item = pending.back();
        pending.pop_back();
        for (const FileData *e : model.entriesOf(item))
          if (matchMaskFolded(mask, e->name())) out.push_back(e);
        if (!subfolders) continue;
        std::span<const ItemId> children = model.childrenOf(item);
        pending.insert(pending.end(), children.rbegin(), children.rend());
      }
    }
    return out;
  };
  // Reloading DATA with more entries reuses the slots PHOTOS98 did not take.
  load(model, "DATA",
       folder("zeta", file("z.txt", 1) + folder("deep", file("Deep.TXT", 2) + file("b.jpg", 3))) +
           folder("docs", file("Readme.TXT", 10) + file("a", 1)) + file("AB", 2) + file("data.txt", 3));
  const ItemId data = model.findItemByPath("DATA");
  const ItemId sets[][2] = {
      {model.root(), kNoItem}, {data, photos}, {photos, data}, {data, model.findItemByPath("DATA/zeta")}};
  for (const auto &set : sets) {
    const std::span<const ItemId> roots(set, set[1] == kNoItem ? 1 : 2);
    for (const char *mask :
         {"",   "*",      "*.TXT", "*.JPG", "*A*",    "D?*",        "*E*.TXT", "D*",    "A*",     "AB",   "*B",
          "A?", "R*.T?T", "**",    "*.*",   "?*.TXT", "README.TXT", "D*A",     "DE*P*", "Z*.TXT", "*E*E*"})
      for (bool subfolders : {true, false}) {
        std::vector<const FileData *> got;
        for (const ResultRow &r : findFiles(model, roots, mask, subfolders))
          got.push_back(r.entry);
        EXPECT_EQ(got, reference(roots, mask, subfolders))
            << mask << (subfolders ? " with" : " without") << " subfolders";
      }
  }
}

TEST_F(FindFiles, EmptyMaskWarningAboveFiveThousandEntriesWithSubfolders) {
  for (int extra : {0, 1}) {
    CatalogModel big;
    std::string body;
    // The disk and the folder count as folders: 4998 + extra files and the two.
    for (int i = 0; i < 4998 + extra; ++i)
      body += file("f" + std::to_string(i), 1);
    load(big, "BIG", folder("all", body));
    const ItemId root = big.root();
    EXPECT_EQ(emptyMaskNeedsWarning(big, {&root, 1}, "", true), extra == 1);
    EXPECT_FALSE(emptyMaskNeedsWarning(big, {&root, 1}, "", false));
    EXPECT_FALSE(emptyMaskNeedsWarning(big, {&root, 1}, "*", true));
  }
}

TEST_F(FindFiles, ReportAsTextAndCsv) {
  const ItemId roots[] = {docs, photos};
  std::vector<ResultRow> rows = findFiles(model, roots, upperCased("*.jpg"), true);
  rows.pop_back(); // in.jpg
  sortByName(rows);
  model.setSizeUnit("KB");
  const FindFilesHeader header{lookInText(model, roots), upperCased("*.jpg"), true};
  const std::string head = " Tavlor, Find Files report\r\n -------------------------------\r\n\r\n"
                           " Search root        : DATA/docs; PHOTOS98\r\n Search mask        : *.JPG\r\n"
                           " Look in subfolders : Yes\r\n\r\n";
  const std::string foot = "\r\n----------------------\r\n 2 Files found.\r\n";
  EXPECT_EQ(findFilesReport(model, header, rows, false),
            head +
                "                time      size name                           path\r\n\r\n"
                "   03/12/99 14:22:10     125KB beach.jpg                      PHOTOS98/trips\r\n"
                "   04/02/99 09:05:44   2,310KB harbour.jpg                    PHOTOS98/trips/coast\r\n" +
                foot);
  EXPECT_EQ(findFilesReport(model, header, rows, true),
            head +
                " time, size, name, path \r\n 03/12/99 14:22:10, 125KB, beach.jpg, PHOTOS98/trips\r\n"
                " 04/02/99 09:05:44, 2,310KB, harbour.jpg, PHOTOS98/trips/coast\r\n" +
                foot);
  // A long name is written whole; nothing found counts no rows.
  CatalogModel longNames;
  load(longNames, "L", file("a_name_of_more_than_thirty_characters", 1));
  const ItemId l = longNames.findItemByPath("L");
  const std::string report =
      findFilesReport(longNames, {"L", "", false}, findFiles(longNames, {&l, 1}, "", false), false);
  EXPECT_TRUE(contains(report, " a_name_of_more_than_thirty_characters L\r\n"));
  EXPECT_TRUE(findFilesReport(model, header, {}, false).ends_with(" 0 Files found.\r\n"));
}

// The report made in the order found and written in name order is the report of the
// sorted rows, byte for byte: equal names across folders in their found order, case
// twins, disks (no folder path), runs of hits in one folder split by its subfolders.
TEST_F(FindFiles, ReportByNameEqualsTheReportOfSortedRows) {
  CatalogModel shelf;
  load(shelf, "B",
       file("same", 1) + folder("b", file("Same", 2) + folder("c", file("same", 3)) + file("z", 4)) + file("same", 5) +
           folder("a", file("SAME", 6)));
  load(shelf, "A", folder("same", file("a", 7)) + file("same.", 8));
  const ItemId root = shelf.root();
  for (const char *mask : {"SAME*", "*", "?"}) {
    for (const bool csv : {false, true}) {
      const FindFilesHeader header{lookInText(shelf, {&root, 1}), mask, true};
      std::vector<ResultRow> rows = findFiles(shelf, {&root, 1}, mask, true);
      std::vector<ResultRow> sorted = rows;
      sortByName(sorted);
      std::string written;
      writeFindFilesReportByName(shelf, header, rows, csv, [&written](std::string_view piece) { written += piece; });
      EXPECT_EQ(written, findFilesReport(shelf, header, sorted, csv)) << mask << (csv ? " csv" : "");
      ASSERT_EQ(rows.size(), sorted.size());
      for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].entry, sorted[i].entry) << mask << " row " << i;
    }
  }
}

// A long list is keyed by two threads: names that agree in their first sixteen bytes
// and differ after them, on both sides of the split, still come in the full order,
// equal names in the order found.
TEST(SortByName, EightBytesFoldAsEachByteAlone) {
  // Every byte value in every place, beside neighbours at the edges of the letters.
  const unsigned char around[] = {'`', 'a', 'z', '{', '@', 'Z', 0x7f, 0x80, 0xe1, 0xff, 0};
  for (unsigned char n : around)
    for (int b = 0; b < 256; ++b)
      for (int at = 0; at < 8; ++at) {
        unsigned char bytes[8], folded[8];
        std::fill(std::begin(bytes), std::end(bytes), n);
        bytes[at] = static_cast<unsigned char>(b);
        for (int i = 0; i < 8; ++i)
          folded[i] = foldCase(bytes[i]);
        std::uint64_t word, expected;
        std::memcpy(&word, bytes, 8);
        std::memcpy(&expected, folded, 8);
        ASSERT_EQ(foldCase8(word), expected) << "byte " << b << " at " << at << " among " << int(n);
      }
}

TEST(SortByName, ALongListInTheFullOrderOfItsNames) {
  std::string body;
  const int count = 150000;
  for (int i = 0; i < count; ++i) {
    const int key = (i * 7919) % 1009; // many equal names, found in no order
    body += file("same_first_sixteen_" + std::to_string(key % 10 == 0 ? 0 : key) + (i % 2 ? "_B" : "_a"), i);
  }
  CatalogModel model;
  load(model, "L", body);
  const ItemId l = model.findItemByPath("L");
  std::vector<ResultRow> rows = findFiles(model, {&l, 1}, "", false);
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(count));
  std::vector<ResultRow> expected = rows;
  std::stable_sort(expected.begin(), expected.end(), [](const ResultRow &a, const ResultRow &b) {
    return compareIgnoringCase(a.entry->name(), b.entry->name()) < 0;
  });
  sortByName(rows);
  for (std::size_t i = 0; i < rows.size(); ++i)
    ASSERT_EQ(rows[i].entry, expected[i].entry) << "row " << i;
}

// The In Folder order ranks each distinct folder path once: rows scattered by a name
// sort, case twins of one path and a disk's own row (no path) come in the order of
// their paths, case ignored, equal paths in row order, both ways.
TEST(ResultListSort, InFolderOrdersRowsByTheirFolderPaths) {
  CatalogModel shelf;
  load(shelf, "B",
       file("x", 1) + folder("docs", file("y", 2) + folder("sub", file("x", 3))) + folder("DOCS", file("z", 4)) +
           folder("a", file("y", 5) + file("x", 6)));
  load(shelf, "A", folder("docs", file("x", 7)) + file("w", 8));
  const ItemId root = shelf.root();
  std::vector<ResultRow> rows = findFiles(shelf, {&root, 1}, "", true);
  sortByName(rows);
  for (const bool descending : {false, true}) {
    ResultList list(shelf);
    list.assign(rows);
    std::vector<ResultRow> expected = rows;
    std::stable_sort(expected.begin(), expected.end(), [&](const ResultRow &a, const ResultRow &b) {
      const int c = compareIgnoringCase(shelf.itemPath(a.parent), shelf.itemPath(b.parent));
      return descending ? c > 0 : c < 0;
    });
    list.sortBy(ResultColumn::InFolder, descending);
    ASSERT_EQ(list.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
      EXPECT_EQ(list[i].entry, expected[i].entry) << (descending ? "descending" : "ascending") << " row " << i;
  }
}

// The name column is padded by the columns a name takes on screen, so the path column
// lines up for UTF-8 names; a name that is not UTF-8 shows one character per byte.
TEST_F(FindFiles, ReportPadsNamesByDisplayColumns) {
  const struct {
    const char *name;
    std::size_t pad;
  } cases[] = {
      {"Grüße aus Köln.txt", 12},           // 18 characters in 21 bytes
      {"\xe6\x97\xa5\xe6\x9c\xac.txt", 22}, // two wide characters
      {"e\xcc\x81t\xc3\xa9.txt", 23},       // a combining accent takes no column
      {"caf\xe9.txt", 22},                  // Windows-1252: a byte is a character
  };
  CatalogModel names;
  std::string body;
  for (const auto &c : cases)
    body += file(c.name, 1);
  load(names, "U", body);
  const ItemId u = names.findItemByPath("U");
  const std::string report = findFilesReport(names, {"U", "", false}, findFiles(names, {&u, 1}, "", false), false);
  for (const auto &c : cases)
    EXPECT_TRUE(contains(report, " " + std::string(c.name) + std::string(c.pad, ' ') + " U\r\n")) << c.name;
}

TEST(ReportFiles, CsvOnlyByTheExtensionAndUnwritablePathsFailQuietly) {
  for (const char *path : {"/tmp/found.csv", "found.CsV"})
    EXPECT_TRUE(isCsvReportPath(path)) << path;
  for (const char *path : {"found.csv.txt", "/tmp/x.csv/found", "csv"})
    EXPECT_FALSE(isCsvReportPath(path)) << path;
  EXPECT_EQ(reportBaseName("/tmp/dir.v2/found.csv"), "found");
  EXPECT_EQ(reportBaseName("FindFiles"), "FindFiles");
  EXPECT_FALSE(writeReportFile("/nonexistent-folder/found.txt", "x"));
}

} // namespace
