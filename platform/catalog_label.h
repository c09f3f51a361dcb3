// catalog_label.h - the disk label a catalog holds for a volume label, and whether a
// label can name its catalog file. Every place that matches a volume to a cataloged
// disk (cataloguing, compare, retrieving files, deleting a catalog) goes through
// these, so a label that a catalog cannot hold as it stands still finds its disk.
#ifndef PLATFORM_CATALOG_LABEL_H
#define PLATFORM_CATALOG_LABEL_H

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// True for a byte the catalog format cannot hold in a name (a double quote, a control
// byte, DEL): the writer puts "?" in its place.
inline bool catalogCannotHold(unsigned char byte) {
  return byte == '"' || byte < 0x20 || byte == 0x7F;
}

// The longest label that still names a catalog file: the file name, label + ".zar",
// must fit in one name component (NAME_MAX bytes).
inline constexpr std::size_t kMaxCatalogLabelBytes = 255 - 4;

// The label (or any name) as a loaded catalog holds it: each double quote, control
// byte (below 0x20) and DEL replaced by "?", as the catalog writer replaces them,
// and the blanks as the reader gives them back: leading blanks dropped, each run of
// blanks made one. A label that needs none of this comes back unchanged, and so does
// one already mapped.
std::string catalogLabel(std::string_view volumeLabel);
// True where catalogLabel gives the name back unchanged.
bool catalogHoldsAsItIs(std::string_view volumeLabel);

// True when the disk cataloged as diskLabel is the volume labelled volumeLabel: the
// two are equal once the volume's label is mapped by catalogLabel.
bool labelNamesDisk(std::string_view volumeLabel, std::string_view diskLabel);

// Why a label cannot name a catalog file in the catalogs folder.
enum class CatalogLabelFault {
  None,
  Empty,
  OutsideFolder, // holds "/" or a NUL byte, or is made only of dots
  TooLong,       // more than kMaxCatalogLabelBytes bytes
};
CatalogLabelFault catalogLabelFault(std::string_view label);

} // namespace platform

#endif // PLATFORM_CATALOG_LABEL_H
