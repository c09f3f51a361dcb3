#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "command.h"

namespace cli {
namespace {

std::vector<Command> &commands() {
  static std::vector<Command> list;
  return list;
}

void printUsage(FILE *to) {
  std::fprintf(to, "Usage: tavlor COMMAND [OPTIONS] [ARGUMENTS]\n\n"
                   "Catalogs disks and works with their catalogs.\n\nCommands:\n");
  auto list = commands();
  std::sort(list.begin(), list.end(), [](const Command &a, const Command &b) { return std::strcmp(a.name, b.name) < 0; });
  for (const auto &c : list) std::fprintf(to, "  %-12s %s\n", c.name, c.summary);
  std::fprintf(to, "\n\"tavlor COMMAND --help\" describes one command; \"tavlor --version\" prints the version.\n");
}

} // namespace

bool registerCommand(const Command &command) {
  commands().push_back(command);
  return true;
}

} // namespace cli

int main(int argc, char **argv) {
  std::setlocale(LC_ALL, "");
  if (argc < 2) {
    cli::printUsage(stderr);
    return 2;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    cli::printUsage(stdout);
    return 0;
  }
  if (name == "--version" || name == "version") {
    std::printf("tavlor %s\n", TAVLOR_VERSION);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  for (const auto &c : cli::commands()) {
    if (name == c.name) return c.run(std::vector<std::string>(argv + 2, argv + argc));
  }
  std::fprintf(stderr, "tavlor: unknown command \"%s\"\n\n", name.c_str());
  cli::printUsage(stderr);
  return 2;
}
