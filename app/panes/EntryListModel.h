// EntryListModel.h - the entries of one folder item as the rows of the list pane.
//
// Rows hold pointers to the model's entries; every removal the model announces is
// applied before the entry is destroyed, so no row ever refers to a destroyed entry.
// Two modes: folder mode (Name, Size, Date) and disk mode (Disk and the switched-on
// disk columns), for the root's entries.
#ifndef APP_PANES_ENTRYLISTMODEL_H
#define APP_PANES_ENTRYLISTMODEL_H

#include <QAbstractTableModel>

#include "CTavlor2Doc.h"
#include "model/catalog_model.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What a column sorts by.
enum class SortKey { Name = 1, Size = 2, Date = 3, FreeSpace = 4, Description = 5 };

struct ListColumn {
  QString title;
  int width;
  Qt::Alignment alignment;
  SortKey key;
};

class EntryListModel : public QAbstractTableModel, private tavlor::ModelObserver {
  Q_OBJECT
public:
  using DescriptionSource = std::function<std::string(const tavlor::FileData &)>;

  // model must outlive this object. descriptions gives the Description cells.
  EntryListModel(tavlor::CatalogModel &model, DescriptionSource descriptions, QObject *parent = nullptr);
  ~EntryListModel() override;

  // The columns of each mode, in display order.
  static std::vector<ListColumn> folderColumns();
  static std::vector<ListColumn> diskColumns(const DiskColumns &shown);

  // Fills the rows with the entries of item, in ascending name order (ignoring case).
  // Disk mode uses the disk columns of shown. Containers' lazy sizes are computed here.
  void showItem(tavlor::ItemId item, bool diskMode, const DiskColumns &shown);
  // No rows, no item.
  void clear();

  // Sorts the rows by key, biggest or last first when descending; equal keys keep
  // their relative order.
  void sortBy(SortKey key, bool descending);

  // The list's icons come from the desktop theme by file name (folder mode only).
  void setUseSystemIcons(bool on);
  bool useSystemIcons() const { return systemIcons_; }

  tavlor::ItemId shownItem() const { return item_; }
  bool diskMode() const { return diskMode_; }
  const std::vector<ListColumn> &columns() const { return columns_; }
  // The entry of a row; null outside the rows.
  const tavlor::FileData *entryAt(int row) const;
  // The row of an entry, or -1.
  int rowOf(const tavlor::FileData *entry) const;
  // Redraws every row (after a description or size-text change).
  void redrawRows();

  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
  // The column set changed (mode switch or a rebuilt disk column set).
  void columnsRebuilt();

private:
  void entryAboutToBeRemoved(const tavlor::FileData &entry, std::size_t index) override;
  void entriesAboutToBeRemoved(tavlor::ItemId item) override;
  void subtreeAboutToBeRemoved(tavlor::ItemId parent, tavlor::ItemId item, std::size_t row) override;
  void entryAdded(const tavlor::FileData &entry) override;
  void diskAdded(tavlor::ItemId disk, const tavlor::FileData &entry) override;
  void sizeTextsDropped() override;
  void modelAboutToBeCleared() override;

  void insertByName(const tavlor::FileData &entry);
  // The rows' positions in the order of key (stable: equal keys keep their order).
  std::vector<std::uint32_t> sortedOrder(SortKey key, bool descending) const;
  void applyOrder(const std::vector<std::uint32_t> &order);
  QString cellText(const tavlor::FileData &entry, SortKey key) const;
  QVariant icon(const tavlor::FileData &entry) const;

  tavlor::CatalogModel &model_;
  DescriptionSource descriptions_;
  std::vector<const tavlor::FileData *> rows_;
  std::vector<ListColumn> columns_;
  tavlor::ItemId item_ = tavlor::kNoItem;
  bool diskMode_ = false;
  bool systemIcons_ = false;
};

#endif // APP_PANES_ENTRYLISTMODEL_H
