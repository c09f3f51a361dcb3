#include "platform/catalog_label.h"

namespace platform {

bool catalogHoldsAsItIs(std::string_view volumeLabel) {
  for (std::size_t i = 0; i < volumeLabel.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(volumeLabel[i]);
    if (catalogCannotHold(b) || (b == ' ' && (i == 0 || volumeLabel[i - 1] == ' '))) return false;
  }
  return true;
}

std::string catalogLabel(std::string_view volumeLabel) {
  // Most names hold nothing to change (a compare asks for every name of a disk).
  if (catalogHoldsAsItIs(volumeLabel)) return std::string(volumeLabel);
  std::string label;
  label.reserve(volumeLabel.size());
  for (const char c : volumeLabel) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (catalogCannotHold(b)) {
      label.push_back('?');
    } else if (b != ' ' || (!label.empty() && label.back() != ' ')) {
      label.push_back(c);
    }
  }
  return label;
}

bool labelNamesDisk(std::string_view volumeLabel, std::string_view diskLabel) {
  return !diskLabel.empty() && catalogLabel(volumeLabel) == diskLabel;
}

CatalogLabelFault catalogLabelFault(std::string_view label) {
  if (label.empty()) return CatalogLabelFault::Empty;
  if (label.find('/') != std::string_view::npos || label.find('\0') != std::string_view::npos ||
      label.find_first_not_of('.') == std::string_view::npos)
    return CatalogLabelFault::OutsideFolder;
  if (label.size() > kMaxCatalogLabelBytes) return CatalogLabelFault::TooLong;
  return CatalogLabelFault::None;
}

} // namespace platform
