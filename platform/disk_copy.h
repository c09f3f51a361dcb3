// disk_copy.h - reaching cataloged files on a mounted disk and copying them out,
// without ever leaving the disk or the destination.
//
// A catalog comes from outside and a disk may be someone else's: a path is walked one
// folder at a time from the disk's root, never through a symbolic link, and the only
// link that is followed is one standing where a file is expected whose whole target
// lies on the same disk. A copy creates what it writes below an open folder of the
// destination and never descends through a link it did not make. Everything not
// written is reported with its reason.
#ifndef PLATFORM_DISK_COPY_H
#define PLATFORM_DISK_COPY_H

#include <functional>
#include <string>
#include <vector>

#include "files.h"

namespace platform {

// The result of resolving an entry's path on a disk.
struct DiskPath {
  int error = 0;      // 0 when found; otherwise an errno value
  std::string why;    // a reason a user reads, when error is set
  std::string path;   // the real path of what was found (a link's target when followed)
  bool folder = false;
};

// Resolves components (the folders below root, then the entry) on the disk whose root
// folder is root. Every component must be safe; the folders must be real folders; the
// last one may be a link to a file whose target lies below root.
DiskPath resolveOnDisk(const std::string &root, const std::vector<std::string> &components);

// Opens the file found at source (a DiskPath of resolveOnDisk, whose disk root is root)
// for reading: a regular file only, reached one folder at a time from root and never
// through a link, so a path swapped meanwhile cannot lead off the disk. st receives
// its status. Returns a descriptor for the caller to close, or -1 with errno set.
int openFromDisk(const std::string &root, const DiskPath &source, struct stat &st);

// Called for each file or folder that a copy did not write: its source path and why.
using NotCopied = std::function<void(const std::string &path, const std::string &reason)>;

struct CopyCounts {
  int written = 0; // files written
  int failed = 0;  // files and folders that could not be copied
  int kept = 0;    // existing files left in place (fail-if-exists)
};

// Copies the file or folder found at source (a DiskPath of resolveOnDisk, whose disk
// root is root) into the folder destination under the name name. Missing levels of
// destination are made. A file is created exclusively with failIfExists (an existing
// target is kept and counted, never touched); a folder's existing files are kept the
// same way. A copy of a read-only file is made writable. A link met inside a copied
// folder is followed only to a file below root; links to folders are not entered.
CopyCounts copyFromDisk(const std::string &root, const DiskPath &source, const std::string &destination,
                        const std::string &name, bool failIfExists, const NotCopied &notCopied);

} // namespace platform

#endif // PLATFORM_DISK_COPY_H
