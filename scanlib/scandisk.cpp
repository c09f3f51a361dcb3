#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "Tavscan60.h"
#include "scan_walker.h"

namespace {

bool isFolder(const std::string &path) {
  struct stat st;
  return ::stat(path.empty() ? "." : path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The pattern is a folder and a wildcard name after its last separator. "\" is a
// separator of patterns only where the folder does not exist with it as a plain
// character, so that a folder with "\" in its name can still be scanned.
tavscan::ScanRoot rootOf(const std::string &pattern) {
  tavscan::ScanRoot root;
  const size_t cut = pattern.find_last_of("/\\");
  std::string folder = cut == std::string::npos ? std::string() : pattern.substr(0, cut);
  root.rootFilter = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
  if (cut == 0) folder = "/";
  if (!isFolder(folder) && folder.find('\\') != std::string::npos) {
    std::replace(folder.begin(), folder.end(), '\\', '/');
  }
  root.folder = folder;
  // Subfolders take the wildcard's name part only, its extension is not carried down.
  const size_t dot = root.rootFilter.rfind('.');
  root.childFilter = dot == std::string::npos ? root.rootFilter : root.rootFilter.substr(0, dot);
  return root;
}

} // namespace

void scandisk(const char *pattern, const char *name, int64_t sizeA, int64_t sizeB, int day, int month, int year,
              int hour, int minute, int second, std::ostream &out) {
  tavscan::ScanRoot root = rootOf(pattern ? pattern : "");
  root.name = name ? name : "";
  root.sizeA = sizeA;
  root.sizeB = sizeB;
  root.date = {day, month, year, hour, minute, second};
  tavscan::DiskScanner scanner(out, nullptr, nullptr);
  scanner.scan(root);
}
