// ResultListModel.h - the rows of a Find Files or Find Duplicate Files dialog as a
// Qt item model: one row per result, read straight from the result list, so a
// million results show at once.
#ifndef APP_TOOLS_RESULTLISTMODEL_H
#define APP_TOOLS_RESULTLISTMODEL_H

#include <QAbstractTableModel>
#include <QIcon>

#include "tools/result_list.h"

#include <vector>

struct ResultListColumn {
  QString title;
  int width; // pixels for a font whose digits are 6 pixels wide
  Qt::Alignment alignment;
  tavlor::ResultColumn key;
};

class ResultListModel : public QAbstractTableModel {
  Q_OBJECT
public:
  // model must outlive this object. sets: the rows are sets of duplicates, each after
  // a separator row.
  ResultListModel(tavlor::CatalogModel &model, bool sets, std::vector<ResultListColumn> columns,
                  QObject *parent = nullptr);

  // Replaces the rows; message (with its icon; a null icon for none) is the one row
  // shown when there are none.
  void setRows(std::vector<tavlor::ResultRow> rows, const QString &message = {}, const QIcon &messageIcon = {});
  // Icons by file type from the desktop theme instead of the built-in strip.
  void setUseSystemIcons(bool on) { systemIcons_ = on; }
  void setSeparatorIcon(const QIcon &icon) { separatorIcon_ = icon; }

  // Sorts by the column with the shared direction, then flips it: the first sort of
  // a dialog is descending, the next ascending, whichever columns are clicked.
  void sortByColumn(int column);
  bool nextSortDescending() const { return descending_; }

  const tavlor::ResultList &results() const { return results_; }
  const std::vector<ResultListColumn> &columns() const { return columns_; }
  // The entry of a row; null for separators, the message row and outside the rows.
  const tavlor::FileData *entryAt(int row) const;
  // The message shown instead of rows, or empty.
  const QString &message() const { return message_; }

  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
  QString cellText(const tavlor::ResultRow &row, tavlor::ResultColumn key) const;

  tavlor::ResultList results_;
  std::vector<ResultListColumn> columns_;
  QString message_;
  QIcon messageIcon_;
  QIcon separatorIcon_;
  bool systemIcons_ = false;
  bool descending_ = true;
};

// Sizes the columns of view to the model's widths, grown with the font as the list
// pane's are.
class QTreeView;
void applyResultColumnWidths(QTreeView *view, const ResultListModel &model);

#endif // APP_TOOLS_RESULTLISTMODEL_H
