#include "tools/find_files.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>

#include "model/model_blocks.h"
#include "model/names.h"
#include "tools/match_mask.h"
#include "tools/report_text.h"

namespace tavlor {

std::string lookInText(const CatalogModel &model, std::span<const ItemId> roots) {
  std::string text;
  for (std::size_t i = 0; i < roots.size(); ++i) {
    if (i) text += "; ";
    const std::string &path = model.itemPath(roots[i]);
    text += path.empty() ? model.label(roots[i]) : path;
  }
  return text;
}

bool emptyMaskNeedsWarning(CatalogModel &model, std::span<const ItemId> roots, std::string_view mask, bool subfolders) {
  if (!subfolders || !mask.empty()) return false;
  std::int64_t sum = 0;
  for (ItemId root : roots) {
    std::int64_t size = 0, files = 0, folders = 0, zipFolders = 0;
    model.accumulate(root, size, files, folders, zipFolders);
    sum += files + folders + zipFolders;
  }
  return sum > kEmptyMaskLimit;
}

std::vector<ItemId> foldersInSearchOrder(const CatalogModel &model, std::span<const ItemId> roots, bool subfolders) {
  std::vector<ItemId> order;
  std::vector<ItemId> pending;
  for (ItemId root : roots) {
    // Depth first without recursion: catalogs may nest folders very deeply.
    pending.assign(1, root);
    while (!pending.empty()) {
      const ItemId item = pending.back();
      pending.pop_back();
      order.push_back(item);
      if (!subfolders) continue;
      std::span<const ItemId> children = model.childrenOf(item);
      pending.insert(pending.end(), children.rbegin(), children.rend());
    }
  }
  return order;
}

std::vector<ResultRow> findFiles(const CatalogModel &model, std::span<const ItemId> roots, std::string_view upperMask,
                                 bool subfolders) {
  return findFilesWhere(model, roots, upperMask, subfolders, {}, {});
}

std::vector<ResultRow> findFilesWhere(const CatalogModel &model, std::span<const ItemId> roots,
                                      std::string_view upperMask, bool subfolders,
                                      const std::function<bool(ItemId)> &wantFolder,
                                      const std::function<bool(const FileData &)> &wantEntry) {
  const std::vector<ItemId> order = foldersInSearchOrder(model, roots, subfolders);
  // The names are matched in the order the records lie in memory, which is far kinder
  // to the caches than the tree order; the hits are then put back in search order.
  struct Visit {
    const FileData *first;
    FileData *const *entries;
    std::uint32_t count;
    std::uint32_t rank;
  };
  std::vector<Visit> visits;
  visits.reserve(order.size());
  for (std::size_t rank = 0; rank < order.size(); ++rank) {
    std::span<FileData *const> entries = model.entriesOf(order[rank]);
    if (!entries.empty() && (!wantFolder || wantFolder(order[rank])))
      visits.push_back(
          {entries[0], entries.data(), static_cast<std::uint32_t>(entries.size()), static_cast<std::uint32_t>(rank)});
  }
  std::sort(visits.begin(), visits.end(),
            [](const Visit &a, const Visit &b) { return std::less<const FileData *>()(a.first, b.first); });
  struct Hit {
    std::uint32_t rank;
    const FileData *entry;
  };
  std::vector<Hit, BlockAllocator<Hit>> hits;
  // The plain characters before the first wildcard start every name the mask matches,
  // and those after its last "*" end it: most names fail on these few bytes, before the
  // general matcher. A mask of "*" and plain characters ("*.JPG", the commonest search)
  // matches exactly the names that end with them.
  const std::size_t headEnd = std::min(upperMask.find_first_of("*?"), upperMask.size());
  const std::size_t lastStar = upperMask.rfind('*');
  std::string_view tail;
  if (lastStar != std::string_view::npos && upperMask.find('?', lastStar) == std::string_view::npos)
    tail = upperMask.substr(lastStar + 1);
  const std::string_view head = upperMask.substr(0, headEnd);
  const bool tailDecides = upperMask.size() > 1 && tail.size() + 1 == upperMask.size(); // "*" and the tail
  auto same = [](const char *bytes, std::string_view upper) {
    for (std::size_t k = 0; k < upper.size(); ++k) {
      if (foldCase(static_cast<unsigned char>(bytes[k])) != static_cast<unsigned char>(upper[k])) return false;
    }
    return true;
  };
  auto matches = [&](std::string_view name) {
    if (name.size() < head.size() + tail.size() || !same(name.data(), head) ||
        !same(name.data() + (name.size() - tail.size()), tail))
      return false;
    return tailDecides || matchMaskFolded(upperMask, name);
  };
  WalkAhead ahead(visits.size(), [&visits](std::size_t k) {
    return std::span<FileData *const>(visits[k].entries, visits[k].count);
  });
  for (const Visit &v : visits) {
    for (std::uint32_t k = 0; k < v.count; ++k) {
      ahead.step();
      if (matches(v.entries[k]->name()) && (!wantEntry || wantEntry(*v.entries[k])))
        hits.push_back({v.rank, v.entries[k]});
    }
  }
  // Back in search order: a counting sort by folder keeps each folder's store order.
  std::vector<std::uint32_t> start(order.size() + 1, 0);
  for (const Hit &h : hits)
    ++start[h.rank + 1];
  for (std::size_t r = 1; r < start.size(); ++r)
    start[r] += start[r - 1];
  std::vector<ResultRow> found(hits.size());
  for (const Hit &h : hits)
    found[start[h.rank]++] = {h.entry, order[h.rank]};
  return found;
}

FoundCounts countFound(std::span<const ResultRow> rows) {
  FoundCounts counts;
  for (const ResultRow &r : rows) {
    if (!r.entry) continue;
    if (!r.entry->isContainer()) {
      ++counts.files;
    } else if (r.entry->isZipFolder()) {
      ++counts.zipFolders;
    } else {
      ++counts.folders;
    }
  }
  return counts;
}

std::string foundTitle(const FoundCounts &counts) {
  char text[160];
  std::snprintf(text, sizeof text, "%s: %lld File(s), %lld Folder(s), %lld Zip Folder(s) Found", kFindFilesTitle,
                static_cast<long long>(counts.files), static_cast<long long>(counts.folders),
                static_cast<long long>(counts.zipFolders));
  return text;
}

namespace {

void appendReportHead(std::string &out, const FindFilesHeader &header, bool csv) {
  const std::string end = kReportLineEnd;
  out += " Tavlor, Find Files report" + end;
  out += " -------------------------------" + end;
  out += end;
  out += " Search root        : " + header.lookIn + end;
  out += " Search mask        : " + header.mask + end;
  out += std::string(" Look in subfolders : ") + (header.subfolders ? "Yes" : "No") + end;
  out += end;
  out += reportColumnLine(csv) + end;
  if (!csv) out += end;
}

// Texts kept in large blocks, each whole in one block.
class LineStore {
public:
  std::string_view add(std::string_view text) {
    if (blocks_.empty() || used_ + text.size() > blockSize_) {
      blockSize_ = std::max(kBlock, text.size());
      blocks_.push_back(allocateBlock(blockSize_));
      used_ = 0;
    }
    char *at = static_cast<char *>(blocks_.back().get()) + used_;
    std::memcpy(at, text.data(), text.size());
    used_ += text.size();
    return {at, text.size()};
  }

private:
  static constexpr std::size_t kBlock = 8u << 20;
  std::vector<Block> blocks_;
  std::size_t used_ = 0;
  std::size_t blockSize_ = 0;
};

} // namespace

void writeFindFilesReport(CatalogModel &model, const FindFilesHeader &header, std::span<const ResultRow> rows, bool csv,
                          const ReportWriter &write) {
  ReportPieces pieces(write);
  std::string &out = pieces.text();
  appendReportHead(out, header, csv);
  std::size_t count = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    prefetchRows(rows, i);
    if (i + 16 < rows.size() && rows[i + 16].entry) CatalogModel::prefetchDateText(rows[i + 16].entry->date());
    const ResultRow &r = rows[i];
    if (!r.entry) continue;
    appendReportEntry(out, model, *r.entry, csv);
    pieces.lineDone();
    ++count;
  }
  appendReportCount(out, count, "Files found");
}

void writeFindFilesReportByName(CatalogModel &model, const FindFilesHeader &header, std::vector<ResultRow> &rows,
                                bool csv, const ReportWriter &write) {
  // Rows in name order lie all over the model, and each line would wait for every
  // folder above its entry in turn. In the order found, neighbours share their folder
  // and its ancestors: each folder path is made once, in that order, for a run of hits
  // in one folder, and the lines then only look it up. The order is made first: the
  // sort's keys are gone before the paths take their room.
  const std::vector<std::uint32_t> from = nameOrder(rows);
  std::vector<std::string_view, BlockAllocator<std::string_view>> folders(rows.size());
  {
    LineStore store;
    std::string path;
    std::string_view folder;
    ItemId folderOf = kNoItem;
    bool first = true;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (!rows[i].entry) continue;
      // A folder's size is the sum of its contents, made when first asked for and kept
      // for the folders below it too. Asked for here, in the order found, a folder comes
      // before those inside it, so each content is summed once; asked for in name order,
      // every folder would sum again what lies below it.
      if (rows[i].entry->isContainer()) model.summedSize(*rows[i].entry);
      if (first || rows[i].parent != folderOf) {
        folderOf = rows[i].parent;
        path.clear();
        model.appendItemPath(path, folderOf);
        path += kReportLineEnd;
        folder = store.add(path);
        first = false;
      }
      folders[i] = folder;
    }
    putInOrder(rows, from);
    ReportPieces pieces(write);
    std::string &out = pieces.text();
    appendReportHead(out, header, csv);
    std::size_t count = 0;
    for (std::size_t k = 0; k < from.size(); ++k) {
      prefetchRows(rows, k);
      // The folder's place in the table first, then its path once that place is near.
      if (k + 32 < from.size()) __builtin_prefetch(&folders[from[k + 32]]);
      if (k + 16 < from.size()) __builtin_prefetch(folders[from[k + 16]].data());
      // In name order the dates jump over the calendar too.
      if (k + 16 < rows.size() && rows[k + 16].entry) CatalogModel::prefetchDateText(rows[k + 16].entry->date());
      if (!rows[k].entry) continue;
      appendReportEntryFields(out, model, *rows[k].entry, csv);
      out += folders[from[k]];
      pieces.lineDone();
      ++count;
    }
    appendReportCount(out, count, "Files found");
  }
}

std::string findFilesReport(CatalogModel &model, const FindFilesHeader &header, std::span<const ResultRow> rows,
                            bool csv) {
  std::string report;
  writeFindFilesReport(model, header, rows, csv, [&report](std::string_view piece) { report += piece; });
  return report;
}

} // namespace tavlor
