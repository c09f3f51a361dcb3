// Many catalogs read at once must give the model, the boxes and the announcements that
// reading them one after the other gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/catalog_set_loader.h"
#include "model/model_observer.h"
#include "model_test_helpers.h"
#include "test_support.h"

using namespace tavlor;
using model_tests::diskCatalog;
using model_tests::exampleCatalog;
using testing_support::TempDir;

namespace {

// Everything a user can see of a model, item by item from the root.
std::string dump(CatalogModel &model) {
  std::string out;
  std::vector<ItemId> pending{model.root()};
  while (!pending.empty()) {
    const ItemId id = pending.back();
    pending.pop_back();
    out += "[" + model.itemPath(id) + "] " + std::to_string(model.icon(id)) + "/" +
           std::to_string(model.selectedIcon(id)) + "\n";
    for (const FileData *e : model.entriesOf(id)) {
      out += "  " + std::string(e->name()) + " " + std::to_string(e->size()) + " " + std::to_string(e->freeSpace()) +
             " " + std::to_string(e->date()) + " " + std::to_string(static_cast<int>(e->kind())) + " in " +
             model.folderPath(*e) + (e->parentItem() == id ? "" : " (parent differs)") + "\n";
    }
    const auto children = model.childrenOf(id);
    for (auto c = children.rbegin(); c != children.rend(); ++c) {
      if (model.parentOf(*c) != id) out += "  child with another parent\n";
      pending.push_back(*c);
    }
  }
  return out + "entries " + std::to_string(model.entryCount()) + "\n";
}

// The announcements, without the handles (which differ from model to model).
struct Announcements : ModelObserver {
  void subtreeAboutToBeRemoved(ItemId, ItemId, std::size_t row) override { said += "remove " + std::to_string(row); }
  void entryAboutToBeRemoved(const FileData &e, std::size_t) override { said += " entry " + std::string(e.name()); }
  void diskAboutToBeAdded(ItemId, std::size_t row) override { said += " add " + std::to_string(row); }
  void diskAdded(ItemId, const FileData &e) override { said += " " + std::string(e.name()) + ";"; }
  std::string said;
};

struct Heard : model_tests::RecordingReporter {
  void damaged(const std::string &path, std::size_t offset, const char *what) override {
    boxes.push_back({"damaged " + path + " " + std::to_string(offset), what});
  }
};

struct Outcome {
  std::string model, announced, boxes, results;
};

Outcome loadAll(const std::vector<std::string> &paths, unsigned threads) {
  CatalogModel model;
  Announcements announcements;
  model.addObserver(&announcements);
  Heard heard;
  std::string loaded;
  const std::vector<LoadResult> results =
      loadCatalogs(model, paths, heard, threads, [&](std::size_t index, const LoadResult &r) {
        loaded += std::to_string(index) + ":" + std::to_string(static_cast<int>(r.status)) +
                  (r.disk == kNoItem ? "" : "=" + model.label(r.disk)) + " ";
      });
  Outcome o;
  for (const LoadResult &r : results)
    o.results += std::to_string(static_cast<int>(r.status)) + (model.isValid(r.disk) ? "+ " : "- ");
  o.results += "| " + loaded;
  for (const auto &b : heard.boxes)
    o.boxes += b.caption + ": " + b.text + "\n";
  // What was joined must stay a model like any other: taken apart, added to, read again.
  model.closeChildFolder(model.root(), "DATA");
  model.addEntry(model.findItemByPath("LATE/open"), "new.txt", 9, 0, 946684800, NodeKind::File);
  loadCatalogs(model, {paths.front(), paths.back()}, heard, threads);
  o.model = dump(model);
  model.removeObserver(&announcements);
  o.announced = announcements.said;
  return o;
}

TEST(CatalogSet, ReadTogetherAsInTurn) {
  TempDir dir;
  std::string manyWarnings;
  for (int i = 0; i < 600; ++i)
    manyWarnings += " \"late" + std::to_string(i) + ".txt\" " + std::to_string(i) + " 1 1 2099 0 0 0\n";
  std::string twins = " + \"Docs\" 0 0 1 1 2000 0 0 0\n < \n \"a\" 1 1 1 2000 0 0 0\n > \n"
                      " + \"docs\" 0 0 1 1 2000 0 0 0\n < \n \"b\" 2 1 1 2000 0 0 0\n > \n"
                      " + \"arc.zip\" 7 0 1 1 2000 0 0 0\n < \n \"m\" 3 1 1 2000 0 0 0\n > \n";
  const std::vector<std::string> paths = {
      dir.createFile("a.zar", exampleCatalog("BACKUP1")),
      dir.createFile("b.zar", diskCatalog("DATA", twins + twins)), // a folder read twice is replaced
      dir.createFile("c.zar", "not a catalog at all\n"),
      dir / "missing.zar",
      dir.createFile("d.zar", exampleCatalog("backup1")), // replaces BACKUP1
      // Ends inside the disk (the last "> " closes "open"): damaged.
      dir.createFile("e.zar", diskCatalog("LATE", manyWarnings + " + \"open\" 0 0 1 1 2000 0 0 0\n < \n")),
      dir.createFile("f.zar", "zar_version_1_1\n"),
      dir.createFile("g.zar", exampleCatalog("ZETA")),
  };
  const Outcome inTurn = loadAll(paths, 1);
  EXPECT_NE(inTurn.boxes.find("late599.txt"), std::string::npos);
  EXPECT_NE(inTurn.model.find("[LATE/open]"), std::string::npos);
  EXPECT_NE(inTurn.model.find("new.txt"), std::string::npos);
  EXPECT_EQ(inTurn.model.find("differs"), std::string::npos);
  EXPECT_EQ(inTurn.model.find("another parent"), std::string::npos);
  for (unsigned threads : {2u, 3u, 8u}) {
    SCOPED_TRACE(threads);
    const Outcome together = loadAll(paths, threads);
    EXPECT_EQ(together.model, inTurn.model);
    EXPECT_EQ(together.announced, inTurn.announced);
    EXPECT_EQ(together.boxes, inTurn.boxes);
    EXPECT_EQ(together.results, inTurn.results);
  }
}

} // namespace
