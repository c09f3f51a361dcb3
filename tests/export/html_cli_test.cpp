// tavlor html as a user runs it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "test_support.h"

using namespace testing_support;

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
  bool exists(const std::string &relative) {
    struct stat st;
    return ::stat((dir_ / relative).c_str(), &st) == 0;
  }
  TempDir dir_;
};

TEST_F(HtmlCommand, WritesTheWebSiteOrTheSingleFileOfAFolder) {
  auto site = run({"--catalogs", dir_ / "cats", "--description", "My disks", dir_ / "site/index.htm", "DATA"});
  // The folder does not exist: nothing can be written, and the command says so.
  EXPECT_EQ(site.status, 1);
  EXPECT_NE(site.err.find("cannot write " + dir_ / "site/index.htm"), std::string::npos) << site.err;

  dir_.createDir("site");
  site = run({"--catalogs", dir_ / "cats", "--description", "My disks", dir_ / "site/index.htm", "DATA"});
  ASSERT_EQ(site.status, 0) << site.err;
  EXPECT_EQ(site.out, dir_ / "site/index.htm\n");
  EXPECT_NE(readFile(dir_ / "site/Tavlor_folder2.htm").find("<br>My disks\r\n</font>\r\n<p>\r\n<b>DATA/docs</b>\r\n"),
            std::string::npos);
  EXPECT_NE(readFile(dir_ / "site/Tavlor_folder2.htm")
                .find("<tr><td> <img SRC=\"fileicon.gif\"> a.txt </td><td align=\"right\">1,234</td><td "
                      "align=\"right\">01/02/00 10:00:00</td></tr>\r\n"),
            std::string::npos);
  for (const char *icon : {"zipicon.gif", "foldericon.gif", "fileicon.gif", "upicon.gif"})
    EXPECT_TRUE(exists(std::string("site/") + icon)) << icon;

  // One file, the start folder only, the default description; the catalog named alone.
  const auto single = run({dir_ / "cats/DATA.zar", "--single", "--no-recurse", dir_ / "one.htm", "DATA/docs"});
  ASSERT_EQ(single.status, 0) << single.err;
  const std::string one = readFile(dir_ / "one.htm");
  EXPECT_NE(one.find("<br>Web site updated "), std::string::npos);
  EXPECT_NE(one.find("<a name=\"folder1\"><b>DATA/docs</b>"), std::string::npos);
  EXPECT_NE(one.find("<a href=\"\">old.zip</a>"), std::string::npos);
  EXPECT_FALSE(exists("Tavlor_folder1.htm"));
}

TEST_F(HtmlCommand, BadArgumentsAndUnknownFolders) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char *says;
  };
  const Case cases[] = {
      {{"--catalogs", dir_ / "cats"}, 2, "the output file is missing"},
      {{"--catalogs", dir_ / "cats", "a.htm", "DATA", "extra"}, 2, "unexpected argument extra"},
      {{"--catalogs", dir_ / "cats", dir_ / "a.htm", "DATA/nothing"}, 1, "DATA/nothing is not a folder"},
      {{"--catalogs", dir_ / "cats", dir_ / "a.htm", "DATA/docs/a.txt"}, 1, "is not a folder"},
  };
  for (const Case &c : cases) {
    const auto result = run(c.args);
    EXPECT_EQ(result.status, c.status) << c.says;
    EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
  }
  EXPECT_FALSE(exists("a.htm"));
}

} // namespace
