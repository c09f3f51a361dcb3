// The bad arguments of every command, in one table: each command refuses them the
// same way (exit status 2, the reason on standard error, nothing on standard output),
// before it reads a catalog or a disk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

using testing_support::runProgram;
using testing_support::TempDir;

TEST(EveryCommand, RefusesBadArgumentsWithStatusTwo) {
  TempDir home;
  const std::string folder = home.createDir("folder");
  const std::vector<std::string> env{"HOME=" + home.path(), "XDG_CONFIG_HOME=" + home.path() + "/config"};
  // For each command: an unknown option, a valued option without its value, and the
  // operands missing or too many; for the commands with units, a unit that is none.
  const std::vector<std::pair<std::vector<std::string>, std::string>> rows{
      {{"catalog", "--bogus", folder}, "unknown option --bogus"},
      {{"catalog", "--label"}, "--label needs a value"},
      {{"catalog"}, "expected one PATH"},
      {{"catalog", folder, folder}, "expected one PATH"},
      {{"compare", "--bogus", folder}, "unknown option --bogus"},
      {{"compare", "--label"}, "--label needs a value"},
      {{"compare"}, "expected a FOLDER"},
      {{"compare", "--unit", "GB", folder}, "--unit takes byte, KB or MB"},
      {{"dupes", "--bogus"}, "unknown option --bogus"},
      {{"dupes", "--named"}, "--named needs a value"},
      {{"dupes", "--unit", "GB"}, "--unit takes byte, KB or MB"},
      {{"extract", "--bogus", "a.zip", folder}, "unknown option --bogus"},
      {{"extract", "--member"}, "--member needs a value"},
      {{"extract"}, "expected ZIP and DEST"},
      {{"find", "--bogus", "*"}, "unknown option --bogus"},
      {{"find", "--catalogs"}, "--catalogs needs a value"},
      {{"find"}, "MASK is missing"},
      {{"find", "--unit", "GB", "*"}, "--unit takes byte, KB or MB"},
      {{"find", "--csv", "--json", "*"}, "--csv and --json exclude each other"},
      {{"find", "--regex", "[a", "*"}, "bad --regex \"[a\": Unexpected character within '[...]' in regular expression"},
      {{"find", "--case", "*"}, "--posix and --case go with --regex"},
      {{"find", "--size", "+12x", "*"}, "--size takes N, +N or -N with an optional unit k, M or G, not \"+12x\""},
      {{"find", "--size", "9999999999G", "*"},
       "--size takes N, +N or -N with an optional unit k, M or G, not \"9999999999G\""},
      {{"find", "--newer", "2021-02-30", "*"},
       "--newer takes YYYY-MM-DD or \"YYYY-MM-DD HH:MM[:SS]\", not \"2021-02-30\""},
      {{"find", "--older", "2021-01-01 24:00", "*"},
       "--older takes YYYY-MM-DD or \"YYYY-MM-DD HH:MM[:SS]\", not \"2021-01-01 24:00\""},
      {{"find", "--type", "f,x", "*"}, "--type takes f, d, z or a comma list of them, not \"f,x\""},
      {{"dupes", "--json", "--verify"}, "--json excludes --csv and --verify"},
      {{"du", "--depth", "-1"}, "--depth takes a whole number of levels, 0 or more"},
      {{"du", "--bogus"}, "unknown option --bogus"},
      {{"du", "DATA", "USB"}, "expected at most one PATH"},
      {{"get", "--bogus", "DISK/a"}, "unknown option --bogus"},
      {{"get", "--to"}, "--to needs a value"},
      {{"get"}, "no catalog path given"},
      {{"html", "--bogus", folder + "/a.htm"}, "unknown option --bogus"},
      {{"html", "--description"}, "--description needs a value"},
      {{"html"}, "the output file is missing"},
      {{"mount", "--bogus", folder}, "unknown option --bogus"},
      {{"mount", "--catalogs"}, "--catalogs needs a value"},
      {{"mount"}, "no mount point given"},
      {{"mount", folder, folder}, "one mount point only"},
      {{"ls", "--bogus"}, "unknown option --bogus"},
      {{"ls", "--catalogs"}, "--catalogs needs a value"},
      {{"ls", "--unit", "GB"}, "--unit takes byte, KB or MB"},
      {{"properties", "--bogus"}, "unknown option --bogus"},
      {{"properties", "--catalogs"}, "--catalogs needs a value"},
      {{"properties", "--unit", "GB"}, "--unit takes byte, KB or MB"},
  };
  for (const auto &[row, reason] : rows) {
    const std::string shown = testing::PrintToString(row);
    std::vector<std::string> argv{TAVLOR_CLI_PATH};
    argv.insert(argv.end(), row.begin(), row.end());
    const testing_support::RunResult run = runProgram(argv, env);
    EXPECT_EQ(run.status, 2) << shown << "\n" << run.err;
    EXPECT_EQ(run.err.rfind("tavlor " + row.front() + ": " + reason + "\n", 0), 0u) << shown << "\n" << run.err;
    EXPECT_EQ(run.out, "") << shown;
  }
}
