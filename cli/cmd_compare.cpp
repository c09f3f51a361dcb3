// tavlor compare: what changed in a folder since its disk was cataloged.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "command.h"
#include "json_output.h"
#include "loaded_catalogs.h"
#include "model/catalog_model.h"
#include "platform/volumes.h"
#include "tools/disk_compare.h"

namespace {

const char *kUsage = "Usage: tavlor compare [--catalogs DIR] [CATALOG.zar ...] [--label LABEL] [--unit byte|KB|MB]\n"
                     "                      [--no-commas] [--json] FOLDER\n"
                     "\n"
                     "Loads every catalog of the catalogs folder (or only the files given), walks FOLDER\n"
                     "(a mounted volume or any folder) and holds it against the loaded disk labelled\n"
                     "LABEL (default: the label of the volume holding FOLDER), FOLDER standing for the\n"
                     "disk's root. Prints the compare report (CR LF line ends): what is new, modified or\n"
                     "deleted since the disk was cataloged. Links are not followed and no other mounted\n"
                     "volume is entered; a folder that cannot be read counts as empty. --json prints one\n"
                     "JSON object per row instead, with the change as the report names it.\n"
                     "\n"
                     "Exit status: 0 when nothing changed, 1 when something changed, 2 for bad arguments,\n"
                     "an unreadable FOLDER, a volume without label or a disk that is not loaded (and when\n"
                     "the output cannot be written).\n";

int failure(const std::string &why) {
  std::fprintf(stderr, "tavlor compare: %s\n", why.c_str());
  return 2;
}

int runCompare(const std::vector<std::string> &args) {
  cli::ModelOptions options;
  cli::ParsedArguments parsed;
  if (const auto done =
          cli::parseModelOptions("compare", kUsage, args, options, {{"--label", true}, {"--json", false}}, &parsed))
    return *done;
  std::string folder = options.path;
  if (folder.empty()) return cli::usageError("compare", "expected a FOLDER", kUsage);
  while (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();

  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return failure("cannot read the folder " + folder + ": " + std::strerror(errno));
  ::close(fd);

  std::string label;
  if (const auto given = parsed.value("--label")) {
    label = *given;
  } else if (const auto volume = platform::volumeContaining(folder)) {
    const platform::LabelResult found = platform::volumeLabel(*volume);
    if (found.ok) label = found.label;
  }
  if (label.empty()) return failure("the volume holding " + folder + " has no label; name the disk with --label");

  tavlor::CatalogModel model;
  cli::loadCatalogs("compare", options, model);
  tavlor::DiskCompare compare(model);
  if (!compare.run(folder, label))
    return failure("Catalog for this disk is not loaded (no loaded disk is labelled \"" + label + "\")");
  if (parsed.has("--json")) {
    cli::JsonLines out(stdout);
    cli::writeCompare(out, model, compare, model.label(compare.findDisk(label)), folder);
    if (!out.finish()) return failure("cannot write the output");
  } else {
    const std::string report = tavlor::compareReport(folder + "  " + label, compare);
    if (std::fwrite(report.data(), 1, report.size(), stdout) != report.size() || std::fflush(stdout) != 0)
      return failure("cannot write the output");
  }
  return compare.differences() == 0 ? 0 : 1;
}

const bool registered = cli::registerCommand({"compare", "compare a folder with the catalog of its disk", &runCompare});

} // namespace
