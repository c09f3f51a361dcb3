// MessageBoxes.h - the program's modal message boxes, routed through one handler.
//
// Every box the program shows goes through showBox, so that tests can answer boxes
// without a person and record what was asked. The scanning library's and the
// platform layer's boxes are routed here too (installLibraryBoxes).
#ifndef APP_COMMON_MESSAGEBOXES_H
#define APP_COMMON_MESSAGEBOXES_H

#include <QString>

#include <functional>

class QWidget;

enum class BoxKind {
  Plain,       // text and OK
  Information, // information icon and OK
  Warning,     // warning icon and OK
  Question,    // Yes and No, No the default
  InformationOkCancel, // information icon, OK and Cancel
  Stop,        // stop (critical) icon and OK
};

struct BoxRequest {
  QString caption;
  QString text;
  BoxKind kind = BoxKind::Plain;
};

// Answers one box: true for OK or Yes.
using BoxHandler = std::function<bool(QWidget *parent, const BoxRequest &box)>;

// Replaces the handler; an empty one restores the real QMessageBox.
void setBoxHandler(BoxHandler handler);

// Shows one modal box over parent and returns its answer. Please-wait windows step
// aside while it is up (they are hidden, then shown again), so a box never sits on
// top of a window that says the program is busy.
bool showBox(QWidget *parent, const QString &caption, const QString &text, BoxKind kind);

// Marks window as a please-wait window (see showBox).
void markAsWaitWindow(QWidget *window);
// Whether a please-wait window is showing (tests check it when a box comes up).
bool waitWindowShowing();

// Shows the boxes of the scanning library and of the platform layer through showBox.
void installLibraryBoxes();

#endif // APP_COMMON_MESSAGEBOXES_H
