// model_test_helpers.h - loading catalogs from text and recording the loader's boxes.
#ifndef TESTS_MODEL_MODEL_TEST_HELPERS_H
#define TESTS_MODEL_MODEL_TEST_HELPERS_H

#include <string>
#include <vector>

#include "model/catalog_loader.h"
#include "model/catalog_model.h"

namespace model_tests {

struct Box {
  std::string caption, text;
};

class RecordingReporter : public tavlor::LoadReporter {
public:
  void warning(const std::string &caption, const std::string &text) override { boxes.push_back({caption, text}); }
  void damaged(const std::string &, std::size_t, const char *) override { ++damage; }
  std::vector<Box> boxes;
  int damage = 0;
};

// The catalog of a 1.44 MB floppy BACKUP1: docs/notes.txt, pics.zip (2019/a.gif,
// cover.gif) and readme.txt, with CR LF line ends.
inline std::string exampleCatalog(const std::string &label = "BACKUP1") {
  return "zar_version_1_1\r\n< \r\n   %drivetype default\r\n> \r\n"
         " + \"" +
         label +
         "\" 1457664 1000448 24 12 1999 10 30 0\r\n < \r\n"
         " + \"docs\" 0 0 20 12 1999 9 5 12\r\n < \r\n"
         " \"notes.txt\" 1200 20 12 1999 9 5 12\r\n > \r\n"
         " + \"pics.zip\" 5230 0 21 12 1999 18 2 40\r\n<\r\n"
         " + \"2019\" 0 0 21 12 1999 18 2 40\r\n<\r\n"
         "\"a.gif\" 2100 1 6 1999 11 0 0\r\n>\r\n"
         "\"cover.gif\" 3300 2 6 1999 12 30 0\r\n>\r\n"
         " \"readme.txt\" 410 22 12 1999 8 0 2\r\n > \r\n";
}

// A 1.1 catalog of one disk whose root body is body.
inline std::string diskCatalog(const std::string &label, const std::string &body,
                               const std::string &driveType = "fixed") {
  return "zar_version_1_1\n< \n   %drivetype " + driveType + "\n> \n + \"" + label +
         "\" 1000 500 1 1 2000 0 0 0\n < \n" + body + " > \n";
}

inline tavlor::LoadResult load(tavlor::CatalogModel &model, const std::string &text, RecordingReporter &reporter,
                               const std::string &path = "/catalogs/test.zar") {
  return tavlor::loadCatalogText(model, text, path, reporter);
}

// The labels of item's child items, in row order.
inline std::vector<std::string> childLabels(tavlor::CatalogModel &model, tavlor::ItemId item) {
  std::vector<std::string> labels;
  for (tavlor::ItemId child : model.childrenOf(item))
    labels.push_back(model.label(child));
  return labels;
}

// The names of item's entries, in the order the model keeps them.
inline std::vector<std::string> entryNames(tavlor::CatalogModel &model, tavlor::ItemId item) {
  std::vector<std::string> names;
  for (const tavlor::FileData *e : model.entriesOf(item))
    names.emplace_back(e->name());
  return names;
}

// Every live entry reachable from the root, counted item by item.
inline std::size_t reachableEntries(tavlor::CatalogModel &model) {
  std::size_t count = 0;
  std::vector<tavlor::ItemId> pending{model.root()};
  while (!pending.empty()) {
    const tavlor::ItemId id = pending.back();
    pending.pop_back();
    count += model.entriesOf(id).size();
    for (tavlor::ItemId child : model.childrenOf(id))
      pending.push_back(child);
  }
  return count;
}

} // namespace model_tests

#endif // TESTS_MODEL_MODEL_TEST_HELPERS_H
