// tavlor dupes: the Duplicate Files report for the files below catalog paths.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "command.h"
#include "dupes_verify.h"
#include "json_output.h"
#include "loaded_catalogs.h"
#include "tools/find_duplicates.h"
#include "tools/find_files.h"

namespace {

const char *kUsage = "Usage: tavlor dupes [--catalogs DIR] [CATALOG.zar ...] [--names] [--sizes] [--dates]\n"
                     "                    [--named MASK] [--min N] [--csv | --json] [--unit byte|KB|MB]\n"
                     "                    [--no-commas] [--verify] [ROOT ...]\n\n"
                     "Loads every catalog of the catalogs folder (or only the files given) and prints the\n"
                     "Duplicate Files report: the sets of files below the ROOTs (catalog paths such as\n"
                     "DATA/docs; all disks when none is given) that agree on name (case ignored), size\n"
                     "(as shown in the unit) and date, or only on the criteria given. --named keeps only\n"
                     "files whose names match MASK; --min hides sets whose members are all smaller than N\n"
                     "units; --csv writes the comma-separated form, --json one JSON object per file with\n"
                     "its set number. --verify reads the files of every set\n"
                     "from its mounted disk and keeps only files with equal contents (sets on disks\n"
                     "not mounted are listed as unverified, with the disks to insert). Exit status 0\n"
                     "when a set was found (with --verify: every set read and one confirmed), 1 when\n"
                     "none was, 2 for bad arguments, a missing catalog or an unknown ROOT.\n";

int runDupes(const std::vector<std::string> &args) {
  cli::ModelOptions options;
  cli::ParsedArguments parsed;
  if (const auto done = cli::parseModelOptions("dupes", kUsage, args, options,
                                               {{"--names", false},
                                                {"--sizes", false},
                                                {"--dates", false},
                                                {"--named", true},
                                                {"--min", true},
                                                {"--csv", false},
                                                {"--verify", false},
                                                {"--json", false}},
                                               &parsed))
    return *done;
  if (parsed.has("--json") && (parsed.has("--csv") || parsed.has("--verify")))
    return cli::usageError("dupes", "--json excludes --csv and --verify", kUsage);
  tavlor::DuplicatesQuery query;
  if (parsed.has("--names") || parsed.has("--sizes") || parsed.has("--dates")) {
    query.names = parsed.has("--names");
    query.sizes = parsed.has("--sizes");
    query.dates = parsed.has("--dates");
  }
  if (const auto mask = parsed.value("--named")) {
    query.named = true;
    query.mask = *mask;
  }
  if (const auto min = parsed.value("--min")) {
    // The dialog's field holds a signed 32-bit number.
    char *end = nullptr;
    errno = 0;
    const long long value = std::strtoll(min->c_str(), &end, 10);
    if (min->empty() || *end != '\0' || errno == ERANGE || value < INT_MIN || value > INT_MAX)
      return cli::usageError("dupes", "--min takes an integer", kUsage);
    query.ignoreSmaller = value;
  }
  if (!cli::catalogFilesReadable("dupes", options)) return 2;
  tavlor::CatalogModel &model = cli::processModel();
  // A catalog that cannot be read is reported; the others are searched.
  cli::loadCatalogs("dupes", options, model);
  const auto roots = cli::resolveRoots("dupes", model, options.operands);
  if (!roots) return 2;
  query.roots = *roots;

  const tavlor::DuplicatesResult result = tavlor::findDuplicates(model, query);
  if (parsed.has("--verify"))
    return cli::verifyAndReport(model, tavlor::lookInText(model, *roots), result.rows, parsed.has("--csv"),
                                query.ignoreSmaller * model.sizeUnit());
  if (parsed.has("--json")) {
    cli::JsonLines out(stdout);
    cli::writeDuplicates(out, model, result.rows);
    if (!out.finish()) return cli::outputFailure("dupes");
  } else {
    bool failed = false;
    tavlor::writeDuplicatesReport(model, tavlor::lookInText(model, *roots), result.rows, parsed.has("--csv"),
                                  tavlor::fileReportWriter(stdout, &failed));
    if (std::fflush(stdout) != 0 || failed) return cli::outputFailure("dupes");
  }
  return result.outcome == tavlor::DuplicatesOutcome::Found ? 0 : 1;
}

const bool registered = cli::registerCommand({"dupes", "find duplicate files in the loaded catalogs", &runDupes});

} // namespace
