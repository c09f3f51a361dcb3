#include "ResultMenu.h"

#include "FileActions.h"

#include <QMenu>

std::unique_ptr<QMenu> resultContextMenu(const tavlor::FileData &context, ResultSelection selection,
                                         ResultSelection extractSelection, const ResultEntryActions &actions,
                                         QWidget *over) {
  auto menu = std::make_unique<QMenu>();
  menu->setObjectName("resultContextMenu");
  // A disk is no file of its own to open or copy: it has Properties only.
  if (actions.files && !context.isDisk())
    actions.files->addEntryCommands(*menu, context, std::move(selection), std::move(extractSelection));
  menu->addSeparator();
  if (actions.properties) {
    const tavlor::FileData *entry = &context;
    auto properties = actions.properties;
    menu->addAction(QObject::tr("Properties"), menu.get(), [properties, entry, over] { properties(*entry, over); });
  }
  return menu;
}
