#include "export/drag_files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "export/disk_locator.h"
#include "export/file_actions.h"
#include "platform/files.h"
#include "platform/temp_folder.h"

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
  return platform::privateSubfolder(privateTemporaryFolder(), "TV60_dd_tmp");
}

std::vector<const FileData *> dragSet(const std::vector<const FileData *> &entries) {
  std::vector<const FileData *> set;
  std::set<const FileData *> seen;
  for (const FileData *entry : entries)
    if (entry && !entry->isDisk() && seen.insert(entry).second) set.push_back(entry);
  return set;
}

std::vector<EntrySource> dragSources(const CatalogModel &model, const std::vector<const FileData *> &entries) {
  std::vector<EntrySource> sources;
  for (const FileData *entry : dragSet(entries))
    sources.push_back(entrySource(model, *entry));
  return sources;
}

std::vector<std::string> missingDisks(const std::vector<EntrySource> &sources) {
  std::vector<std::string> missing;
  std::set<std::string> looked;
  for (const EntrySource &source : sources) {
    if (!source.refusal.empty() || !looked.insert(source.label()).second) continue;
    std::string drive;
    if (!findDriveByLabel(source.label(), drive)) missing.push_back(source.label());
  }
  return missing;
}

PreparedDrag prepareDrag(const std::vector<EntrySource> &sources, FileActionUi &ui) {
  PreparedDrag drag;
  const std::string root = dragFolderRoot();
  if (root.empty()) {
    for (const EntrySource &source : sources)
      drag.failures.push_back({source.catalogPath, "no private temporary folder can be made"});
    return drag;
  }
  removeEmptyDragFolders(root);
  std::string pattern = root + "/drag-XXXXXX";
  if (!::mkdtemp(pattern.data())) return drag;
  drag.folder = pattern;
  std::set<std::string> used;
  for (const EntrySource &source : sources) {
    if (!source.refusal.empty()) {
      drag.failures.push_back({source.catalogPath, source.refusal});
      continue;
    }
    std::string folder = drag.folder;
    for (int n = 2; !used.insert(folder + "/" + source.name).second; ++n)
      folder = drag.folder + "/" + std::to_string(n);
    ::mkdir(folder.c_str(), 0700);
    CopyResult result = copySource(source, folder, true, false, true, ui);
    drag.failures.insert(drag.failures.end(), result.failures.begin(), result.failures.end());
    drag.paths.push_back(folder + "/" + source.name);
  }
  return drag;
}

PreparedDrag prepareDrag(const CatalogModel &model, const std::vector<const FileData *> &set, FileActionUi &ui) {
  return prepareDrag(dragSources(model, set), ui);
}

} // namespace tavlor
