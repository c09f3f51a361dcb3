// gui_list_bench: opening a folder of 200,000 files in the list pane and sorting it by
// every column, on the offscreen platform, beside `sort` of the same names in the
// same run. Prints the times and their ratios to the standard tool; the targets are
// 0.3 s per open and per sort. Then loads 1,000,000 entries, lists them all in Find
// Files, and measures how long the window takes to answer an event afterwards.
//
// With --open-all, runs Open All Catalogs under the please-wait window over COPIES
// copies of a generated catalog (load_bench --write FILE), each under a label of its
// own, twice (the second run first empties the model), then closes every disk as
// Close Catalog(s) does, and prints each total beside the longest time in it during
// which no event was processed and the please-wait window could not repaint.
//
// Usage: gui_list_bench [FILES]   (QT_QPA_PLATFORM=offscreen is set when unset)
//        gui_list_bench --open-all CATALOG.zar [COPIES]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include "CMainFrame.h"
#include "CMessageDialog.h"
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

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

// The longest stretch between two moments at which the event loop ran, counted from
// start() to stop(). A timer asks for a repaint of the watched window every 2 ms, so
// every chance the work gives the loop shows as a timer event and a paint.
class GapMeter : public QObject {
public:
  explicit GapMeter(QWidget *watched) : watched_(watched) {
    watched_->installEventFilter(this);
    tick_.setInterval(2);
    connect(&tick_, &QTimer::timeout, this, [this] {
      longestTick_ = std::max(longestTick_, clock_.nsecsElapsed() - lastTick_);
      lastTick_ = clock_.nsecsElapsed();
      watched_->update();
    });
  }
  void start() {
    clock_.start();
    lastTick_ = lastPaint_ = 0;
    longestTick_ = longestPaint_ = 0;
    paints_ = 0;
    tick_.start();
  }
  void stop() {
    tick_.stop();
    longestTick_ = std::max(longestTick_, clock_.nsecsElapsed() - lastTick_);
    longestPaint_ = std::max(longestPaint_, clock_.nsecsElapsed() - lastPaint_);
    total_ = clock_.nsecsElapsed();
  }
  double total() const { return total_ / 1e9; }
  double longestTickGap() const { return longestTick_ / 1e9; }
  double longestPaintGap() const { return longestPaint_ / 1e9; }
  int paints() const { return paints_; }

protected:
  bool eventFilter(QObject *object, QEvent *event) override {
    if (object == watched_ && event->type() == QEvent::Paint && tick_.isActive()) {
      longestPaint_ = std::max(longestPaint_, clock_.nsecsElapsed() - lastPaint_);
      lastPaint_ = clock_.nsecsElapsed();
      ++paints_;
    }
    return false;
  }

private:
  QWidget *watched_;
  QTimer tick_;
  QElapsedTimer clock_;
  qint64 lastTick_ = 0, lastPaint_ = 0, longestTick_ = 0, longestPaint_ = 0, total_ = 0;
  int paints_ = 0;
};

// COPIES catalogs in folder made from the generated one, disk BENCHDISK renamed to
// BENCH1, BENCH2 ... (Open All Catalogs replaces disks of the same label).
bool writeCopies(const std::string &source, const std::string &folder, int copies) {
  std::ifstream in(source, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  const std::string bytes = text.str();
  const std::size_t label = bytes.find("\"BENCHDISK\"");
  if (label == std::string::npos) return false;
  for (int i = 1; i <= copies; ++i) {
    std::ofstream out(folder + "/BENCH" + std::to_string(i) + ".zar", std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(label));
    out << "\"BENCH" << i << "\"";
    out.write(bytes.data() + label + 11, static_cast<std::streamsize>(bytes.size() - label - 11));
    if (!out) return false;
  }
  return true;
}

int openAllBench(const QString &home, const std::string &source, int copies) {
  // The catalogs folder when none is set.
  const std::string folder = home.toStdString() + "/Tavlor";
  QDir().mkpath(QString::fromStdString(folder));
  if (!writeCopies(source, folder, copies)) {
    std::fprintf(stderr, "%s is no catalog of load_bench --write\n", source.c_str());
    return 1;
  }
  CTavlor2App app;
  app.initInstance({});
  CMainFrame &frame = *app.frame();
  frame.resize(1000, 700);
  frame.show();
  tavlor::CatalogModel &model = app.document()->model();
  for (int pass = 1; pass <= 2; ++pass) {
    CMessageDialog wait("Auto-loading catalogs ... please wait", &frame);
    GapMeter meter(&wait);
    meter.start();
    frame.commands()->openAllCatalogs();
    meter.stop();
    std::printf("Open All Catalogs (%s), %d catalogs, %zu entries: %.3f s; longest time without events %.3f s, "
                "without a repaint of the please-wait window %.3f s (%d repaints)\n",
                pass == 1 ? "empty model" : "over the same catalogs", copies, model.entryCount(), meter.total(),
                meter.longestTickGap(), meter.longestPaintGap(), meter.paints());
  }
  GapMeter meter(&frame);
  std::vector<const tavlor::FileData *> disks(model.entriesOf(model.root()).begin(),
                                              model.entriesOf(model.root()).end());
  const std::size_t entries = model.entryCount();
  meter.start();
  frame.commands()->closeSelectedCatalogs(disks);
  meter.stop();
  std::printf("Close Catalog(s) of all %zu disks, %zu entries: %.3f s\n", disks.size(), entries, meter.total());
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  qputenv("HOME", home.path().toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
  QApplication qt(argc, argv);
  CTavlor2App::setApplicationNames();
  if (argc > 2 && std::string(argv[1]) == "--open-all")
    return openAllBench(home.path(), argv[2], argc > 3 ? std::atoi(argv[3]) : 3);
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
  // Find Files listing every entry: the search, the name order and the first paint,
  // then each column's order twice; the longest time without events is the stall the
  // user meets.
  frame.show();
  FindFilesDlg *find = startFindFiles(*app.document(), {model.root()}, &frame, frame.fileActions());
  find->maskEdit()->setText("*");
  {
    GapMeter meter(find);
    meter.start();
    find->findNow();
    find->resultView()->viewport()->repaint();
    meter.stop();
    std::printf("Find Files \"*\" listing %zu entries: %.3f s, longest time without events %.3f s\n",
                model.entryCount(), meter.total(), meter.longestTickGap());
    const char *titles[] = {"Name", "In Folder", "Size", "Date"};
    for (int c : {2, 3, 1, 0}) {
      for (int pass = 0; pass < 2; ++pass) {
        meter.start();
        find->sortByColumn(c);
        find->resultView()->viewport()->repaint();
        meter.stop();
        std::printf("  sorted by %-9s (%s): %.3f s, longest time without events %.3f s\n", titles[c],
                    pass == 0 ? "first" : "again", meter.total(), meter.longestTickGap());
      }
    }
    // Scrolling the list in its last order (by name): each step, its repaint included,
    // holds the window as long as it takes.
    QTreeView *view = find->resultView();
    QScrollBar *bar = view->verticalScrollBar();
    double longest = 0, all = 0;
    int steps = 0;
    auto step = [&](auto &&move) {
      QElapsedTimer each;
      each.start();
      move();
      view->viewport()->repaint();
      const double took = seconds(each);
      longest = std::max(longest, took);
      all += took;
      ++steps;
    };
    step([&] { view->scrollToBottom(); });
    step([&] { view->scrollToTop(); });
    step([&] { bar->setValue(bar->maximum() / 2); });
    for (int i = 0; i < 100; ++i)
      step([&] { bar->triggerAction(QAbstractSlider::SliderPageStepAdd); });
    for (int i = 0; i < 100; ++i)
      step([&] { bar->triggerAction(QAbstractSlider::SliderSingleStepSub); });
    for (int i = 1; i <= 20; ++i)
      step([&] { bar->setValue(static_cast<int>(static_cast<long long>(bar->maximum()) * i / 21)); });
    std::printf("  scrolled (%d steps: ends, middle, pages, lines, jumps): longest step %.3f s, all %.3f s\n", steps,
                longest, all);
  }

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
