#include "export/platform_desktop.h"

#include <cerrno>

#include "export/file_actions.h"
#include "platform/launch.h"

namespace tavlor {

PlatformDesktop::PlatformDesktop(MimeTypeOf mimeTypeOf) : mimeTypeOf_(std::move(mimeTypeOf)) {}

int launchPathError(const std::string &path) {
  switch (platform::checkLaunchPath(path)) {
  case platform::LaunchCheck::Ok:
    return kLaunchStarted;
  case platform::LaunchCheck::FileMissing:
    return kLaunchFileNotFound;
  case platform::LaunchCheck::PathMissing:
    return kLaunchPathNotFound;
  case platform::LaunchCheck::AccessDenied:
    return kLaunchAccessDenied;
  }
  return kLaunchOther;
}

int PlatformDesktop::launch(const std::string &program, const std::string &path) {
  if (const int error = launchPathError(path); error != kLaunchStarted) return error;
  std::vector<std::string> command;
  if (program.empty()) {
    const std::string type = mimeTypeOf_ ? mimeTypeOf_(path) : platform::queryFileType(path);
    if (platform::defaultApplication(type).empty()) return kLaunchNoAssociation;
    command = platform::openCommand(path);
  } else if (program == kTextEditorProgram) {
    command = platform::textEditorCommand(path);
    if (command.empty()) return kLaunchNoAssociation;
  } else {
    // The path goes as one argument, blanks and all, as the program's parameters.
    command = {program, path};
  }
  const int err = platform::startDetached(command);
  if (err == 0) return kLaunchStarted;
  if (err == ENOENT && !program.empty() && program != kTextEditorProgram) return kLaunchFileNotFound;
  if (err == ENOMEM) return kLaunchOutOfMemory;
  return kLaunchOther;
}

} // namespace tavlor
