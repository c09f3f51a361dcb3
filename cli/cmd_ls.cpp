// tavlor ls: the rows the list pane shows for a folder of the loaded catalogs.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "json_output.h"
#include "loaded_catalogs.h"
#include "model/catalog_model.h"
#include "model/disk_descriptions.h"
#include "model/names.h"
#include "settings/settings_values.h"

namespace {

const char *kUsage = "Usage: tavlor ls [--catalogs DIR] [--unit byte|KB|MB] [--no-commas] [--json] [CATALOG.zar ...]\n"
                     "                [PATH]\n\n"
                     "Loads every catalog of the catalogs folder (or only the files given) and prints\n"
                     "the entries of PATH (a catalog path such as DATA/docs; the disks when omitted),\n"
                     "tab-separated, in ascending name order: Name, Size and Date for a folder; the\n"
                     "disk columns and descriptions for the disks. --json prints one JSON object per\n"
                     "entry instead (a disk's with its free space and description).\n";

void printRow(const std::vector<std::string> &cells) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i) line.push_back('\t');
    line += cells[i];
  }
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stdout);
}

std::vector<tavlor::FileData *> sortedByName(std::span<tavlor::FileData *const> entries) {
  std::vector<tavlor::FileData *> rows(entries.begin(), entries.end());
  std::stable_sort(rows.begin(), rows.end(), [](const tavlor::FileData *a, const tavlor::FileData *b) {
    return tavlor::compareIgnoringCase(a->name(), b->name()) < 0;
  });
  return rows;
}

void listDisks(tavlor::CatalogModel &model, const cli::ModelOptions &options) {
  const bool total = settings::readSwitch(settings::kShowTotalSize);
  const bool free = settings::readSwitch(settings::kShowFreeSpace);
  const bool date = settings::readSwitch(settings::kShowDateCataloged);
  const bool describe = settings::readSwitch(settings::kShowDescription);
  tavlor::DiskDescriptions descriptions({options.catalogsFolder, settings::descriptionsFileName(), describe,
                                         settings::readSwitch(settings::kAutoBackupDescription)});
  // Listing reads the descriptions as they are: no backup copy from a command line.
  descriptions.readDescriptions(false);
  std::vector<std::string> header{"Disk"};
  if (total) header.push_back("Total Size");
  if (free) header.push_back("Free Space");
  if (date) header.push_back("Date Cataloged");
  if (describe) header.push_back("Description");
  printRow(header);
  for (tavlor::FileData *disk : sortedByName(model.entriesOf(model.root()))) {
    std::vector<std::string> row{std::string(disk->name())};
    if (total) row.push_back(model.sizeText(*disk));
    if (free) row.push_back(model.freeSpaceText(*disk));
    if (date) row.push_back(model.dateText(*disk));
    if (describe) {
      auto found = descriptions.map().find(disk->name());
      row.push_back(found == descriptions.map().end() ? std::string() : found->second);
    }
    printRow(row);
  }
}

void listEntries(tavlor::CatalogModel &model, std::span<tavlor::FileData *const> entries) {
  printRow({"Name", "Size", "Date"});
  for (tavlor::FileData *e : sortedByName(entries)) {
    printRow({std::string(e->name()), model.sizeText(*e), model.dateText(*e)});
  }
}

void listDisksJson(tavlor::CatalogModel &model, const cli::ModelOptions &options, cli::JsonLines &out) {
  tavlor::DiskDescriptions descriptions({options.catalogsFolder, settings::descriptionsFileName(), true,
                                         settings::readSwitch(settings::kAutoBackupDescription)});
  descriptions.readDescriptions(false);
  for (tavlor::FileData *disk : sortedByName(model.entriesOf(model.root()))) {
    out.begin();
    cli::entryFields(out, model, *disk);
    out.number("free", disk->freeSpace());
    const auto found = descriptions.map().find(disk->name());
    if (found != descriptions.map().end()) out.text("description", found->second);
    out.end();
  }
}

void listEntriesJson(tavlor::CatalogModel &model, std::span<tavlor::FileData *const> entries, cli::JsonLines &out) {
  for (tavlor::FileData *e : sortedByName(entries)) {
    out.begin();
    cli::entryFields(out, model, *e);
    out.end();
  }
}

int runLs(const std::vector<std::string> &args) {
  cli::ModelOptions options;
  cli::ParsedArguments parsed;
  if (const auto done = cli::parseModelOptions("ls", kUsage, args, options, {{"--json", false}}, &parsed)) return *done;
  tavlor::CatalogModel &model = cli::processModel();
  const bool loaded = cli::loadCatalogs("ls", options, model);
  const tavlor::ItemId item = model.findItemByPath(options.path);
  const bool json = parsed.has("--json");
  cli::JsonLines out(stdout);
  if (item == model.root()) {
    json ? listDisksJson(model, options, out) : listDisks(model, options);
  } else if (item != tavlor::kNoItem) {
    json ? listEntriesJson(model, model.entriesOf(item), out) : listEntries(model, model.entriesOf(item));
  } else if (tavlor::FileData *file = model.findEntryByPath(options.path)) {
    tavlor::FileData *const one[] = {file};
    json ? listEntriesJson(model, one, out) : listEntries(model, one);
  } else {
    std::fprintf(stderr, "tavlor ls: %s is not in the loaded catalogs\n", options.path.c_str());
    return 1;
  }
  if (!out.finish()) return cli::outputFailure("ls");
  return loaded ? 0 : 1;
}

const bool registered = cli::registerCommand({"ls", "list a folder of the loaded catalogs", &runLs});

} // namespace
