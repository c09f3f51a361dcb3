// Not a test of its own: with TAVLOR_SCREENSHOT=FILE.png and TAVLOR_DEMO_CATALOGS=DIR it
// opens the demo catalogs, shows a disk and a folder, and saves the main window, so the
// window can be looked at after a change (run under xvfb-run). Skipped otherwise. A second
// case saves the windows with long texts, huge sizes and a deep tree.
#include "gui_suites.h"
#include "pane_fixture.h"

#include <QtTest>

#include "CCatalogNewDisk.h"
#include "CMessageDialog.h"
#include "CProperties.h"
#include "CSaveAsHTML.h"
#include "CViewOptions.h"
#include "CVolumeLabel.h"
#include "FindDuplicatesDlg.h"
#include "FindFilesDlg.h"
#include "FrameStatusBar.h"
#include "ToolDialogs.h"

#include <QLineEdit>

#include <QProcess>
#include <QScrollBar>
#include <QTimer>

#include <ctime>

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
    // Save As HTML for the disk.
    CSaveAsHTML html(model, disk, nullptr);
    html.show();
    QTest::qWait(100);
    QVERIFY(html.grab().save(QString(target).replace(".png", "-savehtml.png")));

    // Find Files and Find Duplicate Files over all disks, with results.
    FindFilesDlg *find = startFindFiles(*app.document(), {model.root()}, app.frame(), app.frame()->fileActions());
    find->maskEdit()->setText(qEnvironmentVariable("TAVLOR_DEMO_MASK", "*.gif"));
    find->findNow();
    QTest::qWait(200);
    QVERIFY(find->grab().save(QString(target).replace(".png", "-find.png")));
    FindDuplicatesDlg *dupes =
        startFindDuplicates(*app.document(), {model.root()}, app.frame(), app.frame()->fileActions());
    dupes->findNow();
    QTest::qWait(200);
    QVERIFY(dupes->grab().save(QString(target).replace(".png", "-dupes.png")));
  }

  // With TAVLOR_SCREENSHOT=FILE.png: windows with long texts, huge sizes and a deep
  // tree, saved beside FILE as FILE-NAME.png, and the window titles as the X server
  // has them in FILE-windows.txt (under xvfb-run with QT_QPA_PLATFORM=xcb).
  void windowsWithLongTextsToLookAt() {
    QString target = qEnvironmentVariable("TAVLOR_SCREENSHOT");
    if (target.isEmpty()) QSKIP("TAVLOR_SCREENSHOT names no file");
    // TAVLOR_SCREENSHOT_POINTS=N shows the windows in a desktop font of N points.
    QFont before = QApplication::font();
    if (int points = qEnvironmentVariableIntValue("TAVLOR_SCREENSHOT_POINTS")) {
      QFont font = before;
      font.setPointSize(points);
      QApplication::setFont(font);
    }
    auto restoreFont = qScopeGuard([&] { QApplication::setFont(before); });
    auto shot = [&](QWidget &widget, const char *name) {
      QTest::qWait(150);
      QVERIFY(widget.grab().save(QString(target).replace(".png", QString("-%1.png").arg(name))));
    };
    QString catalogs = freshFolder("shots");
    const long long huge = 6442450944000LL;
    std::string deep = fileLine("the last file at the bottom of a deep tree.txt", 1);
    for (const char *name : {"sixth level", "fifth level of folders", "fourth level folder with a long name",
                             "third level with a rather long name", "second level folder", "a long first folder"})
      deep = folderLines(name, deep);
    writeCatalog(catalogs, "HUGE.zar", "HUGE", fileLine("huge.img", huge) + deep, huge, huge);
    std::string many, more;
    for (int i = 0; i < 300; ++i) {
      many += fileLine("file" + std::to_string(i) + ".txt", i * 1000);
      more += fileLine("other" + std::to_string(i) + ".txt", i);
    }
    writeCatalog(catalogs, "MANY.zar", "MANY", folderLines("many", many) + folderLines("more", more), 1440000, 1000);
    resetSettings({{"Tavlor", catalogs},
                   {"AutoLoadCatalogs", 1},
                   {"WindowLeft", 0},
                   {"WindowTop", 0},
                   {"WindowRight", 900},
                   {"WindowBottom", 500}});
    CTavlor2App app;
    QVERIFY(app.initInstance({}));
    QVERIFY(QTest::qWaitForWindowExposed(app.frame()));
    tavlor::CatalogModel &model = app.document()->model();
    TreePane &tree = *app.frame()->treePane();
    ListPane &list = *app.frame()->listPane();
    auto select = [&](tavlor::ItemId item) {
      QModelIndex index = tree.treeModel()->indexOf(item);
      tree.view()->scrollTo(index);
      QRect cell = tree.view()->visualRect(index);
      QPoint at(std::min(cell.left() + 10, tree.view()->viewport()->width() - 5), cell.center().y());
      QTest::mouseClick(tree.view()->viewport(), Qt::LeftButton, {}, at);
    };

    // The disks with the largest sizes, sorted by size.
    list.sortByColumn(1);
    shot(*app.frame(), "disks");

    // A scrolled folder with a selection, then another folder opened from the tree.
    tavlor::ItemId disk = model.findChild(model.root(), "MANY", false);
    tree.view()->expand(tree.treeModel()->indexOf(disk));
    select(model.findChild(disk, "many", false));
    list.view()->scrollToBottom();
    list.view()->selectAll();
    shot(*app.frame(), "scrolled");
    select(model.findChild(disk, "more", false));
    shot(*app.frame(), "folder");

    // The deepest folder: the tree scrolls sideways.
    tavlor::ItemId item = model.findChild(model.root(), "HUGE", false);
    while (!model.childrenOf(item).empty()) {
      tree.view()->expand(tree.treeModel()->indexOf(item));
      item = model.childrenOf(item).front();
    }
    select(item);
    shot(*app.frame(), "tree");
    tree.view()->horizontalScrollBar()->setValue(tree.view()->horizontalScrollBar()->maximum());
    shot(*app.frame(), "tree-scrolled");

    // Closing the highlighted disk: the tree highlights what the list shows.
    select(model.findChild(model.root(), "HUGE", false));
    app.frame()->commands()->closeCatalog(model.findChild(model.root(), "HUGE", false));
    shot(*app.frame(), "closed");

    tavlor::PropertiesValues values;
    values.name = "My Removable Disk Drive";
    values.type = "Disk Drive";
    values.size = "6,442,450,944,000";
    values.contains = "402887 Files, 34058 Folders, 79 Zip Folders";
    values.date = tavlor::CatalogModel::formatDate(std::time(nullptr));
    values.note = tavlor::kCountNote;
    values.hint = tavlor::kResizeHint;
    CProperties properties(values, app.frame());
    properties.show();
    shot(properties, "properties");

    tavlor::DriveOffer offer;
    for (const char *root : {"/media/someone/A VERY LONG VOLUME NAME OF A BACKUP DISK", "/run/media/x/CD"}) {
      tavlor::DriveEntry drive;
      drive.volume.mountPoint = root;
      drive.label = "BACKUP";
      drive.text = std::string(root) + "  BACKUP";
      offer.drives.push_back(drive);
    }
    offer.inaccessible = {"/media/someone/an external disk that was pulled out: No such file or directory",
                          "/mnt/network share of the office: Permission denied"};
    CCatalogNewDisk drives(offer, app.frame());
    drives.show();
    shot(drives, "newdisk");
    CVolumeLabel label("OLD", app.frame());
    label.show();
    shot(label, "label");
    CMessageDialog wait("Auto-loading catalogs ... please wait", app.frame());
    shot(wait, "wait");
    tree.viewOptions()->show();
    shot(*tree.viewOptions(), "options");

    // A loader warning as the user sees it (the real box, closed after its picture).
    QTimer::singleShot(300, [&] {
      if (QWidget *box = QApplication::activeModalWidget()) {
        shot(*box, "warning");
        box->close();
      }
    });
    showBox(app.frame(), "Please re-catalog this disk", "Cannot read /somewhere/OLD.zar", BoxKind::Warning);

    QProcess windows;
    windows.start("xwininfo", {"-root", "-tree"});
    if (windows.waitForFinished(5000)) {
      QFile out(QString(target).replace(".png", "-windows.txt"));
      if (out.open(QIODevice::WriteOnly)) out.write(windows.readAllStandardOutput());
    }
    tree.viewOptions()->hide();
  }
};

GUI_SUITE(ScreenshotTest);
#include "screenshot_test.moc"
