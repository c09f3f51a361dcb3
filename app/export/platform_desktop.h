// platform_desktop.h - the real desktop: the associated application of a file's type
// and the desktop's text editor.
#ifndef APP_EXPORT_PLATFORM_DESKTOP_H
#define APP_EXPORT_PLATFORM_DESKTOP_H

#include <functional>
#include <string>

#include "export/file_action_ui.h"

namespace tavlor {

class PlatformDesktop : public Desktop {
public:
  // The MIME type of a file, to find its application; empty asks xdg-mime.
  using MimeTypeOf = std::function<std::string(const std::string &path)>;
  explicit PlatformDesktop(MimeTypeOf mimeTypeOf = {});

  // The errors are decided before anything is started, as xdg-open's status says
  // little: a missing file (2) or folder (3), no permission (5), no application for
  // the type (1155); a program that cannot be started is "Could not launch".
  int launch(const std::string &program, const std::string &path) override;

private:
  MimeTypeOf mimeTypeOf_;
};

// The launch error the file system gives path: kLaunchStarted when it can be read.
int launchPathError(const std::string &path);

} // namespace tavlor

#endif // APP_EXPORT_PLATFORM_DESKTOP_H
