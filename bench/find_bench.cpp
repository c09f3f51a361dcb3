// Find Files and Find Duplicate Files over loaded catalogs: the search alone, the
// grouping beside "sort | uniq -d" of the same keys, and the name sort that a fresh
// result list of every entry needs.
//   find_bench CATALOG.zar ...
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/catalog_loader.h"
#include "model/catalog_model.h"
#include "tools/find_duplicates.h"
#include "tools/find_files.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

class Quiet : public tavlor::LoadReporter {
public:
  void warning(const std::string &, const std::string &) override {}
};

double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The best of several runs, in processor time of this process: on a machine shared
// with builds the wall-clock time measures the other programs as much as this one.
template <typename F> double best(int runs, F &&work) {
  double fastest = 1e9;
  for (int i = 0; i < runs; ++i) {
    const double t = cpuSeconds();
    work();
    fastest = std::min(fastest, cpuSeconds() - t);
  }
  return fastest;
}

// The same in wall-clock time, for programs this one starts.
template <typename F> double bestWall(int runs, F &&work) {
  double fastest = 1e9;
  for (int i = 0; i < runs; ++i) {
    const auto t = Clock::now();
    work();
    fastest = std::min(fastest, seconds(t));
  }
  return fastest;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: find_bench CATALOG.zar ...\n");
    return 2;
  }
  tavlor::CatalogModel model;
  Quiet quiet;
  for (int i = 1; i < argc; ++i)
    if (tavlor::loadCatalog(model, argv[i], quiet).status != tavlor::LoadStatus::Loaded) {
      std::fprintf(stderr, "cannot load %s\n", argv[i]);
      return 1;
    }
  const tavlor::ItemId root = model.root();
  std::printf("entries: %zu (times are processor time of this process, best of several runs)\n", model.entryCount());
  struct Search {
    const char *mask;
    double target;
  };
  for (const Search &s : {Search{"*.JPG", 0.020}, Search{"*E*S?.*", 0.050}, Search{"A*", 0.050}}) {
    std::size_t found = 0;
    const double t = best(5, [&] { found = tavlor::findFiles(model, {&root, 1}, s.mask, true).size(); });
    std::printf("find %-8s %8zu found  %.3f s  (target %.3f s, ratio %.2f)\n", s.mask, found, t, s.target,
                t / s.target);
  }
  std::vector<tavlor::ResultRow> all;
  const double everything = best(3, [&] { all = tavlor::findFiles(model, {&root, 1}, "", true); });
  const double sorted = best(3, [&] {
    std::vector<tavlor::ResultRow> rows = all;
    tavlor::sortByName(rows);
  });
  std::printf("find \"\" (every entry, %zu): search %.3f s, name sort of the list %.3f s\n", all.size(), everything,
              sorted);

  tavlor::DuplicatesQuery query;
  tavlor::DuplicatesResult result;
  const double dupes = best(3, [&] { result = tavlor::findDuplicates(model, query); });
  std::size_t sets = 0;
  for (const tavlor::ResultRow &r : result.rows)
    sets += r.isSeparator();

  // The same keys for sort | uniq -d, one line each.
  const char *tmp = std::getenv("TMPDIR");
  const std::string keys = std::string(tmp && *tmp ? tmp : "/tmp") + "/tavlor_find_bench.keys";
  std::FILE *out = std::fopen(keys.c_str(), "wb");
  if (!out) return 1;
  std::vector<tavlor::ItemId> pending{root};
  std::string line;
  while (!pending.empty()) {
    const tavlor::ItemId item = pending.back();
    pending.pop_back();
    for (const tavlor::FileData *e : model.entriesOf(item)) {
      if (e->isContainer()) continue;
      line.clear();
      for (char c : e->name())
        line.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c);
      line += "~" + model.formatSize(e->size()) + "~" + std::to_string(static_cast<long long>(e->date())) + "\n";
      std::fwrite(line.data(), 1, line.size(), out);
    }
    for (tavlor::ItemId child : model.childrenOf(item))
      pending.push_back(child);
  }
  std::fclose(out);
  const std::string command = "LC_ALL=C sort '" + keys + "' | uniq -d > /dev/null";
  // sort's processor time is measured as wall-clock time: compare with care on a busy
  // machine (the ratio is printed beside the in-process time's wall-clock twin).
  const double dupesWall = bestWall(3, [&] { result = tavlor::findDuplicates(model, query); });
  const double sortUniq = bestWall(3, [&] {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "sort | uniq -d failed\n");
  });
  std::remove(keys.c_str());
  std::printf("duplicates, all three criteria: %zu sets  %.3f s  (target 0.300 s, ratio %.2f); wall %.3f s beside "
              "sort | uniq -d %.3f s, ratio %.2f\n",
              sets, dupes, dupes / 0.3, dupesWall, sortUniq, dupesWall / sortUniq);
  return 0;
}
