// The Compare Disk vs. Catalog dialog over a running program: the drive list from a
// volume table, Compare Now against a cataloged folder, the report, Properties,
// a reload under open results, the missing catalog, the busy counter. With
// TAVLOR_SCREENSHOT=FILE.png the dialog with its results is saved to
// FILE-compare.png as well.
#include "gui_suites.h"
#include "newdisk_support.h"
#include "pane_fixture.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

#include "CompareResultModel.h"
#include "DriveCompare.h"
#include "FrameActions.h"
#include "Tavscan60.h"
#include "model/catalog_loader.h"

using namespace gui_support;

namespace {

class QuietReporter : public tavlor::LoadReporter {
public:
  void warning(const std::string &, const std::string &) override {}
};

// Writes data to path, making its folder first.
void writeFile(const QString &path, const QByteArray &data) {
  QVERIFY(QDir().mkpath(QFileInfo(path).path()));
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(data);
}

QStringList column(const QAbstractItemModel &m, int c) {
  QStringList out;
  for (int r = 0; r < m.rowCount(); ++r)
    out << m.index(r, c).data().toString();
  return out;
}

} // namespace

class DriveCompareTest : public QObject {
  Q_OBJECT
private slots:
  void compareSaveReloadAndClose() {
    PaneFixture f;
    const QString disk = freshFolder("cmpdisk");
    writeFile(disk + "/docs/notes.txt", "notes");
    writeFile(disk + "/old/deeper/gone.txt", "gone");
    const std::string catalog = (f.catalogs + "/CMPDISK.zar").toStdString();
    QCOMPARE(
        catalogVolume(disk.toUtf8().constData(), "CMPDISK", catalog.c_str(), 1, 2, 2003, 4, 5, 6, nullptr, nullptr),
        int(kTavscanCatalogOk));
    QuietReporter reporter;
    tavlor::loadCatalog(f.model(), catalog, reporter);
    QDir(disk + "/old").removeRecursively();
    writeFile(disk + "/scans/page1.tif", QByteArray(5000, 'x'));
    writeFile(disk + "/scans/sub/page2.tif", "p2");
    writeFile(disk + "/docs/notes.txt", "notes, longer now");

    VolumeTable volumes({disk + "\tCMPDISK\tremovable", "/nowhere/fixed\tSMALL\tfixed",
                         "/nowhere/empty\tNOMEDIA\tremovable\tENOMEDIUM", "/nowhere/a\tOTHER\tfixed"});
    QVERIFY(f.app->frame()->actions()->toolsMenu->actions().contains(f.app->frame()->actions()->compareDisk));
    QPointer<DriveCompare> dialog = f.app->frame()->openDriveCompare();
    QVERIFY(dialog);
    QAbstractItemModelTester tester(dialog->results(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(dialog->windowTitle(), QString("Compare Disk vs. Catalog"));
    QCOMPARE(f.doc().busy(), 1);
    // Sorted, the unreadable drive left out, the removable one chosen.
    QComboBox *drives = dialog->driveList();
    QCOMPARE(drives->count(), 3);
    QVERIFY(drives->itemText(1) < drives->itemText(2));
    QCOMPARE(drives->currentText(), disk + "  CMPDISK");
    QVERIFY(!dialog->resultList()->header()->sectionsClickable());

    dialog->compareNow();
    const CompareResultModel &rows = *dialog->results();
    QCOMPARE(column(rows, 0), QStringList({"new directory", "new directory", "new", "new", "modified",
                                           "deleted directory", "deleted directory", "deleted"}));
    QCOMPARE(rows.index(0, 1).data().toString(), QString("scans"));
    QCOMPARE(rows.index(0, 2).data().toString(), disk);
    QCOMPARE(rows.index(4, 2).data().toString(), QString("CMPDISK/docs"));
    QCOMPARE(rows.index(4, 3).data().toString(), QString("5"));
    QCOMPARE(rows.index(4, 4).data().toString(), QString("17"));
    const int page1 = column(rows, 1).indexOf("page1.tif");
    QCOMPARE(rows.index(page1, 3).data().toString(), QString());
    QCOMPARE(rows.index(page1, 4).data().toString(), QString("5,000"));
    QCOMPARE(rows.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Size Catalog"));
    QVERIFY(!rows.index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    for (int c = 0; c < rows.columnCount(); ++c) {
      const int needed = dialog->resultList()->header()->fontMetrics().horizontalAdvance(
          rows.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
      QVERIFY2(dialog->resultList()->columnWidth(c) > needed, qPrintable(QString::number(c)));
    }

    // Properties of the modified file's catalog entry, shown by the main window.
    DialogScript script; // cancels every dialog that comes up
    QList<tavlor::PropertiesValues> asked;
    connect(dialog, &DriveCompare::propertiesRequested, this,
            [&](const tavlor::PropertiesValues &v) { asked.append(v); });
    dialog->showProperties(4);
    dialog->showProperties(0); // a new directory has no catalog entry
    QCOMPARE(asked.size(), 1);
    QCOMPARE(QString::fromStdString(asked[0].name), QString("notes.txt"));
    QCOMPARE(script.seen().size(), 1);

    const QString report = freshFolder("report") + "/CompareDisk.txt";
    QVERIFY(dialog->saveReportTo(report));
    QFile saved(report);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray text = saved.readAll();
    QVERIFY(text.startsWith(" Tavlor, Disk/catalog compare report\r\n"));
    QVERIFY(text.contains("\r\n Disk compared is " + disk.toUtf8() + "  CMPDISK\r\n"));
    QVERIFY(text.endsWith("\r\n\r\n 8 Differences found.\r\n"));
    QVERIFY(!dialog->saveReportTo(freshFolder("report") + "/missing/folder/x.txt"));

    if (!qEnvironmentVariableIsEmpty("TAVLOR_SCREENSHOT")) {
      dialog->show();
      QVERIFY(QTest::qWaitForWindowExposed(dialog));
      QTest::qWait(200);
      QVERIFY(dialog->grab().save(qEnvironmentVariable("TAVLOR_SCREENSHOT").replace(".png", "-compare.png")));
    }

    // A reload destroys every entry the rows refer to: the rows keep their texts.
    tavlor::loadCatalog(f.model(), catalog, reporter);
    QCOMPARE(rows.rowCount(), 8);
    QCOMPARE(rows.entryAt(4), nullptr);
    QCOMPARE(rows.index(4, 1).data().toString(), QString("notes.txt"));
    dialog->showProperties(4);
    QCOMPARE(asked.size(), 1);

    // A volume whose label no loaded disk has.
    BoxLog boxes;
    drives->setCurrentIndex(drives->findText("/nowhere/a  OTHER"));
    dialog->compareNow();
    QCOMPARE(rows.rowCount(), 0);
    QCOMPARE(boxes.boxes().size(), size_t(1));
    QCOMPARE(boxes.boxes()[0].text, QString("Catalog for this disk is not loaded"));
    QVERIFY(boxes.boxes()[0].kind == BoxKind::Stop);

    QTest::mouseClick(dialog->findChild<QPushButton *>("cancel"), Qt::LeftButton);
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(f.doc().busy(), 0);
  }
};

GUI_SUITE(DriveCompareTest);
#include "compare_dialog_test.moc"
