#include "plugin_support.h"

#include <unistd.h>

#include <QApplication>
#include <QSettings>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

using testing_support::writeFile;

void ensureQtApplication() {
  if (QApplication::instance()) return;
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "test_plugin";
  static char *argv[] = {name, nullptr};
  // Never destroyed: a QApplication torn down among the exit handlers crashes in
  // Qt's post routines.
  static QApplication *app = new QApplication(argc, argv);
  (void)app;
}

bool RecordingUi::progress(uint64_t, const std::string &) {
  ++progressCalls;
  return cancelAtCall < 0 || progressCalls < cancelAtCall;
}

void RecordingUi::runDialog(const tavplugin::CatalogJob &job, const std::string &prompt,
                            const std::function<void(const tavplugin::CatalogJob &)> &run) {
  dialogJob = job;
  dialogPrompt = prompt;
  if (!userChoice) return; // Cancel
  tavplugin::CatalogJob chosen = job;
  userChoice(chosen);
  run(chosen);
}

void PluginTest::SetUp() {
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(dir_ / "config"));
  // Stand-ins for the desktop's tools: xdg-mime names the type and the default
  // application, xdg-open writes down what it was asked to open.
  const std::string bin = dir_.createDir("bin");
  writeFile(bin + "/xdg-mime", "#!/bin/sh\n"
                               "case \"$2\" in\n"
                               "filetype) echo application/x-tavlor-catalog ;;\n"
                               "default) cat \"" +
                                   dir_.path() +
                                   "/default-app\" 2>/dev/null ;;\n"
                                   "esac\n");
  writeFile(bin + "/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >>\"" + dir_.path() +
                                   "/opened.tmp\"\n"
                                   "mv \"" +
                                   dir_.path() + "/opened.tmp\" \"" + dir_.path() + "/opened\"\n");
  ::chmod((bin + "/xdg-mime").c_str(), 0755);
  ::chmod((bin + "/xdg-open").c_str(), 0755);
  setDefaultApplication("tavlor.desktop");
  // Without a catalogs folder setting the catalogs go to the home folder's "Tavlor".
  const char *home = std::getenv("HOME");
  oldHome_ = home ? home : "";
  ::setenv("HOME", dir_.createDir("home").c_str(), 1);
  const char *path = std::getenv("PATH");
  oldPath_ = path ? path : "/usr/bin:/bin";
  ::setenv("PATH", (bin + ":" + oldPath_).c_str(), 1);
}

void PluginTest::TearDown() {
  ::setenv("PATH", oldPath_.c_str(), 1);
  ::setenv("HOME", oldHome_.c_str(), 1);
  ::unsetenv("TAVLOR_VOLUME_TABLE");
}

void PluginTest::useTable(const std::vector<std::string> &rows) {
  std::string text;
  for (const std::string &row : rows) {
    dir_.createDir(row.substr(0, row.find('\t')));
    text += dir_.path() + "/" + row + "\n";
  }
  writeFile(dir_ / "volumes.tab", text);
  ::setenv("TAVLOR_VOLUME_TABLE", (dir_ / "volumes.tab").c_str(), 1);
}

void PluginTest::useSettings(const std::string &lines) {
  std::string text = "[General]\n" + lines;
  if (lines.find("Tavlor=") == std::string::npos) text += "Tavlor=" + catalogs() + "\n";
  dir_.createFile("config/Quorvale/Tavlor.conf", text);
}

void PluginTest::setDefaultApplication(const std::string &desktopFile) {
  writeFile(dir_ / "default-app", desktopFile.empty() ? "" : desktopFile + "\n");
}

std::vector<std::string> PluginTest::opened(bool expectOne) {
  const std::string log = dir_ / "opened";
  for (int i = 0; expectOne && i < 200 && ::access(log.c_str(), F_OK) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::vector<std::string> files;
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);)
    files.push_back(line);
  return files;
}
