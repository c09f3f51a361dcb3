// disk_locator.h - the one place where a cataloged disk is matched to a mounted
// volume: by its exact volume label.
#ifndef APP_EXPORT_DISK_LOCATOR_H
#define APP_EXPORT_DISK_LOCATOR_H

#include <string>

#include "export/file_action_ui.h"

namespace tavlor {

// Looks through the offered volumes, in mount-table order, for the first whose label
// names the cataloged disk label: equal exactly (bytes, case-sensitive) once the
// volume's label is written as a catalog holds it; drive receives its mount point.
// Volumes whose label cannot be read are passed over.
bool findDriveByLabel(const std::string &label, std::string &drive);

// The label of a catalog path: the text before its first "/" (the whole path when
// there is none).
std::string labelOf(const std::string &catalogPath);

// Finds the disk labelled label, showing the insert-disk prompt until it is found or the
// user cancels (false); drive receives its mount point.
bool locateLabel(const std::string &label, std::string &drive, FileActionUi &ui);

// Finds the disk of catalogPath, showing the insert-disk prompt until it is found or
// the user cancels (false). rest is "/" + the path after its first "/".
bool locateDisk(const std::string &catalogPath, std::string &label, std::string &drive, std::string &rest,
                FileActionUi &ui);

// drive + rest as one path ("/" + "/docs" is "/docs"; "/media/D" + "/" is "/media/D").
std::string resolvedPath(const std::string &drive, const std::string &rest);

// The prompt's text for a missing disk.
std::string diskNotFoundText(const std::string &label);

} // namespace tavlor

#endif // APP_EXPORT_DISK_LOCATOR_H
