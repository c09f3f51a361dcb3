#include "FolderTreeModel.h"

#include "Icons.h"
#include "TextCodec.h"

#include <QHash>

using tavlor::ItemId;

namespace {

// The item's image, with the open-folder image where the view draws it selected.
QIcon treeIcon(int normal, int selected) {
  static QHash<int, QIcon> icons;
  int key = normal * 64 + selected;
  auto found = icons.constFind(key);
  if (found != icons.constEnd()) return *found;
  QIcon icon = stripIcon(normal);
  if (selected != normal) {
    QIcon open = stripIcon(selected);
    for (QIcon::State state : {QIcon::Off, QIcon::On})
      icon.addPixmap(open.pixmap(15, 15), QIcon::Selected, state);
  }
  icons.insert(key, icon);
  return icon;
}

} // namespace

FolderTreeModel::FolderTreeModel(tavlor::CatalogModel &model, QObject *parent)
    : QAbstractItemModel(parent), model_(model) {
  model_.root();
  model_.addObserver(this);
}

FolderTreeModel::~FolderTreeModel() {
  model_.removeObserver(this);
}

QModelIndex FolderTreeModel::indexOf(ItemId item) const {
  if (!model_.isValid(item)) return {};
  return createIndex(static_cast<int>(model_.rowOf(item)), 0, static_cast<quintptr>(item));
}

ItemId FolderTreeModel::itemOf(const QModelIndex &index) const {
  if (!index.isValid()) return tavlor::kNoItem;
  auto item = static_cast<ItemId>(index.internalId());
  return model_.isValid(item) ? item : tavlor::kNoItem;
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex &parent) const {
  if (row < 0 || column != 0) return {};
  if (!parent.isValid()) {
    if (row != 0) return {};
    return createIndex(0, 0, static_cast<quintptr>(model_.root()));
  }
  auto children = model_.childrenOf(itemOf(parent));
  if (static_cast<size_t>(row) >= children.size()) return {};
  return createIndex(row, 0, static_cast<quintptr>(children[static_cast<size_t>(row)]));
}

QModelIndex FolderTreeModel::parent(const QModelIndex &child) const {
  ItemId up = model_.parentOf(itemOf(child));
  return up == tavlor::kNoItem ? QModelIndex() : indexOf(up);
}

int FolderTreeModel::rowCount(const QModelIndex &parent) const {
  if (!parent.isValid()) return 1;
  if (parent.column() != 0) return 0;
  return static_cast<int>(model_.childrenOf(itemOf(parent)).size());
}

int FolderTreeModel::columnCount(const QModelIndex &) const {
  return 1;
}

QVariant FolderTreeModel::data(const QModelIndex &index, int role) const {
  ItemId item = itemOf(index);
  if (item == tavlor::kNoItem) return {};
  switch (role) {
  case Qt::DisplayRole:
  case Qt::ToolTipRole:
    return displayText(model_.label(item));
  case Qt::DecorationRole:
    return treeIcon(model_.icon(item), model_.selectedIcon(item));
  case SelectedIconRole:
    return stripIcon(model_.selectedIcon(item));
  default:
    return {};
  }
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex &index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void FolderTreeModel::subtreeAboutToBeRemoved(ItemId parent, ItemId, std::size_t row) {
  removing_ = true;
  beginRemoveRows(indexOf(parent), static_cast<int>(row), static_cast<int>(row));
}

void FolderTreeModel::subtreeRemoved(ItemId, ItemId) {
  endRemoveRows();
  removing_ = false;
}

void FolderTreeModel::diskAboutToBeAdded(ItemId root, std::size_t row) {
  beginInsertRows(indexOf(root), static_cast<int>(row), static_cast<int>(row));
}

void FolderTreeModel::diskAdded(ItemId, const tavlor::FileData &) {
  endInsertRows();
}

void FolderTreeModel::modelAboutToBeCleared() {
  beginResetModel();
}

void FolderTreeModel::modelCleared() {
  endResetModel();
}
