#include <gtest/gtest.h>

#include <QSettings>
#include <fstream>

#include "settings/settings_store.h"
#include "settings/settings_values.h"
#include "test_support.h"

using namespace settings;

namespace {

// Each test gets its own empty settings folder; the user's settings are never touched.
class Settings : public ::testing::Test {
protected:
  void SetUp() override {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(dir_.path()));
    file_ = dir_ / "Quorvale/Tavlor.conf";
  }
  void store(const std::string &ini) { dir_.createFile("Quorvale/Tavlor.conf", "[General]\n" + ini); }
  testing_support::TempDir dir_;
  std::string file_;
};

} // namespace

TEST_F(Settings, DefaultsWithoutAnySettingsFile) {
  setenv("HOME", "/home/ann", 1);
  setenv("TEMP", "/var/tmp/t", 1);
  EXPECT_FALSE(readSwitch(kAutoLoadCatalogs));
  for (const SwitchSetting *s :
       {&kUseSystemIcons, &kUseSizeComma, &kShowTotalSize, &kShowFreeSpace, &kShowDateCataloged, &kShowDescription,
        &kAutoBackupDescription, &kPluginDialog, &kPluginEject}) {
    EXPECT_TRUE(readSwitch(*s)) << s->name;
  }
  EXPECT_EQ(readNumber(kPluginLaunch), 0);
  EXPECT_EQ(catalogsFolder(), "/home/ann/Tavlor");
  EXPECT_EQ(fileSizeUnit(), "byte");
  EXPECT_EQ(htmlFile(), "/var/tmp/t/index.htm");
  EXPECT_EQ(zipFileExtract(), "/var/tmp/t");
  EXPECT_FALSE(windowRect());
  // Without the key even the default descriptions file name cannot be written.
  EXPECT_EQ(descriptionsFileName(), "descr_disks.txt");
  EXPECT_FALSE(writeSwitch(kAutoLoadCatalogs, true));
  EXPECT_FALSE(std::ifstream(file_).good());
  unsetenv("TEMP");
}

TEST_F(Settings, WritesSucceedOnceTheKeyExists) {
  ASSERT_TRUE(createSettingsKey());
  EXPECT_EQ(descriptionsFileName(), "descr_disks.txt");
  std::string text;
  EXPECT_TRUE(readSettingText("descr_disks", text));
  EXPECT_EQ(text, "descr_disks.txt");
  EXPECT_TRUE(writeSwitch(kAutoLoadCatalogs, true));
  EXPECT_TRUE(readSwitch(kAutoLoadCatalogs));
  EXPECT_TRUE(writeSettingText("Tavlor", "/srv/catalogs"));
  EXPECT_EQ(catalogsFolder(), "/srv/catalogs");
  EXPECT_TRUE(writeWindowRect({10, 20, 810, 620}));
  ASSERT_TRUE(windowRect());
  EXPECT_EQ(windowRect()->right, 810);
  EXPECT_STREQ(readSettingText("Tavlor"), "/srv/catalogs");
  EXPECT_EQ(readSettingText("Missing"), nullptr);
}

TEST_F(Settings, SwitchIsOnOnlyWhenOne) {
  store("UseSizeComma=2\nShowTotalSize=0\nShowFreeSpace=1\nShowDescription=yes\nWindowLeft=1\nWindowTop=2\n"
        "WindowRight=3\n");
  EXPECT_FALSE(readSwitch(kUseSizeComma));
  EXPECT_FALSE(readSwitch(kShowTotalSize));
  EXPECT_TRUE(readSwitch(kShowFreeSpace));
  EXPECT_TRUE(readSwitch(kShowDescription)); // not a number: unreadable, so the default
  EXPECT_FALSE(windowRect());                // three of four
}

TEST_F(Settings, TextsOf256BytesOrMoreFailToRead) {
  store("FileSizeUnit=" + std::string(256, 'K') + "\nHtmlFile=" + std::string(255, 'h') + "\n");
  std::string text = "unchanged";
  EXPECT_FALSE(readSettingText("FileSizeUnit", text));
  EXPECT_EQ(text, "unchanged");
  EXPECT_EQ(fileSizeUnit(), "byte");
  EXPECT_EQ(htmlFile(), std::string(255, 'h'));
}
