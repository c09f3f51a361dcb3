#include "DialogRunner.h"

#include <QDialog>

namespace {

DialogRunner &current() {
  static DialogRunner runner;
  return runner;
}

} // namespace

void setDialogRunner(DialogRunner runner) {
  current() = std::move(runner);
}

int runDialog(QDialog &dialog) {
  return current() ? current()(dialog) : dialog.exec();
}
