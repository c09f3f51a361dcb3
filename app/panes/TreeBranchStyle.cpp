#include "TreeBranchStyle.h"

#include <QPainter>
#include <QStyleOption>
#include <QTreeView>

namespace {

// The very first row has nothing above it to connect to.
bool isFirstTopRow(const QRect &cell, const QWidget *widget) {
  auto *tree = qobject_cast<const QTreeView *>(widget);
  if (!tree) return false;
  QModelIndex index = tree->indexAt(QPoint(tree->viewport()->width() - 1, cell.center().y()));
  if (!index.isValid()) index = tree->indexAt(cell.center());
  return index.isValid() && !index.parent().isValid() && index.row() == 0;
}

} // namespace

void TreeBranchStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                    const QWidget *widget) const {
  if (element != PE_IndicatorBranch) {
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    return;
  }
  const QRect r = option->rect;
  const int midX = r.left() + r.width() / 2;
  const int midY = r.top() + r.height() / 2;
  const bool item = option->state & State_Item;
  const bool sibling = option->state & State_Sibling;
  const bool children = option->state & State_Children;

  painter->save();
  QPen dotted(option->palette.color(QPalette::Dark), 1);
  dotted.setDashPattern({1, 1});
  painter->setPen(dotted);
  if (item) {
    painter->drawLine(midX, midY, r.right(), midY);
    if (!isFirstTopRow(r, widget)) painter->drawLine(midX, r.top(), midX, midY);
  }
  if (sibling) painter->drawLine(midX, item ? midY : r.top(), midX, r.bottom());
  if (children) {
    // drawRect adds the pen: a box of 9 pixels, centred on the lines.
    const int half = 4;
    QRect box(midX - half, midY - half, 2 * half, 2 * half);
    painter->setPen(QPen(option->palette.color(QPalette::Dark), 1));
    painter->setBrush(option->palette.color(QPalette::Base));
    painter->drawRect(box);
    painter->setPen(QPen(option->palette.color(QPalette::Text), 1));
    painter->drawLine(midX - half + 2, midY, midX + half - 2, midY);
    if (!(option->state & State_Open)) painter->drawLine(midX, midY - half + 2, midX, midY + half - 2);
  }
  painter->restore();
}
