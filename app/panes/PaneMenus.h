// PaneMenus.h - how both panes recognise a request for their context menu.
#ifndef APP_PANES_PANE_MENUS_H
#define APP_PANES_PANE_MENUS_H

#include <QModelIndex>
#include <QPoint>

class QAbstractItemView;
class QEvent;
class QObject;
class QWidget;

// True when event, delivered to watched, asks view (or its viewport) for its context
// menu. index then receives the row it is about (the current one when the keyboard
// asked, else the one under the pointer; invalid over empty space) and at the screen
// position where the menu opens (the pointer, or near pane's corner for the keyboard).
bool contextMenuRequest(const QWidget *pane, const QAbstractItemView *view, const QObject *watched, QEvent *event,
                        QModelIndex &index, QPoint &at);

#endif // APP_PANES_PANE_MENUS_H
