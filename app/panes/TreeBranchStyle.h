// TreeBranchStyle.h - the tree pane's branch lines and expand buttons.
//
// Desktop styles such as Fusion draw only arrows beside tree items. A catalog tree is
// deep and its labels alike, so the pane draws dotted lines from each item to its
// parent and boxed plus and minus buttons; everything else is the desktop's style.
#ifndef APP_PANES_TREEBRANCHSTYLE_H
#define APP_PANES_TREEBRANCHSTYLE_H

#include <QProxyStyle>

class TreeBranchStyle : public QProxyStyle {
  Q_OBJECT
public:
  TreeBranchStyle() = default;

  void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
};

#endif // APP_PANES_TREEBRANCHSTYLE_H
