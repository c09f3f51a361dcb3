// message_box.h - the boxes the libraries show to the user.
//
// Library code never talks to a window system: it calls showMessageBox, and the
// program decides how a box appears (a Qt dialog, standard error, a test recorder).
#ifndef PLATFORM_MESSAGE_BOX_H
#define PLATFORM_MESSAGE_BOX_H

#include <string>

namespace platform {

enum class BoxIcon { None = 0, Information = 1, Warning = 2 };

using MessageBoxHandler = void (*)(const char *caption, const char *text, int icon, void *context);

// Replaces the handler; null restores the default, which writes "caption: text" to
// standard error.
void setMessageBoxHandler(MessageBoxHandler handler, void *context);

// Shows one box and returns when it was answered (always OK).
void showMessageBox(const std::string &caption, const std::string &text, BoxIcon icon);

} // namespace platform

#endif // PLATFORM_MESSAGE_BOX_H
