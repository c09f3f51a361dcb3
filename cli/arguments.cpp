#include "arguments.h"

#include <cstdio>

namespace cli {

std::optional<std::string> ParsedArguments::value(const std::string &name) const {
  const auto found = values.find(name);
  if (found == values.end()) return std::nullopt;
  return found->second;
}

std::vector<std::string> ParsedArguments::valuesOf(const std::string &name) const {
  const auto found = allValues.find(name);
  if (found == allValues.end()) return {};
  return found->second;
}

ParsedArguments parseArguments(const std::vector<std::string> &args, const std::vector<OptionSpec> &specs) {
  ParsedArguments parsed;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string &arg = args[i];
    if (arg == "--") {
      parsed.operands.insert(parsed.operands.end(), args.begin() + static_cast<long>(i) + 1, args.end());
      break;
    }
    if (arg == "--help" || arg == "-h") {
      parsed.help = true;
      continue;
    }
    if (arg.size() < 2 || arg[0] != '-') {
      parsed.operands.push_back(arg);
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const OptionSpec *spec = nullptr;
    for (const auto &s : specs)
      if (name == s.name) spec = &s;
    if (!spec) {
      if (parsed.error.empty()) parsed.error = "unknown option " + arg;
      continue;
    }
    if (!spec->takesValue) {
      if (equals != std::string::npos && parsed.error.empty()) parsed.error = name + " takes no value";
      parsed.flags.insert(name);
    } else if (equals != std::string::npos) {
      parsed.values[name] = arg.substr(equals + 1);
      parsed.allValues[name].push_back(parsed.values[name]);
    } else if (i + 1 < args.size()) {
      parsed.values[name] = args[++i];
      parsed.allValues[name].push_back(parsed.values[name]);
    } else if (parsed.error.empty()) {
      parsed.error = name + " needs a value";
    }
  }
  return parsed;
}

int usageError(const char *command, const std::string &why, const char *usage) {
  std::fprintf(stderr, "tavlor %s: %s\n\n%s", command, why.c_str(), usage);
  return 2;
}

std::optional<int> helpOrUsageError(const char *command, const ParsedArguments &parsed, const char *usage) {
  if (parsed.help) {
    std::fputs(usage, stdout);
    return 0;
  }
  if (!parsed.error.empty()) return usageError(command, parsed.error, usage);
  return std::nullopt;
}

} // namespace cli
