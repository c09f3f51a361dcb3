// ToolDialogs.h - starting the Find Files and Find Duplicate Files dialogs from the
// menus, the toolbar and the panes' context menus.
#ifndef APP_PANES_TOOLDIALOGS_H
#define APP_PANES_TOOLDIALOGS_H

#include "model/catalog_model.h"

#include <vector>

class CTavlor2Doc;
class FileActions;
class FindDuplicatesDlg;
class FindFilesDlg;
class QWidget;

// Opens a modeless dialog over roots, owned by window (the main window), and shows it.
// Its rows offer Properties, and the file commands of files (the main window's; none
// when null): Open, Send To Notepad, Extract/Copy, dragging out. Several may be open
// at once.
FindFilesDlg *startFindFiles(CTavlor2Doc &doc, std::vector<tavlor::ItemId> roots, QWidget *window, FileActions *files);
FindDuplicatesDlg *startFindDuplicates(CTavlor2Doc &doc, std::vector<tavlor::ItemId> roots, QWidget *window,
                                       FileActions *files);

// The search roots of selected list rows: the folder items of the entries that have
// one (disks, folders, Zip Folders), in order. When there is none, shows "Please
// select one or more folders to search in" over window and returns none.
std::vector<tavlor::ItemId> searchRootsOf(const tavlor::CatalogModel &model,
                                          const std::vector<const tavlor::FileData *> &selection, QWidget *window);

#endif // APP_PANES_TOOLDIALOGS_H
