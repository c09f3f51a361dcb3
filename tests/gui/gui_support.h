// gui_support.h - helpers of the widget tests: a private settings profile, catalog
// files, and a recorder that answers the program's message boxes.
#ifndef TESTS_GUI_GUI_SUPPORT_H
#define TESTS_GUI_GUI_SUPPORT_H

#include <QString>
#include <QVariant>

#include <string>
#include <utility>
#include <vector>

#include "MessageBoxes.h"

namespace gui_support {

// Points HOME and XDG_CONFIG_HOME at a fresh temporary folder for the whole process,
// so no test reads or writes a real user's settings or catalogs. Call before any
// settings are used.
void useTestProfile();

// The temporary home folder of the process.
QString testHome();

// Replaces every setting with values (name, value) and creates the key.
void resetSettings(const std::vector<std::pair<const char *, QVariant>> &values = {});

// A setting as the program stored it (invalid when missing).
QVariant storedSetting(const char *name);

// A fresh, empty folder below the test home.
QString freshFolder(const QString &name);

// Writes a version 1.1 catalog of a fixed disk named label to folder/fileName, with
// body as the disk's contents (file and folder records, without the disk's "< >").
std::string writeCatalog(const QString &folder, const std::string &fileName, const std::string &label,
                         const std::string &body, long long totalSize = 1000000, long long freeSpace = 400000);

// A file record and a folder record of a catalog body.
std::string fileLine(const std::string &name, long long size, int day = 1, int month = 2, int year = 2001);
std::string folderLines(const std::string &name, const std::string &body, long long size = 0);

// Records every box the program shows and answers each with `answer`.
class BoxLog {
public:
  explicit BoxLog(bool answer = true);
  ~BoxLog();
  const std::vector<BoxRequest> &boxes() const { return boxes_; }
  void setAnswer(bool answer) { answer_ = answer; }
  // How many boxes came up while a please-wait window was showing.
  int overWaitWindow() const { return overWaitWindow_; }

private:
  std::vector<BoxRequest> boxes_;
  int overWaitWindow_ = 0;
  bool answer_;
};

} // namespace gui_support

#endif // TESTS_GUI_GUI_SUPPORT_H
