#include "gui_suites.h"

std::vector<GuiSuite> &guiSuites() {
  static std::vector<GuiSuite> suites;
  return suites;
}
