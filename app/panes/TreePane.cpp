#include "TreePane.h"

#include "AppSettings.h"
#include "CProperties.h"
#include "CTavlor2Doc.h"
#include "CViewOptions.h"
#include "CatalogCommands.h"
#include "DialogRunner.h"
#include "FileActions.h"
#include "FolderTreeModel.h"
#include "PaneMenus.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QTreeView>
#include <QVBoxLayout>

#include <ctime>

using tavlor::ItemId;

TreePane::TreePane(CTavlor2Doc &doc, CatalogCommands &commands, QWidget *parent)
    : QWidget(parent), doc_(doc), commands_(commands) {
  setObjectName("treePane");
  model_ = new FolderTreeModel(doc.model(), this);
  view_ = new QTreeView(this);
  view_->setObjectName("treeView");
  view_->setModel(model_);
  view_->setHeaderHidden(true);
  view_->setRootIsDecorated(true);
  view_->setUniformRowHeights(true);
  view_->setIconSize(QSize(15, 15));
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->setContextMenuPolicy(Qt::PreventContextMenu);
  view_->installEventFilter(this);
  view_->viewport()->installEventFilter(this);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  setMinimumWidth(10);
  viewOptions_ = new CViewOptions(doc_, this);

  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex &current) { currentChanged(current); });
  connect(&commands_, &CatalogCommands::rootExpansionRequested, this,
          [this] { view_->expand(model_->indexOf(doc_.model().root())); });
}

void TreePane::showViewOptions() {
  viewOptions_->showSheet();
}

void TreePane::initialUpdate(const std::string &commandLineCatalog) {
  if (std::optional<std::string> unit = tavlor::settingText("FileSizeUnit")) doc_.model().setSizeUnit(*unit);
  if (!commandLineCatalog.empty()) commands_.loadCatalog(commandLineCatalog, false);
  view_->expand(model_->indexOf(doc_.model().root()));
}

ItemId TreePane::currentItem() const {
  return model_->itemOf(view_->currentIndex());
}

ItemId TreePane::contextItem() const {
  return model_->itemOf(context_);
}

void TreePane::setContextItem(ItemId item) {
  context_ = model_->indexOf(item);
}

void TreePane::currentChanged(const QModelIndex &current) {
  ItemId item = model_->itemOf(current);
  if (item == tavlor::kNoItem) return;
  context_ = current;
  doc_.showItem(item, doc_.model().parentOf(item));
}

void TreePane::selectItem(ItemId item, bool scrollToTop) {
  QModelIndex index = model_->indexOf(item);
  if (!index.isValid()) return;
  for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
    view_->expand(up);
  if (scrollToTop) view_->scrollTo(index, QAbstractItemView::PositionAtTop);
  bool alreadyCurrent = view_->currentIndex() == index;
  view_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  // Reselecting the current item shows it again, as a click on it does.
  if (alreadyCurrent) currentChanged(index);
}

void TreePane::openFolder(const tavlor::FileData &entry) {
  ItemId item = doc_.model().findOwnItem(entry);
  if (item != tavlor::kNoItem) selectItem(item, true);
}

std::unique_ptr<QMenu> TreePane::contextMenu(ItemId item) {
  tavlor::CatalogModel &model = doc_.model();
  if (!model.isValid(item)) return nullptr;
  setContextItem(item);
  // Owned by the caller alone, so it may outlive the pane without a double delete.
  auto menu = std::make_unique<QMenu>();
  menu->setObjectName("treeContextMenu");
  ItemId parent = model.parentOf(item);
  bool isRoot = parent == tavlor::kNoItem;
  bool isDisk = !isRoot && parent == model.root();
  if (!isRoot && !isDisk) menu->addAction(tr("Open"), this, &TreePane::openContextItem);
  if (isDisk && doc_.busy() == 0) {
    menu->addSeparator();
    menu->addAction(tr("Delete Catalog"), this, &TreePane::deleteContextCatalog);
    menu->addAction(tr("Close Catalog"), this, [this] { commands_.closeCatalog(contextItem()); });
  }
  if (fileActions_ && !isRoot) {
    if (const tavlor::FileData *entry = model.lookupEntry(parent, model.label(item))) {
      menu->addSeparator();
      menu->addAction(entry->isZipFolder() ? tr("Extract All Files ...") : tr("Extract/Copy ..."), this,
                      &TreePane::extractContextItem);
    }
  }
  menu->addSeparator();
  menu->addAction(tr("Properties"), this, &TreePane::showProperties);
  return menu;
}

bool TreePane::eventFilter(QObject *watched, QEvent *event) {
  QModelIndex index;
  QPoint at;
  if (contextMenuRequest(this, view_, watched, event, index, at)) {
    const ItemId item = model_->itemOf(index);
    if (item != tavlor::kNoItem) {
      if (std::unique_ptr<QMenu> menu = contextMenu(item)) menu->exec(at);
    }
    return true;
  }
  if (event->type() == QEvent::KeyPress && watched == view_) {
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Delete) {
      deleteContextCatalog();
      return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      openContextItem();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TreePane::setFileActions(FileActions *actions) {
  fileActions_ = actions;
  if (!actions) return;
  // The drag carries the folder the press made current; a disk is never dragged.
  actions->enableDrag(view_, [this]() -> std::vector<const tavlor::FileData *> {
    tavlor::CatalogModel &model = doc_.model();
    ItemId item = currentItem();
    if (!model.isValid(item) || model.parentOf(item) == tavlor::kNoItem) return {};
    return {model.lookupEntry(model.parentOf(item), model.label(item))};
  });
}

void TreePane::openContextItem() {
  ItemId item = contextItem();
  if (item == tavlor::kNoItem) return;
  ItemId parent = doc_.model().parentOf(item);
  bool folder = parent != tavlor::kNoItem && parent != doc_.model().root();
  if (fileActions_ && folder)
    fileActions_->openFolderItem(item);
  else
    selectItem(item, false);
}

void TreePane::extractContextItem() {
  ItemId item = contextItem();
  if (fileActions_ && item != tavlor::kNoItem) fileActions_->extractFolderItem(item);
}

void TreePane::showProperties() {
  tavlor::CatalogModel &model = doc_.model();
  ItemId item = contextItem();
  if (item == tavlor::kNoItem) return;
  ItemId parent = model.parentOf(item);
  tavlor::PropertiesValues values;
  if (parent == tavlor::kNoItem) {
    values = tavlor::rootProperties(model, std::time(nullptr));
  } else {
    const tavlor::FileData *entry = model.lookupEntry(parent, model.label(item));
    // A folder item whose entry is gone (a disk kept over Open All Catalogs) has
    // nothing to show.
    if (!entry) return;
    values = tavlor::propertiesOf(model, *entry);
  }
  CProperties dialog(values, window());
  runDialog(dialog);
}

void TreePane::deleteContextCatalog() {
  tavlor::CatalogModel &model = doc_.model();
  ItemId item = contextItem();
  if (item != tavlor::kNoItem && model.parentOf(item) == model.root()) commands_.deleteCatalog(item);
}
