// tavlor properties: the values of the Properties dialog for an entry or for all disks.
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "command.h"
#include "json_output.h"
#include "loaded_catalogs.h"
#include "model/properties.h"

namespace {

const char *kUsage = "Usage: tavlor properties [--catalogs DIR] [--unit byte|KB|MB] [--no-commas] [--json]\n"
                     "                        [CATALOG.zar ...] [PATH]\n\n"
                     "Loads every catalog of the catalogs folder (or only the files given) and prints\n"
                     "the properties of PATH (a catalog path such as DATA/docs/notes.txt), or the\n"
                     "summary of all loaded disks when PATH is omitted; --json prints them as one JSON\n"
                     "object with the size in bytes and the counts as numbers.\n";

int runProperties(const std::vector<std::string> &args) {
  cli::ModelOptions options;
  cli::ParsedArguments parsed;
  if (const auto done = cli::parseModelOptions("properties", kUsage, args, options, {{"--json", false}}, &parsed))
    return *done;
  tavlor::CatalogModel &model = cli::processModel();
  const bool loaded = cli::loadCatalogs("properties", options, model);
  const bool root = options.path.empty() || options.path == "/";
  if (parsed.has("--json")) {
    const tavlor::FileData *entry = root ? nullptr : model.findEntryByPath(options.path);
    if (!root && !entry) {
      std::fprintf(stderr, "tavlor properties: %s is not in the loaded catalogs\n", options.path.c_str());
      return 1;
    }
    cli::JsonLines out(stdout);
    cli::writeProperties(out, model, entry);
    if (!out.finish()) return cli::outputFailure("properties");
    return loaded ? 0 : 1;
  }
  tavlor::PropertiesValues values;
  if (root) {
    values = tavlor::rootProperties(model, std::time(nullptr));
  } else if (const tavlor::FileData *entry = model.findEntryByPath(options.path)) {
    values = tavlor::propertiesOf(model, *entry);
  } else {
    std::fprintf(stderr, "tavlor properties: %s is not in the loaded catalogs\n", options.path.c_str());
    return 1;
  }
  std::printf("Name: %s\nType: %s\nLocation: %s\nSize: %s\nContains: %s\nDate: %s\n", values.name.c_str(),
              values.type.c_str(), values.location.c_str(), values.size.c_str(), values.contains.c_str(),
              values.date.c_str());
  if (!values.note.empty()) std::printf("%s\n", values.note.c_str());
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) return cli::outputFailure("properties");
  return loaded ? 0 : 1;
}

const bool registered =
    cli::registerCommand({"properties", "show the properties of an entry of the loaded catalogs", &runProperties});

} // namespace
