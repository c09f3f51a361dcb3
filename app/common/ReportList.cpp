#include "ReportList.h"

#include <QHeaderView>
#include <QTreeView>

void setUpReportList(QTreeView *view, QAbstractItemModel *model, QAbstractItemView::SelectionMode selection) {
  view->setModel(model);
  view->setRootIsDecorated(false);
  view->setItemsExpandable(false);
  view->setUniformRowHeights(true);
  view->setAllColumnsShowFocus(true);
  view->setIconSize(QSize(16, 16));
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(selection);
  view->header()->setSectionsMovable(false);
  view->header()->setStretchLastSection(false);
}
