// CatalogCommands.h - the commands that bring catalogs into the model and take them
// out: Open All Catalogs, Open Selected Catalog, auto-load, the command-line catalog,
// Close Catalog, Close Selected Catalogs and Delete Catalog. They behave the same from
// the menu, the toolbar and both panes.
#ifndef APP_COLLECTION_CATALOGCOMMANDS_H
#define APP_COLLECTION_CATALOGCOMMANDS_H

#include <QObject>
#include <QStringList>

#include "model/catalog_model.h"

#include <functional>
#include <string>
#include <vector>

class CTavlor2Doc;
class QWidget;

class CatalogCommands : public QObject {
  Q_OBJECT
public:
  // Chooses catalog files to open, starting in folder; empty when cancelled.
  using FileChooser = std::function<QStringList(QWidget *parent, const QString &folder)>;

  // doc must outlive this object; boxes and dialogs appear over window.
  CatalogCommands(CTavlor2Doc &doc, QWidget *window);

  // Replaces the file-open dialog (tests); an empty chooser restores it.
  static void setFileChooser(FileChooser chooser);

  // Loads one catalog file; with showRoot the list then shows the disks. Returns
  // whether a disk was loaded.
  bool loadCatalog(const std::string &path, bool showRoot);
  // Clears the model and loads every catalog of the catalogs folder; the "No catalogs
  // found" box when there is none.
  void openAllCatalogs();
  // The file dialog (several files), then loads each chosen file.
  void openSelectedCatalog();
  // Open All Catalogs under the please-wait window, when AutoLoadCatalogs is 1. Runs
  // at most once per run.
  void autoLoad();
  // Closes the disk of item (a child of the root) and shows the disks.
  void closeCatalog(tavlor::ItemId item);
  // Closes the disks among entries (list rows in row order) and shows the disks.
  void closeSelectedCatalogs(const std::vector<const tavlor::FileData *> &entries);
  // Asks, then deletes the catalog file named after the disk of item and closes the
  // disk; when the file cannot be deleted the model stays as it is.
  void deleteCatalog(tavlor::ItemId item);

signals:
  // The tree should expand the root (after catalogs were loaded).
  void rootExpansionRequested();

private:
  // Open All Catalogs without its box; false when the folder held no catalog.
  bool loadAllCatalogs();
  // Loads the files as loadCatalog of each in turn would, several at once where the
  // machine has the processors, painting as each disk joins the tree.
  void loadCatalogFiles(const std::vector<std::string> &paths);
  void reportNoCatalogs();

  CTavlor2Doc &doc_;
  QWidget *window_;
  bool autoLoaded_ = false;
};

#endif // APP_COLLECTION_CATALOGCOMMANDS_H
