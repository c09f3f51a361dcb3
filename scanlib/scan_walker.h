// scan_walker.h - the walk behind scandisk and catalogVolume.
#ifndef SCANLIB_SCAN_WALKER_H
#define SCANLIB_SCAN_WALKER_H

#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Tavscan60.h"
#include "catalog_date.h"
#include "scan_output.h"
#include "scan_reader.h"

namespace tavscan {

// What a scan writes on its root folder line and which names it takes.
struct ScanRoot {
  std::string folder;            // the folder to scan, as the caller named it
  std::string name;              // name on the root folder line
  int64_t sizeA = 0, sizeB = 0;  // the root folder line's two numbers
  CatalogDate date;              // the root folder line's date
  std::string rootFilter = "*";  // names taken in the root folder (a shell pattern)
  std::string childFilter = "*"; // names taken in every folder below it
};

// Walks one folder tree depth first and writes it as catalog records. The walk
// never follows a symbolic link, never enters a folder of another filesystem than
// the root's (such a folder is written empty), opens only regular files as
// archives, and passes over entries that vanish or cannot be examined. It keeps its
// own stack instead of recursing, and holds a bounded number of descriptors however
// deep the tree is. The file system is read by a FolderReader, on a second thread
// once the tree proves large; the catalog text, the progress calls and the warning
// boxes stay on the caller's thread.
class DiskScanner {
public:
  // progress may be null; it is called at most about five times a second.
  DiskScanner(std::ostream &out, TavscanProgress progress, void *context);
  ~DiskScanner();
  DiskScanner(const DiskScanner &) = delete;
  DiskScanner &operator=(const DiskScanner &) = delete;

  // Writes root and everything below it. False when progress cancelled the scan (the
  // output then ends in the middle of the tree). The output is flushed to the stream
  // either way.
  bool scan(const ScanRoot &root);

  // False when the root folder itself could not be opened.
  bool rootOpened() const { return rootOpened_; }
  uint64_t entries() const { return entries_; }

private:
  struct Frame {
    std::unique_ptr<FolderRecord> record;
    size_t next = 0;
    // The folder's file lines, one after another, and where each lies: one buffer
    // instead of an allocation per file.
    std::string lineText;
    std::vector<std::pair<size_t, size_t>> lines;
    size_t pathLength = 0; // the folder's path in path_, with its trailing "/"

    size_t count() const { return record->entries.size(); }
  };

  void pushFolder(std::unique_ptr<FolderRecord> record);
  void finishTop();
  void visit(Frame &frame, size_t index);
  bool reportProgress();
  CatalogDate dateOf(time_t mtime, std::string_view name) const;

  CatalogOutput out_;
  TavscanProgress progress_;
  void *context_;
  std::chrono::steady_clock::time_point lastReport_;
  FolderReader reader_;
  std::vector<Frame> frames_;
  std::string path_; // path of the folder being written, ending in "/"
  uint64_t entries_ = 0;
  bool rootOpened_ = false;
};

} // namespace tavscan

#endif // SCANLIB_SCAN_WALKER_H
