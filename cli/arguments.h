// arguments.h - the option syntax every tavlor command shares.
#ifndef CLI_ARGUMENTS_H
#define CLI_ARGUMENTS_H

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace cli {

struct OptionSpec {
  const char *name; // with its dashes, e.g. "--label"
  bool takesValue;
};

// A command's arguments: "--name VALUE" or "--name=VALUE" for valued options, bare
// flags, "-h"/"--help", "--" ending the options, everything else an operand ("-" too).
struct ParsedArguments {
  std::map<std::string, std::string> values;                 // the last value given wins
  std::map<std::string, std::vector<std::string>> allValues; // every value, in order
  std::set<std::string> flags;
  std::vector<std::string> operands;
  bool help = false;
  std::string error; // a usage error, empty when the arguments were well formed

  bool has(const std::string &name) const { return flags.count(name) || values.count(name); }
  std::optional<std::string> value(const std::string &name) const;
  // Every value of a repeatable option, in the order given; empty when not given.
  std::vector<std::string> valuesOf(const std::string &name) const;
};

ParsedArguments parseArguments(const std::vector<std::string> &args, const std::vector<OptionSpec> &specs);

// Reports a usage error ("tavlor COMMAND: why", then the usage) on standard error and
// returns exit status 2.
int usageError(const char *command, const std::string &why, const char *usage);

// For --help prints usage and returns 0; for a usage error reports it and returns 2;
// nullopt when the command should go on.
std::optional<int> helpOrUsageError(const char *command, const ParsedArguments &parsed, const char *usage);

} // namespace cli

#endif // CLI_ARGUMENTS_H
