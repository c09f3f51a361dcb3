// html_export.h - publishing a part of the loaded catalogs as HTML: one file with a
// section per folder, or a small web site of an index and one page per folder.
#ifndef APP_EXPORT_HTML_EXPORT_H
#define APP_EXPORT_HTML_EXPORT_H

#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/catalog_model.h"

namespace tavlor {

struct HtmlExportOptions {
  std::string outputPath;  // the single file, or the web site's index; its folder takes the rest
  std::string description; // shown under the generated-by line of every page
  bool recurse = true;     // export the folders below the start too
  bool singleFile = false; // one file with anchors instead of a page per folder
};

// What lies below the start item, counted once when an export is prepared.
struct HtmlTotals {
  std::int64_t size = 0;
  std::int64_t files = 0;
  std::int64_t folders = 0;
  std::int64_t zipFolders = 0;
};

// The whole subtree of start, whatever the recurse option says.
HtmlTotals htmlTotals(CatalogModel &model, ItemId start);

// A single file of more than this many files is hard for browsers to load.
inline constexpr std::int64_t kLargeHtmlFileSet = 5000;
bool isLargeHtmlFileSet(const HtmlExportOptions &options, const HtmlTotals &totals);
// The question asked before such an export (lines separated by "\n").
extern const char *const kLargeHtmlFileSetQuestion;

// "Web site updated " and the date text of now (the same text the panes show).
std::string defaultHtmlDescription(std::time_t now);

// The text with &, <, > and " replaced by their character references, so a name is
// never read as markup, in element content and in quoted attribute values alike.
std::string htmlEscape(std::string_view text);

// A name, description or other text as it stands on a page: converted to UTF-8 as
// the display converts it (a name that is not UTF-8 byte by byte as Windows-1252),
// then escaped. A page holding anything but ASCII declares itself UTF-8.
std::string htmlText(std::string_view bytes);

// A page or icon that could not be written, and why (an errno value). folder: the
// output's folder itself could neither be opened nor created, so nothing was written.
struct HtmlUnwritten {
  std::string path;
  int error = 0;
  bool folder = false;
};

struct HtmlExportResult {
  bool outputWritten = false;
  std::vector<HtmlUnwritten> unwritten; // the output first when it was not written
};

// One export from a folder item. Pages are written in pre-order of the folder tree
// (the order page numbers are handed out in); the start gets number 1.
class HtmlExport {
public:
  HtmlExport(CatalogModel &model, ItemId start, HtmlExportOptions options, const HtmlTotals &totals);

  // Writes the icons, the output file and (web site) a page per folder, replacing
  // files of the same names; when the output cannot be written, only the icons. A
  // missing output folder is created first. Every file is written under a new name in
  // the folder and renamed over its own name when complete, so a link planted under
  // that name (by anyone who can write the folder) is replaced, never written through,
  // and a failed write leaves the earlier file. folderWritten is called after each
  // folder.
  HtmlExportResult run(const std::function<void()> &folderWritten = {});

  // The link target of every exported folder, by its entry (null for the root): for a
  // web site "Tavlor_folder" N ".htm", for a single file "#folder" N. A container that
  // is linked but not exported has none (its link is empty).
  std::map<const FileData *, std::string> pageNames() const;

private:
  struct Page;
  static constexpr std::uint32_t kOutside = ~std::uint32_t(0);
  // An exported folder: its item, its entry (null for the root) and the place of its
  // parent among the exported folders, kOutside for the first.
  struct Folder {
    ItemId item;
    const FileData *entry;
    std::uint32_t parent;
    std::uint32_t page = 0;                // its page number
    std::uint32_t firstChild = kOutside;  // its first exported subfolder's place
    std::uint32_t nextSibling = kOutside; // the next exported subfolder of its parent
  };
  // The entry of an item, looked up in its parent.
  const FileData *entryOf(ItemId item) const;
  std::vector<Folder> exportedFolders() const;
  // The page name of the folder whose entry this is, appended; nothing when not exported.
  void appendPageName(std::string &out, const FileData *entry) const;
  void assignPageNames(std::vector<Folder> &folders);
  void appendPageNumber(std::string &out, std::uint32_t number) const;
  // Whether a single file of these folders holds nothing but ASCII.
  bool pageIsAscii(const std::vector<Folder> &folders) const;
  void writeHead(Page &page) const;
  void writeSummary(Page &page) const;
  void writeFolder(const std::vector<Folder> &folders, const Folder &folder, Page &main, HtmlExportResult &result);
  void writeEntryRow(Page &page, const FileData &entry);
  // Asks for the memory of the date text of the row eight rows on, across folders: the
  // dates of a disk lie all over the calendar, and most folders hold fewer rows.
  void prefetchAhead();
  // The entries of the k-th of the folders, for an EntryCursor through them.
  struct FolderEntries {
    const CatalogModel *model;
    const std::vector<Folder> *folders;
    std::span<FileData *const> operator()(std::size_t k) const { return model->entriesOf((*folders)[k].item); }
  };
  // The path of parent, the item's parent in the folder tree, as appendItemPath makes
  // it; item's own path is kept for the folders below it.
  std::string_view folderPath(ItemId item, ItemId parent);
  // Writes the page into the output folder under name; 0 or an errno value.
  int save(const Page &page, const std::string &name) const;

  CatalogModel &model_;
  ItemId start_;
  HtmlExportOptions options_;
  HtmlTotals totals_;
  std::string folderPrefix_; // the output's folder with its trailing "/", or empty
  std::string outputName_;   // the output's own file name
  int folderFd_ = -1;        // the output's folder while run() writes
  std::unordered_map<const FileData *, std::uint32_t> pageNumbers_;
  // The folder path of the item written last and of each of its exported ancestors (its
  // length in pathText_), so a folder's heading is its parent's path and its own name.
  struct PathEnd {
    ItemId item;
    std::size_t length;
  };
  std::vector<PathEnd> pathEnds_;
  std::string pathText_;
  int pageCounter_ = 0;
  std::vector<std::pair<const FileData *, std::uint32_t>> childPages_; // of the folder being written
  // The rows whose dates are asked for ahead while run() writes, and the UTC day (rounded
  // towards zero) asked for last.
  std::optional<EntryCursor<FolderEntries>> ahead_;
  std::time_t aheadDay_ = -1;
};

} // namespace tavlor

#endif // APP_EXPORT_HTML_EXPORT_H
