#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "platform/launch.h"
#include "test_support.h"

namespace {

using Words = std::vector<std::string>;

class DesktopEntryTest : public ::testing::Test {
protected:
  void SetUp() override {
    ::setenv("XDG_DATA_HOME", dir_.path().c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (dir_ / "none").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("XDG_DATA_DIRS");
  }
  void entry(const std::string &id, const std::string &exec) {
    dir_.createFile("applications/" + id,
                    "[Desktop Action new]\nExec=wrong\n[Desktop Entry]\nName=E\nExec=" + exec + "\n");
  }
  testing_support::TempDir dir_;
};

TEST_F(DesktopEntryTest, TheFileTakesThePlaceOfItsFieldCodeAsOneWord) {
  const std::string file = "/media/a b/notes 1.txt";
  const struct {
    const char *exec;
    Words expected;
  } cases[] = {
      {"gedit %U", {"gedit", file}},
      {"kate -b %F --new", {"kate", "-b", file, "--new"}},
      {"\"/opt/my editor/bin/ed\" %i %f", {"/opt/my editor/bin/ed", file}},
      {"mousepad", {"mousepad", file}},
      {"sh -c \"echo \\\"x\\\"\" %% %f", {"sh", "-c", "echo \"x\"", "%", file}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.exec);
    entry("ed.desktop", c.exec);
    EXPECT_EQ(platform::desktopEntryCommand("ed.desktop", file), c.expected);
  }
  EXPECT_TRUE(platform::desktopEntryCommand("missing.desktop", file).empty());
  EXPECT_TRUE(platform::desktopEntryCommand("../ed.desktop", file).empty());
}

TEST(LaunchTest, PathsAreCheckedBeforeLaunching) {
  testing_support::TempDir dir;
  const std::string file = dir.createFile("a.txt", "x");
  EXPECT_EQ(platform::checkLaunchPath(file), platform::LaunchCheck::Ok);
  EXPECT_EQ(platform::checkLaunchPath(dir / "b.txt"), platform::LaunchCheck::FileMissing);
  EXPECT_EQ(platform::checkLaunchPath(dir / "no/b.txt"), platform::LaunchCheck::PathMissing);
  EXPECT_EQ(platform::checkLaunchPath(file + "/b.txt"), platform::LaunchCheck::PathMissing);
}

TEST(LaunchTest, DetachedProgramsReportWhetherTheyStarted) {
  testing_support::TempDir dir;
  EXPECT_EQ(platform::startDetached({"sh", "-c", "echo started > " + (dir / "mark")}), 0);
  for (int i = 0; i < 200 && testing_support::readFile(dir / "mark").empty(); ++i)
    ::usleep(10000);
  EXPECT_EQ(testing_support::readFile(dir / "mark"), "started\n");
  EXPECT_EQ(platform::startDetached({"no-such-program-anywhere", "x"}), ENOENT);
  EXPECT_EQ(platform::programOutput({"printf", "a\\nb\\n\\n"}), "a\nb");
  EXPECT_EQ(platform::programOutput({"false"}), "");
}

} // namespace
