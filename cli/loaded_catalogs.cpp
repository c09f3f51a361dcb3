#include "loaded_catalogs.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "arguments.h"
#include "catalogs_folder.h"
#include "model/catalog_loader.h"
#include "model/catalog_set_loader.h"
#include "settings/settings_values.h"

namespace cli {

namespace {

bool endsWith(const std::string &text, const char *suffix) {
  const std::size_t n = std::strlen(suffix);
  return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

class StderrReporter : public tavlor::LoadReporter {
public:
  void warning(const std::string &caption, const std::string &text) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  }
};

} // namespace

std::optional<int> parseModelOptions(const char *command, const char *usage, const std::vector<std::string> &args,
                                     ModelOptions &options, const std::vector<OptionSpec> &extra,
                                     ParsedArguments *parsedOut) {
  std::vector<OptionSpec> specs{{"--catalogs", true}, {"--unit", true}, {"--no-commas", false}};
  specs.insert(specs.end(), extra.begin(), extra.end());
  const ParsedArguments parsed = parseArguments(args, specs);
  if (const auto done = helpOrUsageError(command, parsed, usage)) return done;
  if (parsedOut) *parsedOut = parsed;
  for (const std::string &a : parsed.operands) {
    if (endsWith(a, ".zar") && a.find_first_of("*?") == std::string::npos) {
      options.catalogFiles.push_back(a);
    } else {
      options.path = a;
      options.operands.push_back(a);
    }
  }
  options.catalogsFolder = parsed.value("--catalogs").value_or("");
  options.commas = !parsed.has("--no-commas");
  const bool unitGiven = parsed.has("--unit");
  if (unitGiven) {
    options.unit = *parsed.value("--unit");
    if (options.unit != "byte" && options.unit != "KB" && options.unit != "MB")
      return usageError(command, "--unit takes byte, KB or MB", usage);
  }
  if (!unitGiven) options.unit = settings::fileSizeUnit();
  if (options.commas) options.commas = settings::readSwitch(settings::kUseSizeComma);
  if (options.catalogsFolder.empty()) options.catalogsFolder = defaultCatalogsFolder();
  return std::nullopt;
}

bool catalogFilesReadable(const char *command, const ModelOptions &options) {
  if (options.catalogFiles.empty()) {
    DIR *dir = ::opendir(options.catalogsFolder.c_str());
    if (!dir) {
      std::fprintf(stderr, "tavlor %s: cannot list the catalogs folder %s: %s\n", command,
                   options.catalogsFolder.c_str(), std::strerror(errno));
      return false;
    }
    ::closedir(dir);
  }
  bool ok = true;
  for (const std::string &file : options.catalogFiles) {
    if (::access(file.c_str(), R_OK) != 0) {
      std::fprintf(stderr, "tavlor %s: no catalog %s: %s\n", command, file.c_str(), std::strerror(errno));
      ok = false;
    }
  }
  return ok;
}

tavlor::CatalogModel &processModel() {
  static tavlor::CatalogModel *const model = new tavlor::CatalogModel;
  return *model;
}

bool loadCatalogs(const char *command, const ModelOptions &options, tavlor::CatalogModel &model) {
  model.setSizeUnit(options.unit);
  model.setSizeComma(options.commas, false);
  std::vector<std::string> files = options.catalogFiles;
  bool ok = true;
  if (files.empty()) {
    DIR *dir = ::opendir(options.catalogsFolder.c_str());
    if (!dir) {
      std::fprintf(stderr, "tavlor %s: cannot list the catalogs folder %s: %s\n", command,
                   options.catalogsFolder.c_str(), std::strerror(errno));
      return false;
    }
    while (const dirent *d = ::readdir(dir)) {
      const std::string name = d->d_name;
      if (endsWith(name, ".zar")) files.push_back(options.catalogsFolder + "/" + name);
    }
    ::closedir(dir);
  }
  StderrReporter reporter;
  tavlor::loadCatalogs(model, files, reporter, tavlor::catalogLoadThreads(),
                       [&](std::size_t index, const tavlor::LoadResult &result) {
                         if (result.status != tavlor::LoadStatus::Rejected) return;
                         std::fprintf(stderr, "tavlor %s: cannot read the catalog %s\n", command, files[index].c_str());
                         ok = false;
                       });
  return ok;
}

std::optional<std::vector<tavlor::ItemId>> resolveRoots(const char *command, tavlor::CatalogModel &model,
                                                        const std::vector<std::string> &paths) {
  std::vector<tavlor::ItemId> roots;
  bool ok = true;
  for (const std::string &path : paths) {
    const tavlor::ItemId item = model.findItemByPath(path);
    if (item == tavlor::kNoItem) {
      std::fprintf(stderr, "tavlor %s: %s is no disk or folder of the loaded catalogs\n", command, path.c_str());
      ok = false;
    }
    roots.push_back(item);
  }
  if (!ok) return std::nullopt;
  if (roots.empty()) roots.push_back(model.root());
  return roots;
}

} // namespace cli
