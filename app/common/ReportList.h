// ReportList.h - the look shared by every list of entries: the folder list and the
// result lists of the tools.
#ifndef APP_COMMON_REPORTLIST_H
#define APP_COMMON_REPORTLIST_H

#include <QAbstractItemView>

class QAbstractItemModel;
class QTreeView;

// Makes view a flat report list over model: rows selected whole (in the given mode),
// uniform row heights, 16-pixel icons, columns that neither move nor stretch.
void setUpReportList(QTreeView *view, QAbstractItemModel *model,
                     QAbstractItemView::SelectionMode selection = QAbstractItemView::ExtendedSelection);

#endif // APP_COMMON_REPORTLIST_H
