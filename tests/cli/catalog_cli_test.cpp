// tavlor catalog as a user runs it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "test_support.h"

using namespace testing_support;

namespace {

class CatalogCommand : public ::testing::Test {
protected:
  void SetUp() override {
    dir_.createFile("disk/docs/a.txt", "hello");
    dir_.createFile("disk/b.txt", "x");
  }
  RunResult run(std::vector<std::string> args, std::vector<std::string> env = {}) {
    args.insert(args.begin(), {TAVLOR_CLI_PATH, "catalog"});
    env.push_back("HOME=" + dir_.path());
    env.push_back("XDG_CONFIG_HOME=" + dir_.path() + "/config");
    return runProgram(args, env);
  }
  // The folder disk presented as a removable volume with label.
  std::string volumeTable(const std::string &label) {
    return "TAVLOR_VOLUME_TABLE=" + dir_.createFile("volumes", dir_.path() + "/disk\t" + label + "\tremovable\n");
  }
  TempDir dir_;
};

TEST_F(CatalogCommand, WritesTheCatalogWithTheGivenLabelAndDate) {
  const auto result =
      run({"--label", "DISK1", "--date", "24 12 1999 10 30 0", "--catalogs", dir_ / "cats", dir_ / "disk"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, dir_ / "cats/DISK1.zar\n");
  const std::string text = readFile(dir_ / "cats/DISK1.zar");
  EXPECT_TRUE(text.starts_with("zar_version_1_1\r\n< \r\n   %drivetype "));
  EXPECT_NE(text.find(" + \"DISK1\" "), std::string::npos);
  EXPECT_NE(text.find(" 24 12 1999 10 30 0\r\n < \r\n"), std::string::npos);
  EXPECT_NE(text.find(" \"a.txt\" 5 "), std::string::npos);
  EXPECT_TRUE(result.err.empty()) << result.err;
}

TEST_F(CatalogCommand, LabelAndFolderDefaultToTheVolumeAndTheCatalogsFolder) {
  const auto result = run({"--out", dir_ / "x.zar", dir_ / "disk/docs"}, {volumeTable("SHELF7")});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(readFile(dir_ / "x.zar").find("%drivetype default\r\n> \r\n + \"SHELF7\" "), std::string::npos);

  const auto defaulted = run({dir_ / "disk"}, {volumeTable("SHELF7")});
  ASSERT_EQ(defaulted.status, 0) << defaulted.err;
  EXPECT_EQ(defaulted.out, dir_ / "Tavlor/SHELF7.zar\n");
  struct stat st;
  EXPECT_EQ(::stat((dir_ / "Tavlor/SHELF7.zar").c_str(), &st), 0);
}

TEST_F(CatalogCommand, MissingEmptyOrUnsafeLabelsAreRefused) {
  const auto unlabelled = run({"--out", dir_ / "x.zar", dir_ / "disk"}, {volumeTable("")});
  EXPECT_EQ(unlabelled.status, 2);
  EXPECT_NE(unlabelled.err.find("--label"), std::string::npos) << unlabelled.err;
  for (const std::string &label : std::vector<std::string>{"", "a/b", "..", ".", "   ", std::string(252, 'L')}) {
    const auto result = run({"--label", label, "--catalogs", dir_ / "cats", dir_ / "disk"});
    EXPECT_EQ(result.status, 2) << label;
    EXPECT_FALSE(result.err.empty());
  }
  // The longest label that still names LABEL.zar; a double quote becomes "?" in the
  // catalog and in its file name alike.
  for (const auto &[label, cataloged] : std::vector<std::pair<std::string, std::string>>{
           {std::string(251, 'L'), std::string(251, 'L')}, {"Tom  \"Backup\"", "Tom ?Backup?"}}) {
    const auto result = run({"--label", label, "--catalogs", dir_ / "cats", dir_ / "disk"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, dir_ / ("cats/" + cataloged + ".zar\n"));
    EXPECT_NE(readFile(dir_ / ("cats/" + cataloged + ".zar")).find(" + \"" + cataloged + "\" "), std::string::npos);
  }
  struct stat st;
  EXPECT_NE(::stat((dir_ / "a").c_str(), &st), 0);
}

TEST_F(CatalogCommand, BadPathsOutputsAndArgumentsFailClearly) {
  const auto missing = run({"--label", "L", "--out", dir_ / "x.zar", dir_ / "nothing"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("nothing"), std::string::npos);
  const auto notFolder = run({"--label", "L", "--out", dir_ / "x.zar", dir_ / "disk/b.txt"});
  EXPECT_EQ(notFolder.status, 1);
  const auto unwritable = run({"--label", "L", "--out", dir_ / "no/such/x.zar", dir_ / "disk"});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("cannot write the catalog " + dir_ / "no/such/x.zar: No such file or directory"),
            std::string::npos)
      << unwritable.err;
  for (const std::vector<std::string> &args :
       {std::vector<std::string>{"--label", "L", "--date", "31 13 2000 0 0 0", dir_ / "disk"},
        {"--label", "L", "--date", "1 2 3", dir_ / "disk"},
        {"--label", "L"},
        {"--label", "L", "--bogus", dir_ / "disk"},
        {"--label", "L", "--out", "a", "--catalogs", "b", dir_ / "disk"}}) {
    EXPECT_EQ(run(args).status, 2) << args.size();
  }
}

TEST_F(CatalogCommand, HelpDescribesTheCommand) {
  const auto help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: tavlor catalog"), std::string::npos);
  const auto top = runProgram({TAVLOR_CLI_PATH, "--help"});
  EXPECT_NE(top.out.find("catalog"), std::string::npos);
}

TEST_F(CatalogCommand, WarningsGoToStandardError) {
  setModificationTime(dir_ / "disk/b.txt", localTime(1, 1, 1965, 0, 0, 0));
  const auto result = run({"--label", "L", "--out", dir_ / "x.zar", dir_ / "disk"});
  ASSERT_EQ(result.status, 0);
  EXPECT_NE(result.err.find("Warning: file date invalid: The file " + dir_.path() + "/disk/b.txt has invalid"),
            std::string::npos)
      << result.err;
}

// The settings the browser saves steer the command line, which reads them without ever
// writing the file.
TEST_F(CatalogCommand, FollowsTheSavedSettingsAndLeavesThemAlone) {
  const std::string conf = "[General]\nTavlor=\"" + dir_.path() +
                           "/My, Catalogs\"\nUseSizeComma=+0\n"
                           "ShowTotalSize= 0\n";
  const std::string file = dir_.createFile("config/Quorvale/Tavlor.conf", conf);
  dir_.createFile("disk/big", std::string(2000, 'b'));
  ASSERT_EQ(run({"--label", "D1", dir_ / "disk"}, {}).out, dir_ / "My, Catalogs/D1.zar\n");
  std::vector<std::string> env{"HOME=" + dir_.path(), "XDG_CONFIG_HOME=" + dir_.path() + "/config"};
  const auto props = runProgram({TAVLOR_CLI_PATH, "properties", "D1"}, env);
  ASSERT_EQ(props.status, 0) << props.err;
  EXPECT_NE(props.out.find("Size: 2006\n"), std::string::npos) << props.out;
  const auto ls = runProgram({TAVLOR_CLI_PATH, "ls"}, env);
  ASSERT_EQ(ls.status, 0) << ls.err;
  EXPECT_TRUE(ls.out.starts_with("Disk\tFree Space\t")) << ls.out;
  EXPECT_EQ(readFile(file), conf); // not even the default descriptions file name is added
}

} // namespace
