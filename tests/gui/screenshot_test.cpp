// Not a test of its own: with TAVLOR_SCREENSHOT=FILE.png and TAVLOR_DEMO_CATALOGS=DIR it
// opens the demo catalogs, shows a disk and a folder, and saves the main window, so the
// window can be looked at after a change (run under xvfb-run). Skipped otherwise.
#include "gui_suites.h"
#include "pane_fixture.h"

#include <QtTest>

#include "CProperties.h"
#include "FindDuplicatesDlg.h"
#include "FindFilesDlg.h"
#include "FrameStatusBar.h"
#include "ToolDialogs.h"

#include <QLineEdit>

using namespace gui_support;

class ScreenshotTest : public QObject {
  Q_OBJECT
private slots:
  void mainWindowWithADiskAndAFolderOpen() {
    QString target = qEnvironmentVariable("TAVLOR_SCREENSHOT");
    QString demo = qEnvironmentVariable("TAVLOR_DEMO_CATALOGS");
    if (target.isEmpty() || demo.isEmpty()) QSKIP("TAVLOR_SCREENSHOT and TAVLOR_DEMO_CATALOGS name no files");
    resetSettings({{"Tavlor", demo},
                   {"AutoLoadCatalogs", 1},
                   {"WindowLeft", 0},
                   {"WindowTop", 0},
                   {"WindowRight", 1000},
                   {"WindowBottom", 600}});
    CTavlor2App app;
    QVERIFY(app.initInstance({}));
    QVERIFY(QTest::qWaitForWindowExposed(app.frame()));
    tavlor::CatalogModel &model = app.document()->model();
    tavlor::ItemId disk =
        model.findChild(model.root(), qPrintable(qEnvironmentVariable("TAVLOR_DEMO_DISK", "BACKUP1")), false);
    QVERIFY(disk != tavlor::kNoItem);
    TreePane &tree = *app.frame()->treePane();
    tree.view()->expand(tree.treeModel()->indexOf(disk));
    QString folder = qEnvironmentVariable("TAVLOR_DEMO_FOLDER", "photos");
    // "/" shows the root's disk list.
    tavlor::ItemId shown = folder == "/" ? model.root() : model.findChild(disk, qPrintable(folder), false);
    tree.view()->selectionModel()->setCurrentIndex(tree.treeModel()->indexOf(shown != tavlor::kNoItem ? shown : disk),
                                                   QItemSelectionModel::ClearAndSelect);
    app.frame()->frameStatusBar()->refresh();
    QTest::qWait(300);
    QVERIFY(app.frame()->grab().save(target));
    // The Properties dialog of the disk beside it.
    CProperties properties(tavlor::propertiesOf(model, *model.lookupEntry(model.root(), model.label(disk))), nullptr);
    properties.show();
    QTest::qWait(100);
    QVERIFY(properties.grab().save(QString(target).replace(".png", "-properties.png")));

    // Find Files and Find Duplicate Files over all disks, with results.
    FindFilesDlg *find = startFindFiles(*app.document(), {model.root()}, app.frame());
    find->maskEdit()->setText(qEnvironmentVariable("TAVLOR_DEMO_MASK", "*.gif"));
    find->findNow();
    QTest::qWait(200);
    QVERIFY(find->grab().save(QString(target).replace(".png", "-find.png")));
    FindDuplicatesDlg *dupes = startFindDuplicates(*app.document(), {model.root()}, app.frame());
    dupes->findNow();
    QTest::qWait(200);
    QVERIFY(dupes->grab().save(QString(target).replace(".png", "-dupes.png")));
  }
};

GUI_SUITE(ScreenshotTest);
#include "screenshot_test.moc"
