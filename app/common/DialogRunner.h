// DialogRunner.h - runs the program's modal dialogs through one replaceable function,
// so that tests can fill in and answer a dialog without a person.
#ifndef APP_COMMON_DIALOGRUNNER_H
#define APP_COMMON_DIALOGRUNNER_H

#include <functional>

class QDialog;

// Answers a dialog: QDialog::Accepted or QDialog::Rejected.
using DialogRunner = std::function<int(QDialog &dialog)>;

// Replaces the runner; an empty one restores QDialog::exec.
void setDialogRunner(DialogRunner runner);

// Runs dialog modally and returns its result.
int runDialog(QDialog &dialog);

#endif // APP_COMMON_DIALOGRUNNER_H
