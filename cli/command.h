// command.h - the subcommands of tavlor.
#ifndef CLI_COMMAND_H
#define CLI_COMMAND_H

#include <string>
#include <vector>

namespace cli {

// A subcommand receives its own arguments (without "tavlor" and its name) and
// returns the exit status.
using CommandFunction = int (*)(const std::vector<std::string> &args);

struct Command {
  const char *name;
  const char *summary; // one line for "tavlor --help"
  CommandFunction run;
};

// Called from a static initialiser in each cmd_*.cpp:
//   static const bool registered = cli::registerCommand({"catalog", "...", &runCatalog});
bool registerCommand(const Command &command);

} // namespace cli

#endif // CLI_COMMAND_H
