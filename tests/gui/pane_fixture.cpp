#include "pane_fixture.h"

#include <QAction>

using namespace gui_support;

PaneFixture::PaneFixture(const std::vector<std::pair<const char *, QVariant>> &extra, bool keepFolder) {
  catalogs = keepFolder ? testHome() + "/catalogs" : freshFolder("catalogs");
  std::string members = fileLine("m1", 1000) + fileLine("m2", 2000) + fileLine("m3", 3000);
  writeCatalog(catalogs, "BACKUP.zar", "BACKUP",
               fileLine("b.txt", 300, 5, 5, 2005) + fileLine("a.txt", 100, 1, 1, 2001) +
                   folderLines("docs", fileLine("x.txt", 50) + fileLine("y.txt", 70)) +
                   folderLines("pics.zip", members, 500),
               8000000, 100);
  writeCatalog(catalogs, "SMALL.zar", "SMALL", fileLine("only.txt", 7), 1440000, 900000);
  std::vector<std::pair<const char *, QVariant>> values{
      {"Tavlor", catalogs}, {"AutoLoadCatalogs", 1}, {"UseSystemIcons", 0}};
  values.insert(values.end(), extra.begin(), extra.end());
  resetSettings(values);
  app = std::make_unique<CTavlor2App>();
  app->initInstance({});
}

void PaneFixture::select(tavlor::ItemId item) {
  QTreeView *view = tree().view();
  QModelIndex index = tree().treeModel()->indexOf(item);
  view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

QStringList PaneFixture::names() {
  QStringList out;
  for (int r = 0; r < rows().rowCount(); ++r)
    out << rows().index(r, 0).data().toString();
  return out;
}

QStringList PaneFixture::headers() {
  QStringList out;
  for (int c = 0; c < rows().columnCount(); ++c)
    out << rows().headerData(c, Qt::Horizontal).toString();
  return out;
}

int PaneFixture::rowNamed(const QString &name) {
  return static_cast<int>(names().indexOf(name));
}

QStringList menuTexts(const QMenu *menu) {
  QStringList out;
  for (QAction *a : menu->actions())
    if (!a->isSeparator()) out << a->text();
  return out;
}
