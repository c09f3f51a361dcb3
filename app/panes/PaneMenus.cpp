#include "PaneMenus.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>

bool contextMenuRequest(const QWidget *pane, const QAbstractItemView *view, const QObject *watched, QEvent *event,
                        QModelIndex &index, QPoint &at) {
  if (event->type() != QEvent::ContextMenu || (watched != view->viewport() && watched != view)) return false;
  const auto *menuEvent = static_cast<QContextMenuEvent *>(event);
  const bool fromKeyboard = menuEvent->reason() == QContextMenuEvent::Keyboard;
  index = fromKeyboard ? view->currentIndex() : view->indexAt(menuEvent->pos());
  at = fromKeyboard ? pane->mapToGlobal(QPoint(5, 5)) : view->viewport()->mapToGlobal(menuEvent->pos());
  return true;
}
