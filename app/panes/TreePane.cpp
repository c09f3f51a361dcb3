#include "TreePane.h"

#include "AppSettings.h"
#include "CProperties.h"
#include "CSaveAsHTML.h"
#include "CTavlor2Doc.h"
#include "CViewOptions.h"
#include "CatalogCommands.h"
#include "DialogRunner.h"
#include "FileActions.h"
#include "FolderTreeModel.h"
#include "PaneMenus.h"
#include "ToolDialogs.h"
#include "TreeBranchStyle.h"

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
  // Deep labels widen the column and the pane scrolls sideways; nothing is elided.
  view_->header()->setStretchLastSection(false);
  view_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  // Created after the view, so it is deleted after it.
  auto *branches = new TreeBranchStyle;
  branches->setParent(this);
  view_->setStyle(branches);
  view_->installEventFilter(this);
  view_->viewport()->installEventFilter(this);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  setMinimumWidth(10);
  viewOptions_ = new CViewOptions(doc_, this);

  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex &current) { currentChanged(current); });
  // A click on the highlighted item shows it too, when the list shows something else.
  connect(view_, &QTreeView::clicked, this, [this](const QModelIndex &index) {
    ItemId item = model_->itemOf(index);
    if (item != tavlor::kNoItem && item != doc_.shownItem()) showIndex(index);
  });
  // Whatever shows an item in the list (a command, a load, a close) highlights it.
  connect(&doc_, &CTavlor2Doc::showItemRequested, this, [this](ItemId item) { highlight(item); });
  connect(&doc_, &CTavlor2Doc::listCleared, this, [this] { highlight(tavlor::kNoItem); });
  connect(model_, &QAbstractItemModel::rowsRemoved, this, &TreePane::agreeAfterRemoval);
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
  // The view moves its caret to a neighbour of a row being removed; that is no
  // choice of the user's (agreeAfterRemoval settles the highlight afterwards).
  if (model_->removingRows()) return;
  if (highlighting_) {
    if (current.isValid()) context_ = current;
    return;
  }
  showIndex(current);
}

void TreePane::showIndex(const QModelIndex &index) {
  ItemId item = model_->itemOf(index);
  if (item == tavlor::kNoItem) return;
  context_ = index;
  doc_.showItem(item, doc_.model().parentOf(item));
}

void TreePane::highlight(ItemId item) {
  QModelIndex index = model_->indexOf(item);
  if (view_->currentIndex() == index && (!index.isValid() || view_->selectionModel()->isSelected(index))) return;
  highlighting_ = true;
  if (index.isValid())
    view_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  else
    view_->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
  highlighting_ = false;
}

void TreePane::agreeAfterRemoval() {
  // The list emptied itself if its item went; the document must forget it as well,
  // so the tree highlights nothing and a click on any item shows it.
  ItemId shown = doc_.shownItem();
  if (shown != tavlor::kNoItem && !doc_.model().isValid(shown))
    doc_.clearList();
  else
    highlight(shown);
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
  if (alreadyCurrent) showIndex(index);
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
  menu->addAction(tr("Find Files ..."), this, [this, item] { startFindFiles(doc_, {item}, window(), fileActions_); });
  menu->addAction(tr("Find Duplicate Files ..."), this,
                  [this, item] { startFindDuplicates(doc_, {item}, window(), fileActions_); });
  if (!isRoot && !isDisk) menu->addAction(tr("Open"), this, &TreePane::openContextItem);
  menu->addSeparator();
  menu->addAction(tr("Save As HTML ..."), this, &TreePane::saveAsHtml);
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

void TreePane::saveAsHtml() {
  ItemId item = contextItem();
  if (item == tavlor::kNoItem) item = currentItem();
  if (item == tavlor::kNoItem) return;
  CSaveAsHTML dialog(doc_.model(), item, window());
  runDialog(dialog);
}

void TreePane::deleteContextCatalog() {
  tavlor::CatalogModel &model = doc_.model();
  ItemId item = contextItem();
  if (item != tavlor::kNoItem && model.parentOf(item) == model.root()) commands_.deleteCatalog(item);
}
