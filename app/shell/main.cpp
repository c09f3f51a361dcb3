// Tavlor40: the catalog browser.
#include "CTavlor2App.h"

int main(int argc, char **argv) {
  CTavlor2App app(argc, argv);
  if (!app.initInstance()) return 1;
  return app.exec();
}
