#include "ResultListModel.h"

#include "Icons.h"
#include "PaintBreaks.h"
#include "TextCodec.h"

#include <QHeaderView>
#include <QTreeView>

#include <algorithm>

using tavlor::FileData;
using tavlor::ResultColumn;
using tavlor::ResultRow;

ResultListModel::ResultListModel(tavlor::CatalogModel &model, bool sets, std::vector<ResultListColumn> columns,
                                 QObject *parent)
    : QAbstractTableModel(parent), results_(model, sets), columns_(std::move(columns)) {
  // Rows leave before their entries are destroyed; a reset is cheaper than naming
  // the scattered rows of a million.
  results_.rowsAboutToBeRemoved = [this] { beginResetModel(); };
  results_.rowsRemoved = [this] { endResetModel(); };
  results_.textsChanged = [this] {
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
  };
}

void ResultListModel::setRows(std::vector<ResultRow> rows, const QString &message, const QIcon &messageIcon) {
  beginResetModel();
  // The message stands for an empty search, not for rows that left with their disk.
  message_ = rows.empty() ? message : QString();
  results_.assign(std::move(rows));
  messageIcon_ = messageIcon;
  endResetModel();
}

void ResultListModel::sortByColumn(int column) {
  if (column < 0 || column >= columnCount()) return;
  const ResultColumn key = columns_[static_cast<size_t>(column)].key;
  // The order of millions of rows is made on a second thread while the windows paint
  // the rows as they stand.
  std::vector<std::uint32_t> from;
  runWhileWindowsPaint([&] { from = results_.sortOrder(key, descending_); });
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  // Selections and the current row follow their rows to their new places.
  const QModelIndexList before = persistentIndexList();
  results_.reorder(from);
  descending_ = !descending_;
  std::vector<int> to(from.size());
  for (size_t k = 0; k < from.size(); ++k)
    to[from[k]] = static_cast<int>(k);
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex &old : before)
    after.append(static_cast<size_t>(old.row()) < to.size() ? index(to[static_cast<size_t>(old.row())], old.column())
                                                            : QModelIndex());
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

const FileData *ResultListModel::entryAt(int row) const {
  return row >= 0 && static_cast<size_t>(row) < results_.size() ? results_[static_cast<size_t>(row)].entry : nullptr;
}

int ResultListModel::rowCount(const QModelIndex &parent) const {
  if (parent.isValid()) return 0;
  if (results_.size() == 0) return message_.isEmpty() ? 0 : 1;
  return static_cast<int>(results_.size());
}

int ResultListModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QString ResultListModel::cellText(const ResultRow &row, ResultColumn key) const {
  tavlor::CatalogModel &model = results_.model();
  switch (key) {
  case ResultColumn::Name:
    return displayText(row.entry->name());
  case ResultColumn::InFolder:
    return displayText(model.itemPath(row.parent));
  case ResultColumn::Size:
    return QString::fromStdString(model.sizeText(*row.entry));
  case ResultColumn::Date:
    return QString::fromLocal8Bit(model.dateText(*row.entry));
  }
  return {};
}

QVariant ResultListModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.column() >= columnCount() || index.row() >= rowCount()) return {};
  const ResultListColumn &column = columns_[static_cast<size_t>(index.column())];
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
  const bool first = index.column() == 0;
  if (results_.size() == 0) {
    if (!first) return {};
    if (role == Qt::DisplayRole) return message_;
    if (role == Qt::DecorationRole && !messageIcon_.isNull()) return messageIcon_;
    return {};
  }
  const ResultRow &row = results_[static_cast<size_t>(index.row())];
  if (row.isSeparator()) {
    if (!first) return {};
    if (role == Qt::DisplayRole) return QStringLiteral("---");
    if (role == Qt::DecorationRole) return separatorIcon_;
    return {};
  }
  if (role == Qt::DisplayRole) return cellText(row, column.key);
  if (role == Qt::DecorationRole && first) {
    const FileData &entry = *row.entry;
    if (systemIcons_) {
      QIcon themed = systemIconForName(displayText(entry.name()), entry.isContainer() && !entry.isZipFolder());
      if (!themed.isNull()) return themed;
    }
    return stripIcon(results_.model().iconIndex(entry));
  }
  return {};
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  const ResultListColumn &column = columns_[static_cast<size_t>(section)];
  if (role == Qt::DisplayRole) return column.title;
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
  return {};
}

void applyResultColumnWidths(QTreeView *view, const ResultListModel &model) {
  const double digit = view->fontMetrics().horizontalAdvance("0123456789") / 10.0;
  const double scale = std::max(1.0, digit / 6.0);
  // A disk's size in bytes has up to fifteen characters (270,553,174,016).
  const int sizeText = view->fontMetrics().horizontalAdvance("000,000,000,000") + 16;
  const auto &columns = model.columns();
  for (size_t i = 0; i < columns.size(); ++i) {
    int width = static_cast<int>(columns[i].width * scale + 0.5);
    if (columns[i].key == tavlor::ResultColumn::Size) width = std::max(width, sizeText);
    view->header()->resizeSection(static_cast<int>(i), width);
  }
}
