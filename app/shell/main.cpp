// Tavlor40: the catalog browser.
#include "CTavlor2App.h"

#include <QApplication>

int main(int argc, char **argv) {
  QApplication qt(argc, argv);
  CTavlor2App::setApplicationNames();
  CTavlor2App app;
  if (!app.initInstance(QApplication::arguments().mid(1))) return 1;
  return qt.exec();
}
