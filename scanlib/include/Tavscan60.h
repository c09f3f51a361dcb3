// Tavscan60.h - the exported interface of the scanning library libTavscan60.so.
//
// Plain functions with narrow strings (names are bytes, as the file system gives
// them); results are bool or int, nothing throws across this boundary. The caller
// owns every stream and buffer it passes. The only memory handed back is the text
// of flushdisk's message, which the caller releases with strdelete.
//
// The library shows message boxes (invalid dates, unreadable archives) through a
// process-wide handler: by default they go to standard error as "caption: text";
// a program installs its own with tavscanSetMessageBoxHandler.
//
// The scanner and the extraction operations are not reentrant: one call at a time
// per process.
#ifndef TAVSCAN60_H
#define TAVSCAN60_H

#include <cstddef>
#include <cstdint>
#include <ostream>

#if defined(TAVSCAN60_BUILD)
#define TAVSCAN_API __attribute__((visibility("default")))
#else
#define TAVSCAN_API
#endif

// ---- message boxes --------------------------------------------------------------

// Icon of a library message box.
enum TavscanBoxIcon { kTavscanBoxNone = 0, kTavscanBoxInformation = 1, kTavscanBoxWarning = 2 };

// Shows one modal box with an OK button and returns when it is closed. caption and
// text are valid only during the call.
typedef void (*TavscanMessageBoxHandler)(const char *caption, const char *text, int icon, void *context);

// Installs handler for every later box of the library; null restores the default
// (writes "caption: text" to standard error). context is passed back unchanged.
TAVSCAN_API void tavscanSetMessageBoxHandler(TavscanMessageBoxHandler handler, void *context);

// ---- the catalog writer and the disk scanner -------------------------------------

// Writes the version line and the header block for the volume that contains path
// (its drive type keyword: "fixed", "cdrom" or "default"). The caller checks out.
TAVSCAN_API void writeZarHeader(std::ostream &out, const char *path);

// Writes the folder named by pattern (a folder path followed by "/*"; "\" is
// accepted as a separator in the pattern only) and everything below it as catalog
// records: the folder line with name, sizeA, sizeB and the date, its subfolders and
// Zip Folders where they are met, then its files sorted. The scan never follows a
// symbolic link and never enters another mounted filesystem. Stream errors are not
// checked here.
TAVSCAN_API void scandisk(const char *pattern, const char *name, int64_t sizeA, int64_t sizeB, int day, int month,
                          int year, int hour, int minute, int second, std::ostream &out);

// Total and free bytes of the volume that holds rootPath; both 0 when it cannot be
// measured.
TAVSCAN_API void GetLargeDiskSize(const char *rootPath, int64_t &totalBytes, int64_t &freeBytes);

// Progress of a scan: called at most a few times a second with the number of
// entries written so far and the folder being read. Returning false cancels the scan.
typedef bool (*TavscanProgress)(uint64_t entries, const char *folder, void *context);

// Result of catalogVolume.
enum TavscanCatalogResult {
  kTavscanCatalogOk = 0,
  kTavscanCatalogNoSource = 1,   // rootPath is missing or not a folder
  kTavscanCatalogCannotWrite = 2, // the catalog (or its temporary file) could not be written
  kTavscanCatalogCancelled = 3,   // progress returned false
};

// Writes one complete catalog of the folder or volume rootPath to catalogPath, in the
// calling order header, sizes, scan, close: the catalog is written to a new file in
// catalogPath's folder (unnamed where the filesystem allows, so a killed run leaves
// nothing; otherwise a temporary file that the next run of the same catalog
// removes) and put in its place only when the scan finished and the file was written
// and synced without error, so an interrupted or failed scan leaves the previous
// catalog as it was. Nothing is opened by name after it was created, and a link at
// catalogPath is replaced, never followed. A replaced catalog keeps its mode. label
// is the name on the root folder line; the date is the time of cataloguing. progress
// may be null. With kTavscanCatalogCannotWrite, errno holds the cause (ENOSPC for a
// full disk), as GetLastError_Message reports it.
TAVSCAN_API int catalogVolume(const char *rootPath, const char *label, const char *catalogPath, int day, int month,
                              int year, int hour, int minute, int second, TavscanProgress progress,
                              void *progressContext);

// ---- ZIP extraction ----------------------------------------------------------------

// Size of the buffer extractFromZip's outPath must have at least. Results that do not
// fit are refused (the member is not written).
enum { kTavscanPathBufferSize = 4096 };

// Extracts the member stored exactly as memberName from zipPath below destFolder.
// outPath receives the path of the written file (outPathSize bytes at least
// kTavscanPathBufferSize); it is "" when no path was made, and it is set as soon as
// the path is known, so it also names an existing file that the overwrite rule kept.
// Returns true when at least one byte was written.
//
// For both operations: nothing is written outside destFolder (".." and empty
// components, leading separators and drive prefixes of member names are dropped),
// no symbolic link below destFolder is followed or created, encrypted members and
// members that fail their size or CRC check are not written, a read-only file is
// never replaced, and a file is replaced only by a completely written member. An
// empty member is written as an empty file. Only a regular file is opened as an
// archive, and an archive whose members overlap one another or its directory is
// refused before anything is written. Members beyond 4 GiB (ZIP64) and archives
// behind other data (self-extracting ones) are read as unzip reads them.
TAVSCAN_API bool extractFromZip(const char *zipPath, const char *memberName, const char *destFolder,
                                bool useFolderNames, bool overwriteNewer, bool overwriteOlder, char *outPath,
                                size_t outPathSize = kTavscanPathBufferSize);

// Extracts every member of zipPath (or those whose name starts with folderInZip,
// ignoring ASCII case) below destFolder, calling progress every twentieth of the
// archive. Returns the number of files written.
TAVSCAN_API int extractAllFromZip(const char *zipPath, const char *folderInZip, const char *destFolder,
                                  bool useFolderNames, bool overwriteNewer, bool overwriteOlder,
                                  void (*progress)());

// Told of each selected member that extractAllFromZip did not write, with a short
// reason (encrypted, damaged, the file cannot be written ...): member is the stored
// name, or "" for a reason that concerns the whole archive. Folder entries and files
// the overwrite rule keeps are not reported.
typedef void (*TavscanNotWritten)(const char *member, const char *reason, void *context);

// extractAllFromZip that also tells notWritten (which may be null) of every member
// it did not write. The result is the same number of files written.
TAVSCAN_API int extractAllFromZip(const char *zipPath, const char *folderInZip, const char *destFolder,
                                  bool useFolderNames, bool overwriteNewer, bool overwriteOlder,
                                  void (*progress)(), TavscanNotWritten notWritten, void *notWrittenContext);

// ---- file and disk utilities -------------------------------------------------------

// Flushes the removable or optical volume mounted at drive and, when eject is set,
// ejects it. On failure message may receive a text allocated by the library, to be
// released with strdelete (any message it held on entry is released first).
TAVSCAN_API bool flushdisk(const char *drive, bool eject, char *&message);

// Releases a text allocated by the library and sets the pointer to null.
TAVSCAN_API void strdelete(char *&text);

// Compares the modification time of the file at path with the local date given:
// comparison becomes -1 (file older), 0 (equal) or 1 (file newer). False, with
// comparison unchanged, when the file cannot be opened for reading and writing
// (missing, read-only) or its time cannot be read.
TAVSCAN_API bool CompareFileDateTime(const char *path, int day, int month, int year, int hour, int minute,
                                     int second, int &comparison);

// Copies the tree srcFolder into dstFolder (created as needed). With failIfExists an
// existing destination file is never touched (and still counts as success). Copies of
// read-only files are made writable. Nothing is written through a link standing in the
// destination; a link in the source is followed only to a file inside srcFolder. False
// when anything could not be copied (a folder not made or read, a file not written, a
// link not followed, a FIFO or device).
TAVSCAN_API bool CopyDirectory(const char *srcFolder, const char *dstFolder, bool failIfExists);

// Copies the text of the calling thread's last error (errno), cut at its first
// non-printable character, into buffer (bufferSize bytes, always terminated), and
// returns the error code.
TAVSCAN_API uint32_t GetLastError_Message(char *buffer, size_t bufferSize = 512);

// Shows the text of the last error in an information box with caption; returns the
// error code.
TAVSCAN_API uint32_t GetLastError_MessageBox(const char *caption);

#endif // TAVSCAN60_H
