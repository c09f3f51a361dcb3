// The tree and list panes: columns, sorting, context menus, navigation, stale rows.
#include "gui_suites.h"
#include "pane_fixture.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QtTest>

using namespace gui_support;

class PaneTest : public QObject {
  Q_OBJECT
private slots:
  void rootListsDisksAndFoldersListTheirContent() {
    PaneFixture f;
    f.select(f.model().root());
    QCOMPARE(f.headers(), QStringList({"Disk", "Total Size", "Free Space", "Date Cataloged", "Description"}));
    QCOMPARE(f.names(), QStringList({"BACKUP", "SMALL"}));
    QCOMPARE(f.rows().index(0, 1).data().toString(), QString("8,000,000"));
    QCOMPARE(f.rows().index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight, Qt::AlignRight);
    QHeaderView *header = f.list().view()->header();
    QVERIFY(header->sectionSize(4) >= 300);
    QVERIFY(qAbs(header->sectionSize(4) * 120 - header->sectionSize(0) * 300) <= 300); // 300 : 120

    f.select(f.disk("BACKUP"));
    QCOMPARE(f.headers(), QStringList({"Name", "Size", "Date"}));
    // Rows start in name order; a folder shows the sum of its files.
    QCOMPARE(f.names(), QStringList({"a.txt", "b.txt", "docs", "pics.zip"}));
    QCOMPARE(f.rows().index(f.rowNamed("docs"), 1).data().toString(), QString("120"));
    QVERIFY(header->sectionSize(0) >= 200);
  }

  void folderColumnsKeepTheirWidthsUntilTheDiskList() {
    PaneFixture f;
    f.select(f.disk("BACKUP"));
    QHeaderView *header = f.list().view()->header();
    int original = header->sectionSize(0);
    header->resizeSection(0, original + 77);
    f.select(f.folder("BACKUP", "docs"));
    QCOMPARE(header->sectionSize(0), original + 77);
    f.select(f.model().root());
    f.select(f.disk("SMALL"));
    QCOMPARE(header->sectionSize(0), original);
  }

  void diskColumnsFollowTheSwitches_data() {
    QTest::addColumn<QString>("switchedOff");
    QTest::addColumn<QStringList>("headers");
    QTest::newRow("sizes off") << "ShowTotalSize,ShowFreeSpace"
                               << QStringList({"Disk", "Date Cataloged", "Description"});
    QTest::newRow("date off") << "ShowDateCataloged"
                              << QStringList({"Disk", "Total Size", "Free Space", "Description"});
    QTest::newRow("description off") << "ShowDescription"
                                     << QStringList({"Disk", "Total Size", "Free Space", "Date Cataloged"});
    QTest::newRow("all off") << "ShowTotalSize,ShowFreeSpace,ShowDateCataloged,ShowDescription"
                             << QStringList({"Disk"});
  }

  void diskColumnsFollowTheSwitches() {
    QFETCH(QString, switchedOff);
    QFETCH(QStringList, headers);
    std::vector<std::pair<const char *, QVariant>> extra;
    std::vector<QByteArray> names;
    for (const QString &name : switchedOff.split(','))
      names.push_back(name.toLatin1());
    for (const QByteArray &name : names)
      extra.emplace_back(name.constData(), 0);
    PaneFixture f(extra);
    f.select(f.model().root());
    QCOMPARE(f.headers(), headers);
  }

  void oneDirectionFlagIsSharedByAllColumns() {
    PaneFixture f;
    f.select(f.disk("BACKUP"));
    QHeaderView *header = f.list().view()->header();
    QVERIFY(QTest::qWaitForWindowExposed(f.app->frame()));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(1) + 5, 5));
    QCOMPARE(f.names(), QStringList({"pics.zip", "b.txt", "docs", "a.txt"}));
    f.list().sortByColumn(0);
    QCOMPARE(f.names(), QStringList({"a.txt", "b.txt", "docs", "pics.zip"}));
    f.list().sortByColumn(2);
    QCOMPARE(f.names().first(), QString("b.txt")); // newest first
  }

  void treeMenusDependOnTheItemAndTheBusyCounter() {
    PaneFixture f;
    auto menu = f.tree().contextMenu(f.model().root());
    QCOMPARE(menuTexts(menu.get()), QStringList({"Find Files ...", "Find Duplicate Files ...", "Save As HTML ...", "Properties"}));
    menu = f.tree().contextMenu(f.disk("BACKUP"));
    QCOMPARE(menuTexts(menu.get()),
             QStringList({"Find Files ...", "Find Duplicate Files ...", "Save As HTML ...", "Delete Catalog", "Close Catalog", "Extract/Copy ...", "Properties"}));
    menu = f.tree().contextMenu(f.folder("BACKUP", "docs"));
    QCOMPARE(menuTexts(menu.get()), QStringList({"Find Files ...", "Find Duplicate Files ...", "Open", "Save As HTML ...", "Extract/Copy ...", "Properties"}));
    menu = f.tree().contextMenu(f.folder("BACKUP", "pics.zip"));
    QCOMPARE(menuTexts(menu.get()), QStringList({"Find Files ...", "Find Duplicate Files ...", "Open", "Save As HTML ...", "Extract All Files ...", "Properties"}));
    f.doc().beginBusy();
    menu = f.tree().contextMenu(f.disk("BACKUP"));
    QCOMPARE(menuTexts(menu.get()), QStringList({"Find Files ...", "Find Duplicate Files ...", "Save As HTML ...", "Extract/Copy ...", "Properties"}));
    f.doc().endBusy();
    QVERIFY(!f.tree().contextMenu(tavlor::kNoItem));
  }

  void listMenusDependOnTheKindOfEntry() {
    PaneFixture f;
    f.select(f.model().root());
    auto menu = f.list().contextMenu(0);
    QCOMPARE(menuTexts(menu.get()),
             QStringList({"Find Files ...", "Find Duplicate Files ...", "Edit Description ...", "Close Catalog(s)", "Properties"}));
    f.select(f.disk("BACKUP"));
    menu = f.list().contextMenu(f.rowNamed("a.txt"));
    QCOMPARE(menuTexts(menu.get()), QStringList({"Open", "Send To Notepad", "Extract/Copy ...", "Properties"}));
    menu = f.list().contextMenu(f.rowNamed("docs"));
    QCOMPARE(menuTexts(menu.get()), QStringList({"Find Files ...", "Find Duplicate Files ...", "Open", "Extract/Copy ...", "Properties"}));
    menu = f.list().contextMenu(f.rowNamed("pics.zip"));
    QCOMPARE(menuTexts(menu.get()), QStringList({"Find Files ...", "Find Duplicate Files ...", "Open", "Extract All Files ...", "Properties"}));
    QVERIFY(!f.list().contextMenu(99));

    PaneFixture noDescription({{"ShowDescription", 0}});
    noDescription.select(noDescription.model().root());
    menu = noDescription.list().contextMenu(0);
    QCOMPARE(menuTexts(menu.get()), QStringList({"Find Files ...", "Find Duplicate Files ...", "Close Catalog(s)", "Properties"}));
  }

  void doubleClickOnAFolderOpensItInTheTree() {
    PaneFixture f;
    f.select(f.disk("BACKUP"));
    QVERIFY(QTest::qWaitForWindowExposed(f.app->frame()));
    QTreeView *view = f.list().view();
    QRect cell = view->visualRect(f.rows().index(f.rowNamed("docs"), 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(f.tree().currentItem(), f.folder("BACKUP", "docs"));
    QCOMPARE(f.names(), QStringList({"x.txt", "y.txt"}));
  }

  void enterOnAFolderRowOpensIt() {
    PaneFixture f;
    f.select(f.disk("BACKUP"));
    QTreeView *view = f.list().view();
    view->setFocus();
    view->selectionModel()->setCurrentIndex(f.rows().index(f.rowNamed("pics.zip"), 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(f.names(), QStringList({"m1", "m2", "m3"}));
  }

  void closingTheShownDiskLeavesNoStaleRows() {
    PaneFixture f;
    f.select(f.folder("BACKUP", "docs"));
    f.list().contextMenu(0);
    QVERIFY(f.list().contextEntry());
    f.tree().setContextItem(f.folder("BACKUP", "docs"));
    f.model().closeChildFolder(f.model().root(), "backup");
    QCOMPARE(f.rows().rowCount(), 0);
    QVERIFY(!f.list().contextEntry());
    QCOMPARE(f.tree().contextItem(), tavlor::kNoItem);
    // Commands on the forgotten context do nothing.
    f.list().showProperties();
    f.tree().showProperties();
  }

  void itemModelsStayConsistentThroughLoadsAndCloses() {
    PaneFixture f;
    QAbstractItemModelTester treeTester(f.tree().treeModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester listTester(f.list().listModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    f.select(f.model().root());
    f.list().sortByColumn(1);
    f.select(f.folder("BACKUP", "docs"));
    f.app->frame()->commands()->loadCatalog(QFile::encodeName(f.catalogs + "/BACKUP.zar").toStdString(), false);
    QCOMPARE(f.rows().rowCount(), 0); // the reload replaced the shown folder
    f.select(f.model().root());
    f.app->frame()->commands()->closeCatalog(f.disk("SMALL"));
    QCOMPARE(f.names(), QStringList({"BACKUP"}));
    f.app->frame()->commands()->openAllCatalogs();
    QCOMPARE(f.names(), QStringList({"BACKUP", "SMALL"}));
    QCOMPARE(f.tree().treeModel()->rowCount(f.tree().treeModel()->indexOf(f.model().root())), 2);
  }
};

GUI_SUITE(PaneTest);
#include "pane_test.moc"
