// tavlor get: copies cataloged entries back from their disks, one disk change per
// disk however the entries are ordered.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "arguments.h"
#include "catalogs_folder.h"
#include "command.h"
#include "export/disk_locator.h"
#include "export/file_actions.h"
#include "loaded_catalogs.h"

namespace {

const char *kUsage =
    "Usage: tavlor get [--catalogs DIR] [CATALOG.zar ...] [--to DEST] [--overwrite-older] CATALOG-PATH ...\n\n"
    "Copies entries of the loaded catalogs (files, folders, members of ZIP files, Zip\n"
    "Folders as their ZIP file) back from their disks into DEST (default: the current\n"
    "folder, created when missing). The entries are grouped by disk first; each disk\n"
    "that is not mounted is asked for once on the terminal (press Enter when it is\n"
    "inserted, or type s to skip it). Without a terminal the disks that are mounted are\n"
    "used and the others reported. Existing files are never replaced by copies from a\n"
    "disk; members of ZIP files replace older files with --overwrite-older.\n"
    "Exit status: 0 everything retrieved, 1 something skipped or failed (named on\n"
    "standard error), 2 bad arguments.\n";

bool endsWith(const std::string &text, const char *suffix) {
  const std::size_t n = std::strlen(suffix);
  return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// The library's questions on a terminal program: the disk was found before the
// copies start, so a prompt means it went away meanwhile and the entry is skipped.
class TerminalUi : public tavlor::FileActionUi {
public:
  bool insertDisk(const std::string &text) override {
    std::fprintf(stderr, "tavlor get: %s\n", text.c_str());
    return false;
  }
  void message(const std::string &caption, const std::string &text, bool) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  }
  bool askYesNo(const std::string &, const std::string &) override { return false; }
  void beginWait(const std::string &) override {}
  void endWait() override {}
  void pause(int milliseconds) override { ::usleep(static_cast<useconds_t>(milliseconds) * 1000); }
};

struct DiskGroup {
  std::string label;
  std::vector<std::pair<std::string, const tavlor::FileData *>> entries; // catalog path, entry
};

// Asks on the terminal until the disk is there (true) or the user skips it.
bool askForDisk(const std::string &label, std::string &drive) {
  for (;;) {
    std::fprintf(stderr, "Insert the disk labeled %s and press Enter, or type s to skip it: ", label.c_str());
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) {
      std::fputc('\n', stderr);
      return false;
    }
    if (!answer.empty() && (answer[0] == 's' || answer[0] == 'S')) return false;
    if (tavlor::findDriveByLabel(label, drive)) return true;
    std::fprintf(stderr, "%s\n", tavlor::diskNotFoundText(label).c_str());
  }
}

int runGet(const std::vector<std::string> &args) {
  const cli::ParsedArguments parsed =
      cli::parseArguments(args, {{"--catalogs", true}, {"--to", true}, {"--overwrite-older", false}});
  if (const auto done = cli::helpOrUsageError("get", parsed, kUsage)) return *done;
  cli::ModelOptions options;
  std::vector<std::string> paths;
  for (const std::string &a : parsed.operands) {
    if (endsWith(a, ".zar"))
      options.catalogFiles.push_back(a);
    else
      paths.push_back(a);
  }
  if (paths.empty()) return cli::usageError("get", "no catalog path given", kUsage);
  options.catalogsFolder = parsed.value("--catalogs").value_or(cli::defaultCatalogsFolder());
  options.unit = "byte";
  const std::string destination = parsed.value("--to").value_or(".");
  if (destination.empty()) return cli::usageError("get", "--to needs a folder", kUsage);
  const bool overwriteOlder = parsed.has("--overwrite-older");

  tavlor::CatalogModel model;
  bool complete = cli::loadCatalogs("get", options, model);

  std::vector<DiskGroup> disks;
  std::map<std::string, std::size_t> diskIndex;
  for (const std::string &path : paths) {
    const tavlor::FileData *entry = model.findEntryByPath(path);
    if (!entry) {
      std::fprintf(stderr, "tavlor get: %s is not in the loaded catalogs\n", path.c_str());
      complete = false;
      continue;
    }
    const std::string catalogPath = model.catalogPath(*entry);
    const std::string label = tavlor::labelOf(catalogPath);
    auto [at, added] = diskIndex.emplace(label, disks.size());
    if (added) disks.push_back({label, {}});
    disks[at->second].entries.emplace_back(catalogPath, entry);
  }
  if (disks.empty()) return 1;

  std::printf("Disks needed:\n");
  for (const DiskGroup &disk : disks)
    std::printf("  %s: %zu %s\n", disk.label.c_str(), disk.entries.size(),
                disk.entries.size() == 1 ? "entry" : "entries");
  std::fflush(stdout);

  std::string zipPath;
  const bool terminal = ::isatty(STDIN_FILENO) == 1;
  TerminalUi ui;
  for (const DiskGroup &disk : disks) {
    std::string drive;
    bool present = tavlor::findDriveByLabel(disk.label, drive);
    if (!present && terminal) present = askForDisk(disk.label, drive);
    if (!present) {
      std::fprintf(stderr, "tavlor get: disk %s %s; not retrieved:\n", disk.label.c_str(),
                   terminal ? "skipped" : "is not mounted");
      for (const auto &[path, entry] : disk.entries)
        std::fprintf(stderr, "  %s\n", path.c_str());
      complete = false;
      continue;
    }
    for (const auto &[path, entry] : disk.entries) {
      const tavlor::CopyResult result =
          tavlor::copySource(tavlor::entrySource(model, *entry), destination, true, false, overwriteOlder, ui);
      for (const tavlor::CopyFailure &failure : result.failures)
        std::fprintf(stderr, "tavlor get: not written: %s: %s\n", failure.path.c_str(), failure.reason.c_str());
      // A folder inside a ZIP file is retrieved when any of its members was written; a
      // folder from a disk when nothing in it failed.
      const bool folderCopy = !entry->isFile() && !entry->isZipFolder() && !model.zipFilePath(*entry, zipPath);
      if (result.failures.empty() && !result.diskCancelled && (result.written > 0 || folderCopy)) {
        std::printf("%s\n", path.c_str());
      } else {
        std::fprintf(stderr, "tavlor get: %s not retrieved%s\n", path.c_str(),
                     result.kept > 0 && result.failures.empty() ? " (it exists in the destination)" : "");
        complete = false;
      }
    }
  }
  return complete ? 0 : 1;
}

const bool registered = cli::registerCommand({"get", "copy cataloged entries back from their disks", &runGet});

} // namespace
