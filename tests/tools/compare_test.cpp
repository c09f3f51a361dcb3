// The disk/catalog compare: real folders cataloged, changed and compared; the report
// byte for byte; rows that outlive a reload; the command line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <set>
#include <tuple>

#include "Tavscan60.h"
#include "model/catalog_loader.h"
#include "test_support.h"
#include "tools/disk_compare.h"
#include "tools_test_helpers.h"
#include "zip_builder.h"

using testing_support::runProgram;
using testing_support::TempDir;
using tools_tests::contains;

namespace {

using Row = std::tuple<std::string, std::string, std::string>; // status, name, In Folder

std::set<Row> rowsOf(const tavlor::DiskCompare &compare) {
  std::set<Row> out;
  for (const tavlor::CompareRow &r : compare.rows()) {
    out.insert({compare.text(r, tavlor::CompareColumn::Status), compare.text(r, tavlor::CompareColumn::Name),
                compare.text(r, tavlor::CompareColumn::InFolder)});
  }
  return out;
}

// How many of the compare's rows still refer to a catalog entry.
size_t rowsWithEntries(const tavlor::DiskCompare &compare) {
  return std::count_if(compare.rows().begin(), compare.rows().end(), [](const auto &r) { return r.entry; });
}

// The report up to its first row, for the disk text given.
std::string reportHead(const std::string &disk) {
  return " Tavlor, Disk/catalog compare report\r\n -----------------------------------------\r\n\r\n"
         " Disk compared is " +
         disk + "\r\n\r\n status          name                                size date                 path\r\n\r\n";
}

// A disk folder cataloged as BACKUP1 and loaded.
class CompareFixture : public ::testing::Test {
protected:
  void SetUp() override {
    disk_ = dir_.createDir("disk");
    catalog_ = dir_ / "BACKUP1.zar";
  }
  void catalogAndLoad() {
    ASSERT_EQ(catalogVolume(disk_.c_str(), "BACKUP1", catalog_.c_str(), 1, 2, 2003, 4, 5, 6, nullptr, nullptr),
              kTavscanCatalogOk);
    reload();
  }
  void reload() { ASSERT_NE(tavlor::loadCatalog(model_, catalog_, reporter_).status, tavlor::LoadStatus::Rejected); }
  std::string file(const std::string &relative, const std::string &contents, time_t when) {
    const std::string path = dir_.createFile("disk/" + relative, contents);
    testing_support::setModificationTime(path, when);
    return path;
  }

  TempDir dir_;
  std::string disk_, catalog_;
  model_tests::RecordingReporter reporter_;
  tavlor::CatalogModel model_;
  tavlor::DiskCompare compare_{model_};
  const time_t t_ = testing_support::localTime(5, 12, 1999, 18, 40, 12);
};

TEST_F(CompareFixture, RealFolderChangedInEveryWay) {
  file("docs/notes.txt", "notes", t_);
  file("docs/readme.txt", "read me", t_);
  file("twins/Readme", "1", t_); // case twins pair with their own entries
  file("twins/readme", "22", t_);
  file("old/o.txt", "o", t_);
  file("old/sub/deep.txt", "deep", t_);
  file("quote\"and\nbreak", "odd name", t_);
  testing_support::ZipBuilder().add("m.txt", "member").writeTo(disk_ + "/arch.zip");
  testing_support::ZipBuilder().add("g1.txt", "1").add("g2.txt", "2").writeTo(disk_ + "/gone.zip");
  file("box.zip/inner.txt", "in a folder", t_);
  catalogAndLoad();

  ASSERT_TRUE(compare_.run(disk_, "backup1")); // labels match ignoring case
  std::set<Row> expected{
      {"new directory", "box.zip", disk_}, {"new", "inner.txt", disk_ + "/box.zip"}, {"deleted", "box.zip", "BACKUP1"}};
  EXPECT_EQ(rowsOf(compare_), expected);

  // A second's step, a deleted folder tree and ZIP, a renamed case, new folders.
  testing_support::setModificationTime(disk_ + "/docs/notes.txt", t_ + 1);
  ASSERT_EQ(::rename((disk_ + "/docs/readme.txt").c_str(), (disk_ + "/docs/README.TXT").c_str()), 0);
  ASSERT_EQ(std::system(("rm -r '" + disk_ + "/old' '" + disk_ + "/gone.zip'").c_str()), 0);
  testing_support::ZipBuilder().add("m.txt", "MEMBER").writeTo(disk_ + "/arch.zip"); // same size
  testing_support::setModificationTime(disk_ + "/arch.zip", model_.findEntryByPath("BACKUP1/arch.zip")->date());
  file("scans/page1.tif", "tif", t_);
  file("scans/sub/z.txt", "z", t_);
  file("new\"one", "", t_);
  ASSERT_TRUE(compare_.run(disk_, "BACKUP1"));
  // clang-format off
  expected.insert({{"modified", "notes.txt", "BACKUP1/docs"},
                   {"deleted directory", "old", "BACKUP1"},     {"deleted directory", "sub", "BACKUP1/old"},
                   {"deleted", "o.txt", "BACKUP1/old"},         {"deleted", "deep.txt", "BACKUP1/old/sub"},
                   {"deleted", "gone.zip", "BACKUP1"},
                   {"new directory", "scans", disk_},           {"new directory", "sub", disk_ + "/scans"},
                   {"new", "page1.tif", disk_ + "/scans"},      {"new", "z.txt", disk_ + "/scans/sub"},
                   {"new", "new?one", disk_}});
  // clang-format on
  EXPECT_EQ(rowsOf(compare_), expected);
  // Grouped descending by status, whatever order the walk found them in.
  const auto &rows = compare_.rows();
  EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(), [](const auto &a, const auto &b) {
    return std::string(tavlor::statusText(a.status)) > tavlor::statusText(b.status);
  }));
  EXPECT_EQ(compare_.differences(), 14u);
  for (const tavlor::CompareRow &r : rows) {
    if (r.status != tavlor::CompareStatus::Modified) continue;
    EXPECT_EQ(r.entry, model_.findEntryByPath("BACKUP1/docs/notes.txt"));
    EXPECT_NE(compare_.text(r, tavlor::CompareColumn::DateCatalog), compare_.text(r, tavlor::CompareColumn::DateDisk));
  }
}

TEST_F(CompareFixture, IdenticalDiskAndMissingCatalog) {
  file("a/b.txt", "b", t_);
  ::mkdir((disk_ + "/empty").c_str(), 0755);
  ASSERT_EQ(::symlink("a", (disk_ + "/link").c_str()), 0); // a file of the catalog, never followed
  catalogAndLoad();
  ASSERT_TRUE(compare_.run(disk_, "BACKUP1"));
  ASSERT_EQ(compare_.rows().size(), 1u);
  EXPECT_EQ(compare_.rows()[0].status, tavlor::CompareStatus::Identical);
  EXPECT_EQ(compare_.differences(), 0u);
  EXPECT_EQ(tavlor::compareReport("/media/x  BACKUP1", tavlor::reportRows(compare_)),
            reportHead("/media/x  BACKUP1") +
                " Identical       All files                     \r\n 0 Differences found.\r\n");

  EXPECT_FALSE(compare_.run(disk_, "BACKUP2"));
  EXPECT_TRUE(compare_.rows().empty());
  // A missing disk folder counts as empty: the whole catalog is deleted.
  ASSERT_TRUE(compare_.run(disk_ + "/missing", "BACKUP1"));
  EXPECT_FALSE(compare_.rootReadable());
  EXPECT_EQ(rowsOf(compare_), (std::set<Row>{{"deleted directory", "a", "BACKUP1"},
                                             {"deleted directory", "empty", "BACKUP1"},
                                             {"deleted", "link", "BACKUP1"},
                                             {"deleted", "b.txt", "BACKUP1/a"}}));
}

TEST_F(CompareFixture, RowsOutliveTheirEntriesWithoutReachingThem) {
  file("docs/x.txt", "x", t_);
  catalogAndLoad();
  ASSERT_EQ(std::system(("rm -r '" + disk_ + "/docs'").c_str()), 0);
  ASSERT_TRUE(compare_.run(disk_, "BACKUP1"));
  const std::string before = tavlor::compareReport("d  BACKUP1", tavlor::reportRows(compare_));
  ASSERT_EQ(compare_.differences(), 2u);
  EXPECT_EQ(rowsWithEntries(compare_), compare_.rows().size());

  reload(); // replaces the disk: every entry the rows referred to is destroyed
  EXPECT_EQ(rowsWithEntries(compare_), 0u);
  EXPECT_EQ(tavlor::compareReport("d  BACKUP1", tavlor::reportRows(compare_)), before);
  EXPECT_EQ(tavlor::compareReport("d  BACKUP1", compare_), before);

  ASSERT_TRUE(compare_.run(disk_, "BACKUP1"));
  model_.clear();
  EXPECT_EQ(rowsWithEntries(compare_), 0u);
}

TEST_F(CompareFixture, CaseTwinsPairWithTheirOwnEntriesInEitherOrder) {
  // Both catalog orders: whatever order the disk lists the twins in, a match that
  // ignored case first would pair one of the two folders' twins crosswise.
  for (const char *folder : {"a", "b"}) {
    file(std::string(folder) + "/Readme", "1", t_);
    file(std::string(folder) + "/readme", "22", t_);
  }
  const std::string date = " 5 12 1999 18 40 12\r\n";
  const std::string text = "zar_version_1_1\r\n< \r\n   %drivetype fixed\r\n> \r\n + \"T\" 0 0" + date +
                           " < \r\n + \"a\" 0 0" + date + " < \r\n \"readme\" 2" + date + " \"Readme\" 1" + date +
                           " > \r\n + \"b\" 0 0" + date + " < \r\n \"Readme\" 1" + date + " \"readme\" 2" + date +
                           " > \r\n > \r\n";
  ASSERT_NE(tavlor::loadCatalogText(model_, text, "T.zar", reporter_).status, tavlor::LoadStatus::Rejected);
  ASSERT_TRUE(compare_.run(disk_, "T"));
  EXPECT_EQ(compare_.differences(), 0u) << tavlor::compareReport("d  T", tavlor::reportRows(compare_));
}

TEST_F(CompareFixture, TreeDeeperThanAPathCanName) {
  // 130 levels of 40-byte names: paths past PATH_MAX, and more levels than the walk
  // keeps open.
  const std::string name(40, 'd');
  int fd = ::open(disk_.c_str(), O_RDONLY | O_DIRECTORY);
  for (int level = 0; level < 130 && fd >= 0; ++level) {
    ::mkdirat(fd, name.c_str(), 0755);
    const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
  }
  ASSERT_GE(fd, 0);
  catalogAndLoad();
  ASSERT_TRUE(compare_.run(disk_, "BACKUP1"));
  EXPECT_EQ(compare_.differences(), 0u) << compare_.text(compare_.rows()[0], tavlor::CompareColumn::InFolder);
  const int file = ::openat(fd, "deep.txt", O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(file, 0);
  ::close(file);
  ::close(fd);
  ASSERT_TRUE(compare_.run(disk_, "BACKUP1"));
  ASSERT_EQ(compare_.differences(), 1u);
  EXPECT_EQ(compare_.text(compare_.rows()[0], tavlor::CompareColumn::Name), "deep.txt");
  EXPECT_EQ(compare_.text(compare_.rows()[0], tavlor::CompareColumn::InFolder).size(), disk_.size() + 130 * 41);
}

TEST(CompareReport, WorkedExampleByteForByte) {
  const std::vector<tavlor::CompareReportRow> rows{
      {"new directory", "scans", "A:", "", "0KB", "", "05.12.1999 18:40:12"},
      {"new", "page1.tif", "A:/scans", "", "1,210KB", "", "05.12.1999 18:41:03"},
      {"modified", "notes.txt", "BACKUP1/docs", "2KB", "3KB", "02.11.1999 09:12:40", "04.12.1999 21:03:15"},
      {"deleted", "old.txt", "BACKUP1/docs", "1KB", "", "14.06.1999 11:00:00", ""},
  };
  EXPECT_EQ(tavlor::compareReport("A:  BACKUP1", rows),
            reportHead("A:  BACKUP1") +
                " new directory   scans                                0KB 05.12.1999 18:40:12  A:\r\n"
                " new             page1.tif                        1,210KB 05.12.1999 18:41:03  A:/scans\r\n"
                " modified        notes.txt                            2KB 02.11.1999 09:12:40  BACKUP1/docs\r\n"
                "                                                     3KB 04.12.1999 21:03:15 \r\n"
                " deleted         old.txt                              1KB 14.06.1999 11:00:00  BACKUP1/docs\r\n"
                "\r\n 4 Differences found.\r\n");
}

TEST(CompareNames, CatalogSpellingAndTimes) {
  EXPECT_EQ(tavlor::catalogName(std::string("a\"b\nc\177d\001\351", 9)), std::string("a?b?c?d?\351", 9));
  const time_t t = testing_support::localTime(5, 12, 1999, 18, 40, 12);
  EXPECT_EQ(tavlor::catalogTime(t), t);
  const time_t undatable = testing_support::localTime(5, 2, 2036, 0, 0, 0);
  EXPECT_EQ(tavlor::catalogTime(0), undatable);
  EXPECT_EQ(tavlor::catalogTime(-5), undatable);
}

// The command line: report, exit status and messages.
TEST(CompareCommand, ExitStatusTellsWhetherSomethingChanged) {
  TempDir dir;
  const std::string disk = dir.createDir("disk");
  dir.createFile("disk/a.txt", "a");
  dir.createFile("disk/ two  blanks.txt", "2"); // read back from the catalog as "two blanks.txt"
  const std::string catalogs = dir.createDir("catalogs");
  const std::vector<std::string> env{"XDG_CONFIG_HOME=" + dir.path() + "/config"};
  ASSERT_EQ(runProgram({TAVLOR_CLI_PATH, "catalog", "--label", "DISK", "--catalogs", catalogs, disk}, env).status, 0);
  const std::vector<std::string> compare{TAVLOR_CLI_PATH, "compare", "--catalogs", catalogs,      "--label",
                                         "DISK",          "--unit",  "byte",       "--no-commas", disk};
  testing_support::RunResult same = runProgram(compare, env);
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_TRUE(contains(same.out, " Disk compared is " + disk + "  DISK\r\n"));
  EXPECT_TRUE(contains(same.out, " Identical       All files"));

  dir.createFile("disk/b.txt", "bb");
  testing_support::RunResult changed = runProgram(compare, env);
  EXPECT_EQ(changed.status, 1) << changed.err;
  EXPECT_TRUE(contains(changed.out, " new             b.txt" + std::string(34, ' ') + "2 "));
  EXPECT_TRUE(contains(changed.out, "\r\n 1 Differences found.\r\n"));

  // The sizes of the report follow --unit and --no-commas.
  dir.createFile("disk/c.txt", std::string(1234, 'c'));
  for (const auto &[options, size] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{}, " 1,234 "}, {{"--no-commas"}, " 1234 "}, {{"--unit", "KB"}, " 2KB "}}) {
    std::vector<std::string> argv{TAVLOR_CLI_PATH, "compare", "--catalogs", catalogs, "--label", "DISK", disk};
    argv.insert(argv.begin() + 2, options.begin(), options.end());
    EXPECT_TRUE(contains(runProgram(argv, env).out, " c.txt" + std::string(36 - size.size(), ' ') + size)) << size;
  }

  for (const auto &[args, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--catalogs", catalogs, "--label", "OTHER", disk}, "Catalog for this disk is not loaded"},
           {{"--catalogs", catalogs, "--label", "DISK", dir / "missing"}, "cannot read the folder"},
           {{"--catalogs", catalogs, "--label", "DISK"}, "expected a FOLDER"},
           {{"--unit", "GB", disk}, "--unit takes"},
       }) {
    std::vector<std::string> argv{TAVLOR_CLI_PATH, "compare"};
    argv.insert(argv.end(), args.begin(), args.end());
    const testing_support::RunResult run = runProgram(argv, env);
    EXPECT_EQ(run.status, 2) << message;
    EXPECT_TRUE(contains(run.err, message));
    EXPECT_TRUE(run.out.empty());
  }
}

// Dates around the catalog's last kept year: what the scanner writes, the loader
// reads, and the compare holds against the disk, so an unchanged disk is identical.
TEST(CompareCommand, DatesFrom2035To2039AreTakenAlikeByCatalogLoadAndCompare) {
  TempDir dir;
  const std::string disk = dir.createDir("disk");
  const std::vector<std::string> env{"XDG_CONFIG_HOME=" + dir.path() + "/config", "TZ=UTC", "LC_ALL=C"};
  setenv("TZ", "UTC", 1);
  tzset();
  const std::string kDefault = "02/05/36 00:00:00";
  const std::vector<std::pair<time_t, std::string>> files{
      {testing_support::localTime(31, 12, 2035, 23, 59, 59), "12/31/35 23:59:59"}, // the last date kept
      {testing_support::localTime(1, 1, 2036, 0, 0, 0), kDefault},
      {testing_support::localTime(15, 6, 2037, 12, 0, 0), kDefault},
      {INT32_MAX, kDefault},       // 19 January 2038 03:14:07, the last 32-bit second
      {INT32_MAX + 1ll, kDefault}, // undatable
      {testing_support::localTime(1, 3, 2039, 0, 0, 0), kDefault},
  };
  for (std::size_t i = 0; i < files.size(); ++i)
    testing_support::setModificationTime(dir.createFile("disk/f" + std::to_string(i), "x"), files[i].first);
  unsetenv("TZ");
  tzset();
  const std::string catalogs = dir.createDir("catalogs");
  ASSERT_EQ(runProgram({TAVLOR_CLI_PATH, "catalog", "--label", "DATES", "--catalogs", catalogs, disk}, env).status, 0);

  const testing_support::RunResult listed = runProgram({TAVLOR_CLI_PATH, "ls", "--catalogs", catalogs, "DATES"}, env);
  for (std::size_t i = 0; i < files.size(); ++i)
    EXPECT_TRUE(contains(listed.out, "f" + std::to_string(i) + "\t1\t" + files[i].second + "\n")) << i << listed.out;
  const testing_support::RunResult compared =
      runProgram({TAVLOR_CLI_PATH, "compare", "--catalogs", catalogs, "--label", "DATES", disk}, env);
  EXPECT_EQ(compared.status, 0) << compared.out << compared.err;
  EXPECT_TRUE(contains(compared.out, " Identical       All files")) << compared.out;
}

// As root: a loop-mounted ext4 volume, its label taken from the real mount table.
TEST(CompareCommand, LabelledLoopVolume) {
  std::string reason;
  if (!testing_support::canUseLoopMounts(&reason)) GTEST_SKIP() << "loop-mounted volumes not testable: " << reason;
  TempDir dir;
  const std::string script = std::string(TAVLOR_SOURCE_DIR) + "/scripts/loop_volume.sh";
  const std::string cli = "'" + std::string(TAVLOR_CLI_PATH) + "'", catalogs = "'" + dir.createDir("catalogs") + "'";
  const std::string steps = "set -e; m=$TAVLOR_LOOP_MOUNT; mkdir \"$m/docs\"; echo one > \"$m/docs/a.txt\"; " + cli +
                            " catalog --catalogs " + catalogs + " \"$m\" >/dev/null; echo two > \"$m/docs/new.txt\"; " +
                            "rm -r \"$m/lost+found\"; " + cli + " compare --catalogs " + catalogs +
                            " --unit byte \"$m\"";
  const testing_support::RunResult run =
      runProgram({"/bin/bash", script, "CMP LOOP", "/bin/sh", "-c", steps},
                 {"TAVLOR_VOLUME_TABLE=", "XDG_CONFIG_HOME=" + dir.path() + "/config"});
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  for (const char *part : {"  CMP LOOP\r\n", " new             new.txt ", " deleted directory lost+found",
                           "\r\n 2 Differences found.\r\n"})
    EXPECT_TRUE(contains(run.out, part));
}

} // namespace
