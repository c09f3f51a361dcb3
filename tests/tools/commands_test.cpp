// tavlor find and tavlor dupes as a script runs them.
#include <gtest/gtest.h>

#include "test_support.h"
#include "tools_test_helpers.h"

using testing_support::runProgram;
using testing_support::TempDir;
using namespace tools_tests;

namespace {

class ToolCommands : public ::testing::Test {
protected:
  void SetUp() override {
    config_.createDir("config");
    catalogs_.createFile(
        "DATA.zar", model_tests::diskCatalog(
                        "DATA", folder("letters", file("report.doc", 12000, "3 4 1999 10 15 0")) +
                                    folder("old", file("Report.doc", 12200, "3 4 1999 10 15 0") + file("a.zar", 1))));
    catalogs_.createFile("OTHER.zar", model_tests::diskCatalog("OTHER", file("REPORT.DOC", 7)));
  }
  testing_support::RunResult run(std::vector<std::string> args) {
    args.insert(args.begin(), TAVLOR_CLI_PATH);
    return runProgram(args, {"XDG_CONFIG_HOME=" + config_.path() + "/config", "LC_ALL=C", "TZ=UTC"});
  }
  TempDir config_, catalogs_;
};

} // namespace

TEST_F(ToolCommands, FindAndDupesPrintTheReports) {
  const auto found = run({"find", "--catalogs", catalogs_.path(), "--unit", "KB", "*.doc", "DATA", "OTHER"});
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(found.out, " Tavlor, Find Files report\r\n -------------------------------\r\n\r\n"
                       " Search root        : DATA; OTHER\r\n Search mask        : *.DOC\r\n"
                       " Look in subfolders : Yes\r\n\r\n"
                       "                time      size name                           path\r\n\r\n"
                       "   04/03/99 10:15:00      12KB report.doc                     DATA/letters\r\n"
                       "   04/03/99 10:15:00      12KB Report.doc                     DATA/old\r\n"
                       "   01/01/00 00:00:00       1KB REPORT.DOC                     OTHER\r\n"
                       "\r\n----------------------\r\n 3 Files found.\r\n");
  // A mask ending in .zar is a mask; only the roots' own entries without subfolders.
  const auto shallow = run({"find", catalogs_ / "DATA.zar", "--no-subfolders", "--csv", "*.zar", "DATA/old"});
  EXPECT_EQ(shallow.status, 0) << shallow.err;
  EXPECT_TRUE(contains(shallow.out, " Look in subfolders : No\r\n\r\n time, size, name, path \r\n"
                                    " 01/01/00 00:00:00, 1, a.zar, DATA/old\r\n\r\n"));
  const auto none = run({"find", "--catalogs", catalogs_.path(), "*.xls"});
  EXPECT_EQ(none.status, 1);
  EXPECT_TRUE(none.out.ends_with(" 0 Files found.\r\n"));

  const auto dupes = run({"dupes", "--catalogs", catalogs_.path(), "--unit", "KB", "--no-commas"});
  EXPECT_EQ(dupes.status, 0) << dupes.err;
  EXPECT_EQ(dupes.out, " Tavlor, Duplicate Files report\r\n ------------------------------------\r\n"
                       " Search root        : My Removable Disk Drive\r\n\r\n"
                       "                time      size name                           path\r\n--->\r\n"
                       "   04/03/99 10:15:00      12KB report.doc                     DATA/letters\r\n"
                       "   04/03/99 10:15:00      12KB Report.doc                     DATA/old\r\n"
                       "\r\n----------------------\r\n 1 Duplicate sets found.\r\n");
  const auto names = run({"dupes", "--catalogs", catalogs_.path(), "--names", "--min", "11", "--unit", "KB"});
  EXPECT_EQ(names.status, 0);
  EXPECT_TRUE(contains(names.out, "12KB Report.doc                     DATA/old\r\n"
                                  "   01/01/00 00:00:00       1KB REPORT.DOC                     OTHER\r\n"));
  EXPECT_EQ(run({"dupes", "--catalogs", catalogs_.path(), "--dates", "--named", "*.zar"}).status, 1);
}

TEST_F(ToolCommands, BadArgumentsMissingCatalogsAndUnknownRootsExitWithTwo) {
  for (const std::vector<std::string> &args :
       std::vector<std::vector<std::string>>{{"find"},
                                             {"find", "--catalogs", catalogs_.path(), "x", "NOWHERE"},
                                             {"find", catalogs_ / "missing.zar", "x"},
                                             {"find", "--catalogs", catalogs_ / "no-folder", "x"},
                                             {"find", "--bogus", "x"},
                                             {"dupes", "--min", "1.5"},
                                             {"dupes", "--min", "99999999999"},
                                             {"dupes", "--catalogs", catalogs_.path(), "DATA/letters/report.doc"},
                                             {"dupes", "--unit", "GB"}}) {
    const auto result = run(args);
    EXPECT_EQ(result.status, 2) << args.back();
    EXPECT_FALSE(result.err.empty()) << args.back();
    EXPECT_TRUE(result.out.empty()) << args.back();
  }
}

// Each option shown by what it changes in the report: the rows come in pairs or
// groups that differ by one option, so an option that is read but ignored shows.
TEST_F(ToolCommands, EachOptionChangesTheReportAsItSays) {
  const std::string cats = catalogs_.path();
  const struct {
    std::vector<std::string> args;
    std::string text;
    bool present;
  } rows[] = {
      {{"properties", "--catalogs", cats, "DATA/letters/report.doc"}, "Size: 12,000\n", true},
      {{"properties", "--catalogs", cats, "--unit", "MB", "DATA/letters/report.doc"}, "Size: 1MB\n", true},
      {{"properties", "--catalogs", cats, "--no-commas", "DATA/letters/report.doc"}, "Size: 12000\n", true},
      {{"find", "--catalogs", cats, "--no-commas", "*.doc", "DATA"}, "     12000 report.doc", true},
      // All three criteria by default; each alone drops the others.
      {{"dupes", "--catalogs", cats, "--unit", "KB"}, "a.zar", false},
      {{"dupes", "--catalogs", cats, "--unit", "KB"}, "REPORT.DOC", false},
      {{"dupes", "--catalogs", cats, "--unit", "KB", "--sizes"}, "   1KB a.zar ", true},
      {{"dupes", "--catalogs", cats, "--sizes"}, " 0 Duplicate sets found.", true},
      {{"dupes", "--catalogs", cats, "--dates"}, "     1 a.zar ", true},
      {{"dupes", "--catalogs", cats, "--names"}, "     7 REPORT.DOC ", true},
      {{"dupes", "--catalogs", cats, "--unit", "KB", "--sizes", "--named", "*.doc"}, "a.zar", false},
      {{"dupes", "--catalogs", cats, "--unit", "KB", "--sizes", "--named", "*.doc"}, "12KB report.doc", true},
      {{"dupes", "--catalogs", cats, "--names", "--csv"},
       "\r\n 04/03/99 10:15:00, 12,000, report.doc, DATA/letters\r\n",
       true},
      {{"dupes", "--catalogs", cats, "--names"}, " 12,000 report.doc", true},
      {{"dupes", "--catalogs", cats, "--names", "--no-commas"}, "  12000 report.doc", true},
      // A set is kept while one member reaches the threshold, to the byte.
      {{"dupes", "--catalogs", cats, "--names", "--min", "12200"}, "12,200 Report.doc", true},
      {{"dupes", "--catalogs", cats, "--names", "--min", "12201"}, " 0 Duplicate sets found.", true},
  };
  for (const auto &row : rows) {
    const auto result = run(row.args);
    EXPECT_EQ(static_cast<bool>(contains(result.out, row.text)), row.present)
        << testing::PrintToString(row.args) << " " << row.text << "\n"
        << result.out << result.err;
  }
}
