// ListPane.h - the right pane: the entries of the folder item the tree shows.
#ifndef APP_PANES_LISTPANE_H
#define APP_PANES_LISTPANE_H

#include <QPersistentModelIndex>
#include <QWidget>

#include "model/catalog_model.h"

#include <memory>
#include <vector>

class CTavlor2Doc;
class CatalogCommands;
class EntryListModel;
enum class SortKey;
class FileActions;
class QMenu;
class QTreeView;
class TreePane;

class ListPane : public QWidget {
  Q_OBJECT
public:
  // doc, commands and tree must outlive the pane.
  ListPane(CTavlor2Doc &doc, CatalogCommands &commands, TreePane &tree, QWidget *parent = nullptr);

  // The first update at start-up: reads UseSystemIcons and runs the auto-load when
  // AutoLoadCatalogs is 1.
  void initialUpdate();

  // Sorts by the column at position column with the shared direction, then flips the
  // direction (the first sort of a run is descending: biggest, newest, Z first).
  void sortByColumn(int column);
  bool nextSortDescending() const { return descending_; }

  // The context menu for a row (which becomes the context row); null outside rows.
  std::unique_ptr<QMenu> contextMenu(int row);
  // The entry of the context row; null when there is none (or it was destroyed).
  const tavlor::FileData *contextEntry() const;

  // The selected rows' entries in row order.
  std::vector<const tavlor::FileData *> selectedEntries() const;

  // The file commands (open, extract/copy, drag out); set once by the frame.
  void setFileActions(FileActions *actions);

  // Commands of the list.
  // A container row opens in the tree; a file row is opened with its program.
  void openRow(int row);
  // Enter: the first selected row's folder in the tree, or every selected entry with
  // its program.
  void openSelection();
  void editDescription();
  void closeSelectedCatalogs();
  void showProperties();

  QTreeView *view() const { return view_; }
  EntryListModel *listModel() const { return model_; }

private:
  void fill(tavlor::ItemId item, bool diskMode);
  void applyColumnWidths(const std::vector<int> &widths);
  // The width the widest text of a column of key needs; 0 for texts of any length.
  int widestCell(SortKey key) const;
  bool eventFilter(QObject *watched, QEvent *event) override;

  CTavlor2Doc &doc_;
  CatalogCommands &commands_;
  TreePane &tree_;
  QTreeView *view_;
  EntryListModel *model_;
  QPersistentModelIndex context_;
  FileActions *fileActions_ = nullptr;
  bool descending_ = true;
};

#endif // APP_PANES_LISTPANE_H
