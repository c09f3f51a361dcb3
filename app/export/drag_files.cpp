#include "export/drag_files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "export/file_actions.h"
#include "platform/files.h"

namespace tavlor {
namespace {

// Earlier drags' folders whose files the targets took are empty; folders still
// holding something (a refused drop) are left for the user.
void removeEmptyDragFolders(const std::string &root) {
  DIR *folder = ::opendir(root.c_str());
  if (!folder) return;
  while (const dirent *entry = ::readdir(folder)) {
    const std::string name = entry->d_name;
    if (name.rfind("drag-", 0) == 0) ::rmdir((root + "/" + name).c_str());
  }
  ::closedir(folder);
}

} // namespace

std::string dragFolderRoot() {
  return temporaryFolder() + "/TV60_dd_tmp";
}

std::vector<const FileData *> dragSet(const std::vector<const FileData *> &entries) {
  std::vector<const FileData *> set;
  std::set<const FileData *> seen;
  for (const FileData *entry : entries)
    if (entry && !entry->isDisk() && seen.insert(entry).second) set.push_back(entry);
  return set;
}

PreparedDrag prepareDrag(const CatalogModel &model, const std::vector<const FileData *> &set, FileActionUi &ui) {
  PreparedDrag drag;
  const std::string root = dragFolderRoot();
  platform::createFolderLevels(root);
  removeEmptyDragFolders(root);
  std::string pattern = root + "/drag-XXXXXX";
  if (!::mkdtemp(pattern.data())) return drag;
  drag.folder = pattern;
  std::set<std::string> used;
  for (const FileData *entry : set) {
    const std::string name(entry->name());
    std::string folder = drag.folder;
    for (int n = 2; !used.insert(folder + "/" + name).second; ++n) {
      folder = drag.folder + "/" + std::to_string(n);
    }
    ::mkdir(folder.c_str(), 0700);
    copyEntry(model, *entry, folder, true, false, true, ui);
    drag.paths.push_back(folder + "/" + name);
  }
  return drag;
}

} // namespace tavlor
