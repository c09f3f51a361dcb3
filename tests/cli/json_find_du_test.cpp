// The --json forms, the filters of tavlor find and tavlor du as a user runs them, on
// one crafted catalog: a name that is not UTF-8, ZIP members, case twins and dates
// across years and both sides of summer time; and every report, text or JSON, failing
// when its output is lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

using namespace testing_support;
using nlohmann::json;

namespace {

// "Caf\xE9 \\x41.txt": Latin-1, with a backslash that must not read as an escape.
const char kCatalog[] = "zar_version_1_1\n< \n   %drivetype fixed\n> \n + \"DATA\" 100000 500 1 1 2000 0 0 0\n < \n"
                        " + \"docs\" 0 0 1 1 2000 0 0 0\n < \n"
                        " \"a.txt\" 1234 2 1 2000 10 0 0\n"
                        " \"Caf\xE9 \\x41.txt\" 2048 3 7 2015 12 30 5\n"
                        " \"A.TXT\" 99 4 1 2021 1 2 3\n"
                        " + \"old.zip\" 5000 0 3 1 2000 11 0 0\n < \n"
                        " \"m1.doc\" 3000 5 5 2010 8 0 0\n"
                        " + \"sub\" 0 0 5 5 2010 8 0 0\n < \n \"deep.txt\" 700 6 6 2011 9 0 0\n > \n"
                        " > \n > \n"
                        " + \"Docs\" 0 0 1 1 2001 0 0 0\n < \n \"a.txt\" 1234 2 1 2000 10 0 0\n > \n"
                        " \"big.iso\" 3221225472 1 8 2022 23 59 59\n"
                        " > \n";
const char kUsb[] = "zar_version_1_1\n< \n   %drivetype removable\n> \n + \"USB\" 1000 500 1 1 2005 0 0 0\n < \n"
                    " \"a.txt\" 1234 2 1 2000 10 0 0\n > \n";

class JsonCommands : public ::testing::Test {
protected:
  void SetUp() override {
    dir_.createDir("config");
    dir_.createFile("cats/DATA.zar", kCatalog);
    dir_.createFile("cats/USB.zar", kUsb);
  }
  RunResult run(const std::vector<std::string> &args) {
    std::vector<std::string> argv{TAVLOR_CLI_PATH, args.front(), "--catalogs", dir_ / "cats"};
    argv.insert(argv.end(), args.begin() + 1, args.end());
    return runProgram(
        argv, {"XDG_CONFIG_HOME=" + dir_.path() + "/config", "HOME=" + dir_.path(), "LC_ALL=C", "TZ=Europe/Berlin"});
  }
  // Every line parsed; a line that is not one JSON object fails the test.
  static std::vector<json> lines(const std::string &out) {
    std::vector<json> parsed;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
      json value = json::parse(line, nullptr, false);
      EXPECT_TRUE(value.is_object()) << line;
      parsed.push_back(std::move(value));
    }
    return parsed;
  }
  static std::vector<std::string> paths(const std::vector<json> &objects) {
    std::vector<std::string> out;
    for (const json &o : objects)
      out.push_back(o.value("path", std::string("?")));
    return out;
  }
  TempDir dir_;
};

TEST_F(JsonCommands, EveryCommandWritesOneObjectPerEntryFieldByField) {
  const std::string cafe = "Caf\xEF\xBF\xBD \\x41.txt"; // U+FFFD for the byte E9
  const std::string cafeBytes = "Caf\\xe9 \\\\x41.txt";
  const json cafeLine = {{"disk", "DATA"},
                         {"path", "DATA/docs/" + cafe},
                         {"path_bytes", "DATA/docs/" + cafeBytes},
                         {"name", cafe},
                         {"name_bytes", cafeBytes},
                         {"kind", "file"},
                         {"size", 2048},
                         {"date", "2015-07-03T12:30:05+02:00"}};
  const json member = {
      {"disk", "DATA"}, {"path", "DATA/docs/old.zip/m1.doc"},  {"name", "m1.doc"},          {"kind", "file"},
      {"size", 3000},   {"date", "2010-05-05T08:00:00+02:00"}, {"zip", "DATA/docs/old.zip"}};
  auto file = [](const std::string &path, std::int64_t size, const std::string &date) {
    const std::string disk = path.substr(0, path.find('/'));
    return json{{"disk", disk},   {"path", path}, {"name", path.substr(path.rfind('/') + 1)},
                {"kind", "file"}, {"size", size}, {"date", date}};
  };
  const json twinA = file("DATA/docs/a.txt", 1234, "2000-01-02T10:00:00+01:00");
  const json twinB = file("DATA/Docs/a.txt", 1234, "2000-01-02T10:00:00+01:00");
  const json usbA = file("USB/a.txt", 1234, "2000-01-02T10:00:00+01:00");
  auto withSet = [](json line, int set) {
    line["set"] = set;
    return line;
  };
  const struct {
    std::vector<std::string> args;
    std::vector<json> expected;
  } rows[] = {
      {{"ls", "--json"},
       {{{"disk", "DATA"},
         {"path", "DATA"},
         {"name", "DATA"},
         {"kind", "disk"},
         {"size", 100000},
         {"date", "2000-01-01T00:00:00+01:00"},
         {"free", 500}},
        {{"disk", "USB"},
         {"path", "USB"},
         {"name", "USB"},
         {"kind", "disk"},
         {"size", 1000},
         {"date", "2005-01-01T00:00:00+01:00"},
         {"free", 500}}}},
      // Sorted by name ignoring case; a folder's size is its contents', a Zip Folder's
      // the stored one.
      {{"ls", "--json", "DATA/docs"},
       {twinA,
        file("DATA/docs/A.TXT", 99, "2021-01-04T01:02:03+01:00"),
        cafeLine,
        {{"disk", "DATA"},
         {"path", "DATA/docs/old.zip"},
         {"name", "old.zip"},
         {"kind", "zip"},
         {"size", 5000},
         {"date", "2000-01-03T11:00:00+01:00"}}}},
      {{"find", "--json", "m*", "DATA/docs/old.zip"}, {member}},
      {{"find", "--json", "*.doc"}, {member}},
      {{"dupes", "--json"}, {withSet(twinA, 1), withSet(twinB, 1), withSet(usbA, 1)}},
      {{"dupes", "--json", "--names", "--named", "*.TXT", "DATA"},
       {withSet(twinA, 1), withSet(file("DATA/docs/A.TXT", 99, "2021-01-04T01:02:03+01:00"), 1), withSet(twinB, 1)}},
      {{"properties", "--json", "DATA/docs"},
       {{{"disk", "DATA"},
         {"path", "DATA/docs"},
         {"name", "docs"},
         {"kind", "folder"},
         {"size", 1234 + 2048 + 99 + 5000},
         {"date", "2000-01-01T00:00:00+01:00"},
         {"type", "File Folder"},
         {"files", 5},
         {"folders", 1},
         {"zip_folders", 1}}}},
      {{"properties", "--json", "DATA/docs/old.zip/m1.doc"}, {[&] {
         json m = member;
         m["type"] = "File";
         return m;
       }()}},
      {{"properties", "--json"},
       {{{"name", "My Removable Disk Drive"},
         {"kind", "root"},
         {"type", "Disk Drive"},
         {"size", 1234 * 3 + 2048 + 99 + 5000 + 3221225472LL},
         {"files", 8},
         {"folders", 5},
         {"zip_folders", 1}}}},
  };
  std::string everything;
  for (const auto &row : rows) {
    const std::string shown = testing::PrintToString(row.args);
    const RunResult result = run(row.args);
    everything += result.out;
    EXPECT_EQ(result.status, 0) << shown << "\n" << result.err;
    const std::vector<json> got = lines(result.out);
    ASSERT_EQ(got.size(), row.expected.size()) << shown << "\n" << result.out;
    for (std::size_t i = 0; i < got.size(); ++i)
      EXPECT_EQ(got[i], row.expected[i]) << shown << " line " << i;
  }
  // jq, the tool scripts read these lines with, takes every one of them.
  const RunResult jq = runProgram({"/usr/bin/jq", "-c", ".", dir_.createFile("all.jsonl", everything)});
  EXPECT_EQ(jq.status, 0) << jq.err;
  EXPECT_EQ(std::count(jq.out.begin(), jq.out.end(), '\n'), std::count(everything.begin(), everything.end(), '\n'));
}

TEST_F(JsonCommands, CompareNamesEachChangeAsTheReportDoes) {
  dir_.createFile("disk/docs/a.txt", std::string(1234, 'x'));
  setModificationTime(dir_ / "disk/docs/a.txt", 946803600); // 2000-01-02 10:00 in Berlin, as cataloged
  dir_.createFile("disk/docs/A.TXT", std::string(100, 'x'));
  setModificationTime(dir_ / "disk/docs/A.TXT", 946803600);
  dir_.createFile("disk/new.txt", "hi");
  const RunResult result = run({"compare", "--json", "--label", "data", dir_ / "disk"});
  EXPECT_EQ(result.status, 1) << result.err;
  std::map<std::string, std::vector<std::string>> changes; // change -> catalog paths, else disk paths
  for (const json &line : lines(result.out)) {
    EXPECT_EQ(line.at("disk"), "DATA");
    const std::string path = line.contains("path") ? line["path"] : line.at("disk_path");
    changes[line.at("change")].push_back(path);
    if (line.at("change") == "modified") {
      EXPECT_EQ(line.at("disk_path"), dir_ / "disk/docs/A.TXT") << line;
      EXPECT_EQ(line.at("size_on_disk"), 100) << line;
      EXPECT_EQ(line.at("size"), 99) << line;
      EXPECT_EQ(line.at("date_on_disk"), "2000-01-02T10:00:00+01:00") << line;
    }
  }
  EXPECT_EQ(changes["new"], std::vector<std::string>{dir_ / "disk/new.txt"});
  EXPECT_EQ(changes["modified"], std::vector<std::string>{"DATA/docs/A.TXT"});
  EXPECT_EQ(changes["deleted directory"], std::vector<std::string>{"DATA/Docs"});
  EXPECT_EQ(changes["deleted"], (std::vector<std::string>{"DATA/docs/Caf\xEF\xBF\xBD \\x41.txt", "DATA/docs/old.zip",
                                                          "DATA/Docs/a.txt", "DATA/big.iso"}))
      << result.out;
  EXPECT_EQ(changes.count("Identical"), 0u);
}

TEST_F(JsonCommands, FindFiltersCombineWithTheMask) {
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> hits; // in the report's order: by name, case ignored
  } rows[] = {
      {{"--regex", "^a\\.", ""}, {"DATA/docs/a.txt", "DATA/docs/A.TXT", "DATA/Docs/a.txt", "USB/a.txt"}},
      {{"--regex", "^a\\.", "--case", "*"}, {"DATA/docs/a.txt", "DATA/Docs/a.txt", "USB/a.txt"}},
      {{"--regex", "TXT$|iso", "--posix", "--case", ""}, {"DATA/docs/A.TXT", "DATA/big.iso"}},
      // The mask still holds beside the regex.
      {{"--regex", "s", "b*"}, {"DATA/big.iso"}},
      {{"--size", "+2k", "--type", "f", ""}, {"DATA/big.iso", "DATA/docs/old.zip/m1.doc"}},
      {{"--size", "2k", ""}, {"DATA/docs/Caf\xEF\xBF\xBD \\x41.txt"}},
      {{"--size", "3G", ""}, {"DATA/big.iso"}},
      {{"--size", "-1000", "--type", "f", ""}, {"DATA/docs/A.TXT", "DATA/docs/old.zip/sub/deep.txt"}},
      // A folder's size is its contents'.
      {{"--size", "+8000", "--type", "d", ""}, {"DATA", "DATA/docs"}},
      {{"--type", "z,d", "--disk", "DATA", "*O*"}, {"DATA/docs", "DATA/Docs", "DATA/docs/old.zip"}},
      {{"--type", "z", "--type", "f", "--disk", "usb", ""}, {"USB/a.txt"}},
      {{"--newer", "2015-07-03 12:30:05", ""}, {"DATA/docs/A.TXT", "DATA/big.iso"}},
      {{"--newer", "2015-07-03 12:30:04", "--older", "2022-08-01", ""},
       {"DATA/docs/A.TXT", "DATA/docs/Caf\xEF\xBF\xBD \\x41.txt"}},
      {{"--older", "2000-01-01 00:00:01", ""}, {"DATA", "DATA/docs"}},
      {{"--disk", "USB", "--disk", "DATA", "--no-subfolders", "*", "DATA/docs/old.zip"},
       {"DATA/docs/old.zip/m1.doc", "DATA/docs/old.zip/sub"}},
      {{"--regex", "q", ""}, {}},
  };
  for (const auto &row : rows) {
    std::vector<std::string> args{"find", "--json"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    const RunResult result = run(args);
    const std::string shown = testing::PrintToString(row.args);
    EXPECT_EQ(result.status, row.hits.empty() ? 1 : 0) << shown << "\n" << result.err;
    EXPECT_EQ(paths(lines(result.out)), row.hits) << shown;
  }

  const RunResult unknownDisk = run({"find", "--disk", "NONE", ""});
  EXPECT_EQ(unknownDisk.status, 2);
  EXPECT_EQ(unknownDisk.err, "tavlor find: no loaded disk is labelled \"NONE\"\n");
  const RunResult badRegex = run({"find", "--regex", "a(", ""});
  EXPECT_EQ(badRegex.status, 2);
  EXPECT_EQ(badRegex.err.rfind("tavlor find: bad --regex \"a(\": ", 0), 0u) << badRegex.err;
}

TEST_F(JsonCommands, ARegexMeetsAHugeNameWithoutBlowingTheStack) {
  // A matcher that recursed per character, or tried every start, would crash or stall.
  const std::string name(400000, 'a');
  dir_.createFile("cats/LONG.zar", "zar_version_1_1\n< \n> \n + \"LONG\" 1 0 1 1 2000 0 0 0\n < \n \"" + name +
                                       "\" 5 1 1 2005 0 0 0\n > \n");
  for (const auto &[regex, found] : std::vector<std::pair<std::string, bool>>{
           {"(a|b)*x", false}, {"^a+$", true}, {"a{3}", true}, {"(aa)*b", false}}) {
    const RunResult result = run({"find", "--json", "--disk", "LONG", "--regex", regex, ""});
    EXPECT_EQ(result.status, found ? 0 : 1) << regex << "\n" << result.err;
    EXPECT_EQ(lines(result.out).size(), found ? 1u : 0u) << regex;
  }
}

TEST_F(JsonCommands, DuListsTheLargestFoldersWithThePropertiesSizes) {
  const RunResult top = run({"du", "--unit", "byte", "--no-commas"});
  EXPECT_EQ(top.status, 0) << top.err;
  EXPECT_EQ(top.out, "3221236321\t/\n3221235087\tDATA\n1234\tUSB\n");

  const RunResult deep = run({"du", "--json", "--depth", "2", "DATA/docs"});
  ASSERT_EQ(deep.status, 0) << deep.err;
  const std::vector<json> got = lines(deep.out);
  // A Zip Folder's own line sums its members; inside its folder it counts at its
  // stored size, as the Properties count it.
  EXPECT_EQ(paths(got), (std::vector<std::string>{"DATA/docs", "DATA/docs/old.zip", "DATA/docs/old.zip/sub"}));
  const std::vector<std::int64_t> sizes{8381, 3700, 700};
  for (std::size_t i = 0; i < got.size() && i < sizes.size(); ++i) {
    EXPECT_EQ(got[i].at("size"), sizes[i]) << got[i];
    const RunResult properties = run({"properties", "--json", got[i].at("path")});
    EXPECT_EQ(lines(properties.out).at(0).at("size"), sizes[i]) << got[i];
  }
  EXPECT_EQ(got.at(2).at("zip"), "DATA/docs/old.zip");
  EXPECT_EQ(got.at(2).at("depth"), 2);

  const RunResult missing = run({"du", "DATA/nothing"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "tavlor du: DATA/nothing is no disk or folder of the loaded catalogs\n");
}

TEST_F(JsonCommands, AReportThatCannotBeWrittenIsAFailureNamedOnStandardError) {
  dir_.createDir("disk/docs");
  const struct {
    std::vector<std::string> args;
    int status;
  } cases[] = {
      {{"ls"}, 1},
      {{"ls", "--json", "DATA/docs"}, 1},
      {{"find", "*"}, 1},
      {{"find", "--csv", "--type", "f"}, 1},
      {{"dupes"}, 1},
      {{"dupes", "--csv"}, 1},
      {{"dupes", "--json"}, 1},
      {{"properties"}, 1},
      {{"properties", "DATA/docs/a.txt"}, 1},
      {{"properties", "--json", "DATA"}, 1},
      {{"du", "--depth", "3"}, 1},
      {{"compare", "--label", "DATA", dir_ / "disk"}, 2},
      {{"compare", "--json", "--label", "DATA", dir_ / "disk"}, 2},
  };
  for (const auto &c : cases) {
    // The shell hands the command a standard output on which every write fails.
    std::vector<std::string> argv{"/bin/sh", "-c", "exec \"$0\" \"$@\" >/dev/full", TAVLOR_CLI_PATH,
                                  c.args.front(), "--catalogs", dir_ / "cats"};
    argv.insert(argv.end(), c.args.begin() + 1, c.args.end());
    const RunResult r = runProgram(argv, {"XDG_CONFIG_HOME=" + dir_.path() + "/config", "HOME=" + dir_.path()});
    const std::string name = c.args.front();
    EXPECT_EQ(r.status, c.status) << name << " " << c.args.size() << ": " << r.err;
    EXPECT_NE(r.err.find("tavlor " + name + ": cannot write the output"), std::string::npos) << r.err;
  }
}

} // namespace
