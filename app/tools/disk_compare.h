// disk_compare.h - what changed on a disk since it was cataloged: the walk of a disk
// folder against a loaded catalog, its result rows and its text report.
#ifndef APP_TOOLS_DISK_COMPARE_H
#define APP_TOOLS_DISK_COMPARE_H

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "model/catalog_model.h"
#include "model/model_observer.h"

namespace tavlor {

// In the order the result list groups them (descending by their texts).
enum class CompareStatus { NewDirectory, New, Modified, DeletedDirectory, Deleted, Identical };

// "new directory", "new", "modified", "deleted directory", "deleted", "Identical".
const char *statusText(CompareStatus status);
// The status's index in the built-in icon strip (10 new, 7 modified, 9 deleted, 8
// identical).
int statusIcon(CompareStatus status);

// The disk side of a row: one item of a directory listing. It is never added to the
// model.
struct DiskRecord {
  std::string name;       // with the bytes a catalog cannot hold replaced by "?"
  std::int64_t size = 0;  // 0 for folders and for what is neither a file nor a link
  std::time_t date = 0;   // the date a catalog would hold for the item's time
  std::string folderPath; // the disk path of the folder it was found in
};

enum class CompareColumn { Status, Name, InFolder, SizeCatalog, SizeDisk, DateCatalog, DateDisk };
inline constexpr int kCompareColumnCount = 7;

// A result row. Its catalog side is the live entry; when the model announces that
// the entry is about to be destroyed, the row takes the entry's texts as they were and
// drops the pointer, so it still reads as compared and never reaches a destroyed
// entry.
struct CompareRow {
  CompareStatus status = CompareStatus::Identical;
  const FileData *entry = nullptr; // the live catalog entry, or null
  int disk = -1;                   // index of the disk-side record, -1 for none
  int kept = -1;                   // index of the kept catalog texts, -1 for none

  bool hasCatalogSide() const { return entry != nullptr || kept >= 0; }
};

// The name a loaded catalog holds for a disk name: every double quote, control byte
// and DEL replaced by "?", as the catalog writer does, and blanks as the reader
// gives them back (platform::catalogLabel).
std::string catalogName(std::string_view diskName);

// The file time a loaded catalog holds for a disk time: the same second read back
// through the local date, and the default catalog date (5 February 2036) for a time
// a catalog cannot date (0, before 1970, past 32 bits) or whose year the loader does
// not keep (after kLastCatalogYear).
std::time_t catalogTime(std::time_t diskTime);

// The walk and its rows. Registers itself as an observer of the model for its whole
// life, so its rows never reach a destroyed entry. The model must outlive it.
class DiskCompare : public ModelObserver {
public:
  explicit DiskCompare(CatalogModel &model);
  ~DiskCompare() override;
  DiskCompare(const DiskCompare &) = delete;
  DiskCompare &operator=(const DiskCompare &) = delete;

  // The first loaded disk whose label equals label ignoring case; kNoItem when none.
  ItemId findDisk(std::string_view label) const;

  // Replaces the rows with the compare of the disk folder root (the volume's root)
  // against the loaded disk labelled label (a volume's label, taken as a catalog
  // holds it: platform::catalogLabel). drive is the root as rows show it (the
  // In Folder of new items begins with it). False, with no rows, when no loaded disk
  // has the label. Folders below root are read once each; links are never followed
  // and no folder of another filesystem than root's is entered. A folder that cannot
  // be read counts as empty. The rows are sorted descending by status text, in walk
  // order within a status; without differences there is the one row "Identical".
  bool run(const std::string &root, std::string_view label);
  // The same below a given item of the model (a disk or a folder), for tests.
  void runFrom(const std::string &root, ItemId item);
  // Drops every row and disk-side record.
  void clear();
  // False when root itself could not be opened in the last run.
  bool rootReadable() const { return rootReadable_; }

  const std::vector<CompareRow> &rows() const { return rows_; }
  // The rows other than "Identical".
  std::size_t differences() const;
  const DiskRecord *diskSide(const CompareRow &row) const;
  // A cell of a row as the list shows it (bytes, like names in the model).
  std::string text(const CompareRow &row, CompareColumn column) const;

  // ModelObserver: the rows lose their entries before these are destroyed.
  void subtreeAboutToBeRemoved(ItemId parent, ItemId item, std::size_t row) override;
  void entriesAboutToBeRemoved(ItemId item) override;
  void entryAboutToBeRemoved(const FileData &entry, std::size_t index) override;
  void modelAboutToBeCleared() override;

private:
  struct Frame;
  struct KeptTexts {
    std::string name, folder, size, date;
  };
  void walk(const std::string &root, ItemId top);
  void openFrame(std::vector<Frame> &frames);
  void addRow(CompareStatus status, const FileData *entry, int disk);
  int addRecord(DiskRecord record);
  template <typename Pred> void dropEntries(Pred &&gone);

  CatalogModel &model_;
  std::vector<CompareRow> rows_;
  std::vector<DiskRecord> records_;
  std::vector<KeptTexts> kept_;
  dev_t rootDev_ = 0;
  // Directory entries of every folder of a walk are read into this one buffer.
  std::vector<char> listBuffer_;
  bool rootReadable_ = true;
};

// The seven texts of a report row (empty where the row has no such side).
struct CompareReportRow {
  std::string status, name, folder, sizeCatalog, sizeDisk, dateCatalog, dateDisk;
};

// The compare report as Save Report writes it, CR LF line ends: the heading with
// "Disk compared is " + driveChoice, one or two lines per row, the count of rows
// other than "Identical".
std::string compareReport(std::string_view driveChoice, const std::vector<CompareReportRow> &rows);
// The same for the rows of a compare, in order.
std::string compareReport(std::string_view driveChoice, const DiskCompare &compare);
// The rows of a compare, in order, as report rows.
std::vector<CompareReportRow> reportRows(const DiskCompare &compare);

} // namespace tavlor

#endif // APP_TOOLS_DISK_COMPARE_H
