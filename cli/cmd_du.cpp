// tavlor du: the largest disks and folders of the loaded catalogs.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "command.h"
#include "json_output.h"
#include "loaded_catalogs.h"
#include "tools/disk_usage.h"

namespace {

const char *kUsage = "Usage: tavlor du [--catalogs DIR] [CATALOG.zar ...] [--depth N] [--unit byte|KB|MB]\n"
                     "                 [--no-commas] [--json] [PATH]\n\n"
                     "Loads every catalog of the catalogs folder (or only the files given) and prints the\n"
                     "size of PATH (a catalog path such as DATA/docs; all disks, shown as \"/\", when omitted)\n"
                     "and of every disk, folder and Zip Folder down to N levels below it (default 1), one\n"
                     "per line as size, a tab and the catalog path, largest first. Sizes are the ones the\n"
                     "Properties show: the files below, a Zip Folder inside counted at its stored size.\n"
                     "--json prints one JSON object per line instead, the size in bytes.\n"
                     "Exit status 0 on success, 1 when a catalog could not be read, PATH is not in the\n"
                     "loaded catalogs or the output could not be written, 2 for bad arguments.\n";

int runDu(const std::vector<std::string> &args) {
  cli::ModelOptions options;
  cli::ParsedArguments parsed;
  if (const auto done =
          cli::parseModelOptions("du", kUsage, args, options, {{"--depth", true}, {"--json", false}}, &parsed))
    return *done;
  if (options.operands.size() > 1) return cli::usageError("du", "expected at most one PATH", kUsage);
  int depth = 1;
  if (const auto given = parsed.value("--depth")) {
    char *end = nullptr;
    errno = 0;
    const long value = std::strtol(given->c_str(), &end, 10);
    if (given->empty() || *end != '\0' || errno == ERANGE || value < 0 || value > INT_MAX)
      return cli::usageError("du", "--depth takes a whole number of levels, 0 or more", kUsage);
    depth = static_cast<int>(value);
  }
  tavlor::CatalogModel &model = cli::processModel();
  const bool loaded = cli::loadCatalogs("du", options, model);
  const std::string path = options.path == "/" ? std::string() : options.path;
  const tavlor::ItemId top = model.findItemByPath(path);
  if (top == tavlor::kNoItem) {
    std::fprintf(stderr, "tavlor du: %s is no disk or folder of the loaded catalogs\n", options.path.c_str());
    return 1;
  }
  const std::vector<tavlor::UsageRow> rows = tavlor::diskUsage(model, top, depth);
  cli::JsonLines out(stdout);
  if (parsed.has("--json")) {
    cli::writeUsage(out, model, rows);
  } else {
    std::string line;
    for (const tavlor::UsageRow &row : rows) {
      line = model.formatSize(row.size);
      line += '\t';
      const std::string &itemPath = model.itemPath(row.item);
      line += itemPath.empty() ? "/" : itemPath;
      line += '\n';
      std::fwrite(line.data(), 1, line.size(), stdout);
    }
  }
  if (!out.finish()) return cli::outputFailure("du");
  return loaded ? 0 : 1;
}

const bool registered =
    cli::registerCommand({"du", "show the largest disks and folders of the loaded catalogs", &runDu});

} // namespace
