// launch.h - opening files with the desktop's programs.
//
// xdg-open's exit status says little under desktop environments (it may hand the file
// to a helper and report success whatever happens), so callers decide the reasons a
// launch would fail before launching: checkLaunchPath and defaultApplication.
#ifndef PLATFORM_LAUNCH_H
#define PLATFORM_LAUNCH_H

#include <string>
#include <vector>

namespace platform {

enum class LaunchCheck {
  Ok,
  FileMissing,  // the folder is there, the last component is not
  PathMissing,  // a folder on the way is missing (or is not a folder)
  AccessDenied, // the file or folder cannot be read
};

// Whether path can be handed to a program, checked on the file system.
LaunchCheck checkLaunchPath(const std::string &path);

// The standard output of the program argv[0] (searched on PATH) run with argv and
// without standard input, its trailing line ends removed. Empty when it cannot be
// started or does not exit with status 0.
std::string programOutput(const std::vector<std::string> &argv);

// The desktop entry (e.g. "org.gnome.TextEditor.desktop") that handles mimeType, as
// `xdg-mime query default` answers; empty when there is none.
std::string defaultApplication(const std::string &mimeType);

// The MIME type of path as `xdg-mime query filetype` answers; empty when unknown.
std::string queryFileType(const std::string &path);

// Starts argv[0] (searched on PATH) with argv in a session of its own and does not
// wait for it: the program outlives the caller. Returns 0 when the program was
// started (its exec succeeded), else the errno of the failure (ENOENT: not found).
int startDetached(const std::vector<std::string> &argv);

// The command line that opens path in the desktop entry desktopId (looked up in
// $XDG_DATA_HOME/applications, then each $XDG_DATA_DIRS/applications): its Exec line
// split into words with the file field code (%f %F %u %U) replaced by path, or path
// appended when there is none; other field codes dropped. Empty when the entry is not
// found or has no Exec line.
std::vector<std::string> desktopEntryCommand(const std::string &desktopId, const std::string &path);

// The command line that opens path with the application the desktop associates with
// its type (xdg-open).
std::vector<std::string> openCommand(const std::string &path);

// The command line that opens path in the desktop's text editor: the application
// `xdg-mime query default text/plain` names, else $VISUAL, else the first of the
// usual graphical editors found on PATH. Empty when there is none.
std::vector<std::string> textEditorCommand(const std::string &path);

// The outcome of openWithDesktop; the numbers are those of the launch-error table.
enum class OpenResult {
  Ok = 0,
  FileMissing = 2,      // the file is not there
  FolderMissing = 3,    // a folder of its path is not there
  AccessDenied = 5,     // it cannot be read
  NoApplication = 1155, // no application is associated with its type
  StartFailed = -1,     // xdg-open could not be started
};

// Checks path, then starts xdg-open on it without waiting for the application.
OpenResult openWithDesktop(const std::string &path);

// True when an executable program of that name is found on PATH (or name is a path
// of an executable file).
bool programOnPath(const std::string &name);

} // namespace platform

#endif // PLATFORM_LAUNCH_H
