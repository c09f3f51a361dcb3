#include "tools/find_duplicates.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <memory>

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

// The size text of a file as the model writes it, without a string per file.
// The size as the size column shows it, without the comma grouping's effect on
// equality lost: at points to room for kSizeTextRoom bytes; returns the end.
constexpr std::size_t kSizeTextRoom = 48;
char *writeSizeText(char *at, const CatalogModel &model, std::int64_t value) {
  if (value < 0) {
    const std::string text = model.formatSize(value);
    const std::size_t n = std::min(text.size(), kSizeTextRoom);
    std::memcpy(at, text.data(), n);
    return at + n;
  }
  const std::int64_t unit = model.sizeUnit();
  const std::int64_t count = value / unit + (value % unit != 0 ? 1 : 0);
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, count).ptr;
  const std::size_t n = static_cast<std::size_t>(end - digits);
  for (std::size_t i = 0; i < n; ++i) {
    if (model.sizeComma() && i > 0 && (n - i) % 3 == 0) *at++ = ',';
    *at++ = digits[i];
  }
  if (unit == 1024 || unit == 1048576) {
    *at++ = unit == 1024 ? 'K' : 'M';
    *at++ = 'B';
  }
  return at;
}

struct Key {
  std::uint64_t prefix; // the first eight key bytes, big-endian: most comparisons end here
  std::size_t offset;
  std::uint32_t length;
  std::uint32_t candidate;
};

std::uint64_t prefixOf(const char *bytes, std::size_t length) {
  std::uint64_t prefix = 0;
  for (std::size_t b = 0; b < 8; ++b)
    prefix = (prefix << 8) | (b < length ? static_cast<unsigned char>(bytes[b]) : 0u);
  return prefix;
}

} // namespace

DuplicatesResult findDuplicates(CatalogModel &model, const DuplicatesQuery &query) {
  DuplicatesResult result;
  if (!query.names && !query.sizes && !query.dates) {
    result.outcome = DuplicatesOutcome::CriteriaDisabled;
    return result;
  }
  std::vector<ItemId> roots = query.roots.empty() ? std::vector<ItemId>{model.root()} : query.roots;
  roots = separateRoots(model, roots);

  std::vector<const FileData *> candidates;
  for (ItemId item : foldersInSearchOrder(model, roots, true))
    for (const FileData *entry : model.entriesOf(item))
      if (!entry->isContainer()) candidates.push_back(entry);

  // Every key in one buffer, sorted through a compact array: a map of a million key
  // strings would cost a million allocations.
  const std::string mask = upperCased(query.mask);
  // The keys are written through a cursor into room counted beforehand: a key per
  // character pushed would cost more than the search.
  std::size_t room = 0;
  for (const FileData *entry : candidates)
    room += entry->name().size() + 1 + kSizeTextRoom + 1 + 24;
  const auto storage = std::make_unique_for_overwrite<char[]>(room + 1);
  char *const base = storage.get();
  char *at = base;
  std::vector<Key> keys;
  keys.reserve(candidates.size());
  for (std::uint32_t c = 0; c < candidates.size(); ++c) {
    const FileData &entry = *candidates[c];
    if (query.named && !matchMaskFolded(mask, entry.name())) continue;
    char *const start = at;
    if (query.names) {
      for (char ch : entry.name())
        *at++ = static_cast<char>(foldCase(static_cast<unsigned char>(ch)));
      *at++ = '~';
    }
    if (query.sizes) {
      at = writeSizeText(at, model, entry.size());
      *at++ = '~';
    }
    if (query.dates) at = std::to_chars(at, at + 24, static_cast<std::int64_t>(entry.date())).ptr;
    keys.push_back({0, static_cast<std::size_t>(start - base), static_cast<std::uint32_t>(at - start), c});
  }
  const std::string_view buffer(base, static_cast<std::size_t>(at - base));
  for (Key &k : keys)
    k.prefix = prefixOf(buffer.data() + k.offset, k.length);
  auto keyText = [&](const Key &k) { return std::string_view(buffer.data() + k.offset, k.length); };
  std::sort(keys.begin(), keys.end(), [&](const Key &a, const Key &b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    const int c = keyText(a).compare(keyText(b));
    return c != 0 ? c < 0 : a.candidate < b.candidate;
  });

  const std::int64_t threshold = query.ignoreSmaller * model.sizeUnit();
  for (std::size_t at = 0; at < keys.size();) {
    std::size_t end = at + 1;
    while (end < keys.size() && keys[end].prefix == keys[at].prefix && keyText(keys[end]) == keyText(keys[at]))
      ++end;
    if (end - at > 1) {
      bool shown = false;
      for (std::size_t i = at; i < end && !shown; ++i)
        shown = candidates[keys[i].candidate]->size() >= threshold;
      if (shown) {
        result.rows.push_back(ResultRow::separator());
        for (std::size_t i = at; i < end; ++i)
          result.rows.push_back(ResultRow::of(*candidates[keys[i].candidate]));
      }
    }
    at = end;
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
