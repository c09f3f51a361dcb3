// CompareResultModel.h - the rows of a disk/catalog compare for a list view.
#ifndef APP_TOOLS_COMPARERESULTMODEL_H
#define APP_TOOLS_COMPARERESULTMODEL_H

#include <QAbstractTableModel>

#include <string>
#include <string_view>

#include "model/model_observer.h"
#include "tools/disk_compare.h"

namespace tavlor {
class CatalogModel;
}

// A table over the compare's rows, no item per row: a million rows fill at once.
// Owns the compare (and so its disk-side records); the rows follow a unit or comma
// change of the catalog model, and a row whose catalog entry is destroyed keeps its
// texts and loses only the entry (entryAt gives null).
class CompareResultModel : public QAbstractTableModel, private tavlor::ModelObserver {
  Q_OBJECT
public:
  CompareResultModel(tavlor::CatalogModel &model, QObject *parent);
  ~CompareResultModel() override;

  // Replaces the rows with the compare of the disk folder root against the loaded
  // disk labelled label; false, with no rows, when no loaded disk has the label.
  bool compare(const std::string &root, std::string_view label);
  // Drops every row and disk-side record.
  void clear();

  const tavlor::DiskCompare &results() const { return compare_; }
  // The live catalog entry of a row, or null (no catalog side, or destroyed).
  const tavlor::FileData *entryAt(int row) const;

  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
  void sizeTextsDropped() override;

  tavlor::CatalogModel &model_;
  tavlor::DiskCompare compare_;
};

#endif // APP_TOOLS_COMPARERESULTMODEL_H
