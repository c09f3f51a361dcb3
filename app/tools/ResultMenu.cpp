#include "ResultMenu.h"

#include <QMenu>

std::unique_ptr<QMenu> resultContextMenu(const tavlor::FileData &context,
                                         const std::vector<const tavlor::FileData *> &selection,
                                         const ResultEntryActions &actions, QWidget *over) {
  Q_UNUSED(selection);
  auto menu = std::make_unique<QMenu>();
  menu->setObjectName("resultContextMenu");
  if (actions.properties) {
    const tavlor::FileData *entry = &context;
    auto properties = actions.properties;
    menu->addAction(QObject::tr("Properties"), menu.get(), [properties, entry, over] { properties(*entry, over); });
  }
  return menu;
}
