// properties.h - the values the Properties dialog shows for an entry or the root.
#ifndef APP_MODEL_PROPERTIES_H
#define APP_MODEL_PROPERTIES_H

#include <ctime>
#include <string>

#include "model/catalog_model.h"

namespace tavlor {

inline constexpr const char *kCountNote = "Count includes files and folders in Zip Folders";
inline constexpr const char *kResizeHint = "Resize here -->";

// The eight texts of the Properties dialog, computed once; they do not follow later
// changes of the model.
struct PropertiesValues {
  std::string name;
  std::string type;     // "File Folder", "Zip Folder", "Removable Disk", ... "File", "Disk Drive"
  std::string location; // the folder path; empty for the root
  std::string size;
  std::string contains; // "%d Files, %d Folders, %d Zip Folders" or "File Data"
  std::string date;
  std::string note; // kCountNote for containers and the root, else empty
  std::string hint; // kResizeHint
};

// The type name of a kind ("File" for kinds without one of their own).
std::string typeName(NodeKind kind);

// The values for one entry of the model. A container's size is the accumulated size
// below its own item (a disk: its files, with Zip Folders at their stored size), not
// its stored size.
PropertiesValues propertiesOf(CatalogModel &model, const FileData &entry);

// The summary of all loaded disks; the date is now, formatted like an entry's date.
PropertiesValues rootProperties(CatalogModel &model, std::time_t now);

} // namespace tavlor

#endif // APP_MODEL_PROPERTIES_H
