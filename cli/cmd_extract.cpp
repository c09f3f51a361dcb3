// tavlor extract: members of a ZIP archive into a folder.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "Tavscan60.h"
#include "arguments.h"
#include "command.h"

namespace {

const char kUsage[] = "Usage: tavlor extract [--member NAME | --folder PREFIX] [--flat] [--overwrite-newer]\n"
                      "                      [--overwrite-older] ZIP DEST\n"
                      "\n"
                      "Extracts members of the ZIP archive ZIP below the folder DEST (created as needed).\n"
                      "\n"
                      "  --member NAME      only the member stored exactly as NAME; prints the path written\n"
                      "  --folder PREFIX    only the members whose names start with PREFIX (ASCII case\n"
                      "                     ignored); the folder keeps its own name, not its parents\n"
                      "  --flat             write every file directly into DEST, without the archive's folders\n"
                      "  --overwrite-newer  replace existing files that are newer than the member\n"
                      "  --overwrite-older  replace existing files that are older than the member\n"
                      "\n"
                      "An existing file with the member's own date is replaced whatever the options; a\n"
                      "read-only file is never replaced. Without --member the number of files written is\n"
                      "printed, and each member that was not written (encrypted, damaged, its file\n"
                      "could not be written) is named on standard error; files kept by the overwrite\n"
                      "rule and folder entries are not. An archive whose members overlap is refused.\n"
                      "Message boxes go to standard error.\n"
                      "Exit status: 0 when every selected member was written (or kept), 1 when a member\n"
                      "was not written or nothing was, 2 for bad arguments.\n";

struct Options {
  std::optional<std::string> member;
  std::optional<std::string> folder;
  bool flat = false;
  bool overwriteNewer = false;
  bool overwriteOlder = false;
  std::vector<std::string> operands;
};

int usageError(const std::string &why) { return cli::usageError("extract", why, kUsage); }

// Parses args into options; returns an exit status when the command is done already.
std::optional<int> parse(const std::vector<std::string> &args, Options &options) {
  const cli::ParsedArguments parsed = cli::parseArguments(
      args, {{"--member", true}, {"--folder", true}, {"--flat", false}, {"--overwrite-newer", false},
             {"--overwrite-older", false}});
  if (const auto done = cli::helpOrUsageError("extract", parsed, kUsage)) return done;
  options.member = parsed.value("--member");
  options.folder = parsed.value("--folder");
  options.flat = parsed.has("--flat");
  options.overwriteNewer = parsed.has("--overwrite-newer");
  options.overwriteOlder = parsed.has("--overwrite-older");
  options.operands = parsed.operands;
  if (options.member && options.folder) return usageError("--member and --folder exclude each other");
  if (options.member && options.member->empty()) return usageError("--member needs a name");
  if (options.operands.size() != 2) return usageError("expected ZIP and DEST");
  return std::nullopt;
}

struct NotWritten {
  std::string zip;
  int count = 0;
};

// Names on standard error what the library did not write.
void reportNotWritten(const char *member, const char *reason, void *context) {
  auto *state = static_cast<NotWritten *>(context);
  if (*member)
    std::fprintf(stderr, "tavlor extract: not written: %s: %s\n", member, reason);
  else
    std::fprintf(stderr, "tavlor extract: %s: %s\n", state->zip.c_str(), reason);
  ++state->count;
}

int runExtract(const std::vector<std::string> &args) {
  Options options;
  if (const auto done = parse(args, options)) return *done;
  const std::string &zip = options.operands[0];
  const std::string &dest = options.operands[1];
  const bool useFolderNames = !options.flat;

  // A FIFO or a device is no archive; say so rather than wait on it.
  struct stat st;
  if (::stat(zip.c_str(), &st) != 0) {
    std::fprintf(stderr, "tavlor extract: %s: %s\n", zip.c_str(), std::strerror(errno));
    return 1;
  }
  if (!S_ISREG(st.st_mode)) {
    std::fprintf(stderr, "tavlor extract: %s: %s\n", zip.c_str(),
                 S_ISDIR(st.st_mode) ? "is a folder, not a ZIP archive" : "not a regular file, not a ZIP archive");
    return 1;
  }

  if (options.member) {
    std::vector<char> written(kTavscanPathBufferSize, '\0');
    if (!extractFromZip(zip.c_str(), options.member->c_str(), dest.c_str(), useFolderNames, options.overwriteNewer,
                        options.overwriteOlder, written.data(), written.size()))
      return 1;
    std::printf("%s\n", written.data());
    return 0;
  }
  NotWritten notWritten{zip};
  const int count =
      extractAllFromZip(zip.c_str(), options.folder ? options.folder->c_str() : nullptr, dest.c_str(), useFolderNames,
                        options.overwriteNewer, options.overwriteOlder, nullptr, &reportNotWritten, &notWritten);
  std::printf("%d\n", count);
  return count > 0 && notWritten.count == 0 ? 0 : 1;
}

const bool registered =
    cli::registerCommand({"extract", "extract members of a ZIP archive into a folder", &runExtract});

} // namespace
