// tavlor find: the Find Files report for a mask below catalog paths.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "command.h"
#include "json_output.h"
#include "loaded_catalogs.h"
#include "tools/find_files.h"
#include "tools/find_filters.h"
#include "tools/match_mask.h"

namespace {

const char *kUsage = "Usage: tavlor find [--catalogs DIR] [CATALOG.zar ...] [--no-subfolders] [--csv | --json]\n"
                     "                   [--regex RE [--posix] [--case]] [--size [+|-]N[k|M|G]] [--newer DATE]\n"
                     "                   [--older DATE] [--type f|d|z] [--disk LABEL] [--unit byte|KB|MB]\n"
                     "                   [--no-commas] [MASK [ROOT ...]]\n\n"
                     "Loads every catalog of the catalogs folder (or only the files given) and prints the\n"
                     "Find Files report of the disks, folders, Zip Folders and files whose names match MASK\n"
                     "(\"*\" any run, \"?\" one character, case ignored; \"\" finds everything) below each ROOT\n"
                     "(a catalog path such as DATA/docs; all disks when none is given), sorted by name.\n"
                     "--no-subfolders tests only the entries lying directly in each ROOT; --csv writes the\n"
                     "comma-separated form, --json one JSON object per line.\n"
                     "\n"
                     "Every filter given must hold as well as the mask:\n"
                     "  --regex RE      the name contains a match of the ECMAScript regular expression RE\n"
                     "                  (POSIX extended with --posix), case ignored unless --case; no\n"
                     "                  back-references\n"
                     "  --size N        the size is exactly N bytes, +N more than N, -N less than N; a unit\n"
                     "                  k, M or G multiplies by 1024, 1024^2, 1024^3 (folders: their contents)\n"
                     "  --newer DATE    the date is later than DATE; --older DATE: earlier than DATE\n"
                     "                  (DATE as YYYY-MM-DD or \"YYYY-MM-DD HH:MM[:SS]\", local time)\n"
                     "  --type T        the entry is a file (f), folder or disk (d) or Zip Folder (z);\n"
                     "                  repeatable, or a comma list such as f,z\n"
                     "  --disk LABEL    the entry lies on the disk LABEL; repeatable\n"
                     "\n"
                     "Exit status 0 when something was found, 1 when nothing was or the output could not be\n"
                     "written, 2 for bad arguments, a missing catalog, an unknown ROOT or disk.\n";

int usage(const std::string &why) {
  return cli::usageError("find", why, kUsage);
}

// The filters of the arguments; an exit status when one is malformed.
std::optional<int> parseFilters(const cli::ParsedArguments &parsed, tavlor::FindFilters &filters) {
  if (const auto re = parsed.value("--regex")) {
    const std::string error = filters.setRegex(*re, parsed.has("--posix"), parsed.has("--case"));
    if (!error.empty()) return usage("bad --regex \"" + *re + "\": " + error);
  } else if (parsed.has("--posix") || parsed.has("--case")) {
    return usage("--posix and --case go with --regex");
  }
  if (const auto size = parsed.value("--size")) {
    filters.size = tavlor::parseSizeCondition(*size);
    if (!filters.size) return usage("--size takes N, +N or -N with an optional unit k, M or G, not \"" + *size + "\"");
  }
  const std::pair<const char *, std::optional<std::time_t> *> dates[] = {{"--newer", &filters.newer},
                                                                         {"--older", &filters.older}};
  for (const auto &[option, bound] : dates) {
    if (const auto date = parsed.value(option)) {
      *bound = tavlor::parseLocalDate(*date);
      if (!*bound)
        return usage(std::string(option) + " takes YYYY-MM-DD or \"YYYY-MM-DD HH:MM[:SS]\", not \"" + *date + "\"");
    }
  }
  for (const std::string &type : parsed.valuesOf("--type")) {
    const auto kinds = tavlor::parseKindList(type);
    if (!kinds) return usage("--type takes f, d, z or a comma list of them, not \"" + type + "\"");
    filters.kinds |= *kinds;
  }
  return std::nullopt;
}

int runFind(const std::vector<std::string> &args) {
  cli::ModelOptions options;
  cli::ParsedArguments parsed;
  if (const auto done = cli::parseModelOptions("find", kUsage, args, options,
                                               {{"--no-subfolders", false},
                                                {"--csv", false},
                                                {"--json", false},
                                                {"--regex", true},
                                                {"--posix", false},
                                                {"--case", false},
                                                {"--size", true},
                                                {"--newer", true},
                                                {"--older", true},
                                                {"--type", true},
                                                {"--disk", true}},
                                               &parsed))
    return *done;
  // With a filter the mask may be left out: the filters alone choose.
  const bool filtered = parsed.has("--regex") || parsed.has("--size") || parsed.has("--newer") ||
                        parsed.has("--older") || parsed.has("--type") || parsed.has("--disk");
  if (options.operands.empty() && !filtered) return usage("MASK is missing");
  if (options.operands.empty()) options.operands.push_back("");
  if (parsed.has("--csv") && parsed.has("--json")) return usage("--csv and --json exclude each other");
  tavlor::FindFilters filters;
  if (const auto done = parseFilters(parsed, filters)) return *done;
  if (!cli::catalogFilesReadable("find", options)) return 2;
  tavlor::CatalogModel &model = cli::processModel();
  // A catalog that cannot be read is reported; the others are searched.
  cli::loadCatalogs("find", options, model);
  const std::vector<std::string> paths(options.operands.begin() + 1, options.operands.end());
  const auto roots = cli::resolveRoots("find", model, paths);
  if (!roots) return 2;
  for (const std::string &label : parsed.valuesOf("--disk")) {
    const tavlor::ItemId disk = model.findChildExactFirst(model.root(), label);
    if (disk == tavlor::kNoItem) {
      std::fprintf(stderr, "tavlor find: no loaded disk is labelled \"%s\"\n", label.c_str());
      return 2;
    }
    filters.disks.push_back(disk);
  }

  tavlor::FindFilesHeader header;
  header.lookIn = tavlor::lookInText(model, *roots);
  header.mask = tavlor::upperCased(options.operands.front());
  header.subfolders = !parsed.has("--no-subfolders");
  std::vector<tavlor::ResultRow> rows = tavlor::findFiles(model, *roots, header.mask, header.subfolders, filters);
  bool failed = false;
  if (parsed.has("--json")) {
    tavlor::sortByName(rows);
    cli::JsonLines out(stdout);
    cli::writeEntries(out, model, rows);
    failed = !out.finish();
  } else {
    tavlor::writeFindFilesReportByName(model, header, rows, parsed.has("--csv"),
                                       tavlor::fileReportWriter(stdout, &failed));
    failed = std::fflush(stdout) != 0 || failed;
  }
  if (failed) return cli::outputFailure("find");
  return rows.empty() ? 1 : 0;
}

const bool registered =
    cli::registerCommand({"find", "find files and folders by name in the loaded catalogs", &runFind});

} // namespace
