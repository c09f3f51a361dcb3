// extract_paths.h - where a ZIP member lands below the destination folder.
//
// Member names come from the archive and are not trusted: whatever a name holds,
// the path made of it stays below the destination.
#ifndef SCANLIB_EXTRACT_PATHS_H
#define SCANLIB_EXTRACT_PATHS_H

#include <cstddef>
#include <string>
#include <vector>

namespace tavscan {

// A member name split at "/" and "\" into the folders to create and the file to write.
// Empty, "." and ".." components and a leading drive prefix ("C:") are dropped, as
// trusted unzip tools do, so "../x", "/x", "C:\x" and "a/../../x" land inside. file is
// empty when the name has no file part (a folder entry such as "docs/", or a name
// ending in ".."): nothing is written for it.
struct MemberPath {
  std::vector<std::string> folders;
  std::string file;
};
MemberPath memberPath(const std::string &name);

// The path below the destination as text, "/" between the parts.
std::string relativeText(const MemberPath &path, bool useFolderNames);

// destFolder + "/" + relative (no second "/" when destFolder already ends in one).
std::string joinPath(const std::string &destFolder, const std::string &relative);

// text with ASCII letters upper-cased; other bytes unchanged.
std::string upperAscii(const std::string &text);

// The length of the parent path of folderInZip: the position just after its last "/"
// or "\" that is not its final character, 0 when there is none. A selected member
// keeps the name of the selected folder and loses only that parent path.
size_t folderPrefixLength(const std::string &folderInZip);

} // namespace tavscan

#endif // SCANLIB_EXTRACT_PATHS_H
