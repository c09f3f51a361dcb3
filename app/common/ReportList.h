// ReportList.h - the look shared by every list of entries: the folder list and the
// result lists of the tools.
#ifndef APP_COMMON_REPORTLIST_H
#define APP_COMMON_REPORTLIST_H

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QTreeView>

#include <algorithm>
#include <vector>

namespace tavlor {
class FileData;
}

class QAbstractItemModel;

// Makes view a flat report list over model: rows selected whole (in the given mode),
// uniform row heights, 16-pixel icons, columns that neither move nor stretch.
void setUpReportList(QTreeView *view, QAbstractItemModel *model,
                     QAbstractItemView::SelectionMode selection = QAbstractItemView::ExtendedSelection);

// The entries of the selected rows of view, in list order; rows without an entry are
// left out. Model is the list's model, answering entryAt(row).
template <typename Model>
std::vector<const tavlor::FileData *> selectedRowEntries(const QTreeView *view, const Model &model) {
  QModelIndexList rows = view->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
  std::vector<const tavlor::FileData *> entries;
  for (const QModelIndex &index : rows)
    if (const tavlor::FileData *entry = model.entryAt(index.row())) entries.push_back(entry);
  return entries;
}

#endif // APP_COMMON_REPORTLIST_H
