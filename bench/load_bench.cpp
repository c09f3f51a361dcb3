// Loads a generated catalog of 1,000,000 entries and reports load time, memory per
// entry, accumulate over the root and folderPath of every entry, beside
// "cat FILE > /dev/null" of the same file in the same run.
//   load_bench [ENTRIES] [FOLDERS] [keep]   (keep: leave the catalog in $TMPDIR)
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "model/catalog_loader.h"
#include "model/catalog_model.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

std::size_t heapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

long peakRssKb() {
  struct rusage u {};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

class Quiet : public tavlor::LoadReporter {
public:
  void warning(const std::string &, const std::string &) override {}
};

// Writes a catalog with a realistic shape: folders of varying depth and fan-out, about
// 19 files per folder, names of 8-40 bytes, every 40th folder a Zip Folder. Returns
// the number of entries and the total name bytes.
std::pair<std::size_t, std::size_t> generate(const std::string &path, std::size_t entries, std::size_t folders) {
  std::mt19937_64 random(42);
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-. ";
  auto name = [&] {
    std::string n(8 + random() % 33, 'x');
    for (char &c : n)
      c = kChars[random() % (sizeof kChars - 2)]; // no blanks: they would be folded
    return n;
  };
  // A random recursive tree: each folder's parent is any earlier folder, which gives
  // a few wide folders near the top and a depth of about ten, as on real disks.
  std::vector<std::vector<std::size_t>> children(folders);
  for (std::size_t i = 1; i < folders; ++i)
    children[random() % i].push_back(i);
  const std::size_t files = entries - folders;
  std::FILE *out = std::fopen(path.c_str(), "wb");
  if (!out) return {0, 0};
  std::fputs("zar_version_1_1\r\n< \r\n   %drivetype fixed\r\n> \r\n", out);
  std::size_t written = 0, nameBytes = 0, filesLeft = files;
  struct Frame {
    std::size_t folder, next;
    bool zip;
  };
  std::vector<Frame> stack;
  auto open = [&](std::size_t folder, bool insideZip) {
    const bool zip = folder > 0 && (insideZip || folder % 40 == 0);
    std::string n = folder == 0 ? "BENCHDISK" : name();
    if (zip && !insideZip) n += ".zip";
    nameBytes += n.size();
    ++written;
    std::fprintf(out, " + \"%s\" %s 0 %d %d %d %d %d %d\r\n%s\r\n", n.c_str(),
                 folder == 0 ? "500000000000" : (zip && !insideZip ? "123456" : "0"),
                 static_cast<int>(1 + random() % 28), static_cast<int>(1 + random() % 12),
                 static_cast<int>(1995 + random() % 30), static_cast<int>(random() % 24),
                 static_cast<int>(random() % 60), static_cast<int>(random() % 60), zip ? "<" : " < ");
    stack.push_back({folder, 0, zip});
  };
  open(0, false);
  while (!stack.empty()) {
    Frame &f = stack.back();
    if (f.next < children[f.folder].size()) {
      const std::size_t child = children[f.folder][f.next++];
      open(child, f.zip);
      continue;
    }
    std::size_t count = stack.size() == 1 ? filesLeft : std::min<std::size_t>(filesLeft, random() % 39);
    if (f.folder == 0) count = filesLeft;
    filesLeft -= count;
    for (std::size_t i = 0; i < count; ++i) {
      const std::string n = name();
      nameBytes += n.size();
      ++written;
      std::fprintf(out, "%s\"%s\" %llu %d %d %d %d %d %d\r\n", f.zip ? "" : " ", n.c_str(),
                   static_cast<unsigned long long>(random() % 10000000), static_cast<int>(1 + random() % 28),
                   static_cast<int>(1 + random() % 12), static_cast<int>(1995 + random() % 30),
                   static_cast<int>(random() % 24), static_cast<int>(random() % 60), static_cast<int>(random() % 60));
    }
    std::fputs(f.zip ? ">\r\n" : " > \r\n", out);
    stack.pop_back();
  }
  std::fclose(out);
  return {written, nameBytes};
}

} // namespace

int main(int argc, char **argv) {
  const std::size_t entries = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  const std::size_t folders = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 50000;
  const char *tmp = std::getenv("TMPDIR");
  const std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/tavlor_load_bench.zar";
  const auto [written, nameBytes] = generate(path, entries, folders);
  if (written == 0) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 1;
  }
  const std::string cat = "cat '" + path + "' > /dev/null";
  if (std::system(cat.c_str()) != 0) return 1; // warm the page cache
  double catTime = 1e9;
  for (int i = 0; i < 3; ++i) {
    const auto t = Clock::now();
    if (std::system(cat.c_str()) != 0) return 1;
    catTime = std::min(catTime, seconds(t));
  }

  Quiet quiet;
  malloc_trim(0);
  const std::size_t heapBefore = heapInUse();
  const long rssBefore = peakRssKb();
  tavlor::CatalogModel model;
  const auto t0 = Clock::now();
  tavlor::loadCatalog(model, path, quiet);
  double loadTime = seconds(t0);
  const std::size_t heapAfter = heapInUse();
  const long rssPeak = peakRssKb();
  const std::size_t loaded = model.entryCount();

  double loadCpu = 1e9;
  for (int i = 0; i < 3; ++i) { // best of three more, for the time only
    tavlor::CatalogModel scratch;
    const auto t = Clock::now();
    const std::clock_t c = std::clock();
    tavlor::loadCatalog(scratch, path, quiet);
    loadTime = std::min(loadTime, seconds(t));
    loadCpu = std::min(loadCpu, static_cast<double>(std::clock() - c) / CLOCKS_PER_SEC);
  }
  auto t1 = Clock::now();
  std::int64_t size = 0, files = 0, dirs = 0, zips = 0;
  model.accumulate(model.root(), size, files, dirs, zips);
  const double accumulateTime = seconds(t1);

  t1 = Clock::now();
  std::size_t pathBytes = 0;
  std::vector<tavlor::ItemId> pending{model.root()};
  while (!pending.empty()) {
    const tavlor::ItemId id = pending.back();
    pending.pop_back();
    for (const tavlor::FileData *e : model.entriesOf(id))
      pathBytes += model.folderPath(*e).size();
    for (tavlor::ItemId c : model.childrenOf(id))
      pending.push_back(c);
  }
  const double pathTime = seconds(t1);

  std::FILE *f = std::fopen(path.c_str(), "rb");
  std::fseek(f, 0, SEEK_END);
  const long fileSize = std::ftell(f);
  std::fclose(f);
  const double retained = static_cast<double>(heapAfter - heapBefore);
  std::printf("catalog: %s, %.1f MB, %zu entries written, %zu loaded (%lld files, %lld folders, %lld Zip Folders)\n",
              path.c_str(), fileSize / 1e6, written, loaded, static_cast<long long>(files),
              static_cast<long long>(dirs), static_cast<long long>(zips));
  std::printf("cat > /dev/null      %8.3f s\n", catTime);
  std::printf("loadCatalog          %8.3f s   %.1fx cat   (target 0.2 s; %.3f s of processor time)\n", loadTime,
              loadTime / catTime, loadCpu);
  std::printf("accumulate(root)     %8.3f s   %.1fx cat\n", accumulateTime, accumulateTime / catTime);
  std::printf("folderPath, all      %8.3f s   %.1fx cat   (%zu path bytes)\n", pathTime, pathTime / catTime, pathBytes);
  std::printf("memory kept          %8.1f bytes/entry, %.1f beyond the %.1f name bytes (target 100)\n",
              retained / loaded, (retained - nameBytes) / loaded, static_cast<double>(nameBytes) / loaded);
  std::printf("peak RSS during load %8.1f bytes/entry (the file is read whole, %.1f bytes/entry)\n",
              (rssPeak - rssBefore) * 1024.0 / loaded, static_cast<double>(fileSize) / loaded);
  if (argc <= 3 || std::string(argv[3]) != "keep") std::remove(path.c_str());
  return 0;
}
