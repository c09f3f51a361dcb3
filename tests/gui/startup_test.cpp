// Start-up: defaults without settings, the command-line catalog, auto-load, placement.
#include "gui_suites.h"
#include "gui_support.h"

#include <QSplitter>
#include <QtTest>

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
