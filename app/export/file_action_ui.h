// file_action_ui.h - what the file actions need from the user and the desktop: the
// insert-disk prompt, boxes, the please-wait window, progress, and launching. The
// program implements these with its dialogs, the command line on the terminal, and
// tests with recorders.
#ifndef APP_EXPORT_FILE_ACTION_UI_H
#define APP_EXPORT_FILE_ACTION_UI_H

#include <string>

namespace tavlor {

class FileActionUi {
public:
  virtual ~FileActionUi() = default;
  // The insert-disk prompt with text ("Disk labeled X was not found."); true when the
  // user answered Retry, false for Cancel.
  virtual bool insertDisk(const std::string &text) = 0;
  // A modal box with an OK button; warning selects the warning icon.
  virtual void message(const std::string &caption, const std::string &text, bool warning) = 0;
  // A Yes/No warning box; true for Yes.
  virtual bool askYesNo(const std::string &caption, const std::string &text) = 0;
  // The please-wait window around a long copy.
  virtual void beginWait(const std::string &text) = 0;
  virtual void endWait() = 0;
  // Waits before looking for a disk again (the drive needs a moment after a change).
  virtual void pause(int milliseconds) = 0;
};

// Steps a progress bar; extraction calls it about twenty times over an archive.
class ProgressSink {
public:
  virtual ~ProgressSink() = default;
  virtual void step() = 0;
};

// Codes of the launch-error table (the numbers the messages are known by).
enum LaunchError : int {
  kLaunchStarted = 0,
  kLaunchFileNotFound = 2,
  kLaunchPathNotFound = 3,
  kLaunchAccessDenied = 5,
  kLaunchOutOfMemory = 8,
  kLaunchSharingViolation = 32,
  kLaunchNoAssociation = 1155,
  kLaunchDdeFailed = 1156,
  kLaunchDllNotFound = 1157,
  kLaunchCancelled = 1223,
  kLaunchOther = -1,
};

// Hands a file to a program of the desktop.
class Desktop {
public:
  virtual ~Desktop() = default;
  // Opens path with the program associated with its type (program empty) or with
  // program ("notepad.exe" is the desktop's text editor). Returns kLaunchStarted or
  // the launch error that stands in the way.
  virtual int launch(const std::string &program, const std::string &path) = 0;
};

} // namespace tavlor

#endif // APP_EXPORT_FILE_ACTION_UI_H
