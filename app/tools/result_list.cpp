#include "tools/result_list.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <cstdint>
#include <exception>
#include <string_view>
#include <system_error>
#include <thread>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "model/model_blocks.h"
#include "model/names.h"

namespace tavlor {

namespace {

// A row's sort key in one contiguous array: for texts the first sixteen folded bytes
// as two numbers decide most comparisons, and the rest of the folded text lies in one
// buffer, so sorting never reaches into the entries, which lie all over memory.
// Twenty-four bytes: the sort takes two arrays of keys, fresh memory of a long list.
struct SortKey {
  std::uint64_t high;
  std::uint64_t low; // the number for sizes and dates
  std::uint32_t row;
  // A text of at most sixteen bytes: its length. A longer one: kLong + where its
  // length (four bytes) and then its folded rest lie in the buffer.
  std::uint32_t tail;
};
constexpr std::uint32_t kLong = 17;

// The eight bytes from bytes, case folded, as a number whose order is theirs.
std::uint64_t foldedNumber(const unsigned char *bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, 8);
  word = foldCase8(word);
  if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
  return word;
}

// Folds the case of text in place, eight bytes at a time.
void foldInPlace(char *text, std::size_t n) {
  std::size_t at = 0;
  for (; at + 8 <= n; at += 8) {
    std::uint64_t word;
    std::memcpy(&word, text + at, 8);
    word = foldCase8(word);
    std::memcpy(text + at, &word, 8);
  }
  for (; at < n; ++at)
    text[at] = static_cast<char>(foldCase(static_cast<unsigned char>(text[at])));
}

// From this many rows on, the name keys are made by two threads.
constexpr std::size_t kTwoThreadRows = 100000;

// Each row's folder as its place among the distinct folder paths in order, case
// ignored (rows without entry get 0). The rows of one folder share its path, so
// ordering the few paths and then the rows by a number is far cheaper than keying
// every row by a text of its own; equal paths share a place.
std::vector<std::uint32_t> folderRanks(const CatalogModel &model, const std::vector<ResultRow> &rows) {
  std::unordered_map<ItemId, std::uint32_t> indexOf;
  std::vector<ItemId> folders;
  std::vector<std::uint32_t> rank(rows.size(), 0);
  bool have = false;
  ItemId last = kNoItem;
  std::uint32_t lastIndex = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].entry) continue;
    // Found rows come folder by folder: the table is asked once per run.
    if (!have || rows[i].parent != last) {
      const auto [at, added] = indexOf.try_emplace(rows[i].parent, static_cast<std::uint32_t>(folders.size()));
      if (added) folders.push_back(rows[i].parent);
      have = true;
      last = rows[i].parent;
      lastIndex = at->second;
    }
    rank[i] = lastIndex;
  }
  // The paths are joined from the folders' labels, not taken from the model's cache of
  // paths: painting the rows fills that in, perhaps while this runs.
  std::vector<std::string> folded(folders.size());
  for (std::size_t f = 0; f < folders.size(); ++f) {
    model.appendLabelPath(folded[f], folders[f]);
    foldInPlace(folded[f].data(), folded[f].size());
  }
  std::vector<std::uint32_t> order(folders.size());
  for (std::uint32_t f = 0; f < order.size(); ++f)
    order[f] = f;
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return folded[a] < folded[b]; });
  std::vector<std::uint32_t> place(folders.size());
  for (std::size_t k = 0; k < order.size(); ++k)
    place[order[k]] = k > 0 && folded[order[k]] == folded[order[k - 1]] ? place[order[k - 1]]
                                                                          : static_cast<std::uint32_t>(k);
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].entry) rank[i] = place[rank[i]];
  return rank;
}

std::vector<std::uint32_t> sortedOrder(const CatalogModel *model, const std::vector<ResultRow> &rows,
                                       ResultColumn column, bool descending) {
  const bool byText = column == ResultColumn::Name;
  const std::vector<std::uint32_t> folders =
      column == ResultColumn::InFolder ? folderRanks(*model, rows) : std::vector<std::uint32_t>();
  std::vector<SortKey, BlockAllocator<SortKey>> keys(rows.size());
  // Making the keys waits on the memory of every entry and name: a long list is keyed
  // by two threads, each with its own buffer for the rest of the names.
  const std::size_t half = byText && rows.size() >= kTwoThreadRows ? rows.size() / 2 : rows.size();
  std::string folded[2];
  auto makeKeys = [&](std::size_t from, std::size_t to, std::string &rest) {
    if (byText) rest.reserve((to - from) * 8);
    for (std::size_t i = from; i < to; ++i) {
      // Hits lie sparse among the records and names: each would wait on memory.
      if (byText) prefetchRows(rows, i);
      const ResultRow &r = rows[i];
      SortKey &k = keys[i];
      k = {0, 0, static_cast<std::uint32_t>(i), 0};
      if (!r.entry) continue;
      if (byText) {
        const std::string_view text = r.entry->name();
        unsigned char head[16] = {};
        std::memcpy(head, text.data(), std::min<std::size_t>(text.size(), 16));
        k.high = foldedNumber(head);
        k.low = foldedNumber(head + 8);
        const auto length = static_cast<std::uint32_t>(text.size());
        if (length <= 16) {
          k.tail = length;
        } else {
          k.tail = kLong + static_cast<std::uint32_t>(rest.size());
          rest.append(reinterpret_cast<const char *>(&length), sizeof length);
          rest.append(text.substr(16));
          foldInPlace(rest.data() + rest.size() - (length - 16), length - 16);
        }
      } else {
        const std::int64_t n = column == ResultColumn::Size   ? r.entry->sizeAcrossThreads()
                               : column == ResultColumn::Date ? static_cast<std::int64_t>(r.entry->date())
                                                              : folders[i];
        // Flipping the sign bit orders signed numbers as unsigned ones.
        k.low = static_cast<std::uint64_t>(n) ^ (std::uint64_t(1) << 63);
      }
    }
  };
  // Memory running out on either thread reaches the caller as it would on one.
  std::exception_ptr failed;
  std::thread second;
  if (half < rows.size()) {
    try {
      second = std::thread([&] {
        try {
          makeKeys(half, rows.size(), folded[1]);
        } catch (...) {
          failed = std::current_exception();
        }
      });
    } catch (const std::system_error &) {
      makeKeys(half, rows.size(), folded[1]); // no thread to be had: the same keys in turn
    }
  }
  try {
    makeKeys(0, half, folded[0]);
  } catch (...) {
    if (second.joinable()) second.join();
    throw;
  }
  if (second.joinable()) second.join();
  if (failed) std::rethrow_exception(failed);
  // A text's length, and its folded bytes after the first sixteen.
  auto lengthAndRest = [&](const SortKey &k) -> std::pair<std::uint32_t, std::string_view> {
    if (k.tail < kLong) return {k.tail, {}};
    const char *at = folded[k.row < half ? 0 : 1].data() + (k.tail - kLong);
    std::uint32_t length;
    std::memcpy(&length, at, sizeof length);
    return {length, std::string_view(at + sizeof length, length - 16)};
  };
  auto compare = [&](const SortKey &a, const SortKey &b) {
    int c = 0;
    if (a.high != b.high) {
      c = a.high < b.high ? -1 : 1;
    } else if (a.low != b.low) {
      c = a.low < b.low ? -1 : 1;
    } else if (byText) {
      // Equal first sixteen bytes: the rest decides, then the length (a shorter text
      // padded with zero bytes must still sort before a longer one holding them).
      const auto [lengthA, restA] = lengthAndRest(a);
      const auto [lengthB, restB] = lengthAndRest(b);
      const int r = restA.compare(restB);
      c = r != 0 ? (r < 0 ? -1 : 1) : (lengthA < lengthB ? -1 : (lengthA > lengthB ? 1 : 0));
    }
    if (descending) c = -c;
    return c != 0 ? c < 0 : a.row < b.row;
  };
  // A stable radix sort by the first number (the first eight folded bytes of a text, or
  // the size or date) puts nearly every row in place; only rows whose first numbers
  // agree are then ordered by the full comparison. Rows start in row order, so equal
  // numbers keep it, as the comparison's last rule asks.
  const auto primary = [byText, descending](const SortKey &k) {
    const std::uint64_t v = byText ? k.high : k.low;
    return descending ? ~v : v;
  };
  {
    std::vector<SortKey, BlockAllocator<SortKey>> moved(keys.size());
    std::vector<std::uint32_t> start(65536);
    for (int shift = 0; shift < 64; shift += 16) {
      std::fill(start.begin(), start.end(), 0);
      for (const SortKey &k : keys)
        ++start[(primary(k) >> shift) & 0xffff];
      if (start[(primary(keys.empty() ? SortKey{} : keys[0]) >> shift) & 0xffff] == keys.size()) continue;
      std::uint32_t sum = 0;
      for (std::uint32_t &n : start)
        sum += std::exchange(n, sum);
      for (const SortKey &k : keys)
        moved[start[(primary(k) >> shift) & 0xffff]++] = k;
      keys.swap(moved);
    }
  }
  if (byText) {
    for (std::size_t at = 0; at < keys.size();) {
      std::size_t end = at + 1;
      while (end < keys.size() && keys[end].high == keys[at].high)
        ++end;
      if (end - at > 1) std::sort(keys.begin() + at, keys.begin() + end, compare);
      at = end;
    }
  }
  std::vector<std::uint32_t> from(rows.size());
  for (std::size_t i = 0; i < keys.size(); ++i)
    from[i] = keys[i].row;
  return from;
}

void applyOrder(std::vector<ResultRow> &rows, std::span<const std::uint32_t> from) {
  std::vector<ResultRow> sorted(rows.size());
  for (std::size_t i = 0; i < from.size(); ++i)
    sorted[i] = rows[from[i]];
  rows = std::move(sorted);
}

} // namespace

ResultList::ResultList(CatalogModel &model, bool sets) : model_(model), sets_(sets) {
  model_.addObserver(this);
}

ResultList::~ResultList() {
  model_.removeObserver(this);
}

std::size_t ResultList::entryCount() const {
  return static_cast<std::size_t>(
      std::count_if(rows_.begin(), rows_.end(), [](const ResultRow &r) { return r.entry; }));
}

void ResultList::assign(std::vector<ResultRow> rows) {
  rows_ = std::move(rows);
}

std::vector<std::uint32_t> ResultList::sortBy(ResultColumn column, bool descending) {
  std::vector<std::uint32_t> from = sortOrder(column, descending);
  applyOrder(rows_, from);
  return from;
}

std::vector<std::uint32_t> ResultList::sortOrder(ResultColumn column, bool descending) const {
  return sortedOrder(&model_, rows_, column, descending);
}

void ResultList::reorder(std::span<const std::uint32_t> from) {
  applyOrder(rows_, from);
}

std::vector<std::uint32_t> sortByName(std::vector<ResultRow> &rows) {
  std::vector<std::uint32_t> from = nameOrder(rows);
  applyOrder(rows, from);
  return from;
}

std::vector<std::uint32_t> nameOrder(const std::vector<ResultRow> &rows) {
  // The model is only asked for folder paths, which a name sort never needs.
  return sortedOrder(nullptr, rows, ResultColumn::Name, false);
}

void putInOrder(std::vector<ResultRow> &rows, std::span<const std::uint32_t> from) {
  applyOrder(rows, from);
}

template <typename Dead> void ResultList::removeRows(Dead &&dead) {
  if (std::none_of(rows_.begin(), rows_.end(), [&](const ResultRow &r) { return r.entry && dead(r); })) return;
  if (rowsAboutToBeRemoved) rowsAboutToBeRemoved();
  std::vector<ResultRow> kept;
  kept.reserve(rows_.size());
  if (!sets_) {
    for (const ResultRow &r : rows_)
      if (!r.entry || !dead(r)) kept.push_back(r);
  } else {
    // A set is its separator and the members after it; one member alone is no set.
    std::size_t at = 0;
    while (at < rows_.size()) {
      std::size_t end = at + 1;
      while (end < rows_.size() && rows_[end].entry)
        ++end;
      const std::size_t setStart = kept.size();
      if (rows_[at].isSeparator()) kept.push_back(rows_[at]);
      for (std::size_t i = rows_[at].isSeparator() ? at + 1 : at; i < end; ++i)
        if (!dead(rows_[i])) kept.push_back(rows_[i]);
      if (kept.size() - setStart < 3) kept.resize(setStart);
      at = end;
    }
  }
  rows_ = std::move(kept);
  if (rowsRemoved) rowsRemoved();
}

void ResultList::subtreeAboutToBeRemoved(ItemId, ItemId item, std::size_t) {
  std::unordered_set<ItemId> doomed;
  std::vector<ItemId> pending{item};
  while (!pending.empty()) {
    const ItemId id = pending.back();
    pending.pop_back();
    doomed.insert(id);
    for (ItemId child : model_.childrenOf(id))
      pending.push_back(child);
  }
  removeRows([&](const ResultRow &r) { return doomed.count(r.parent) != 0; });
}

void ResultList::entriesAboutToBeRemoved(ItemId item) {
  removeRows([&](const ResultRow &r) { return r.parent == item; });
}

void ResultList::entryAboutToBeRemoved(const FileData &entry, std::size_t) {
  removeRows([&](const ResultRow &r) { return r.entry == &entry; });
}

void ResultList::modelAboutToBeCleared() {
  removeRows([](const ResultRow &) { return true; });
}

void ResultList::sizeTextsDropped() {
  if (textsChanged) textsChanged();
}

} // namespace tavlor
