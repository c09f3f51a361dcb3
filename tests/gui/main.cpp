// The widget tests: one Qt Test class per suite, chosen by the first argument (all
// suites without one).
#include "gui_suites.h"
#include "gui_support.h"

#include <QApplication>
#include <QtTest>

#include "CTavlor2App.h"

int main(int argc, char **argv) {
  gui_support::useTestProfile();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  CTavlor2App::setApplicationNames();
  QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  QStringList rest;
  rest << QString::fromLocal8Bit(argv[0]);
  for (int i = 2; i < argc; ++i)
    rest << QString::fromLocal8Bit(argv[i]);
  int failures = 0;
  for (const auto &suite : guiSuites()) {
    if (!only.isEmpty() && only != suite.name) continue;
    std::unique_ptr<QObject> test = suite.make();
    failures += QTest::qExec(test.get(), rest);
  }
  return failures == 0 ? 0 : 1;
}
