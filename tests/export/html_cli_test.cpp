// tavlor html as a user runs it.
#include <filesystem>

#include "export_fixture.h"

using namespace testing_support;
using export_tests::expectContains;

namespace {

class HtmlCommand : public ::testing::Test {
protected:
  void SetUp() override {
    dir_.createDir("config");
    dir_.createFile("cats/DATA.zar",
                    "zar_version_1_1\n< \n   %drivetype fixed\n> \n + \"DATA\" 1000 500 1 1 2000 0 0 0\n"
                    " < \n + \"docs\" 0 0 1 1 2000 0 0 0\n < \n \"a.txt\" 1234 2 1 2000 10 0 0\n"
                    " + \"old.zip\" 5000 0 3 1 2000 11 0 0\n < \n > \n > \n > \n");
  }
  RunResult run(std::vector<std::string> args) {
    args.insert(args.begin(), {TAVLOR_CLI_PATH, "html"});
    return runProgram(args,
                      {"XDG_CONFIG_HOME=" + dir_.path() + "/config", "HOME=" + dir_.path(), "LC_ALL=C", "TZ=UTC"});
  }
  bool exists(const std::string &relative) { return std::filesystem::exists(dir_ / relative); }
  TempDir dir_;
};

TEST_F(HtmlCommand, WritesTheWebSiteOrTheSingleFileOfAFolder) {
  const std::vector<std::string> args = {"--catalogs", dir_ / "cats",           "--description",
                                         "My disks",   dir_ / "site/index.htm", "DATA"};
  // The folder does not exist yet: it is made, as a copy makes its destination.
  auto site = run(args);
  ASSERT_EQ(site.status, 0) << site.err;
  EXPECT_EQ(site.out, dir_ / "site/index.htm\n");
  expectContains(readFile(dir_ / "site/Tavlor_folder2.htm"),
                 {"<br>My disks\r\n</font>\r\n<p>\r\n<b>DATA/docs</b>\r\n",
                  "<tr><td> <img SRC=\"fileicon.gif\"> a.txt </td><td align=\"right\">1,234</td><td "
                  "align=\"right\">01/02/00 10:00:00</td></tr>\r\n"});
  for (const char *icon : {"zipicon.gif", "foldericon.gif", "fileicon.gif", "upicon.gif"})
    EXPECT_TRUE(exists(std::string("site/") + icon)) << icon;

  // One file, the start folder only, the default description; the catalog named alone.
  // A link planted under the output's name is replaced, its target left alone.
  const std::string victim = dir_.createFile("victim.txt", "precious");
  std::filesystem::create_symlink(victim, dir_ / "one.htm");
  const auto single = run({dir_ / "cats/DATA.zar", "--single", "--no-recurse", dir_ / "one.htm", "DATA/docs"});
  ASSERT_EQ(single.status, 0) << single.err;
  expectContains(readFile(dir_ / "one.htm"),
                 {"<br>Web site updated ", "<a name=\"folder1\"><b>DATA/docs</b>", "<a href=\"\">old.zip</a>"});
  EXPECT_FALSE(exists("Tavlor_folder1.htm"));
  EXPECT_EQ(readFile(victim), "precious");
  EXPECT_FALSE(std::filesystem::is_symlink(dir_ / "one.htm"));
}

TEST_F(HtmlCommand, BadArgumentsAndUnknownFolders) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string says;
  } cases[] = {
      {{"--catalogs", dir_ / "cats"}, 2, "the output file is missing"},
      {{"--catalogs", dir_ / "cats", "a.htm", "DATA", "extra"}, 2, "unexpected argument extra"},
      {{"--catalogs", dir_ / "cats", dir_ / "a.htm", "DATA/nothing"}, 1, "DATA/nothing is not a folder"},
      {{"--catalogs", dir_ / "cats", dir_ / "a.htm", "DATA/docs/a.txt"}, 1, "is not a folder"},
      {{"--catalogs", dir_ / "cats", dir_ / "cats/DATA.zar/a.htm", "DATA"},
       1,
       "cannot write into the folder " + dir_ / "cats/DATA.zar" + ": Not a directory"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.says);
    const auto result = run(c.args);
    EXPECT_EQ(result.status, c.status);
    expectContains(result.err, {c.says});
  }
  EXPECT_FALSE(exists("a.htm"));
}

} // namespace
