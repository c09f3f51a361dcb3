// TreePane.h - the left pane: the folder tree of all loaded disks.
#ifndef APP_PANES_TREEPANE_H
#define APP_PANES_TREEPANE_H

#include <QPersistentModelIndex>
#include <QWidget>

#include "model/catalog_model.h"

#include <memory>
#include <string>

class CTavlor2Doc;
class CatalogCommands;
class CViewOptions;
class FileActions;
class FolderTreeModel;
class QMenu;
class QTreeView;

class TreePane : public QWidget {
  Q_OBJECT
public:
  // doc and commands must outlive the pane.
  TreePane(CTavlor2Doc &doc, CatalogCommands &commands, QWidget *parent = nullptr);

  // The first update at start-up: applies FileSizeUnit and loads the command-line
  // catalog (without switching the list to it) when there is one.
  void initialUpdate(const std::string &commandLineCatalog);

  // Makes the folder item of a container entry current: scrolls it to the top of the
  // pane, highlights it and lists its content.
  void openFolder(const tavlor::FileData &entry);

  // The item the list shows (highlighted); kNoItem when none.
  tavlor::ItemId currentItem() const;
  // The item the last context menu or selection referred to; kNoItem when none (or
  // when it was closed since).
  tavlor::ItemId contextItem() const;
  void setContextItem(tavlor::ItemId item);

  // The context menu for item (which becomes the context item); null for no item.
  std::unique_ptr<QMenu> contextMenu(tavlor::ItemId item);

  // The file commands (open, extract/copy, drag out); set once by the frame.
  void setFileActions(FileActions *actions);

  // Commands on the context item.
  // Open: the folder (or the ZIP file holding it) with the desktop's program.
  void openContextItem();
  // Extract/Copy ... or Extract All Files ...
  void extractContextItem();
  void showProperties();
  // "Save As HTML ...": the export dialog for the context item (else the current one).
  void saveAsHtml();
  void deleteContextCatalog();
  // The "View Options" sheet, owned by the pane so its pages keep their values.
  void showViewOptions();
  CViewOptions *viewOptions() const { return viewOptions_; }

  QTreeView *view() const { return view_; }
  FolderTreeModel *treeModel() const { return model_; }

private:
  void selectItem(tavlor::ItemId item, bool scrollToTop);
  void currentChanged(const QModelIndex &current);
  // Makes the item of index the context item and shows it in the list.
  void showIndex(const QModelIndex &index);
  // Draws item as the current one (none for kNoItem) without showing it again.
  void highlight(tavlor::ItemId item);
  void agreeAfterRemoval();
  bool eventFilter(QObject *watched, QEvent *event) override;

  CTavlor2Doc &doc_;
  CatalogCommands &commands_;
  QTreeView *view_;
  FolderTreeModel *model_;
  QPersistentModelIndex context_;
  CViewOptions *viewOptions_;
  bool highlighting_ = false;
  FileActions *fileActions_ = nullptr;
};

#endif // APP_PANES_TREEPANE_H
