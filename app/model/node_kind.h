// node_kind.h - what an entry of the catalog model is, and its icon.
#ifndef APP_MODEL_NODE_KIND_H
#define APP_MODEL_NODE_KIND_H

#include <cstdint>

namespace tavlor {

// The kind of an entry. Each value is also the entry's index in the built-in icon
// strip; 4 (the root), 11 (open folder) and 12 (open Zip Folder) are icons only.
enum class NodeKind : std::uint8_t {
  FixedDisk = 0,
  Folder = 1,
  ZipFolder = 2,
  File = 3,
  Root = 4,
  RemovableDisk = 5, // drive type "default" and every version 1.0 catalog
  CdRom = 13,
  RemovableDrive = 14, // drive type "removable"
};

// Icon indices of the folder tree besides the kinds.
inline constexpr int kRootIcon = 4;
inline constexpr int kOpenFolderIcon = 11;
inline constexpr int kOpenZipFolderIcon = 12;

inline constexpr bool isZipFolder(NodeKind kind) {
  return kind == NodeKind::ZipFolder;
}

// A disk is the entry of a loaded catalog's root folder. Kind 14 counts as a disk:
// it comes from a catalog whose drive type is "removable", and such a disk must
// browse, count and close like every other disk.
inline constexpr bool isDisk(NodeKind kind) {
  return kind == NodeKind::FixedDisk || kind == NodeKind::RemovableDisk || kind == NodeKind::CdRom ||
         kind == NodeKind::RemovableDrive;
}

// Disks, folders and Zip Folders: the entries that own a folder item.
inline constexpr bool isContainer(NodeKind kind) {
  return isDisk(kind) || kind == NodeKind::Folder || kind == NodeKind::ZipFolder;
}

inline constexpr int iconOf(NodeKind kind) {
  return static_cast<int>(kind);
}

} // namespace tavlor

#endif // APP_MODEL_NODE_KIND_H
