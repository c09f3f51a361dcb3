// pane_fixture.h - a running program over two cataloged disks, for the pane tests.
#ifndef TESTS_GUI_PANE_FIXTURE_H
#define TESTS_GUI_PANE_FIXTURE_H

#include "gui_support.h"

#include <QMenu>
#include <QStringList>
#include <QTreeView>

#include "CMainFrame.h"
#include "CTavlor2App.h"
#include "CTavlor2Doc.h"
#include "CatalogCommands.h"
#include "EntryListModel.h"
#include "FolderTreeModel.h"
#include "ListPane.h"
#include "TreePane.h"

#include <memory>

// The catalogs folder holds BACKUP.zar (a.txt 100, b.txt 300, docs/ with x.txt 50 and
// y.txt 70, pics.zip of 500 bytes with three members) and SMALL.zar (one file); both
// are auto-loaded.
struct PaneFixture {
  // keepFolder reuses the catalogs folder of an earlier fixture (its descriptions file).
  explicit PaneFixture(const std::vector<std::pair<const char *, QVariant>> &extra = {}, bool keepFolder = false);

  tavlor::CatalogModel &model() { return app->document()->model(); }
  CTavlor2Doc &doc() { return *app->document(); }
  TreePane &tree() { return *app->frame()->treePane(); }
  ListPane &list() { return *app->frame()->listPane(); }
  EntryListModel &rows() { return *list().listModel(); }
  tavlor::ItemId disk(const char *label) { return model().findChild(model().root(), label, false); }
  tavlor::ItemId folder(const char *diskLabel, const char *name) {
    return model().findChild(disk(diskLabel), name, false);
  }
  // Shows an item through the tree, as a click on it does.
  void select(tavlor::ItemId item);
  // The texts of column 0 of the list, top down.
  QStringList names();
  QStringList headers();
  int rowNamed(const QString &name);

  QString catalogs;
  std::unique_ptr<CTavlor2App> app;
};

// The texts of a menu's entries ("-" for separators, which Qt may collapse).
QStringList menuTexts(const QMenu *menu);

#endif // TESTS_GUI_PANE_FIXTURE_H
