// file_times.h - file times in catalog-date terms, inside the library.
#ifndef SCANLIB_FILE_TIMES_H
#define SCANLIB_FILE_TIMES_H

#include "catalog_date.h"

namespace tavscan {

// Sets the modification time of the file at path to the local date given (the access
// time is left alone; Linux has no creation time to set). The file is opened as
// CompareFileDateTime opens it, so a missing or read-only file fails. True when the
// time was set and reads back as set.
bool setFileDateTime(const char *path, int day, int month, int year, int hour, int minute, int second);

// The same for a file the caller has open for writing (an extracted file before it
// takes its final name).
bool setFileDate(int fd, const CatalogDate &date);

// CompareFileDateTime for the file name in the folder dirFd; with followLinks false a
// symbolic link at name counts as a file that cannot be opened. comparison is changed
// only when the result is true.
bool compareFileDate(int dirFd, const char *name, bool followLinks, const CatalogDate &date, int &comparison);

} // namespace tavscan

#endif // SCANLIB_FILE_TIMES_H
