// loaded_catalogs.h - the model commands' shared options: which catalogs, which units.
#ifndef CLI_LOADED_CATALOGS_H
#define CLI_LOADED_CATALOGS_H

#include <optional>
#include <string>
#include <vector>

#include "arguments.h"
#include "model/catalog_model.h"

namespace cli {

// What "tavlor ls" and "tavlor properties" take: [--catalogs DIR] [--unit byte|KB|MB]
// [--no-commas] [CATALOG.zar ...] [PATH].
struct ModelOptions {
  std::string catalogsFolder; // --catalogs, else the "Tavlor" setting
  std::vector<std::string> catalogFiles;
  std::string path;                  // the last argument that is not a catalog file
  std::vector<std::string> operands; // every argument that is not a catalog file, in order
  std::string unit;                  // --unit, else the "FileSizeUnit" setting
  bool commas = true;
};

// Parses the arguments, with the command's own options extra beside the shared ones
// (their values and flags go to parsed when given). An argument ending in ".zar" is a
// catalog file unless it holds a wildcard ("*.zar" is a mask). Returns the exit
// status when the command is done already: 0 after printing usage for --help, 2 after
// reporting a usage error.
std::optional<int> parseModelOptions(const char *command, const char *usage, const std::vector<std::string> &args,
                                     ModelOptions &options, const std::vector<OptionSpec> &extra = {},
                                     ParsedArguments *parsed = nullptr);

// Reports each catalog file of the options that cannot be read ("tavlor COMMAND: no
// catalog PATH: why"), or the catalogs folder when no file is named and it cannot be
// listed, and returns false then.
bool catalogFilesReadable(const char *command, const ModelOptions &options);

// The model of this run. It is never destroyed: the process ends right after its
// command, and taking a million entries apart one by one would only delay the exit.
tavlor::CatalogModel &processModel();

// Loads the catalogs of the options into model, applying the unit and comma options.
// Boxes of the loader go to standard error. Returns false when a catalog could not be
// read or the catalogs folder cannot be listed (the rest is loaded anyway).
bool loadCatalogs(const char *command, const ModelOptions &options, tavlor::CatalogModel &model);

// The folder items at the catalog paths (disks, folders, Zip Folders), in order; the
// tree's root when there are none. Reports each path that names no folder item and
// returns nullopt when there is one.
std::optional<std::vector<tavlor::ItemId>> resolveRoots(const char *command, tavlor::CatalogModel &model,
                                                        const std::vector<std::string> &paths);

} // namespace cli

#endif // CLI_LOADED_CATALOGS_H
