#include "CompareResultModel.h"

#include "Icons.h"
#include "TextCodec.h"

#include "model/catalog_model.h"

namespace {

const char *const kHeaders[tavlor::kCompareColumnCount] = {"Status",    "Name",         "In Folder", "Size Catalog",
                                                           "Size Disk", "Date Catalog", "Date Disk"};

bool isSizeColumn(int column) {
  return column == static_cast<int>(tavlor::CompareColumn::SizeCatalog) ||
         column == static_cast<int>(tavlor::CompareColumn::SizeDisk);
}

} // namespace

CompareResultModel::CompareResultModel(tavlor::CatalogModel &model, QObject *parent)
    : QAbstractTableModel(parent), model_(model), compare_(model) {
  // After the compare's own registration, so its texts are current when views redraw.
  model_.addObserver(this);
}

CompareResultModel::~CompareResultModel() {
  model_.removeObserver(this);
}

bool CompareResultModel::compare(const std::string &root, std::string_view label) {
  beginResetModel();
  const bool found = compare_.run(root, label);
  endResetModel();
  return found;
}

void CompareResultModel::clear() {
  beginResetModel();
  compare_.clear();
  endResetModel();
}

const tavlor::FileData *CompareResultModel::entryAt(int row) const {
  if (row < 0 || row >= rowCount()) return nullptr;
  return compare_.rows()[static_cast<std::size_t>(row)].entry;
}

int CompareResultModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(compare_.rows().size());
}

int CompareResultModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : tavlor::kCompareColumnCount;
}

QVariant CompareResultModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const tavlor::CompareRow &row = compare_.rows()[static_cast<std::size_t>(index.row())];
  switch (role) {
  case Qt::DisplayRole:
    return displayText(compare_.text(row, static_cast<tavlor::CompareColumn>(index.column())));
  case Qt::DecorationRole:
    if (index.column() == 0) return stripIcon(tavlor::statusIcon(row.status));
    return {};
  case Qt::TextAlignmentRole:
    return QVariant::fromValue(Qt::AlignVCenter | (isSizeColumn(index.column()) ? Qt::AlignRight : Qt::AlignLeft));
  default:
    return {};
  }
}

QVariant CompareResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= tavlor::kCompareColumnCount) return {};
  if (role == Qt::DisplayRole) return tr(kHeaders[section]);
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(Qt::AlignVCenter | (isSizeColumn(section) ? Qt::AlignRight : Qt::AlignLeft));
  return {};
}

void CompareResultModel::sizeTextsDropped() {
  if (rowCount() == 0) return;
  emit dataChanged(index(0, 0), index(rowCount() - 1, tavlor::kCompareColumnCount - 1));
}
