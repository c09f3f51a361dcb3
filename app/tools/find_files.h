// find_files.h - Find Files: names matching a mask below folder items, and its report.
#ifndef APP_TOOLS_FIND_FILES_H
#define APP_TOOLS_FIND_FILES_H

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "model/catalog_model.h"
#include "tools/report_text.h"
#include "tools/result_list.h"

namespace tavlor {

inline constexpr const char *kFindFilesTitle = "Find Files or Folders";
inline constexpr const char *kNoFilesFound = "No files found";
inline constexpr const char *kFindFilesReportName = "FindFiles";
// The empty-mask warning: shown when more than kEmptyMaskLimit entries lie below the
// roots and subfolders are searched.
inline constexpr std::int64_t kEmptyMaskLimit = 5000;
inline constexpr const char *kEmptyMaskCaption = "\"Find file(s)\" search mask not specified";
inline constexpr const char *kEmptyMaskText =
    "You appear to be searching in a very large set of files, using an empty search mask."
    "\nAn empty search mask means search for ALL files (eqivalent to search mask '*')."
    "\nPlease be aware that this may take a long time."
    "\nYou may want to consider a more specific search mask (this will be faster)."
    "\n\nTypical specific search mask examples include:"
    "\n   -- find all document files: *.doc"
    "\n   -- find all text files starting with the letter 'a': a*.txt"
    "\nFor more examples, see Online Help."
    "\n\nPress OK to continue search as specified or CANCEL to edit search mask.";

// The roots as the dialog shows them after "Look in:": each root's path (the labels
// from its disk down, joined with "/"; the root of the tree its own label), joined
// with "; ".
std::string lookInText(const CatalogModel &model, std::span<const ItemId> roots);

// True when an empty mask with subfolders searched would list more than
// kEmptyMaskLimit files, folders and Zip Folders below the roots.
bool emptyMaskNeedsWarning(CatalogModel &model, std::span<const ItemId> roots, std::string_view mask, bool subfolders);

// The folder items the searches visit, in their order: the roots in turn, each depth
// first in tree order (its own item before its children), or the roots alone without
// subfolders.
std::vector<ItemId> foldersInSearchOrder(const CatalogModel &model, std::span<const ItemId> roots, bool subfolders);

// Every entry whose upper-cased name matches upperMask (matchMask), lying in a root or,
// with subfolders, at any depth below it; a root's own entry is not tested. Roots in
// the given order, each depth first in tree order with an item's own entries before
// its children's. An entry below two roots is found twice.
std::vector<ResultRow> findFiles(const CatalogModel &model, std::span<const ItemId> roots, std::string_view upperMask,
                                 bool subfolders);

// findFiles with two more tests, either of which may be empty: wantFolder decides once
// per folder item whether its entries are tested at all, wantEntry is asked about each
// entry whose name matched.
std::vector<ResultRow> findFilesWhere(const CatalogModel &model, std::span<const ItemId> roots,
                                      std::string_view upperMask, bool subfolders,
                                      const std::function<bool(ItemId)> &wantFolder,
                                      const std::function<bool(const FileData &)> &wantEntry);

struct FoundCounts {
  std::int64_t files = 0;
  std::int64_t folders = 0; // disks included
  std::int64_t zipFolders = 0;
};
FoundCounts countFound(std::span<const ResultRow> rows);

// "Find Files or Folders: %d File(s), %d Folder(s), %d Zip Folder(s) Found".
std::string foundTitle(const FoundCounts &counts);

struct FindFilesHeader {
  std::string lookIn;
  std::string mask; // as searched, upper-cased
  bool subfolders = true;
};

// The report of the rows in their order, CR LF line ends. Its count is the number of
// rows that hold an entry.
std::string findFilesReport(CatalogModel &model, const FindFilesHeader &header, std::span<const ResultRow> rows,
                            bool csv);
// The same report handed to write in pieces as it is formatted.
void writeFindFilesReport(CatalogModel &model, const FindFilesHeader &header, std::span<const ResultRow> rows, bool csv,
                          const ReportWriter &write);
// The rows in the order findFiles gives them sorted with sortByName (rows is left
// sorted), and their report written as writeFindFilesReport writes it, byte for byte;
// folder paths are made in the order found, where a million hits share their folders.
void writeFindFilesReportByName(CatalogModel &model, const FindFilesHeader &header, std::vector<ResultRow> &rows,
                                bool csv, const ReportWriter &write);

} // namespace tavlor

#endif // APP_TOOLS_FIND_FILES_H
