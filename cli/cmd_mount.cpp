// tavlor mount: the loaded catalogs as a read-only file system, so that every file tool
// can browse and search disks that are not there.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "arguments.h"
#include "catalogs_folder.h"
#include "command.h"
#include "export/shelf_view.h"
#include "loaded_catalogs.h"
#include "platform/fuse_host.h"

namespace {

const char *kUsage = "Usage: tavlor mount [--catalogs DIR | CATALOG.zar ...] [--background] MOUNTPOINT\n\n"
                     "Shows the loaded catalogs (every catalog of the catalogs folder, or only the files\n"
                     "given) as a read-only file system at MOUNTPOINT: one folder per disk, named by its\n"
                     "label, with the cataloged folders, files and Zip Folders (as folders), their sizes\n"
                     "and dates. Listing never needs the disks. Reading a file reads it from its disk\n"
                     "when that is mounted (found by its label) or extracts it from its ZIP file; when\n"
                     "the disk is missing the read fails (\"No medium found\") and the disk to insert is\n"
                     "named on standard error. A catalog that changes is read again. Nothing can be\n"
                     "written. Runs until unmounted (fusermount3 -u MOUNTPOINT) or interrupted;\n"
                     "--background detaches once mounted.\n"
                     "Exit status: 0 after a clean unmount, 1 when it cannot mount, 2 bad arguments.\n";

bool endsWith(const std::string &text, const char *suffix) {
  const std::string s = suffix;
  return text.size() >= s.size() && text.compare(text.size() - s.size(), s.size(), s) == 0;
}

// A view in the background works from the root folder, so every path it reads again
// must not depend on where it was started.
std::string absolute(const std::string &path) {
  if (char *real = ::realpath(path.c_str(), nullptr)) {
    std::string result = real;
    std::free(real);
    return result;
  }
  if (!path.empty() && path[0] == '/') return path;
  char *here = ::getcwd(nullptr, 0);
  const std::string result = here ? std::string(here) + "/" + path : path;
  std::free(here);
  return result;
}

int runMount(const std::vector<std::string> &args) {
  const cli::ParsedArguments parsed = cli::parseArguments(args, {{"--catalogs", true}, {"--background", false}});
  if (const auto done = cli::helpOrUsageError("mount", parsed, kUsage)) return *done;
  cli::ModelOptions options;
  std::vector<std::string> mountPoints;
  for (const std::string &a : parsed.operands) {
    if (endsWith(a, ".zar"))
      options.catalogFiles.push_back(a);
    else
      mountPoints.push_back(a);
  }
  if (mountPoints.empty()) return cli::usageError("mount", "no mount point given", kUsage);
  if (mountPoints.size() > 1) return cli::usageError("mount", "one mount point only", kUsage);
  if (parsed.has("--catalogs") && !options.catalogFiles.empty())
    return cli::usageError("mount", "give --catalogs or catalog files, not both", kUsage);
  options.catalogsFolder = parsed.value("--catalogs").value_or(cli::defaultCatalogsFolder());

  const std::string problem = platform::mountPointProblem(mountPoints.front());
  if (!problem.empty()) {
    std::fprintf(stderr, "tavlor mount: cannot mount at %s\n", problem.c_str());
    return 1;
  }
  if (!cli::catalogFilesReadable("mount", options)) return 1;

  tavlor::ShelfSource source{absolute(options.catalogsFolder), {}};
  for (const std::string &file : options.catalogFiles)
    source.catalogFiles.push_back(absolute(file));
  tavlor::ShelfView view(std::move(source),
                         [](const std::string &line) { std::fprintf(stderr, "tavlor mount: %s\n", line.c_str()); });
  // A damaged catalog is named and the others are shown: it is read again once fixed.
  view.load();

  platform::FuseHostOptions host;
  host.mountPoint = absolute(mountPoints.front());
  host.background = parsed.has("--background");
  std::string error;
  const int status = platform::runFuseHost(view, host, error);
  if (status != 0) std::fprintf(stderr, "tavlor mount: %s\n", error.c_str());
  return status;
}

const bool registered = cli::registerCommand({"mount", "show the catalogs as a read-only file system", &runMount});

} // namespace
