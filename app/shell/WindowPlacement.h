// WindowPlacement.h - the main window's rectangle in the settings.
#ifndef APP_SHELL_WINDOWPLACEMENT_H
#define APP_SHELL_WINDOWPLACEMENT_H

#include <QRect>

#include <optional>

// The rectangle of "WindowLeft", "WindowTop", "WindowRight" and "WindowBottom"; nothing
// unless all four can be read (the desktop then places the window).
std::optional<QRect> readWindowPlacement();

// Writes the four values of rect (right and bottom exclusive, as they are read back).
void writeWindowPlacement(const QRect &rect);

#endif // APP_SHELL_WINDOWPLACEMENT_H
