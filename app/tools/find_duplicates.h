// find_duplicates.h - Find Duplicate Files: files below folder items grouped into sets
// that agree on name, size and/or date, and its report.
#ifndef APP_TOOLS_FIND_DUPLICATES_H
#define APP_TOOLS_FIND_DUPLICATES_H

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/catalog_model.h"
#include "tools/report_text.h"
#include "tools/result_list.h"

namespace tavlor {

inline constexpr const char *kFindDuplicatesTitle = "Find Duplicates";
inline constexpr const char *kNoDuplicatesFound = "No duplicate files found";
inline constexpr const char *kCriteriaDisabled =
    "Error: All file comparison criteria disabled, please enable at least one.";
inline constexpr const char *kDuplicatesReportName = "DuplicateFiles";

struct DuplicatesQuery {
  std::vector<ItemId> roots; // none: every file of the model
  bool names = true;
  bool sizes = true;
  bool dates = true;
  bool named = false;             // only files whose names match mask
  std::string mask = "*";         // compared upper-cased
  std::int64_t ignoreSmaller = 0; // in the model's size unit
};

enum class DuplicatesOutcome { Found, NoneFound, CriteriaDisabled };

struct DuplicatesResult {
  // Each set: a separator row, then its members.
  std::vector<ResultRow> rows;
  DuplicatesOutcome outcome = DuplicatesOutcome::NoneFound;
};

// Groups the files below the roots (whole subtrees, Zip Folders included; a file
// below two roots counts once) by the key of the chosen criteria: the upper-cased
// name and "~", the size text and "~", the date as decimal seconds, in that order.
// Sets of two or more are listed in the byte order of their keys, members in the
// order of the walk (roots in order, depth first in tree order); a set is shown only
// when one member is at least ignoreSmaller times the size unit. Sizes compare as
// their texts in the current unit, so with KB 1,000 and 1,020 bytes are one size.
DuplicatesResult findDuplicates(CatalogModel &model, const DuplicatesQuery &query);

// The label beside "Ignore if smaller than": "bytes", "KB", "MB", or "error" for a
// unit that is none of them.
std::string unitLabel(std::int64_t sizeUnit);

// The report of the rows in their order, CR LF line ends; separators count the sets.
std::string duplicatesReport(CatalogModel &model, const std::string &lookIn, std::span<const ResultRow> rows, bool csv);
// The same report handed to write in pieces as it is formatted.
void writeDuplicatesReport(CatalogModel &model, const std::string &lookIn, std::span<const ResultRow> rows, bool csv,
                           const ReportWriter &write);

} // namespace tavlor

#endif // APP_TOOLS_FIND_DUPLICATES_H
