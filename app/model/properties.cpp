#include "model/properties.h"

#include <cinttypes>
#include <cstdio>

#include "model/model_storage.h"

namespace tavlor {

namespace {

std::string countsText(std::int64_t files, std::int64_t folders, std::int64_t zips) {
  char text[96];
  std::snprintf(text, sizeof text, "%" PRId64 " Files, %" PRId64 " Folders, %" PRId64 " Zip Folders", files, folders,
                zips);
  return text;
}

} // namespace

std::string typeName(NodeKind kind) {
  switch (kind) {
  case NodeKind::FixedDisk:
    return "Fixed Hard Disk";
  case NodeKind::Folder:
    return "File Folder";
  case NodeKind::ZipFolder:
    return "Zip Folder";
  case NodeKind::RemovableDisk:
  case NodeKind::RemovableDrive:
    return "Removable Disk";
  case NodeKind::CdRom:
    return "CD-ROM";
  default:
    return "File";
  }
}

PropertiesValues propertiesOf(CatalogModel &model, const FileData &entry) {
  PropertiesValues v;
  v.name = std::string(entry.name());
  v.type = typeName(entry.kind());
  v.location = model.folderPath(entry);
  v.date = model.dateText(entry);
  v.hint = kResizeHint;
  if (entry.isContainer()) {
    std::int64_t size = 0, files = 0, folders = 0, zips = 0;
    model.accumulate(model.findOwnItem(entry), size, files, folders, zips);
    v.size = model.formatSize(size);
    v.contains = countsText(files, folders, zips);
    v.note = kCountNote;
  } else {
    v.size = model.sizeText(entry);
    v.contains = "File Data";
  }
  return v;
}

PropertiesValues rootProperties(CatalogModel &model, std::time_t now) {
  PropertiesValues v;
  v.name = kRootLabel;
  v.type = "Disk Drive";
  std::int64_t size = 0, files = 0, folders = 0, zips = 0;
  model.accumulate(model.root(), size, files, folders, zips);
  v.size = model.formatSize(size);
  v.contains = countsText(files, folders, zips);
  v.note = kCountNote;
  v.hint = kResizeHint;
  v.date = CatalogModel::formatDate(now);
  return v;
}

} // namespace tavlor
