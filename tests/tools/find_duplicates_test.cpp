// Find Duplicate Files: the grouping, its report, and result rows that follow the model.
#include <gtest/gtest.h>

#include "tools/find_duplicates.h"
#include "model/names.h"
#include "tools/find_files.h"

#include "tools_test_helpers.h"

using namespace tavlor;
using namespace tools_tests;

namespace {

// Sets as "name@folder" lists.
using Sets = std::vector<std::vector<std::string>>;
Sets setsOf(CatalogModel &model, const std::vector<ResultRow> &rows) {
  Sets sets;
  for (const ResultRow &r : rows) {
    if (r.isSeparator()) {
      sets.emplace_back();
    } else {
      sets.back().push_back(std::string(r.entry->name()) + "@" + model.folderPath(*r.entry));
    }
  }
  return sets;
}

class Duplicates : public ::testing::Test {
protected:
  void SetUp() override {
    const std::string same = "3 4 1999 10 15 0";
    load(model, "DATA",
         folder("install", file("setup.exe", 1440768, "21 1 1999 8 0 2")) +
             folder("install.zip", folder("disk1", file("setup.exe", 1440768, "21 1 1999 8 0 2"))) +
             folder("letters", file("report.doc", 12000, same) + file("README.TXT", 1, same) + file("A", 5)) +
             folder("old",
                    file("Report.doc", 12200, same) + file("readme.txt", 2, "1 1 2001 0 0 0") + file("B.EXE", 5)));
    data = model.findItemByPath("DATA");
  }
  DuplicatesResult find(DuplicatesQuery q) {
    if (q.roots.empty()) q.roots = {data};
    return findDuplicates(model, q);
  }
  CatalogModel model;
  ItemId data = kNoItem;
};

TEST_F(Duplicates, CriteriaThresholdAndNamedMode) {
  model.setSizeUnit("KB");
  const std::vector<std::string> setup{"setup.exe@DATA/install", "setup.exe@DATA/install.zip/disk1"},
      report{"report.doc@DATA/letters", "Report.doc@DATA/old"};
  EXPECT_EQ(setsOf(model, find({}).rows), (Sets{report, setup}));
  // Names only: any sizes and dates; case ignored.
  DuplicatesQuery names = criteria(true, false, false);
  EXPECT_EQ(setsOf(model, find(names).rows), (Sets{{"README.TXT@DATA/letters", "readme.txt@DATA/old"}, report, setup}));
  // Sizes only, KB: 1 and 2 bytes are both 1KB; 5-byte A and B.EXE too.
  DuplicatesQuery sizes = criteria(false, true, false);
  EXPECT_EQ(find(sizes).rows.size(), 3u + 8u);
  // Named mode: *.EXE keeps setup.exe (B.EXE is alone); the mask A* skips A itself.
  DuplicatesQuery exe = sizes;
  exe.named = true;
  exe.mask = "*.exe";
  EXPECT_EQ(setsOf(model, find(exe).rows), (Sets{setup}));
  exe.mask = "A*";
  EXPECT_EQ(find(exe).outcome, DuplicatesOutcome::NoneFound);
  // The threshold hides whole sets below it; one member at it shows all.
  DuplicatesQuery big = names;
  big.ignoreSmaller = 11;
  EXPECT_EQ(find(big).rows.size(), 6u);
  big.ignoreSmaller = 1000;
  EXPECT_EQ(find(big).rows.size(), 3u);
  EXPECT_EQ(find(criteria(false, false, false)).outcome, DuplicatesOutcome::CriteriaDisabled);
  // The same root twice, or a root inside another, adds no member twice.
  const ItemId old = model.findItemByPath("DATA/old");
  EXPECT_EQ(find(criteria(true, false, false, {data, data, old})).rows.size(), 9u);
  // Roots that are all gone find nothing (no roots at all would be every disk).
  EXPECT_EQ(findDuplicates(model, criteria(true, false, false, {kNoItem})).outcome, DuplicatesOutcome::NoneFound);
  EXPECT_EQ(unitLabel(1024), "KB");
  EXPECT_EQ(unitLabel(1), "bytes");
  EXPECT_EQ(unitLabel(7), "error");
}

// Names are grouped eight bytes at a time: every length across those steps, with case
// changed at each place, pairs up; the bytes beside the letters ("@[`{", Latin-1 letters)
// keep their names apart.
TEST(DuplicateNames, CaseFoldedAtEveryPlaceAndLengthAndNothingElse) {
  const std::string base = "abcdefghijklmnopqrstuvwxyz";
  std::string disk;
  for (std::size_t n = 1; n <= 20; ++n) {
    std::string upper = base.substr(0, n);
    upper[n - 1] = static_cast<char>(upper[n - 1] - 'a' + 'A');
    disk += folder("lower" + std::to_string(n), file(base.substr(0, n), 1)) +
            folder("upper" + std::to_string(n), file(upper, 1));
  }
  const std::pair<const char *, const char *> apart[] = {
      {"name@x", "name`x"}, {"name[x", "name{x"}, {"longer_name@", "longer_name`"}, {"caf\xe9", "caf\xc9"}};
  for (std::size_t k = 0; k < std::size(apart); ++k)
    disk += folder("a" + std::to_string(k), file(apart[k].first, 1)) +
            folder("b" + std::to_string(k), file(apart[k].second, 1));
  CatalogModel model;
  load(model, "D", disk);
  const DuplicatesResult found = findDuplicates(model, criteria(true, false, false));
  const Sets sets = setsOf(model, found.rows);
  ASSERT_EQ(sets.size(), 20u);
  for (const auto &set : sets) {
    ASSERT_EQ(set.size(), 2u);
    EXPECT_TRUE(equalIgnoringCase(set[0].substr(0, set[0].rfind('@')), set[1].substr(0, set[1].rfind('@'))))
        << set[0] << " " << set[1];
  }
}

TEST_F(Duplicates, DatesSortAsTheirDecimalText) {
  CatalogModel m;
  // 2001-09-09 is past 1000000000 seconds; 1999-04-01 is about 923000000.
  load(m, "D",
       folder("a", file("x", 1, "1 4 1999 0 0 0") + file("y", 2, "1 10 2001 0 0 0")) +
           folder("b", file("z", 3, "1 4 1999 0 0 0") + file("w", 4, "1 10 2001 0 0 0")));
  const Sets sets = setsOf(m, findDuplicates(m, criteria(false, false, true)).rows);
  EXPECT_EQ(sets, (Sets{{"y@D/a", "w@D/b"}, {"x@D/a", "z@D/b"}}));
}

TEST_F(Duplicates, ReportAsTextAndCsv) {
  model.setSizeUnit("KB");
  const std::vector<ResultRow> rows = find({}).rows;
  EXPECT_EQ(duplicatesReport(model, "DATA", rows, false),
            " Tavlor, Duplicate Files report\r\n ------------------------------------\r\n"
            " Search root        : DATA\r\n\r\n"
            "                time      size name                           path\r\n--->\r\n"
            "   04/03/99 10:15:00      12KB report.doc                     DATA/letters\r\n"
            "   04/03/99 10:15:00      12KB Report.doc                     DATA/old\r\n--->\r\n"
            "   01/21/99 08:00:02   1,407KB setup.exe                      DATA/install\r\n"
            "   01/21/99 08:00:02   1,407KB setup.exe                      DATA/install.zip/disk1\r\n"
            "\r\n----------------------\r\n 2 Duplicate sets found.\r\n");
  EXPECT_TRUE(contains(duplicatesReport(model, "DATA", rows, true),
                       "\r\n time, size, name, path \r\n \r\n 04/03/99 10:15:00, 12KB, report.doc, DATA/letters\r\n"));
  EXPECT_TRUE(duplicatesReport(model, "DATA", {}, false).ends_with("\r\n 0 Duplicate sets found.\r\n"));
}

TEST_F(Duplicates, RowsLeaveWithTheEntriesTheModelDestroys) {
  model.setSizeUnit("KB");
  load(model, "COPY", file("setup.exe", 1440768, "21 1 1999 8 0 2"));
  ResultList sets(model, true);
  sets.assign(find(criteria(true, true, true, {model.root()})).rows);
  ASSERT_EQ(setsOf(model, sets.rows())[1].size(), 3u);
  int resets = 0;
  sets.rowsAboutToBeRemoved = [&] { ++resets; };
  // Reloading DATA without the install folders: the setup.exe set keeps COPY's file
  // alone and goes; the report.doc set goes with its disk's reload too.
  load(model, "DATA", folder("letters", file("report.doc", 12000)));
  EXPECT_TRUE(sets.rows().empty());
  EXPECT_EQ(resets, 1);

  ResultList found(model);
  const ItemId root = model.root();
  found.assign(findFiles(model, {&root, 1}, "", true));
  EXPECT_EQ(found.size(), 5u);
  model.closeChildFolder(root, "copy");
  EXPECT_EQ(found.size(), 3u); // DATA, letters, report.doc
  model.removeEntry(model.findItemByPath("DATA/letters"), "REPORT.DOC");
  EXPECT_EQ(found.size(), 2u);
  model.clear();
  EXPECT_EQ(found.size(), 0u);
}

} // namespace
