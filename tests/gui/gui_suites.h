// gui_suites.h - the suites of test_gui, registered by their files.
#ifndef TESTS_GUI_GUI_SUITES_H
#define TESTS_GUI_GUI_SUITES_H

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

struct GuiSuite {
  const char *name;
  std::function<std::unique_ptr<QObject>()> make;
};

std::vector<GuiSuite> &guiSuites();

// Registers the test class T under its class name.
template <typename T> struct RegisterGuiSuite {
  explicit RegisterGuiSuite(const char *name) {
    guiSuites().push_back({name, [] { return std::unique_ptr<QObject>(new T); }});
  }
};

#define GUI_SUITE(T) static RegisterGuiSuite<T> registered##T(#T)

#endif // TESTS_GUI_GUI_SUITES_H
