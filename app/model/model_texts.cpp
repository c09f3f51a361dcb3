// The derived values of entries: size, date and path texts, icons, totals.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "model/catalog_model.h"
#include "model/model_storage.h"

namespace tavlor {

std::string CatalogModel::formatSize(std::int64_t value) const {
  std::int64_t count = 0;
  if (value != 0) {
    count = value / sizeUnit_;
    if (value % sizeUnit_ != 0) ++count;
  }
  char digits[32];
  std::snprintf(digits, sizeof digits, "%" PRId64, count);
  std::string out;
  const char *d = digits;
  if (*d == '-') out.push_back(*d++);
  const std::size_t n = std::strlen(d);
  for (std::size_t i = 0; i < n; ++i) {
    if (sizeComma_ && i > 0 && (n - i) % 3 == 0) out.push_back(',');
    out.push_back(d[i]);
  }
  if (sizeUnit_ == 1024) out += "KB";
  if (sizeUnit_ == 1048576) out += "MB";
  return out;
}

const std::string &CatalogModel::sizeText(const FileData &entry) {
  if (!entry.texts_) entry.texts_ = std::make_unique<FileData::Texts>();
  FileData::Texts &t = *entry.texts_;
  if (!t.size) {
    if (entry.isContainer() && entry.size_ == 0) {
      std::int64_t size = 0, files = 0, folders = 0, zips = 0;
      accumulate(findOwnItem(entry), size, files, folders, zips);
      entry.size_ = size;
    }
    t.size = formatSize(entry.size_);
  }
  return *t.size;
}

const std::string &CatalogModel::freeSpaceText(const FileData &entry) {
  if (!entry.texts_) entry.texts_ = std::make_unique<FileData::Texts>();
  FileData::Texts &t = *entry.texts_;
  if (!t.freeSpace) t.freeSpace = formatSize(entry.freeSpace_);
  return *t.freeSpace;
}

const std::string &CatalogModel::dateText(const FileData &entry) {
  if (!entry.texts_) entry.texts_ = std::make_unique<FileData::Texts>();
  FileData::Texts &t = *entry.texts_;
  if (!t.date) t.date = formatDate(entry.date_);
  return *t.date;
}

std::string CatalogModel::formatDate(std::time_t when) {
  // The locale's own short date and time; its time format always shows the time,
  // midnight included, as 00:00:00.
  struct tm local {};
  const time_t t = when;
  if (!localtime_r(&t, &local)) return {};
  char buffer[128];
  const std::size_t n = std::strftime(buffer, sizeof buffer, "%x %X", &local);
  return std::string(buffer, n);
}

const std::string &CatalogModel::folderPath(const FileData &entry) const {
  return itemPath(entry.parentItem_);
}

std::string CatalogModel::catalogPath(const FileData &entry) const {
  std::string path = folderPath(entry);
  if (!path.empty()) path.push_back('/');
  path.append(entry.name());
  return path;
}

bool CatalogModel::zipFilePath(const FileData &entry, std::string &out) const {
  out.clear();
  const std::string &path = folderPath(entry);
  std::size_t at = path.find(".zip");
  if (at == std::string::npos) at = path.find(".ZIP");
  if (at == std::string::npos || at == 0) return false;
  out = path.substr(0, at + 4);
  return true;
}

ItemId CatalogModel::findOwnItem(const FileData &entry) const {
  if (!entry.isContainer()) return kNoItem;
  return findChild(entry.parentItem_, entry.name(), false);
}

int CatalogModel::iconIndex(const FileData &entry) const {
  return iconOf(entry.kind_);
}

void CatalogModel::accumulate(ItemId top, std::int64_t &size, std::int64_t &files, std::int64_t &folders,
                              std::int64_t &zipFolders) {
  struct Totals {
    std::int64_t size = 0, files = 0, folders = 0, zips = 0;
  };
  struct Frame {
    ItemId item;
    const FileData *entry; // the container entry of item (null for the top)
    std::size_t nextChild = 0;
    Totals totals;
  };
  auto open = [this](ItemId id, const FileData *entry) {
    Frame f{id, entry, 0, {}};
    for (const FileData *e : entriesOf(id)) {
      if (!e->isContainer()) {
        f.totals.size += e->size();
        ++f.totals.files;
      }
    }
    return f;
  };
  if (!isValid(top)) return;
  // An explicit stack: folders may nest deeper than the call stack allows.
  std::vector<Frame> stack;
  stack.push_back(open(top, nullptr));
  for (;;) {
    Frame &f = stack.back();
    std::span<const ItemId> children = childrenOf(f.item);
    if (f.nextChild < children.size()) {
      const ItemId child = children[f.nextChild++];
      const FileData *e = lookupEntry(f.item, label(child));
      if (e && e->isContainer()) {
        Frame next = open(child, e);
        stack.push_back(std::move(next));
      }
      continue;
    }
    Frame done = stack.back();
    stack.pop_back();
    if (stack.empty()) {
      size += done.totals.size;
      files += done.totals.files;
      folders += done.totals.folders;
      zipFolders += done.totals.zips;
      return;
    }
    Totals &up = stack.back().totals;
    if (done.entry->isZipFolder()) {
      up.size += done.entry->size();
      up.zips += done.totals.zips + 1;
    } else {
      up.size += done.totals.size;
      up.folders += 1;
      up.zips += done.totals.zips;
    }
    up.files += done.totals.files;
    up.folders += done.totals.folders;
  }
}

bool CatalogModel::setSizeUnit(std::string_view unit) {
  std::int64_t value;
  if (unit == "byte") {
    value = 1;
  } else if (unit == "KB") {
    value = 1024;
  } else if (unit == "MB") {
    value = 1048576;
  } else {
    return false;
  }
  const bool changed = value != sizeUnit_;
  sizeUnit_ = value;
  return changed;
}

void CatalogModel::setSizeComma(bool on, bool refresh) {
  if (on == sizeComma_) return;
  sizeComma_ = on;
  if (refresh) refreshSizeTexts();
}

} // namespace tavlor
