// tavlor find: the Find Files report for a mask below catalog paths.
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "loaded_catalogs.h"
#include "tools/find_files.h"
#include "tools/match_mask.h"

namespace {

const char *kUsage = "Usage: tavlor find [--catalogs DIR] [CATALOG.zar ...] [--no-subfolders] [--csv]\n"
                     "                   [--unit byte|KB|MB] [--no-commas] MASK [ROOT ...]\n\n"
                     "Loads every catalog of the catalogs folder (or only the files given) and prints the\n"
                     "Find Files report of the disks, folders, Zip Folders and files whose names match MASK\n"
                     "(\"*\" any run, \"?\" one character, case ignored; \"\" finds everything) below each ROOT\n"
                     "(a catalog path such as DATA/docs; all disks when none is given), sorted by name.\n"
                     "--no-subfolders tests only the entries lying directly in each ROOT; --csv writes the\n"
                     "comma-separated form. Exit status 0 when something was found, 1 when nothing was,\n"
                     "2 for bad arguments, a missing catalog or an unknown ROOT.\n";

int runFind(const std::vector<std::string> &args) {
  cli::ModelOptions options;
  cli::ParsedArguments parsed;
  if (const auto done = cli::parseModelOptions("find", kUsage, args, options,
                                               {{"--no-subfolders", false}, {"--csv", false}}, &parsed))
    return *done;
  if (options.operands.empty()) return cli::usageError("find", "MASK is missing", kUsage);
  if (!cli::catalogFilesReadable("find", options)) return 2;
  tavlor::CatalogModel &model = cli::processModel();
  // A catalog that cannot be read is reported; the others are searched.
  cli::loadCatalogs("find", options, model);
  const std::vector<std::string> paths(options.operands.begin() + 1, options.operands.end());
  const auto roots = cli::resolveRoots("find", model, paths);
  if (!roots) return 2;

  tavlor::FindFilesHeader header;
  header.lookIn = tavlor::lookInText(model, *roots);
  header.mask = tavlor::upperCased(options.operands.front());
  header.subfolders = !parsed.has("--no-subfolders");
  std::vector<tavlor::ResultRow> rows = tavlor::findFiles(model, *roots, header.mask, header.subfolders);
  tavlor::sortByName(rows);
  tavlor::writeFindFilesReport(model, header, rows, parsed.has("--csv"), tavlor::fileReportWriter(stdout));
  return rows.empty() ? 1 : 0;
}

const bool registered =
    cli::registerCommand({"find", "find files and folders by name in the loaded catalogs", &runFind});

} // namespace
