// drag_files.h - the files a drag out of the program offers, prepared at the drop.
//
// Each drag gets a fresh folder of its own below the drag folder ("TV60_dd_tmp" in the
// user's private temporary folder), so the drop target always receives exactly the
// dragged entries, never a file left there by an earlier drag or put there by someone
// else.
#ifndef APP_EXPORT_DRAG_FILES_H
#define APP_EXPORT_DRAG_FILES_H

#include <string>
#include <vector>

#include "export/file_action_ui.h"
#include "export/file_actions.h"
#include "model/catalog_model.h"

namespace tavlor {

// privateTemporaryFolder() + "/TV60_dd_tmp", made private when missing; empty when no
// such folder can be had.
std::string dragFolderRoot();

// The entries a drag carries: the given ones without disks, each once, in order.
std::vector<const FileData *> dragSet(const std::vector<const FileData *> &entries);

// The plain values of the entries of dragSet(entries), taken when the drag starts.
std::vector<EntrySource> dragSources(const CatalogModel &model, const std::vector<const FileData *> &entries);

// The labels of the disks the sources need that are not mounted now, each once, in order.
std::vector<std::string> missingDisks(const std::vector<EntrySource> &sources);

struct PreparedDrag {
  std::string folder;                // the drag's own folder; empty when it could not be made
  std::vector<std::string> paths;    // one full path per entry that may be offered, in set order
  std::vector<CopyFailure> failures; // what was not prepared, and why
};

// Makes the drag's folder (and removes the empty folders that earlier drags left once
// their files were moved out), then copies every source into it with copySource (folder
// names used, newer files kept, older replaced). A second entry of a name already used
// goes into a numbered subfolder, so both reach the target. An entry whose disk was
// cancelled or whose copy failed is still listed (its path then does not exist); one
// whose name cannot name a file is neither copied nor listed.
PreparedDrag prepareDrag(const std::vector<EntrySource> &sources, FileActionUi &ui);
PreparedDrag prepareDrag(const CatalogModel &model, const std::vector<const FileData *> &set, FileActionUi &ui);

} // namespace tavlor

#endif // APP_EXPORT_DRAG_FILES_H
