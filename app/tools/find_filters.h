// find_filters.h - the conditions beside the name mask that narrow a Find Files search:
// a regular expression on the name, the size, the date, the kind and the disk.
#ifndef APP_TOOLS_FIND_FILTERS_H
#define APP_TOOLS_FIND_FILTERS_H

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <regex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/catalog_model.h"
#include "tools/result_list.h"

namespace tavlor {

enum class SizeRelation { Exactly, MoreThan, LessThan };

struct SizeCondition {
  SizeRelation relation = SizeRelation::Exactly;
  std::int64_t bytes = 0;
};

// "N", "+N" (more than N) or "-N" (less than N), N a whole number with an optional
// unit k, M or G (1024-based); nullopt when malformed or beyond int64.
std::optional<SizeCondition> parseSizeCondition(std::string_view text);

// "YYYY-MM-DD" (midnight) or "YYYY-MM-DD HH:MM[:SS]" in local time, as seconds since
// 1970 the way a catalog's dates are read; nullopt for malformed or impossible dates
// (31 April, 25:00) and for dates before 1970.
std::optional<std::time_t> parseLocalDate(std::string_view text);

// The kinds an entry may be, as --type names them; disks count as folders.
enum FoundKind : unsigned { kFoundFile = 1, kFoundFolder = 2, kFoundZipFolder = 4 };

// "f", "d", "z" or a comma list of them, as a FoundKind set; nullopt for anything else.
std::optional<unsigned> parseKindList(std::string_view text);

// Every condition must hold; an unset one holds for every entry.
class FindFilters {
public:
  // Compiles pattern (ECMAScript, or POSIX extended when asked), ignoring ASCII case
  // unless respectCase. Returns the regex library's message when the pattern is bad,
  // else an empty text.
  std::string setRegex(const std::string &pattern, bool extended, bool respectCase);

  std::optional<SizeCondition> size; // against the size the reports show
  std::optional<std::time_t> newer;  // the date is later than this
  std::optional<std::time_t> older;  // the date is earlier than this
  unsigned kinds = 0;                // FoundKind set; 0 for every kind
  std::vector<ItemId> disks;         // disk items; none for every disk

  bool empty() const;
  // True when the folder item lies on one of the disks (always without a disk
  // condition). The root lies on no disk; its entries, the disks, are tested by
  // accepts.
  bool onWantedDisk(const CatalogModel &model, ItemId item) const;
  // Every condition but the disk of a folder's entries (onWantedDisk decides that once
  // per folder). A container's size is the one its size text shows: when it holds 0,
  // the sum of its contents, kept in the model as sizeText keeps it.
  bool accepts(CatalogModel &model, const FileData &entry) const;

private:
  std::shared_ptr<const std::regex> regex_;
};

// findFiles with the filters applied in the same walk: the entries whose names match
// upperMask and that pass every filter, in findFiles' order.
std::vector<ResultRow> findFiles(CatalogModel &model, std::span<const ItemId> roots, std::string_view upperMask,
                                 bool subfolders, const FindFilters &filters);

} // namespace tavlor

#endif // APP_TOOLS_FIND_FILTERS_H
