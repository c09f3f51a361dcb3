// html_icons.h - the four small GIF pictures the exported pages show in their rows.
#ifndef APP_EXPORT_HTML_ICONS_H
#define APP_EXPORT_HTML_ICONS_H

#include <array>
#include <string>
#include <string_view>

namespace tavlor {

struct HtmlIcon {
  const char *fileName; // as the pages refer to it, e.g. "zipicon.gif"
  int width;
  int height;
  std::string_view bytes; // a complete GIF87a file
};

// zipicon (16 x 16, 900 bytes), foldericon (16 x 15, 877 bytes), fileicon (16 x 15,
// 866 bytes) and upicon (16 x 15, 863 bytes), in the order they are written. Each is
// a GIF87a image with a 256-entry global colour table; the bytes are made once, on
// first use, and stay valid for the whole run.
const std::array<HtmlIcon, 4> &htmlIcons();

} // namespace tavlor

#endif // APP_EXPORT_HTML_ICONS_H
