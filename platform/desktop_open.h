// desktop_open.h - opening a file with the application the desktop associates with it.
//
// xdg-open reports little (under a desktop environment its exit code says only that a
// helper started), so the reasons a file cannot be opened are decided here before it
// is handed over, and the application is not waited for.
#ifndef PLATFORM_DESKTOP_OPEN_H
#define PLATFORM_DESKTOP_OPEN_H

#include <string>

namespace platform {

enum class OpenResult {
  Ok = 0,
  FileMissing = 2,      // the file is not there
  FolderMissing = 3,    // a folder of its path is not there
  AccessDenied = 5,     // it cannot be read
  NoApplication = 1155, // no application is associated with its type
  StartFailed = -1,     // xdg-open could not be started
};

// The desktop's MIME type of the file at path (xdg-mime query filetype); "" when it
// cannot be told.
std::string desktopFileType(const std::string &path);

// The desktop entry of the default application for a MIME type (xdg-mime query
// default); "" when there is none.
std::string desktopDefaultApplication(const std::string &mimeType);

// Checks path, then starts "xdg-open path" in the background and returns without
// waiting for the application.
OpenResult openWithDesktop(const std::string &path);

} // namespace platform

#endif // PLATFORM_DESKTOP_OPEN_H
