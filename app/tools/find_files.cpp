#include "tools/find_files.h"

#include <cstdio>

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

std::vector<ResultRow> findFiles(const CatalogModel &model, std::span<const ItemId> roots, std::string_view upperMask,
                                 bool subfolders) {
  std::vector<ResultRow> found;
  std::vector<ItemId> pending;
  for (ItemId root : roots) {
    // Depth first without recursion: catalogs may nest folders very deeply.
    pending.assign(1, root);
    while (!pending.empty()) {
      const ItemId item = pending.back();
      pending.pop_back();
      for (const FileData *entry : model.entriesOf(item)) {
        if (matchMaskFolded(upperMask, entry->name())) found.push_back({entry, item});
      }
      if (!subfolders) continue;
      std::span<const ItemId> children = model.childrenOf(item);
      pending.insert(pending.end(), children.rbegin(), children.rend());
    }
  }
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

std::string findFilesReport(CatalogModel &model, const FindFilesHeader &header, std::span<const ResultRow> rows,
                            bool csv) {
  const std::string end = kReportLineEnd;
  std::string out;
  out.reserve(200 + rows.size() * 100);
  out += " Tavlor, Find Files report" + end;
  out += " -------------------------------" + end;
  out += end;
  out += " Search root        : " + header.lookIn + end;
  out += " Search mask        : " + header.mask + end;
  out += std::string(" Look in subfolders : ") + (header.subfolders ? "Yes" : "No") + end;
  out += end;
  out += reportColumnLine(csv) + end;
  if (!csv) out += end;
  std::size_t count = 0;
  for (const ResultRow &r : rows) {
    if (!r.entry) continue;
    appendReportEntry(out, model, *r.entry, csv);
    ++count;
  }
  out += end;
  out += "----------------------" + end;
  out += " " + std::to_string(count) + " Files found." + end;
  return out;
}

} // namespace tavlor
