// Start-up: defaults without settings, the command-line catalog, auto-load, placement.
#include "gui_suites.h"
#include "gui_support.h"

#include <QSplitter>
#include <QtTest>

#include <algorithm>
#include <string>
#include <vector>

#include "CMainFrame.h"
#include "CTavlor2App.h"
#include "CTavlor2Doc.h"
#include "EntryListModel.h"
#include "ListPane.h"
#include "WindowPlacement.h"

using namespace gui_support;

class StartupTest : public QObject {
  Q_OBJECT
private slots:
  void noSettingsGivesTheDefaults() {
    resetSettings();
    BoxLog boxes;
    {
      CTavlor2App app;
      QVERIFY(app.initInstance({}));
      CTavlor2Doc &doc = *app.document();
      const DiskColumns &columns = doc.diskColumns();
      QVERIFY(columns.totalSize && columns.freeSpace && columns.dateCataloged && columns.description);
      QVERIFY(doc.autoBackupDescription());
      QVERIFY(doc.model().sizeComma());
      QCOMPARE(doc.model().sizeUnit(), 1);
      QVERIFY(app.frame()->listPane()->listModel()->useSystemIcons());
      // Auto-load is off: nothing loaded, not even the "No catalogs" box.
      QCOMPARE(doc.model().childrenOf(doc.model().root()).size(), size_t(0));
      QVERIFY(boxes.boxes().empty());
      QCOMPARE(app.frame()->splitter()->sizes().value(0), 210);
      QCOMPARE(app.frame()->windowTitle(), QString("Untitled - Tavlor"));
    }
    // Never moved by the user: no placement is written.
    QVERIFY(!storedSetting("WindowLeft").isValid());
    QCOMPARE(storedSetting("UseSizeComma").toInt(), 1);
  }

  void storedSwitchOtherThanOneReadsOff() {
    resetSettings({{"UseSizeComma", 2}, {"ShowFreeSpace", 0}, {"FileSizeUnit", "KB"}});
    CTavlor2App app;
    QVERIFY(app.initInstance({}));
    QVERIFY(!app.document()->model().sizeComma());
    QVERIFY(!app.document()->diskColumns().freeSpace);
    QCOMPARE(app.document()->model().sizeUnit(), 1024);
  }

  void commandLineCatalogLoadsWithoutSwitchingTheList() {
    resetSettings();
    QString folder = freshFolder("cmdline");
    std::string path = writeCatalog(folder, "DATA.zar", "DATA", fileLine("a.txt", 10));
    CTavlor2App app;
    QVERIFY(app.initInstance({QString::fromStdString(path)}));
    QVERIFY(app.hasCatalog());
    tavlor::CatalogModel &model = app.document()->model();
    QVERIFY(model.findChild(model.root(), "DATA", false) != tavlor::kNoItem);
    QCOMPARE(app.frame()->listPane()->listModel()->rowCount(), 0);
    QCOMPARE(app.frame()->windowTitle(), QString("DATA.zar - Tavlor"));
  }

  void catalogFlagNeedsZarAfterTheFirstCharacter() {
    QVERIFY(!CTavlor2App::namesCatalog(".zar"));
    QVERIFY(!CTavlor2App::namesCatalog(".ZAR"));
    QVERIFY(CTavlor2App::namesCatalog("/c/DATA.zar"));
    QVERIFY(CTavlor2App::namesCatalog("/c/DATA.ZAR"));
    // The first ".zar" is at 0; the ".ZAR" after it still counts.
    QVERIFY(CTavlor2App::namesCatalog(".zar.ZAR"));
    QVERIFY(!CTavlor2App::namesCatalog("/c/DATA.Zar"));
  }

  void missingCommandLineDocumentEndsTheStart() {
    resetSettings();
    BoxLog boxes;
    CTavlor2App app;
    QVERIFY(!app.initInstance({testHome() + "/absent/DATA.zar"}));
    QCOMPARE(boxes.boxes().size(), size_t(1));
  }

  void autoLoadOpensAllCatalogsAndShowsTheDisks() {
    QString folder = freshFolder("auto");
    writeCatalog(folder, "ONE.zar", "ONE", fileLine("x", 1));
    writeCatalog(folder, "TWO.zar", "TWO", fileLine("y", 2));
    resetSettings({{"Tavlor", folder}, {"AutoLoadCatalogs", 1}});
    CTavlor2App app;
    QVERIFY(app.initInstance({}));
    EntryListModel *list = app.frame()->listPane()->listModel();
    QVERIFY(list->diskMode());
    QCOMPARE(list->rowCount(), 2);
    QCOMPARE(list->index(0, 0).data().toString(), QString("ONE"));
  }

  void thePleaseWaitWindowRepaintsBetweenTheCatalogsOfAnAutoLoad() {
    QString folder = freshFolder("autopaint");
    for (std::string label : {"ONE", "TWO", "THREE", "FOUR"})
      writeCatalog(folder, label + ".zar", label, fileLine("x", 1));
    resetSettings({{"Tavlor", folder}, {"AutoLoadCatalogs", 1}});
    CTavlor2App app;
    // The entries loaded at each paint of the please-wait window, which asks for a
    // paint whenever a disk comes in, as a window showing the progress would.
    struct PaintWatch : QObject, tavlor::ModelObserver {
      CTavlor2App *app = nullptr;
      QWidget *window = nullptr;
      std::vector<std::size_t> loadedAtPaint;
      bool eventFilter(QObject *object, QEvent *event) override {
        if (event->type() == QEvent::Paint && object->objectName() == "messageDialog") {
          if (!window) app->document()->model().addObserver(this);
          window = static_cast<QWidget *>(object);
          loadedAtPaint.push_back(app->document()->model().entryCount());
        }
        return false;
      }
      void diskAdded(tavlor::ItemId, const tavlor::FileData &) override { window->update(); }
    } watch;
    watch.app = &app;
    qApp->installEventFilter(&watch);
    QVERIFY(app.initInstance({}));
    qApp->removeEventFilter(&watch);
    app.document()->model().removeObserver(&watch);
    QCOMPARE(app.document()->model().entryCount(), std::size_t(8));
    // Each catalog adds a disk and its file: the window painted after each of the first
    // three, while the others were still to come.
    for (std::size_t loaded : {2, 4, 6})
      QVERIFY2(std::count(watch.loadedAtPaint.begin(), watch.loadedAtPaint.end(), loaded) == 1,
               qPrintable(QString("no paint with %1 entries loaded").arg(loaded)));
  }

  void placementNeedsAllFourValues() {
    resetSettings({{"WindowLeft", 100}, {"WindowTop", 120}, {"WindowRight", 700}});
    QVERIFY(!readWindowPlacement().has_value());
    resetSettings({{"WindowLeft", 100}, {"WindowTop", 120}, {"WindowRight", 700}, {"WindowBottom", 620}});
    QCOMPARE(readWindowPlacement().value(), QRect(100, 120, 600, 500));
    CTavlor2App app;
    QVERIFY(app.initInstance({}));
    QCOMPARE(app.frame()->size(), QSize(600, 500));
  }

  void placementIsWrittenOnlyAfterAMoveOrResize() {
    resetSettings();
    {
      CTavlor2App app;
      QVERIFY(app.initInstance({}));
      QVERIFY(QTest::qWaitForWindowExposed(app.frame()));
      QTest::qWait(20);
      app.frame()->resize(640, 480);
      QVERIFY(app.frame()->placementChanged());
      // A maximised window keeps its last normal rectangle.
      app.frame()->showMaximized();
      QTest::qWait(20);
      QCOMPARE(app.frame()->normalRect().size(), QSize(640, 480));
    }
    QCOMPARE(storedSetting("WindowRight").toInt() - storedSetting("WindowLeft").toInt(), 640);
    QCOMPARE(storedSetting("WindowBottom").toInt() - storedSetting("WindowTop").toInt(), 480);
  }
};

GUI_SUITE(StartupTest);
#include "startup_test.moc"
