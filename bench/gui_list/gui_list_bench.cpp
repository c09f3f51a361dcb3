// gui_list_bench: opening a folder of 200,000 files in the list pane and sorting it by
// every column, on the offscreen platform, beside `sort` of the same names in the
// same run. Prints the times and their ratios to the standard tool; the targets are
// 0.3 s per open and per sort. Then loads 1,000,000 entries, lists them all in Find
// Files, and measures how long the window takes to answer an event afterwards.
//
// Usage: gui_list_bench [FILES]   (QT_QPA_PLATFORM=offscreen is set when unset)
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include "CMainFrame.h"
#include "CTavlor2App.h"
#include "CTavlor2Doc.h"
#include "CatalogCommands.h"
#include "EntryListModel.h"
#include "FindFilesDlg.h"
#include "FolderTreeModel.h"
#include "ListPane.h"
#include "ToolDialogs.h"
#include "TreePane.h"

#include <QLineEdit>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// A catalog of one disk holding one folder of `files` files with varied sizes, dates
// and names.
std::string writeCatalog(const std::string &path, int files) {
  std::ofstream out(path, std::ios::binary);
  out << "zar_version_1_1\r\n< \r\n %drivetype fixed\r\n> \r\n + \"BENCH\" 1000000000 1000 24 12 1999 10 30 0\r\n <\r\n"
      << " + \"big\" 0 0 1 1 2000 0 0 0\r\n <\r\n";
  std::string names;
  unsigned seed = 12345;
  for (int i = 0; i < files; ++i) {
    seed = seed * 1103515245u + 12345u;
    std::string name = "file_" + std::to_string(seed % 1000003) + "_" + std::to_string(i) + ".dat";
    names += name + "\n";
    out << " \"" << name << "\" " << (seed >> 8) % 50000000 << " " << 1 + seed % 28 << " " << 1 + (seed >> 5) % 12
        << " " << 1990 + (seed >> 9) % 30 << " " << (seed >> 3) % 24 << " " << (seed >> 4) % 60 << " "
        << (seed >> 6) % 60 << "\r\n";
  }
  out << " >\r\n >\r\n";
  return names;
}

double seconds(const QElapsedTimer &t) {
  return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

double timeSort(const std::string &namesFile) {
  QElapsedTimer t;
  t.start();
  std::string command = "LC_ALL=C sort -f '" + namesFile + "' > /dev/null";
  if (std::system(command.c_str()) != 0) return -1;
  return seconds(t);
}

} // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
  QApplication qt(argc, argv);
  CTavlor2App::setApplicationNames();
  int files = argc > 1 ? std::atoi(argv[1]) : 200000;

  std::string catalog = home.path().toStdString() + "/BENCH.zar";
  std::string namesFile = home.path().toStdString() + "/names.txt";
  std::ofstream(namesFile) << writeCatalog(catalog, files);

  CTavlor2App app;
  app.initInstance({});
  CMainFrame &frame = *app.frame();
  frame.resize(1000, 700);
  tavlor::CatalogModel &model = app.document()->model();
  QElapsedTimer t;
  t.start();
  frame.commands()->loadCatalog(catalog, true);
  std::printf("load %d entries: %.3f s\n", files, seconds(t));

  tavlor::ItemId folder = model.findChild(model.findChild(model.root(), "BENCH", false), "big", false);
  QTreeView *tree = frame.treePane()->view();
  QTreeView *list = frame.listPane()->view();
  double sortTool = timeSort(namesFile);

  t.restart();
  tree->selectionModel()->setCurrentIndex(frame.treePane()->treeModel()->indexOf(folder),
                                          QItemSelectionModel::ClearAndSelect);
  list->viewport()->repaint();
  double open = seconds(t);
  std::printf("open folder of %d files: %.3f s (target 0.300)  ratio to sort(1) of the names: %.2f\n", files, open,
              sortTool > 0 ? open / sortTool : 0.0);

  const char *columns[] = {"Name", "Size", "Date"};
  for (int c = 0; c < 3; ++c) {
    for (int pass = 0; pass < 2; ++pass) {
      t.restart();
      frame.listPane()->sortByColumn(c);
      list->viewport()->repaint();
      double sorted = seconds(t);
      std::printf("sort by %-4s (%s): %.3f s (target 0.300)  ratio to sort(1): %.2f\n", columns[c],
                  pass == 0 ? "first" : "again", sorted, sortTool > 0 ? sorted / sortTool : 0.0);
    }
  }
  std::printf("sort(1) -f of the same names: %.3f s\n", sortTool);

  if (files < 1000000) {
    std::string million = home.path().toStdString() + "/MILLION.zar";
    writeCatalog(million, 1000000);
    t.restart();
    frame.commands()->loadCatalog(million, true);
    std::printf("load 1,000,000 entries: %.3f s\n", seconds(t));
  }
  // Find Files listing every entry: the search, the name order and the first paint.
  frame.show();
  FindFilesDlg *find = startFindFiles(*app.document(), {model.root()}, &frame, frame.fileActions());
  find->maskEdit()->setText("*");
  t.restart();
  find->findNow();
  find->resultView()->viewport()->repaint();
  std::printf("Find Files \"*\" listing %zu entries: %.3f s\n", model.entryCount(), seconds(t));
  t.restart();
  find->sortByColumn(2);
  find->resultView()->viewport()->repaint();
  std::printf("its list sorted by Size: %.3f s\n", seconds(t));

  // Responsiveness afterwards: the time a posted event waits for the event loop.
  QElapsedTimer answer;
  answer.start();
  double waited = 0;
  QTimer::singleShot(0, [&] {
    waited = seconds(answer);
    qt.quit();
  });
  qt.exec();
  std::printf("event answered after loading: %.4f s\n", waited);
  return 0;
}
