// verify_duplicates.h - confirming sets of duplicates by the contents of their files,
// read from the mounted disks.
//
// A set found by name, size and date only says the catalogs agree. Here every member
// whose disk is mounted is read (members of ZIP files through the ZIP extraction, into
// a private scratch folder that is emptied again) and the set is split into groups of
// files with equal bytes. Each file is read at most once: the members of a set are
// read side by side, chunk by chunk; a fast hash of each chunk sorts them and a byte
// comparison confirms every agreement, so a hash collision never joins two files. A
// member is dropped as soon as no other member still matches it. No catalog changes.
#ifndef APP_TOOLS_VERIFY_DUPLICATES_H
#define APP_TOOLS_VERIFY_DUPLICATES_H

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "model/catalog_model.h"
#include "tools/report_text.h"
#include "tools/result_list.h"

namespace tavlor {

// A set that could not be read because disks it lies on are not mounted.
struct UnverifiedSet {
  std::vector<const FileData *> members;
  std::vector<std::string> missingDisks; // labels, in the order the members name them
};

struct VerifyResult {
  // The groups of equal contents with two or more members, as findDuplicates gives
  // sets: a separator row, then the members in their order in the set.
  std::vector<ResultRow> rows;
  std::vector<UnverifiedSet> unverified;
  std::size_t setsChecked = 0;  // sets whose disks were all mounted
  std::size_t verifiedSets = 0; // groups in rows
  std::size_t unreadable = 0;   // files left out because they could not be read
  std::uint64_t bytesRead = 0;
};

struct VerifyOptions {
  // Finds the mount point of a disk by its label; null: findDriveByLabel.
  std::function<bool(const std::string &label, std::string &drive)> findDrive;
  // Told of each file left out: its catalog path and why.
  std::function<void(const std::string &catalogPath, const std::string &reason)> unreadable;
  // Told now and then of the bytes dealt with (read, or skipped because their file was
  // dropped) and the bytes the mounted sets hold in all.
  std::function<void(std::uint64_t done, std::uint64_t total)> progress;
  // A group is kept only when its files hold at least this many bytes (the dupes
  // threshold, applied again since a set found by name alone may mix sizes).
  std::int64_t ignoreSmaller = 0;
  // Where ZIP members are extracted to be read; empty: the private temporary folder.
  std::string scratchFolder;
};

// Verifies the sets of rows (separator rows between sets, as findDuplicates gives
// them). The entries must stay alive during the call.
VerifyResult verifyDuplicates(const CatalogModel &model, std::span<const ResultRow> rows, const VerifyOptions &options);

// The report: the Duplicate Files report of the verified groups; then, when there are
// unverified sets, a section listing each with the disks to insert; then a summary
// line. CR LF line ends, as the other reports.
void writeVerifiedReport(CatalogModel &model, const std::string &lookIn, const VerifyResult &result, bool csv,
                         const ReportWriter &write);

} // namespace tavlor

#endif // APP_TOOLS_VERIFY_DUPLICATES_H
