// catalog_files.h - the catalog files of the catalogs folder.
#ifndef APP_COLLECTION_CATALOG_FILES_H
#define APP_COLLECTION_CATALOG_FILES_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlor {

// The names of the catalog files in folder (names ending in ".zar", in any case, as
// catalogs copied from other systems may be named), in the order the file system
// lists them. Empty when the folder cannot be read.
std::vector<std::string> listCatalogFiles(const std::string &folder);

// The catalog file of a disk: folder + "/" + label + ".zar". Nothing for a label that
// would name a file outside the folder (empty, holding "/", or only dots), so such a
// label can never delete or replace another file, and nothing for one too long for a
// file name, which no catalog could be written to.
std::optional<std::string> catalogFilePath(const std::string &folder, std::string_view label);

// The text with ASCII letters upper-cased (labels are bytes).
std::string upperCaseAscii(std::string_view text);

} // namespace tavlor

#endif // APP_COLLECTION_CATALOG_FILES_H
