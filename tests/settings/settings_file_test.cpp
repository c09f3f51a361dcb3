// The command line reads the settings files without Qt; whatever QSettings writes or
// reads there, it must read the same.
#include <gtest/gtest.h>

#include <QSettings>
#include <fstream>

#include "settings/settings_file.h"
#include "test_support.h"

using namespace settings;

namespace {

// What the windowed programs' store returns for name in the INI file path.
std::optional<std::string> qtText(const std::string &path, const char *name) {
  QSettings store(QString::fromStdString(path), QSettings::IniFormat);
  const QVariant value = store.value(QString::fromUtf8(name));
  if (!value.isValid() || !value.canConvert<QString>()) return std::nullopt;
  return value.toString().toStdString();
}

std::string printable(const std::optional<std::string> &v) {
  return v ? "\"" + *v + "\"" : "(none)";
}

} // namespace

TEST(SettingsFile, ReadsBackEveryTextQtWrites) {
  testing_support::TempDir dir;
  const std::vector<std::string> texts{
      "/home/ann/My, Catalogs",
      "  leading and trailing  ",
      "say \"hi\"",
      "back\\slash",
      "tab\there",
      "two\nlines",
      "Müller/日本/😀",
      "@at start",
      "@@twice",
      "semi;colon",
      "a=b",
      "",
      "\x01\x7f",
      "\\x41",
      "[General]",
      "#hash",
      "ends with backslash\\",
      "x\\\"y,z",
      "007",
      "KB",
  };
  const std::string path = dir / "Tavlor.conf";
  {
    QSettings store(QString::fromStdString(path), QSettings::IniFormat);
    for (std::size_t i = 0; i < texts.size(); ++i)
      store.setValue(QString("Text%1").arg(i), QString::fromStdString(texts[i]));
    store.setValue("Number", 42);
    store.setValue("Group/Inner", "not top-level");
    store.sync();
  }
  std::ifstream in(path, std::ios::binary);
  const std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string name = "Text" + std::to_string(i);
    EXPECT_EQ(printable(iniTextValue(ini, name)), printable(texts[i])) << name << " in\n" << ini;
  }
  EXPECT_EQ(printable(iniTextValue(ini, "Number")), "\"42\"");
  EXPECT_EQ(iniTextValue(ini, "Inner"), std::nullopt);
  EXPECT_EQ(iniTextValue(ini, "Missing"), std::nullopt);
}

TEST(SettingsFile, ReadsHandEditedFilesAsQtDoes) {
  // Each file is read for the key K both ways.
  const std::vector<std::string> files{
      "[General]\nK=plain\n",
      "K=before any section\n",
      "[general]\nK = spaced  \n",
      "[Other]\nK=elsewhere\n",
      "[%General]\nK=the group named General\n",
      "[General]\nK=first\nK=last\n",
      "[General]\nK=first\n[Other]\nX=1\n[General]\nK=again\n",
      "[General]\n; K=commented\nK=value ; trailing comment\n",
      "[General]\nK=a, b, c\n",
      "[General]\nK=\"a, b\", c\n",
      "[General]\nK=\"quoted\"  tail\n",
      "[General]\nK=\"open quote\nstill in it\"\n",
      "[General]\nK=line \\\ncontinued\n",
      "[General]\nK=\\x41\\x42C\\101\\t|\\q|\\x|\n",
      "[General]\nK=\\xd83d\\xde00 and \\xe9\n",
      "[General]\nK=@ByteArray(bytes)\n",
      "[General]\nK=@String(text)\n",
      "[General]\nK=@Invalid()\n",
      "[General]\nK=@Rect(1 2 3 4)\n",
      "[General]\nK=@@escaped\n",
      "[General]\nK=@other\n",
      "\xEF\xBB\xBF[Other]\nK=a section after a byte-order mark\n",
      "[General]\r\nK=windows lines\r\nX=1\r\n",
      "[General]\n%4B=escaped key\n",
      "[General]\nk=other case\n",
      "[General]\nK=\n",
      "[General]\nK\n",
      "[General]\nK=trailing \\ \n",
      "[General]\nK=bad \xC3( utf-8\n",
      "[General]\nK=\xF8\x88\x80\x80 \xF5\x80 \xED\xA0\x80 past the code points\n",
      "[General\nK=unclosed section\n",
  };
  testing_support::TempDir dir;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string path = dir.createFile("f" + std::to_string(i) + ".conf", files[i]);
    EXPECT_EQ(printable(iniTextValue(files[i], "K")), printable(qtText(path, "K"))) << files[i];
  }
}

TEST(SettingsFile, LooksInTheUserFilesThenTheSystemFolders) {
  const auto files = [](const char *home, const char *configHome, const char *dirs) {
    setenv("HOME", home, 1);
    if (configHome)
      setenv("XDG_CONFIG_HOME", configHome, 1);
    else
      unsetenv("XDG_CONFIG_HOME");
    if (dirs)
      setenv("XDG_CONFIG_DIRS", dirs, 1);
    else
      unsetenv("XDG_CONFIG_DIRS");
    return settingsFiles();
  };
  const std::vector<std::string> plain{"/home/ann/.config/Quorvale/Tavlor.conf", "/home/ann/.config/Quorvale.conf",
                                       "/etc/xdg/Quorvale/Tavlor.conf", "/etc/xdg/Quorvale.conf"};
  EXPECT_EQ(files("/home/ann", nullptr, nullptr), plain);
  EXPECT_EQ(files("/home/ann", "", ""), plain);
  EXPECT_EQ(files("/x", "/c", "/a::/b"),
            (std::vector<std::string>{"/c/Quorvale/Tavlor.conf", "/c/Quorvale.conf", "/a/Quorvale/Tavlor.conf",
                                      "/a/Quorvale.conf", "/b/Quorvale/Tavlor.conf", "/b/Quorvale.conf"}));

  // The first file that holds the key answers; a missing or unreadable one is passed over.
  testing_support::TempDir dir;
  dir.createFile("user/Quorvale.conf", "[General]\nK=organisation\nJ=user organisation\n");
  dir.createFile("sys/Quorvale/Tavlor.conf", "[General]\nK=system\nJ=system\nS=system only\n");
  dir.createDir("user/Quorvale/Tavlor.conf"); // a folder where the file would be
  files("/x", (dir / "user").c_str(), (dir / "none:" + dir / "sys").c_str());
  EXPECT_EQ(storedTextValue("K"), "organisation");
  EXPECT_EQ(storedTextValue("S"), "system only");
  EXPECT_EQ(storedTextValue("Nowhere"), std::nullopt);
  unsetenv("XDG_CONFIG_DIRS");
}
