// ResultMenu.h - the context menu of the rows of a result list.
#ifndef APP_TOOLS_RESULTMENU_H
#define APP_TOOLS_RESULTMENU_H

#include <functional>
#include <memory>
#include <vector>

#include "model/file_data.h"

class QMenu;
class QWidget;

// What the rows' menus can do; a command without a function is not offered.
struct ResultEntryActions {
  // Shows the properties of one entry over a window.
  std::function<void(const tavlor::FileData &entry, QWidget *over)> properties;
};

// The menu for the selected entries (in list order) with context the row clicked: its
// items follow the kind of context. Properties acts on context. Owned by the caller;
// the commands run while the menu is shown, on entries still alive then.
std::unique_ptr<QMenu> resultContextMenu(const tavlor::FileData &context,
                                         const std::vector<const tavlor::FileData *> &selection,
                                         const ResultEntryActions &actions, QWidget *over);

#endif // APP_TOOLS_RESULTMENU_H
