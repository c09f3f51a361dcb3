// plugin_support.h - TavlorCatalog's job run against a volume table of plain folders,
// its own settings folder, stand-ins for xdg-open and xdg-mime, and windows that are
// answered by the test.
#ifndef TESTS_PLUGIN_PLUGIN_SUPPORT_H
#define TESTS_PLUGIN_PLUGIN_SUPPORT_H

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalog_job.h"
#include "test_support.h"

// The one QApplication of the test program (offscreen unless a platform is set).
void ensureQtApplication();

struct Shown {
  std::string caption;
  std::string text;
  bool operator==(const Shown &other) const { return caption == other.caption && text == other.text; }
};
using ShownList = std::vector<Shown>;
inline void PrintTo(const Shown &shown, std::ostream *os) {
  *os << '"' << shown.caption << "\": \"" << shown.text << '"';
}

class RecordingUi : public tavplugin::PluginUi {
public:
  bool progress(uint64_t entries, const std::string &folder) override;
  void box(const std::string &caption, const std::string &text) override { boxes.push_back({caption, text}); }
  bool ask(const std::string &caption, const std::string &text) override {
    questions.push_back({caption, text});
    return answerYes;
  }
  void runDialog(const tavplugin::CatalogJob &job, const std::string &prompt,
                 const std::function<void(const tavplugin::CatalogJob &)> &run) override;

  std::vector<Shown> boxes;
  std::vector<Shown> questions;
  bool answerYes = false;
  int progressCalls = 0;
  int cancelAtCall = -1; // progress returns false from this call on
  // The dialog: what it was shown with, and what the user does (null: Cancel).
  std::optional<tavplugin::CatalogJob> dialogJob;
  std::string dialogPrompt;
  std::function<void(tavplugin::CatalogJob &)> userChoice = [](tavplugin::CatalogJob &) {};
};

class PluginTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // A volume table of folders below dir_ ("NAME\tLABEL\tTYPE").
  void useTable(const std::vector<std::string> &rows);
  // Writes the settings file (INI lines below [General]); the catalogs folder is
  // catalogs() unless the lines name another.
  void useSettings(const std::string &lines);
  std::string root(const std::string &name) const { return dir_ / name; }
  std::string catalogs() const { return dir_ / "catalogs"; }
  // What xdg-mime answers for the default application ("" for none).
  void setDefaultApplication(const std::string &desktopFile);
  // The files handed to xdg-open, waiting up to two seconds for the first one when
  // expectOne is set (xdg-open is started in the background).
  std::vector<std::string> opened(bool expectOne);

  int run(const std::vector<std::string> &arguments) { return tavplugin::runTavlorCatalog(arguments, ui_); }

  testing_support::TempDir dir_;
  RecordingUi ui_;

private:
  std::string oldPath_;
  std::string oldHome_;
};

#endif // TESTS_PLUGIN_PLUGIN_SUPPORT_H
