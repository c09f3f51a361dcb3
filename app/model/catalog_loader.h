// catalog_loader.h - reads catalog files (".zar", versions 1.0 and 1.1) into a model.
#ifndef APP_MODEL_CATALOG_LOADER_H
#define APP_MODEL_CATALOG_LOADER_H

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/catalog_model.h"
#include "model/load_reporter.h"

namespace tavlor {

enum class LoadStatus {
  Loaded,   // a disk was read (possibly cut short by the end of the file)
  NoFolder, // the version was right but no root folder followed; nothing added
  Rejected, // unreadable file or unknown version: the "Please re-catalog" box was shown
};

struct LoadResult {
  LoadStatus status = LoadStatus::Rejected;
  ItemId disk = kNoItem; // the loaded disk's item when Loaded
};

// The largest catalog file loadCatalog reads (less on a machine with under 8 GiB of
// memory: half of it). A real catalog of ten million entries is about half a
// gigabyte; anything far beyond is not a catalog (a disk image with a catalog's name)
// and would exhaust the memory before failing.
inline constexpr std::uint64_t kMaxCatalogBytes = 4ull << 30;
std::uint64_t maxCatalogBytes();

// Loads the catalog file at path into model. A disk whose label equals the new one
// ignoring case is replaced. The file is read as it is parsed, in one pass; input
// that ends early ends the load, keeping what was read (a file that cannot be read to
// its end also gives a box saying so), and no input (words of any length,
// NUL bytes, huge numbers, deep nesting) can make it read outside the text, recurse
// or hang. Only regular files are read: a FIFO, a device or a folder with a catalog's
// name is skipped with a box (caption "Tavlor"), without waiting, and so is a file
// over maxBytes. A file whose first word is not a version id is rejected from its
// first bytes, with the "Please re-catalog this disk" box. Boxes go to reporter.
// Without maxBytes, the limit is maxCatalogBytes().
LoadResult loadCatalog(CatalogModel &model, const std::string &path, LoadReporter &reporter);
LoadResult loadCatalog(CatalogModel &model, const std::string &path, LoadReporter &reporter, std::uint64_t maxBytes);

// The same for a catalog already in memory; path is only used in messages.
LoadResult loadCatalogText(CatalogModel &model, std::string_view text, const std::string &path, LoadReporter &reporter);

// True when a folder name marks a Zip Folder: the first ".zip" in it (or, without
// one, the first ".ZIP") starts after its first character and ends the name.
bool isZipFolderName(std::string_view name);

// The last year whose dates a catalog keeps: the reader takes every date of a later
// year as the default catalog date, 5 February 2036 00:00:00, so anything held
// against a loaded catalog must take a file time of such a year the same way.
inline constexpr int kLastCatalogYear = 2035;

// The calendar time of a local date with daylight saving decided by the date, as
// mktime does; the same for any number of calls, but fast for the many dates of a
// catalog.
std::time_t localCalendarTime(int day, int month, int year, int hour, int minute, int second);

// One load: the reading steps over the text. Used through loadCatalog; public for
// the tests of its single steps.
class CatalogLoader {
public:
  CatalogLoader(CatalogModel &model, std::string_view text, const std::string &path, LoadReporter &reporter);
  ~CatalogLoader();
  LoadResult run();

  // The disk kind of a version 1.1 header block ("<", "%drivetype" pairs, ">").
  NodeKind readDriveType();
  // A folder, Zip Folder or disk after its "+", with everything in it; returns its
  // item (kNoItem at end of input before the name).
  ItemId readFolderEntry(ItemId parent, NodeKind kind, std::optional<int> selectedIcon);
  // A file line, its opening quote not yet read, into parent, the innermost folder
  // open in readFolderEntry.
  void readFileEntry(ItemId parent);
  // A quoted name: up to the first quote, then words up to the one holding a quote,
  // joined with single blanks.
  std::string readQuotedName();

  // The current read position (bytes from the start).
  std::size_t position() const { return pos_; }
  // Called now and then with a position before which the text is never read again.
  void releaseBehind(std::function<void(std::size_t)> release) { release_ = std::move(release); }
  // Lets the text be read as the parse goes: more returns the text read so far, at the
  // same place, longer than before unless its end was reached. total is its expected
  // length, for progress.
  void readAhead(std::function<std::string_view()> more, std::size_t total) {
    more_ = std::move(more);
    total_ = total;
  }

private:
  struct LocalTimes;
  std::string_view word();
  void readNameInto(std::string &name);
  std::int64_t signedNumber();
  std::int64_t sizeWord();
  std::int64_t unsignedNumber();
  std::uint64_t magnitude(bool &negative, std::uint64_t limit, std::uint64_t negativeLimit);
  int intNumber();
  bool numberAhead();
  bool more();
  bool refill(const char *&end);
  bool atEnd();
  bool has(std::size_t at);
  void skipWordRest(const char *&p, const char *&end);
  std::uint64_t scanDigits(const char *&p, const char *&end, std::uint64_t limit);
  void skipBlanks();
  struct OpenFolder {
    ItemId id;
    std::size_t entriesFrom; // its first entry in openEntries_
    std::size_t childrenFrom;
  };
  ItemId beginFolder(ItemId parent, NodeKind kind, std::optional<int> selectedIcon, bool &hasBody, bool inOpenFolder);
  void closeFolder(const OpenFolder &folder);
  std::time_t readDate(bool isFile, bool &warn);
  void damaged(const char *what);
  void pause();

  CatalogModel &model_;
  std::string_view text_;
  const std::string &path_;
  LoadReporter &reporter_;
  std::size_t pos_ = 0;
  std::string name_;
  std::string folderName_;
  CatalogModel::NameArena *diskNames_ = nullptr;
  FileData *diskEntry_ = nullptr; // the loading disk's entry, joined to the root at the end
  std::vector<FileData *> openEntries_;
  std::vector<ItemId> openChildren_;
  std::shared_ptr<LocalTimes> localTimes_;
  std::function<void(std::size_t)> release_;
  std::function<std::string_view()> more_;
  std::size_t total_ = 0;
  std::size_t nextRelease_ = 0;
  std::size_t nextPause_ = 0;
};

} // namespace tavlor

#endif // APP_MODEL_CATALOG_LOADER_H
