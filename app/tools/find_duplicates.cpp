#include "tools/find_duplicates.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "model/model_blocks.h"
#include "model/names.h"
#include "tools/find_files.h"
#include "tools/match_mask.h"
#include "tools/report_text.h"

namespace tavlor {

namespace {

// The roots that are not inside another root (or given before): their subtrees are
// disjoint, so walking them finds every file once.
std::vector<ItemId> separateRoots(const CatalogModel &model, const std::vector<ItemId> &roots) {
  std::vector<ItemId> kept;
  for (std::size_t i = 0; i < roots.size(); ++i) {
    bool inside = !model.isValid(roots[i]);
    for (std::size_t j = 0; j < roots.size() && !inside; ++j) {
      if (roots[j] == roots[i]) {
        inside = j < i;
      } else {
        inside = model.isInSubtree(roots[i], roots[j]);
      }
    }
    if (!inside) kept.push_back(roots[i]);
  }
  return kept;
}

std::uint64_t mixed(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ull;
  return h ^ (h >> 33);
}

// A hash of the name with case folded, eight bytes at a step.
std::uint64_t foldedNameHash(std::string_view name, std::uint64_t h) {
  const char *p = name.data();
  std::size_t n = name.size();
  for (; n >= 8; p += 8, n -= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    h = (h ^ foldCase8(w)) * 0x100000001b3ull;
    h ^= h >> 29;
  }
  std::uint64_t tail = 0;
  std::memcpy(&tail, p, n);
  return (h ^ foldCase8(tail) ^ (static_cast<std::uint64_t>(name.size()) << 56)) * 0x100000001b3ull;
}

// What a file is compared by, with the key text it is listed by.
struct KeyOf {
  const CatalogModel &model;
  const DuplicatesQuery &query;

  std::uint64_t hash(const FileData &entry) const {
    std::uint64_t h = 0xcbf29ce484222325ull;
    if (query.names) h = foldedNameHash(entry.name(), h);
    if (query.sizes) h = mixed(h ^ static_cast<std::uint64_t>(model.sizeCount(entry.size())));
    if (query.dates) h = mixed(h + static_cast<std::uint64_t>(entry.date()));
    return mixed(h);
  }
  // Orders files by their keys; equal keys are equal texts, as the text holds the
  // name, the size text and the date apart ("~" never stands in the last two).
  int compare(const FileData &a, const FileData &b) const {
    if (query.names)
      if (const int c = compareIgnoringCase(a.name(), b.name())) return c;
    if (query.sizes) {
      const std::int64_t x = model.sizeCount(a.size()), y = model.sizeCount(b.size());
      if (x != y) return x < y ? -1 : 1;
    }
    if (query.dates && a.date() != b.date()) return a.date() < b.date() ? -1 : 1;
    return 0;
  }
  std::string text(const FileData &entry) const {
    std::string key;
    if (query.names) {
      for (char ch : entry.name())
        key.push_back(static_cast<char>(foldCase(static_cast<unsigned char>(ch))));
      key.push_back('~');
    }
    if (query.sizes) {
      key += model.formatSize(entry.size());
      key.push_back('~');
    }
    if (query.dates) key += std::to_string(static_cast<std::int64_t>(entry.date()));
    return key;
  }
};

} // namespace

DuplicatesResult findDuplicates(CatalogModel &model, const DuplicatesQuery &query) {
  DuplicatesResult result;
  if (!query.names && !query.sizes && !query.dates) {
    result.outcome = DuplicatesOutcome::CriteriaDisabled;
    return result;
  }
  std::vector<ItemId> roots = query.roots.empty() ? std::vector<ItemId>{model.root()} : query.roots;
  roots = separateRoots(model, roots);

  const std::int64_t threshold = query.ignoreSmaller * model.sizeUnit();
  // The arrays of a million files are held in huge pages where the kernel has them.
  std::vector<const FileData *, BlockAllocator<const FileData *>> candidates;
  candidates.reserve(model.entryCount());
  for (ItemId item : foldersInSearchOrder(model, roots, true))
    for (const FileData *entry : model.entriesOf(item))
      if (!entry->isContainer()) candidates.push_back(entry);

  // Files are grouped by a hash of their keys: sorting a million numbers costs far
  // less than sorting a million key texts, and only the few files whose hashes agree
  // are compared, by their keys, and listed by their key texts.
  const std::string mask = upperCased(query.mask);
  const KeyOf key{model, query};
  // Each file as its hash's upper half above its number: a radix sort by the hash
  // keeps the walk order of equal hashes, and the few files whose halves agree
  // without equal keys are told apart below. Records and names are fetched ahead.
  std::vector<std::uint64_t, BlockAllocator<std::uint64_t>> hashed;
  hashed.reserve(candidates.size());
  for (std::uint32_t c = 0; c < candidates.size(); ++c) {
    if (c + 16 < candidates.size()) prefetchRecord(candidates[c + 16]);
    if (c + 8 < candidates.size()) __builtin_prefetch(candidates[c + 8]->name().data());
    if (query.named && !matchMaskFolded(mask, candidates[c]->name())) continue;
    hashed.push_back((key.hash(*candidates[c]) & 0xffffffff00000000ull) | c);
  }
  {
    std::vector<std::uint64_t, BlockAllocator<std::uint64_t>> sorted(hashed.size());
    // Digits of eleven bits: the places a pass writes to stay few enough for the cache.
    std::vector<std::uint32_t> start(2048);
    for (int shift = 32; shift < 64; shift += 11) {
      std::fill(start.begin(), start.end(), 0);
      for (std::uint64_t h : hashed)
        ++start[(h >> shift) & 0x7ff];
      std::uint32_t sum = 0;
      for (std::uint32_t &s : start)
        sum += std::exchange(s, sum);
      for (std::uint64_t h : hashed)
        sorted[start[(h >> shift) & 0x7ff]++] = h;
      hashed.swap(sorted);
    }
  }
  const auto candidateOf = [](std::uint64_t h) { return static_cast<std::uint32_t>(h); };

  struct Set {
    std::string key;
    std::vector<std::uint32_t> members; // in walk order
  };
  std::vector<Set> sets;
  std::vector<std::uint32_t> run;
  // The records and names of files in runs are fetched ahead of their comparison.
  const auto inRun = [&](std::size_t i) {
    return (i > 0 && hashed[i - 1] >> 32 == hashed[i] >> 32) ||
           (i + 1 < hashed.size() && hashed[i + 1] >> 32 == hashed[i] >> 32);
  };
  std::size_t recordAhead = 0, nameAhead = 0;
  for (std::size_t at = 0; at < hashed.size();) {
    for (; recordAhead < std::min(at + 64, hashed.size()); ++recordAhead)
      if (inRun(recordAhead)) prefetchRecord(candidates[candidateOf(hashed[recordAhead])]);
    for (; nameAhead < std::min(at + 32, hashed.size()); ++nameAhead)
      if (inRun(nameAhead)) __builtin_prefetch(candidates[candidateOf(hashed[nameAhead])]->name().data());
    std::size_t end = at + 1;
    while (end < hashed.size() && hashed[end] >> 32 == hashed[at] >> 32)
      ++end;
    if (end - at > 1) {
      // Files whose hashes agree are sorted by their keys (a stable order keeps the
      // walk order of equal ones), so even a crafted catalog full of agreeing hashes
      // costs n log n.
      run.clear();
      for (std::size_t i = at; i < end; ++i)
        run.push_back(candidateOf(hashed[i]));
      // Most runs are one set already, in walk order: then there is nothing to sort.
      const FileData &first = *candidates[run.front()];
      std::size_t same = 1;
      while (same < run.size() && key.compare(first, *candidates[run[same]]) == 0)
        ++same;
      if (same < run.size())
        std::stable_sort(run.begin(), run.end(), [&](std::uint32_t a, std::uint32_t b) {
          return key.compare(*candidates[a], *candidates[b]) < 0;
        });
      for (std::size_t i = 0; i < run.size();) {
        std::size_t j = i + 1;
        while (j < run.size() && key.compare(*candidates[run[i]], *candidates[run[j]]) == 0)
          ++j;
        if (j - i > 1) {
          bool shown = false;
          for (std::size_t m = i; m < j && !shown; ++m)
            shown = candidates[run[m]]->size() >= threshold;
          if (shown) sets.push_back({key.text(*candidates[run[i]]), {run.begin() + i, run.begin() + j}});
        }
        i = j;
      }
    }
    at = end;
  }
  std::sort(sets.begin(), sets.end(), [](const Set &a, const Set &b) { return a.key < b.key; });
  for (const Set &set : sets) {
    result.rows.push_back(ResultRow::separator());
    for (std::uint32_t c : set.members)
      result.rows.push_back(ResultRow::of(*candidates[c]));
  }
  result.outcome = result.rows.empty() ? DuplicatesOutcome::NoneFound : DuplicatesOutcome::Found;
  return result;
}

std::string unitLabel(std::int64_t sizeUnit) {
  switch (sizeUnit) {
  case 1:
    return "bytes";
  case 1024:
    return "KB";
  case 1048576:
    return "MB";
  default:
    return "error";
  }
}

void writeDuplicatesReport(CatalogModel &model, const std::string &lookIn, std::span<const ResultRow> rows, bool csv,
                           const ReportWriter &write) {
  const std::string end = kReportLineEnd;
  ReportPieces pieces(write);
  std::string &out = pieces.text();
  out += " Tavlor, Duplicate Files report" + end;
  out += " ------------------------------------" + end;
  out += " Search root        : " + lookIn + end;
  out += end;
  out += reportColumnLine(csv) + end;
  std::size_t sets = 0;
  for (const ResultRow &r : rows) {
    if (r.entry) {
      appendReportEntry(out, model, *r.entry, csv);
    } else {
      out += csv ? " " : "--->";
      out += end;
      ++sets;
    }
    pieces.lineDone();
  }
  appendReportCount(out, sets, "Duplicate sets found");
}

std::string duplicatesReport(CatalogModel &model, const std::string &lookIn, std::span<const ResultRow> rows,
                             bool csv) {
  std::string report;
  writeDuplicatesReport(model, lookIn, rows, csv, [&report](std::string_view piece) { report += piece; });
  return report;
}

} // namespace tavlor
