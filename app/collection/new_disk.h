// new_disk.h - cataloguing a new disk: the drives offered for it, the label taken from
// a drive entry, and the scan with its flush or eject.
#ifndef APP_COLLECTION_NEW_DISK_H
#define APP_COLLECTION_NEW_DISK_H

#include <cstdint>
#include <string>
#include <vector>

#include "platform/volumes.h"

namespace tavlor {

// One volume that can be cataloged, as the drive selection offers it.
struct DriveEntry {
  platform::Volume volume;
  std::string label; // the volume's label, "" for a disk without one
  std::string text;  // mount point + two blanks + label
};

struct DriveOffer {
  std::vector<DriveEntry> drives;
  int preselected = -1;                  // the last removable drive, -1 when there is none
  std::vector<std::string> inaccessible; // mount point + ": " + error text
};

// The offered volumes whose root folder can be listed and whose label can be read,
// and the others with their error.
DriveOffer offerDrives();

// Why label cannot name a catalog file (empty, only dots, holding "/", or too long for
// a file name); "" when it can. Checked before a label is written to a disk or a disk
// is scanned for it.
std::string labelRefusal(const std::string &label);

// Tells the user about the cataloguing and lets them stop the scan.
class NewDiskUi {
public:
  virtual ~NewDiskUi() = default;
  // Called now and then while the scan runs; false stops it.
  virtual bool progress(uint64_t entries, const std::string &folder) = 0;
  // A modal box with an OK button.
  virtual void box(const std::string &caption, const std::string &text) = 0;
};

enum class NewDiskStatus {
  Cataloged, // the catalog file was written (and the flush tried)
  Refused,   // the label cannot name a catalog file (box shown)
  Failed,    // the catalog could not be written (box shown); the old one stays
  Cancelled, // the scan was stopped; the old catalog stays, nothing to load
};

struct NewDiskResult {
  NewDiskStatus status = NewDiskStatus::Failed;
  std::string catalogPath;
  std::string label; // the disk's label as the catalog holds it (platform::catalogLabel)
};

// Catalogs drive as label (not empty) into folder + "/" + label + ".zar", replacing
// that file only when the scan completes; the folder is created (one level) when
// missing. The label is taken as the catalog holds it (platform::catalogLabel), so
// the file is named as the loaded disk is, and a label that cannot name the file is
// refused before anything is scanned. Refusals and failures are shown in boxes captioned caption. Nothing is
// flushed: the caller decides what happens to the disk afterwards.
NewDiskResult scanNewDisk(const std::string &folder, const platform::Volume &drive, const std::string &label,
                          const std::string &caption, NewDiskUi &ui);

// Catalogs drive as label (not empty) into folder + "/" + label + ".zar", replacing
// that file only when the scan completes, then flushes the drive and, with eject,
// ejects it; a flush or eject error is shown in the "Disk flush/eject error" box. The
// folder is created (one level) when missing.
NewDiskResult catalogNewDisk(const std::string &folder, const platform::Volume &drive, const std::string &label,
                             bool eject, NewDiskUi &ui);

// Flushes and ejects every offered removable volume; errors are dropped unshown.
// Returns how many volumes were tried.
int ejectRemovableDisks();

} // namespace tavlor

#endif // APP_COLLECTION_NEW_DISK_H
