// zip_listing.h - the member list of a ZIP archive, written as a Zip Folder.
#ifndef SCANLIB_ZIP_LISTING_H
#define SCANLIB_ZIP_LISTING_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "catalog_date.h"
#include "scan_output.h"

namespace tavscan {

// Lists the archive named name in the open folder folderFd (opened without following
// a link, and only if it is a regular file) and writes it to out: its Zip Folder
// with its folders and members, or a single member line when it has no usable
// member, or nothing at all when it cannot be read as an archive. path is the
// archive's full path, used only in the warning about an undatable member. size and
// date are the archive file's own. Returns true when it had at least one member.
// With deferred, the warnings are collected there (caption, text) instead of shown.
bool listArchive(int folderFd, const std::string &name, const std::string &path, uint64_t size, const CatalogDate &date,
                 CatalogOutput &out, std::vector<std::pair<std::string, std::string>> *deferred = nullptr);

} // namespace tavscan

#endif // SCANLIB_ZIP_LISTING_H
