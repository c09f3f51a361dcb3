// loaded_catalogs.h - the model commands' shared options: which catalogs, which units.
#ifndef CLI_LOADED_CATALOGS_H
#define CLI_LOADED_CATALOGS_H

#include <optional>
#include <string>
#include <vector>

#include "model/catalog_model.h"

namespace cli {

// What "tavlor ls" and "tavlor properties" take: [--catalogs DIR] [--unit byte|KB|MB]
// [--no-commas] [CATALOG.zar ...] [PATH].
struct ModelOptions {
  std::string catalogsFolder; // --catalogs, else the "Tavlor" setting
  std::vector<std::string> catalogFiles;
  std::string path; // the last argument that is not a catalog file
  std::string unit; // --unit, else the "FileSizeUnit" setting
  bool commas = true;
};

// Parses the arguments. Returns the exit status when the command is done already:
// 0 after printing usage for --help, 2 after reporting a usage error.
std::optional<int> parseModelOptions(const char *command, const char *usage, const std::vector<std::string> &args,
                                     ModelOptions &options);

// The model of this run. It is never destroyed: the process ends right after its
// command, and taking a million entries apart one by one would only delay the exit.
tavlor::CatalogModel &processModel();

// Loads the catalogs of the options into model, applying the unit and comma options.
// Boxes of the loader go to standard error. Returns false when a catalog could not be
// read or the catalogs folder cannot be listed (the rest is loaded anyway).
bool loadCatalogs(const char *command, const ModelOptions &options, tavlor::CatalogModel &model);

} // namespace cli

#endif // CLI_LOADED_CATALOGS_H
