#include "EntryListModel.h"

#include "Icons.h"
#include "TextCodec.h"

#include <algorithm>

using tavlor::FileData;
using tavlor::ItemId;

namespace {

int foldedCompare(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

bool nameBefore(const FileData *a, const FileData *b) {
  return foldedCompare(a->name(), b->name()) < 0;
}

template <typename T> int threeWay(T a, T b) {
  return a < b ? -1 : b < a ? 1 : 0;
}

} // namespace

EntryListModel::EntryListModel(tavlor::CatalogModel &model, DescriptionSource descriptions, QObject *parent)
    : QAbstractTableModel(parent), model_(model), descriptions_(std::move(descriptions)), columns_(folderColumns()) {
  model_.addObserver(this);
}

EntryListModel::~EntryListModel() {
  model_.removeObserver(this);
}

std::vector<ListColumn> EntryListModel::folderColumns() {
  return {{tr("Name"), 200, Qt::AlignLeft, SortKey::Name},
          {tr("Size"), 70, Qt::AlignRight, SortKey::Size},
          {tr("Date"), 140, Qt::AlignLeft, SortKey::Date}};
}

std::vector<ListColumn> EntryListModel::diskColumns(const DiskColumns &shown) {
  std::vector<ListColumn> columns{{tr("Disk"), 120, Qt::AlignLeft, SortKey::Name}};
  if (shown.totalSize) columns.push_back({tr("Total Size"), 90, Qt::AlignRight, SortKey::Size});
  if (shown.freeSpace) columns.push_back({tr("Free Space"), 90, Qt::AlignRight, SortKey::FreeSpace});
  if (shown.dateCataloged) columns.push_back({tr("Date Cataloged"), 120, Qt::AlignLeft, SortKey::Date});
  if (shown.description) columns.push_back({tr("Description"), 300, Qt::AlignLeft, SortKey::Description});
  return columns;
}

void EntryListModel::showItem(ItemId item, bool diskMode, const DiskColumns &shown) {
  std::vector<ListColumn> columns = diskMode ? diskColumns(shown) : folderColumns();
  bool rebuild = diskMode != diskMode_ || columns.size() != columns_.size() || diskMode;
  beginResetModel();
  item_ = model_.isValid(item) ? item : tavlor::kNoItem;
  diskMode_ = diskMode;
  columns_ = std::move(columns);
  rows_.clear();
  if (item_ != tavlor::kNoItem) {
    auto entries = model_.entriesOf(item_);
    rows_.assign(entries.begin(), entries.end());
    applyOrder(sortedOrder(SortKey::Name, false));
    // Folder sizes are summed now, so sorting by size sees every folder's real size.
    for (const FileData *entry : rows_)
      if (entry->isContainer()) model_.summedSize(*entry);
  }
  endResetModel();
  if (rebuild) emit columnsRebuilt();
}

void EntryListModel::clear() {
  beginResetModel();
  rows_.clear();
  item_ = tavlor::kNoItem;
  endResetModel();
}

namespace {

// A row's sort key, kept in one contiguous array: comparing through the entries'
// pointers would miss the cache on nearly every comparison of a large folder.
struct RowKey {
  std::uint64_t prefix; // the first eight folded name bytes, big-endian
  std::int64_t number;
  std::uint32_t offset; // the folded text in the key buffer
  std::uint32_t length;
  std::uint32_t row;
};

unsigned char fold(unsigned char c) {
  return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c;
}

} // namespace

std::vector<std::uint32_t> EntryListModel::sortedOrder(SortKey key, bool descending) const {
  std::vector<RowKey> keys(rows_.size());
  std::string text;
  bool byText = key == SortKey::Name || key == SortKey::Description;
  for (size_t i = 0; i < rows_.size(); ++i) {
    const FileData *entry = rows_[i];
    RowKey &k = keys[i];
    k.row = static_cast<std::uint32_t>(i);
    k.prefix = 0;
    k.number = 0;
    if (byText) {
      std::string described;
      std::string_view source = entry->name();
      if (key == SortKey::Description) {
        described = descriptions_ ? descriptions_(*entry) : std::string();
        source = described;
      }
      k.offset = static_cast<std::uint32_t>(text.size());
      k.length = static_cast<std::uint32_t>(source.size());
      for (size_t b = 0; b < source.size(); ++b) {
        unsigned char c = fold(static_cast<unsigned char>(source[b]));
        text.push_back(static_cast<char>(c));
        if (b < 8) k.prefix |= std::uint64_t(c) << (8 * (7 - b));
      }
    } else {
      k.number = key == SortKey::Size ? entry->size() : key == SortKey::Date ? entry->date() : entry->freeSpace();
    }
  }
  auto compare = [&](const RowKey &a, const RowKey &b) {
    int c = 0;
    if (byText) {
      if (a.prefix != b.prefix) {
        c = a.prefix < b.prefix ? -1 : 1;
      } else {
        c = std::string_view(text)
                .substr(a.offset, a.length)
                .compare(std::string_view(text).substr(b.offset, b.length));
        c = c < 0 ? -1 : c > 0 ? 1 : 0;
      }
    } else {
      c = threeWay(a.number, b.number);
    }
    return descending ? c > 0 : c < 0;
  };
  std::stable_sort(keys.begin(), keys.end(), compare);
  std::vector<std::uint32_t> order(keys.size());
  for (size_t i = 0; i < keys.size(); ++i)
    order[i] = keys[i].row;
  return order;
}

void EntryListModel::applyOrder(const std::vector<std::uint32_t> &order) {
  std::vector<const FileData *> sorted(rows_.size());
  for (size_t k = 0; k < order.size(); ++k)
    sorted[k] = rows_[order[k]];
  rows_ = std::move(sorted);
}

void EntryListModel::sortBy(SortKey key, bool descending) {
  std::vector<std::uint32_t> order = sortedOrder(key, descending);
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  QModelIndexList before = persistentIndexList();
  std::vector<int> newRow(rows_.size());
  for (size_t k = 0; k < order.size(); ++k)
    newRow[order[k]] = static_cast<int>(k);
  applyOrder(order);
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex &old : before)
    after.append(index(newRow[static_cast<size_t>(old.row())], old.column()));
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void EntryListModel::setUseSystemIcons(bool on) {
  if (on == systemIcons_) return;
  systemIcons_ = on;
  redrawRows();
}

const FileData *EntryListModel::entryAt(int row) const {
  return row >= 0 && static_cast<size_t>(row) < rows_.size() ? rows_[static_cast<size_t>(row)] : nullptr;
}

int EntryListModel::rowOf(const FileData *entry) const {
  auto found = std::find(rows_.begin(), rows_.end(), entry);
  return found == rows_.end() ? -1 : static_cast<int>(found - rows_.begin());
}

void EntryListModel::redrawRows() {
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int EntryListModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int EntryListModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QString EntryListModel::cellText(const FileData &entry, SortKey key) const {
  switch (key) {
  case SortKey::Name:
    return displayText(entry.name());
  case SortKey::Size:
    return QString::fromStdString(model_.sizeText(entry));
  case SortKey::Date:
    return QString::fromLocal8Bit(model_.dateText(entry));
  case SortKey::FreeSpace:
    return QString::fromStdString(model_.freeSpaceText(entry));
  case SortKey::Description:
    return descriptions_ ? displayText(descriptions_(entry)) : QString();
  }
  return {};
}

QVariant EntryListModel::icon(const FileData &entry) const {
  if (systemIcons_ && !diskMode_) {
    QIcon themed = systemIconForName(displayText(entry.name()), entry.isContainer() && !entry.isZipFolder());
    if (!themed.isNull()) return themed;
  }
  return stripIcon(model_.iconIndex(entry));
}

QVariant EntryListModel::data(const QModelIndex &index, int role) const {
  const FileData *entry = index.isValid() ? entryAt(index.row()) : nullptr;
  if (!entry || index.column() >= columnCount()) return {};
  const ListColumn &column = columns_[static_cast<size_t>(index.column())];
  switch (role) {
  case Qt::DisplayRole:
    return cellText(*entry, column.key);
  case Qt::DecorationRole:
    return index.column() == 0 ? icon(*entry) : QVariant();
  case Qt::TextAlignmentRole:
    return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
  default:
    return {};
  }
}

QVariant EntryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  const ListColumn &column = columns_[static_cast<size_t>(section)];
  if (role == Qt::DisplayRole) return column.title;
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
  return {};
}

void EntryListModel::entryAboutToBeRemoved(const FileData &entry, std::size_t) {
  if (entry.parentItem() != item_) return;
  int row = rowOf(&entry);
  if (row < 0) return;
  beginRemoveRows({}, row, row);
  rows_.erase(rows_.begin() + row);
  endRemoveRows();
}

void EntryListModel::entriesAboutToBeRemoved(ItemId item) {
  if (item == item_) clear();
}

void EntryListModel::subtreeAboutToBeRemoved(ItemId, ItemId item, std::size_t) {
  if (item_ != tavlor::kNoItem && model_.isInSubtree(item_, item)) clear();
}

void EntryListModel::insertByName(const FileData &entry) {
  // New rows go where the name order puts them, as they would when the list is filled.
  int row = 0;
  while (row < rowCount() && !nameBefore(&entry, rows_[static_cast<size_t>(row)]))
    ++row;
  beginInsertRows({}, row, row);
  rows_.insert(rows_.begin() + row, &entry);
  endInsertRows();
}

void EntryListModel::entryAdded(const FileData &entry) {
  if (item_ != tavlor::kNoItem && entry.parentItem() == item_) insertByName(entry);
}

void EntryListModel::diskAdded(ItemId, const FileData &entry) {
  if (item_ != tavlor::kNoItem && entry.parentItem() == item_) insertByName(entry);
}

void EntryListModel::sizeTextsDropped() {
  redrawRows();
}

void EntryListModel::modelAboutToBeCleared() {
  bool root = item_ != tavlor::kNoItem && model_.parentOf(item_) == tavlor::kNoItem;
  ItemId keep = root ? item_ : tavlor::kNoItem;
  clear();
  item_ = keep;
}
