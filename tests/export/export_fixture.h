// export_fixture.h - a cataloged disk on a plain folder that the volume table offers
// under its label, and recorders for the file actions' questions and launches.
#ifndef TESTS_EXPORT_EXPORT_FIXTURE_H
#define TESTS_EXPORT_EXPORT_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Tavscan60.h"
#include "export/file_action_ui.h"
#include "export/file_actions.h"
#include "model/catalog_loader.h"
#include "model/catalog_model.h"
#include "model/extracted_files.h"
#include "test_support.h"
#include "zip_builder.h"

namespace export_tests {

// Answers the insert-disk prompt from a script (Cancel once it runs out) and records
// everything asked.
class RecordingUi : public tavlor::FileActionUi {
public:
  bool insertDisk(const std::string &text) override {
    prompts.push_back(text);
    if (onPrompt) onPrompt(prompts.size());
    if (answers.empty()) return false;
    bool answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  void message(const std::string &caption, const std::string &text, bool) override {
    messages.push_back(caption + ": " + text);
  }
  bool askYesNo(const std::string &caption, const std::string &) override {
    questions.push_back(caption);
    return yes;
  }
  void beginWait(const std::string &) override { ++waits; }
  void endWait() override {}
  void pause(int) override {}

  std::vector<bool> answers;
  std::function<void(std::size_t)> onPrompt;
  std::vector<std::string> prompts, messages, questions;
  bool yes = true;
  int waits = 0;
};

class RecordingDesktop : public tavlor::Desktop {
public:
  int launch(const std::string &program, const std::string &path) override {
    launches.emplace_back(program, path);
    return result;
  }
  std::vector<std::pair<std::string, std::string>> launches;
  int result = tavlor::kLaunchStarted;
};

// Each fragment must appear somewhere in the text.
inline void expectContains(const std::string &text, const std::vector<std::string> &fragments) {
  for (const std::string &fragment : fragments)
    EXPECT_NE(text.find(fragment), std::string::npos) << "missing: " << fragment << "\nin: " << text;
}

class NoReports : public tavlor::LoadReporter {
public:
  void warning(const std::string &, const std::string &) override {}
};

// The disk DATA: docs/a.txt, docs/top.txt, "my notes.txt", arch.zip (src/readme.txt, src/b.txt,
// top.txt) and second.zip (x.txt); cataloged and loaded, offered as a removable
// volume while the test runs.
class DiskTest : public ::testing::Test {
protected:
  void SetUp() override {
    root_ = dir_.createDir("media/DATA");
    dir_.createFile("media/DATA/docs/a.txt", "alpha");
    dir_.createFile("media/DATA/my notes.txt", "notes");
    dir_.createFile("media/DATA/docs/top.txt", "top on disk");
    testing_support::ZipBuilder()
        .add("src/readme.txt", "read me", 3, 4, 2010, 10, 0, 0)
        .add("src/b.txt", "bee", 3, 4, 2010, 10, 0, 0)
        .add("top.txt", "top", 3, 4, 2010, 10, 0, 0)
        .writeTo(root_ + "/arch.zip");
    testing_support::ZipBuilder().add("x.txt", "ex").writeTo(root_ + "/second.zip");
    testing_support::setModificationTime(root_ + "/docs/a.txt", testing_support::localTime(1, 2, 2005, 12, 0, 0));
    const std::string catalog = dir_ / "DATA.zar";
    ASSERT_EQ(catalogVolume(root_.c_str(), "DATA", catalog.c_str(), 1, 1, 2020, 0, 0, 0, nullptr, nullptr),
              kTavscanCatalogOk);
    loadAndOffer(catalog);
  }

  // Loads the catalog and offers media/DATA as the disk DATA, with a temporary folder
  // of the test's own.
  void loadAndOffer(const std::string &catalog) {
    NoReports reports;
    ASSERT_EQ(tavlor::loadCatalog(model_, catalog, reports).status, tavlor::LoadStatus::Loaded);
    offer({{"media/DATA", "DATA"}});
    ::setenv("TEMP", dir_.createDir("temp").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("TAVLOR_VOLUME_TABLE");
    ::unsetenv("TEMP");
  }

  // Offers the folders (relative to the test folder) as removable volumes labelled so.
  void offer(const std::vector<std::pair<std::string, std::string>> &volumes) {
    std::string text;
    for (const auto &[folder, label] : volumes)
      text += dir_ / folder + "\t" + label + "\tremovable\n";
    testing_support::writeFile(dir_ / "volumes.tab", text);
    ::setenv("TAVLOR_VOLUME_TABLE", (dir_ / "volumes.tab").c_str(), 1);
  }

  const tavlor::FileData &entry(const std::string &path) {
    const tavlor::FileData *found = model_.findEntryByPath(path);
    if (!found) throw std::runtime_error("no entry " + path);
    return *found;
  }
  // Copies the entry at path into the folder, checking the disk first.
  bool copy(const std::string &path, const std::string &to, bool newer = false, bool older = false) {
    return tavlor::copyEntry(model_, entry(path), to, true, newer, older, ui_);
  }
  bool launch(const std::string &path, const std::string &program = {}) {
    return tavlor::launchEntry(model_, entry(path), program, ui_, desktop_, extracted_);
  }

  testing_support::TempDir dir_;
  std::string root_;
  tavlor::CatalogModel model_;
  RecordingUi ui_;
  RecordingDesktop desktop_;
  tavlor::ExtractedFiles extracted_;
};

} // namespace export_tests

#endif // TESTS_EXPORT_EXPORT_FIXTURE_H
