// tavlor html: publishes a folder of the loaded catalogs as HTML, as Save As HTML does.
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "arguments.h"
#include "catalogs_folder.h"
#include "command.h"
#include "export/html_export.h"
#include "loaded_catalogs.h"
#include "platform/errors.h"
#include "settings/settings_values.h"

namespace {

const char *kUsage =
    "Usage: tavlor html [--catalogs DIR] [CATALOG.zar ...] [--single] [--no-recurse] [--description TEXT]\n"
    "                   OUT.htm [PATH]\n\n"
    "Loads every catalog of the catalogs folder (or only the files given) and writes the\n"
    "folder PATH (a catalog path such as DATA/docs; all disks when omitted) as HTML:\n"
    "a web site of OUT.htm and one page per folder (Tavlor_folderN.htm) beside it, or\n"
    "with --single one file with a section per folder. The four row icons are written\n"
    "beside OUT.htm, whose folder is created when it is missing. Every file replaces\n"
    "the one of its name whole (a symbolic link there is replaced, never followed).\n"
    "--no-recurse writes PATH only, not the folders below it. Exits 1 naming each file\n"
    "that could not be written.\n"
    "Sizes follow the FileSizeUnit and UseSizeComma settings.\n";

bool isCatalogFile(const std::string &a) {
  return a.size() > 4 && a.compare(a.size() - 4, 4, ".zar") == 0;
}

int runHtml(const std::vector<std::string> &args) {
  const cli::ParsedArguments parsed = cli::parseArguments(
      args, {{"--catalogs", true}, {"--single", false}, {"--no-recurse", false}, {"--description", true}});
  if (const auto done = cli::helpOrUsageError("html", parsed, kUsage)) return *done;
  cli::ModelOptions options;
  std::vector<std::string> rest;
  for (const std::string &a : parsed.operands)
    (isCatalogFile(a) ? options.catalogFiles : rest).push_back(a);
  if (rest.empty() || rest.front().empty()) return cli::usageError("html", "the output file is missing", kUsage);
  if (rest.size() > 2) return cli::usageError("html", "unexpected argument " + rest[2], kUsage);
  options.path = rest.size() == 2 ? rest[1] : "";
  options.catalogsFolder = parsed.value("--catalogs").value_or(cli::defaultCatalogsFolder());
  options.unit = settings::fileSizeUnit();
  options.commas = settings::readSwitch(settings::kUseSizeComma);

  tavlor::CatalogModel &model = cli::processModel();
  const bool loaded = cli::loadCatalogs("html", options, model);
  const tavlor::ItemId start = model.findItemByPath(options.path);
  if (start == tavlor::kNoItem) {
    std::fprintf(stderr, "tavlor html: %s is not a folder of the loaded catalogs\n", options.path.c_str());
    return 1;
  }
  tavlor::HtmlExportOptions html;
  html.outputPath = rest.front();
  html.description = parsed.value("--description").value_or(tavlor::defaultHtmlDescription(std::time(nullptr)));
  html.singleFile = parsed.has("--single");
  html.recurse = !parsed.has("--no-recurse");
  tavlor::HtmlExport exporter(model, start, html, tavlor::htmlTotals(model, start));
  const tavlor::HtmlExportResult result = exporter.run();
  bool ok = loaded && result.outputWritten && result.unwritten.empty();
  for (const tavlor::HtmlUnwritten &file : result.unwritten) {
    std::fprintf(stderr, "tavlor html: cannot %s %s: %s\n", file.folder ? "write into the folder" : "write",
                 file.path.c_str(), platform::errorText(file.error).c_str());
  }
  if (result.outputWritten) std::printf("%s\n", html.outputPath.c_str());
  return ok ? 0 : 1;
}

const bool registered = cli::registerCommand({"html", "write a folder of the loaded catalogs as HTML", &runHtml});

} // namespace
