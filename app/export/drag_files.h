// drag_files.h - the files a drag out of the program offers, prepared at the drop.
//
// Each drag gets a fresh folder of its own below temporary folder + "/TV60_dd_tmp",
// so the drop target always receives exactly the dragged entries, never a file left
// there by an earlier drag of the same name.
#ifndef APP_EXPORT_DRAG_FILES_H
#define APP_EXPORT_DRAG_FILES_H

#include <string>
#include <vector>

#include "export/file_action_ui.h"
#include "model/catalog_model.h"

namespace tavlor {

// temporaryFolder() + "/TV60_dd_tmp".
std::string dragFolderRoot();

// The entries a drag carries: the given ones without disks, each once, in order.
std::vector<const FileData *> dragSet(const std::vector<const FileData *> &entries);

struct PreparedDrag {
  std::string folder;             // the drag's own folder; empty when it could not be made
  std::vector<std::string> paths; // one full path per entry, in set order
};

// Makes the drag's folder (and removes the empty folders that earlier drags left once
// their files were moved out), then copies every entry into it with copyEntry (folder
// names used, newer files kept, older replaced). A second entry of a name already
// used goes into a numbered subfolder, so both reach the target. An entry whose disk
// was cancelled or whose copy failed is still listed; its path then does not exist.
PreparedDrag prepareDrag(const CatalogModel &model, const std::vector<const FileData *> &set, FileActionUi &ui);

} // namespace tavlor

#endif // APP_EXPORT_DRAG_FILES_H
