#include "gui_support.h"

#include "settings/settings_store.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>

namespace gui_support {

namespace {

QTemporaryDir &home() {
  static QTemporaryDir dir(QDir::tempPath() + "/tavlor-gui-XXXXXX");
  return dir;
}

QSettings store() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quorvale", "Tavlor");
}

} // namespace

void useTestProfile() {
  QByteArray path = QFile::encodeName(home().path());
  setenv("HOME", path.constData(), 1);
  setenv("XDG_CONFIG_HOME", (path + "/config").constData(), 1);
  QDir().mkpath(home().path() + "/config");
}

QString testHome() {
  return home().path();
}

void resetSettings(const std::vector<std::pair<const char *, QVariant>> &values) {
  {
    QSettings s = store();
    s.clear();
    for (const auto &[name, value] : values)
      s.setValue(name, value);
    s.sync();
  }
  settings::createSettingsKey();
}

QVariant storedSetting(const char *name) {
  QSettings s = store();
  return s.value(name);
}

QString freshFolder(const QString &name) {
  QDir dir(home().path() + "/" + name);
  dir.removeRecursively();
  QDir().mkpath(dir.path());
  return dir.path();
}

std::string writeCatalog(const QString &folder, const std::string &fileName, const std::string &label,
                         const std::string &body, long long totalSize, long long freeSpace) {
  std::string path = QFile::encodeName(folder).toStdString() + "/" + fileName;
  std::ofstream out(path, std::ios::binary);
  out << "zar_version_1_1\r\n< \r\n   %drivetype fixed\r\n> \r\n + \"" << label << "\" " << totalSize << " "
      << freeSpace << " 24 12 1999 10 30 0\r\n < \r\n"
      << body << " > \r\n";
  return path;
}

std::string fileLine(const std::string &name, long long size, int day, int month, int year) {
  return " \"" + name + "\" " + std::to_string(size) + " " + std::to_string(day) + " " + std::to_string(month) + " " +
         std::to_string(year) + " 12 0 0\r\n";
}

std::string folderLines(const std::string &name, const std::string &body, long long size) {
  return " + \"" + name + "\" " + std::to_string(size) + " 0 3 4 2002 8 0 0\r\n <\r\n" + body + " >\r\n";
}

BoxLog::BoxLog(bool answer) : answer_(answer) {
  setBoxHandler([this](QWidget *, const BoxRequest &box) {
    boxes_.push_back(box);
    if (waitWindowShowing()) ++overWaitWindow_;
    return answer_;
  });
}

BoxLog::~BoxLog() {
  setBoxHandler({});
}

} // namespace gui_support
