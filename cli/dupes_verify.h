// dupes_verify.h - "tavlor dupes --verify": the sets found read back from their disks.
#ifndef CLI_DUPES_VERIFY_H
#define CLI_DUPES_VERIFY_H

#include <cstdint>
#include <span>
#include <string>

#include "model/catalog_model.h"
#include "tools/result_list.h"

namespace cli {

// Verifies the sets of rows by content and prints the verified report on standard
// output; files that cannot be read are named on standard error, progress is shown
// there when it is a terminal. Returns the exit status: 0 when every set could be
// read and at least one group of equal files remains, 1 otherwise.
int verifyAndReport(tavlor::CatalogModel &model, const std::string &lookIn, std::span<const tavlor::ResultRow> rows,
                    bool csv, std::int64_t ignoreSmallerBytes);

} // namespace cli

#endif // CLI_DUPES_VERIFY_H
