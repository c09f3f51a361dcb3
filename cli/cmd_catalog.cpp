// tavlor catalog: one catalog of a folder or a mounted volume.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Tavscan60.h"
#include "arguments.h"
#include "catalogs_folder.h"
#include "command.h"
#include "platform/catalog_label.h"
#include "platform/volumes.h"

namespace {

const char kUsage[] =
    "Usage: tavlor catalog [--label LABEL] [--date \"D M Y h m s\"] [--out FILE | --catalogs DIR] PATH\n"
    "\n"
    "Catalogs the folder or mounted volume PATH, with the contents of its ZIP archives.\n"
    "\n"
    "  --label LABEL     the disk name of the catalog (default: the label of the volume\n"
    "                    that holds PATH); it names the catalog file, so it may not hold\n"
    "                    \"/\", be made only of dots or be longer than 251 bytes; a\n"
    "                    double quote or control character in it is written as \"?\"\n"
    "  --date \"D M Y h m s\"\n"
    "                    the time of cataloguing as day, month, year, hour, minute and\n"
    "                    second in local time (default: now), for reproducible catalogs\n"
    "  --out FILE        write the catalog to FILE\n"
    "  --catalogs DIR    write DIR/LABEL.zar (default: the catalogs folder, created if\n"
    "                    missing)\n"
    "\n"
    "An existing catalog is replaced only when the new one is complete. Warnings about\n"
    "undatable files go to standard error; on a terminal a progress line is shown there.\n"
    "The path of the written catalog is printed.\n"
    "Exit status: 0 on success, 1 when PATH cannot be read or the catalog cannot be\n"
    "written, 2 for bad arguments or a missing or unusable label.\n";

struct Options {
  std::optional<std::string> label;
  std::optional<std::string> date;
  std::optional<std::string> out;
  std::optional<std::string> catalogs;
  std::vector<std::string> operands;
};

int usageError(const std::string &why) {
  return cli::usageError("catalog", why, kUsage);
}

int failure(const std::string &why, int status = 1) {
  std::fprintf(stderr, "tavlor catalog: %s\n", why.c_str());
  return status;
}

// Parses args into options; returns an exit status when the command is done already.
std::optional<int> parse(const std::vector<std::string> &args, Options &options) {
  const cli::ParsedArguments parsed =
      cli::parseArguments(args, {{"--label", true}, {"--date", true}, {"--out", true}, {"--catalogs", true}});
  if (const auto done = cli::helpOrUsageError("catalog", parsed, kUsage)) return done;
  options.label = parsed.value("--label");
  options.date = parsed.value("--date");
  options.out = parsed.value("--out");
  options.catalogs = parsed.value("--catalogs");
  options.operands = parsed.operands;
  if (options.operands.size() != 1) return usageError("expected one PATH");
  if (options.out && options.catalogs) return usageError("--out and --catalogs exclude each other");
  return std::nullopt;
}

struct LocalDate {
  int day, month, year, hour, minute, second;
};

std::optional<LocalDate> parseDate(const std::string &text) {
  std::istringstream in(text);
  LocalDate d{};
  if (!(in >> d.day >> d.month >> d.year >> d.hour >> d.minute >> d.second)) return std::nullopt;
  std::string rest;
  if (in >> rest) return std::nullopt;
  if (d.day < 1 || d.day > 31 || d.month < 1 || d.month > 12 || d.year < 1970 || d.year > 9999 || d.hour < 0 ||
      d.hour > 23 || d.minute < 0 || d.minute > 59 || d.second < 0 || d.second > 59)
    return std::nullopt;
  return d;
}

LocalDate now() {
  const time_t t = std::time(nullptr);
  struct tm local {};
  localtime_r(&t, &local);
  return {local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec};
}

bool progressShown = false;

void clearProgress() {
  if (progressShown) std::fputs("\r\033[K", stderr);
  progressShown = false;
}

void showBox(const char *caption, const char *text, int, void *) {
  clearProgress();
  std::fprintf(stderr, "%s: %s\n", caption, text);
}

bool showProgress(uint64_t entries, const char *folder, void *) {
  struct winsize size {};
  const size_t width = ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
  std::string line = std::to_string(entries) + " entries  " + folder;
  // Keep the end of the path, where the scan is; one column spare so the terminal
  // never wraps.
  if (line.size() >= width) line = "..." + line.substr(line.size() - (width - 4));
  std::fprintf(stderr, "\r\033[K%s", line.c_str());
  std::fflush(stderr);
  progressShown = true;
  return true;
}

std::optional<std::string> labelOfVolumeHolding(const std::string &path) {
  const auto volume = platform::volumeContaining(path);
  if (!volume) return std::nullopt;
  const auto label = platform::volumeLabel(*volume);
  if (!label.ok) return std::nullopt;
  return label.label;
}

int runCatalog(const std::vector<std::string> &args) {
  Options options;
  if (auto status = parse(args, options)) return *status;
  const std::string &given = options.operands.front();

  struct stat st;
  if (::stat(given.c_str(), &st) != 0) return failure(given + ": " + std::strerror(errno));
  if (!S_ISDIR(st.st_mode)) return failure(given + ": not a folder");
  const int probe = ::open(given.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (probe < 0) return failure(given + ": " + std::strerror(errno));
  ::close(probe);
  std::error_code ec;
  const std::string root = std::filesystem::canonical(given, ec).string();
  if (ec) return failure(given + ": " + ec.message());

  std::string label;
  if (options.label) {
    label = *options.label;
    if (label.empty()) return failure("the label is empty; name the disk with --label", 2);
  } else {
    const auto found = labelOfVolumeHolding(root);
    if (!found || found->empty())
      return failure("the volume holding " + given + " has no label; name the disk with --label", 2);
    label = *found;
  }
  // The catalog, its file and every later match with the volume use the label as the
  // catalog holds it; one that cannot name the file is refused before the scan.
  label = platform::catalogLabel(label);
  switch (platform::catalogLabelFault(label)) {
  case platform::CatalogLabelFault::None:
    break;
  case platform::CatalogLabelFault::Empty:
    return failure("the label is empty; name the disk with --label", 2);
  case platform::CatalogLabelFault::TooLong:
    return failure("the label \"" + label + "\" is too long to name a catalog file (" + std::to_string(label.size()) +
                       " bytes, at most " + std::to_string(platform::kMaxCatalogLabelBytes) +
                       "); name the disk with --label",
                   2);
  case platform::CatalogLabelFault::OutsideFolder:
    return failure("the label \"" + label + "\" cannot name a catalog file (it holds \"/\" or only dots)", 2);
  }

  LocalDate date = now();
  if (options.date) {
    const auto parsed = parseDate(*options.date);
    if (!parsed) return usageError("--date needs \"D M Y h m s\" (day month year hour minute second)");
    date = *parsed;
  }

  std::string out;
  if (options.out) {
    out = *options.out;
  } else {
    const std::string folder = options.catalogs ? *options.catalogs : cli::defaultCatalogsFolder();
    std::filesystem::create_directories(folder, ec);
    if (ec) return failure("cannot create the catalogs folder " + folder + ": " + ec.message());
    out = folder + "/" + label + ".zar";
  }

  tavscanSetMessageBoxHandler(&showBox, nullptr);
  const bool terminal = ::isatty(STDERR_FILENO);
  errno = 0;
  const int result = catalogVolume(root.c_str(), label.c_str(), out.c_str(), date.day, date.month, date.year, date.hour,
                                   date.minute, date.second, terminal ? &showProgress : nullptr, nullptr);
  const int cause = errno;
  clearProgress();
  tavscanSetMessageBoxHandler(nullptr, nullptr);
  switch (result) {
  case kTavscanCatalogOk:
    std::printf("%s\n", out.c_str());
    return 0;
  case kTavscanCatalogNoSource:
    return failure(given + ": cannot be read");
  case kTavscanCatalogCancelled:
    return failure("cancelled; the previous catalog is left as it was");
  default:
    return failure("cannot write the catalog " + out + (cause ? std::string(": ") + std::strerror(cause) : ""));
  }
}

const bool registered =
    cli::registerCommand({"catalog", "catalog a folder or mounted volume into a catalog file", &runCatalog});

} // namespace
