// ResultMenu.h - the context menu of the rows of a result list.
#ifndef APP_TOOLS_RESULTMENU_H
#define APP_TOOLS_RESULTMENU_H

#include <functional>
#include <memory>
#include <vector>

#include "model/file_data.h"

class FileActions;
class QMenu;
class QWidget;

// What the rows can do; a command without its function (or object) is not offered.
struct ResultEntryActions {
  // Shows the properties of one entry over a window.
  std::function<void(const tavlor::FileData &entry, QWidget *over)> properties;
  // Open, Send To Notepad, Extract/Copy and dragging out; must outlive the dialog.
  FileActions *files = nullptr;
};

// The entries a command acts on, taken when it runs.
using ResultSelection = std::function<std::vector<const tavlor::FileData *>()>;

// The menu of the row clicked (context), its items by the kind of context: the file
// commands on selection() (Extract/Copy on extractSelection()) unless it is a disk,
// then Properties on context. Owned by the caller; the commands run while the menu is
// shown.
std::unique_ptr<QMenu> resultContextMenu(const tavlor::FileData &context, ResultSelection selection,
                                         ResultSelection extractSelection, const ResultEntryActions &actions,
                                         QWidget *over);

#endif // APP_TOOLS_RESULTMENU_H
