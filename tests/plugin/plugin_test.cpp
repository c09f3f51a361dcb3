// TavlorCatalog on a volume table of plain folders: the start-up checks, the settings
// and the dialog, the label check, launching and the catalog that cannot be written.
#include <sys/stat.h>

#include "plugin_support.h"

using testing_support::readFile;
using testing_support::writeFile;
using Files = std::vector<std::string>;

namespace {

bool exists(const std::string &path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

const char kUsage[] = "Command line parameter must be a folder on a mounted volume.\nNeed drive specification on the "
                      "form: /media/user/LABEL\nParameter given : ";

} // namespace

TEST_F(PluginTest, ArgumentsThatNameNoMountedFolderAreRefusedWithTheUsageBox) {
  useTable({"stick\tSTICK\tremovable"});
  useSettings("TavlorCatalog_Dialog=0\n");
  writeFile(root("stick") + "/file.txt", "x");
  const std::vector<std::vector<std::string>> cases = {
      {}, {""}, {"st"}, {root("nowhere")}, {root("stick") + "/file.txt"}, {dir_.path()}};
  for (const auto &arguments : cases) {
    ui_.boxes.clear();
    EXPECT_EQ(run(arguments), 1);
    const std::string given = arguments.empty() ? "" : arguments.front();
    EXPECT_EQ(ui_.boxes, (ShownList{{"Tavlor Catalog", kUsage + given}})) << given;
  }
  EXPECT_FALSE(ui_.dialogJob);
  EXPECT_FALSE(exists(catalogs()));
}

TEST_F(PluginTest, WithoutTheDialogAnyFolderOfTheDiskCatalogsTheWholeDisk) {
  // Dialog 0, Eject 1, Launch 0: catalog at once, no window, nothing opened.
  useTable({"media/My Stick\tMYSTICK\tremovable"});
  useSettings("TavlorCatalog_Dialog=0\nTavlorCatalog_Eject=1\nTavlorCatalog_Launch=0\n");
  dir_.createFile("media/My Stick/docs/a.txt", "hello");
  const std::string disk = root("media/My Stick");
  for (const std::string &argument :
       {disk, disk + " ", disk + "/", disk + "/docs", "file://" + dir_.path() + "/media/My%20Stick"}) {
    ::unlink((catalogs() + "/MYSTICK.zar").c_str());
    EXPECT_EQ(run({argument, "ignored"}), 0) << argument;
    EXPECT_EQ(ui_.boxes, ShownList{}) << argument;
    const std::string catalog = readFile(catalogs() + "/MYSTICK.zar");
    EXPECT_NE(catalog.find("MYSTICK"), std::string::npos) << argument;
    EXPECT_NE(catalog.find("a.txt"), std::string::npos) << argument;
  }
  EXPECT_FALSE(ui_.dialogJob);
  EXPECT_TRUE(ui_.questions.empty());
  EXPECT_TRUE(opened(false).empty());
}

TEST_F(PluginTest, TheDialogStartsFromTheSettingsOrThePluginsDefaults) {
  useTable({"stick\tSTICK\tremovable", "bare\t\tremovable"});
  struct Case {
    std::string settings;
    bool eject;
    int launchMode;
  };
  // Within one process QSettings takes a rewritten file of the same size and time for
  // the one it read before, so the settings texts differ in length.
  const Case cases[] = {
      {"", true, 0}, // nothing stored: eject, do not launch
      {"TavlorCatalog_Dialog=1\nTavlorCatalog_Eject=0\nTavlorCatalog_Launch=2\n", false, 2},
      {"TavlorCatalog_Dialog=-5\nTavlorCatalog_Eject=7\nTavlorCatalog_Launch=1\n", true, 1},
      {"TavlorCatalog_Eject=oops\nTavlorCatalog_Launch=oops\n", true, 0},
  };
  for (const Case &c : cases) {
    if (c.settings.empty())
      ::unlink((dir_ / "config/Quorvale/Tavlor.conf").c_str());
    else
      useSettings(c.settings);
    ui_.userChoice = nullptr; // Cancel
    ui_.dialogJob.reset();
    EXPECT_EQ(run({root("stick")}), 0);
    ASSERT_TRUE(ui_.dialogJob) << c.settings;
    EXPECT_EQ(ui_.dialogJob->eject, c.eject) << c.settings;
    EXPECT_EQ(ui_.dialogJob->launchMode, c.launchMode) << c.settings;
    EXPECT_EQ(ui_.dialogPrompt, "Catalog disk in " + root("stick") + " as STICK?");
  }
  run({root("bare")});
  EXPECT_EQ(ui_.dialogPrompt, "Catalog disk in " + root("bare") + " as <no label>?");
  // Cancel did nothing: no catalog, no folder (the default one in the home folder too).
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_FALSE(exists(catalogs()));
  EXPECT_FALSE(exists(dir_ / "home/Tavlor"));
}

TEST_F(PluginTest, LaunchingFollowsTheModeTheAnswerAndTheDesktopsAssociation) {
  useTable({"stick\tSTICK\tremovable"});
  struct Case {
    int launchMode;
    bool answerYes;
    std::string application; // what xdg-mime names for the type
    bool asked;
    bool opened;
    bool errorBox;
  };
  const Case cases[] = {
      {0, true, "tavlor.desktop", false, false, false}, {1, false, "tavlor.desktop", false, true, false},
      {2, false, "tavlor.desktop", true, false, false}, {2, true, "tavlor.desktop", true, true, false},
      {7, true, "tavlor.desktop", false, false, false}, {1, true, "", false, false, true},
  };
  // The settings texts differ in length, as above: QSettings would take a rewritten
  // file of the same size and time for the one it read before.
  std::string pad;
  for (const Case &c : cases) {
    pad += 'x';
    SCOPED_TRACE("launch " + std::to_string(c.launchMode) + " answer " + std::to_string(c.answerYes) + " app '" +
                 c.application + "'");
    useSettings("TavlorCatalog_Dialog=0\nTavlorCatalog_Eject=1\nTavlorCatalog_Launch=" + std::to_string(c.launchMode) +
                "\nPad=" + pad + "\n");
    setDefaultApplication(c.application);
    ::unlink((dir_ / "opened").c_str());
    ui_ = RecordingUi();
    ui_.answerYes = c.answerYes;
    EXPECT_EQ(run({root("stick")}), 0);
    EXPECT_EQ(ui_.questions, (c.asked ? ShownList{{"Tavlor Catalog completed", "Launch catalog?"}} : ShownList{}));
    EXPECT_EQ(opened(c.opened), c.opened ? Files{catalogs() + "/STICK.zar"} : Files{});
    EXPECT_EQ(ui_.boxes, (c.errorBox ? ShownList{{"ShellExecuteEx", "error launching"}} : ShownList{}));
    EXPECT_TRUE(exists(catalogs() + "/STICK.zar"));
  }
}

TEST_F(PluginTest, OkRunsTheJobWithTheChoicesMadeInTheDialog) {
  useTable({"stick\tSTICK\tremovable"});
  useSettings("TavlorCatalog_Launch=0\n");
  ui_.userChoice = [](tavplugin::CatalogJob &job) { job.launchMode = tavplugin::kLaunch; };
  EXPECT_EQ(run({root("stick")}), 0);
  EXPECT_EQ(opened(true), Files{catalogs() + "/STICK.zar"});
  // The choice is not saved.
  EXPECT_EQ(readFile(dir_ / "config/Quorvale/Tavlor.conf").find("Launch=1"), std::string::npos);
}

TEST_F(PluginTest, AnUnlabelledOrUnreadableDiskMakesNeitherCatalogNorFolder) {
  useTable({"bare\t\tremovable", "broken\tBROKEN\tremovable\tEIO"});
  useSettings("TavlorCatalog_Dialog=0\nTavlorCatalog_Launch=1\n");
  for (const char *disk : {"bare", "broken"}) {
    ui_.boxes.clear();
    EXPECT_EQ(run({root(disk)}), 0);
    EXPECT_EQ(ui_.boxes, (ShownList{{"Tavlor Catalog", "The disk has no volume label\nPlease label first, or use "
                                                       "Tavlor main program to create catalog"}}))
        << disk;
  }
  EXPECT_FALSE(exists(catalogs()));
  EXPECT_EQ(ui_.progressCalls, 0);
  EXPECT_TRUE(opened(false).empty());
}

TEST_F(PluginTest, AFailedOrCancelledScanKeepsTheOldCatalogAndLaunchesNothing) {
  useTable({"stick\tSTICK\tremovable", "evil\t..\tremovable"});
  dir_.createFile("stick/new.txt", "x");
  // A catalogs folder below a plain file can be neither made nor written.
  writeFile(dir_ / "plain", "");
  useSettings("TavlorCatalog_Dialog=0\nTavlorCatalog_Launch=1\nTavlor=" + dir_.path() + "/plain/catalogs\n");
  EXPECT_EQ(run({root("stick")}), 0);
  EXPECT_EQ(ui_.boxes, (ShownList{{"Tavlor Catalog", "Unable to write the catalog file " + dir_.path() +
                                                         "/plain/catalogs/STICK.zar: Not a directory"}}));

  // Cancel in the progress window: the previous catalog stays as it was.
  useSettings("TavlorCatalog_Dialog=0\nTavlorCatalog_Launch=1\n");
  dir_.createFile("catalogs/STICK.zar", "old catalog");
  ui_ = RecordingUi();
  ui_.cancelAtCall = 1;
  EXPECT_EQ(run({root("stick")}), 0);
  EXPECT_TRUE(ui_.boxes.empty());
  EXPECT_EQ(readFile(catalogs() + "/STICK.zar"), "old catalog");

  // A label that would name a file outside the catalogs folder is refused.
  ui_ = RecordingUi();
  EXPECT_EQ(run({root("evil")}), 0);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].caption, "Tavlor Catalog");
  EXPECT_EQ(opened(false), Files{});
}
