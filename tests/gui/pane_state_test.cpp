// What the panes show after navigation and after every command that loads, closes or
// replaces catalogs; labels that cannot name a catalog file; please-wait windows.
#include "gui_suites.h"
#include "newdisk_support.h"

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QListWidget>
#include <QScrollBar>
#include <QtTest>

using namespace gui_support;

namespace {

// Two folders of 300 files each, so the list scrolls.
void addBigCatalog(PaneFixture &f) {
  std::string first, second;
  for (int i = 0; i < 300; ++i) {
    first += fileLine("first" + std::to_string(i), i);
    second += fileLine("second" + std::to_string(i), i);
  }
  writeCatalog(f.catalogs, "BIG.zar", "BIG", folderLines("one", first) + folderLines("two", second));
  f.app->frame()->commands()->loadCatalog(QFile::encodeName(f.catalogs + "/BIG.zar").toStdString(), true);
}

void click(PaneFixture &f, tavlor::ItemId item) {
  QTreeView *view = f.tree().view();
  QModelIndex index = f.tree().treeModel()->indexOf(item);
  view->scrollTo(index);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

// The tree highlights exactly what the list shows.
void verifyAgreement(PaneFixture &f) {
  QCOMPARE(f.tree().currentItem(), f.doc().shownItem());
  QCOMPARE(f.rows().shownItem(), f.doc().shownItem());
}

} // namespace

class PaneStateTest : public QObject {
  Q_OBJECT
private slots:
  void aFolderOpensAtItsTopWithNothingSelected_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("tree click") << "click";
    QTest::newRow("double-click in the list") << "double-click";
    QTest::newRow("Enter in the list") << "enter";
  }

  void aFolderOpensAtItsTopWithNothingSelected() {
    QFETCH(QString, how);
    PaneFixture f;
    f.app->frame()->resize(700, 400);
    QVERIFY(QTest::qWaitForWindowExposed(f.app->frame()));
    addBigCatalog(f);
    tavlor::ItemId big = f.disk("BIG");
    f.tree().view()->expand(f.tree().treeModel()->indexOf(big));
    QTreeView *list = f.list().view();
    f.select(f.folder("BIG", "one"));
    list->scrollToBottom();
    list->selectionModel()->select(f.rows().index(290, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QVERIFY(list->verticalScrollBar()->value() > 0);

    tavlor::ItemId two = f.folder("BIG", "two");
    if (how == "click") {
      click(f, two);
    } else {
      // The disk's list, scrolled and with a row selected, opens the folder.
      click(f, big);
      QCOMPARE(f.names(), QStringList({"one", "two"}));
      QModelIndex row = f.rows().index(1, 0);
      list->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      if (how == "enter") {
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
      } else {
        QPoint at = list->visualRect(row).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
      }
    }
    QCOMPARE(f.rows().shownItem(), two);
    QCOMPARE(f.tree().currentItem(), two);
    QCOMPARE(list->verticalScrollBar()->value(), 0);
    QVERIFY(list->selectionModel()->selectedRows().isEmpty());
    QVERIFY(!list->currentIndex().isValid());
    QCOMPARE(f.names().first(), QString("second0"));
    QCOMPARE(list->header()->sortIndicatorSection(), 0);
  }

  void treeAndListAgreeAfterEveryCommand_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("Close Catalog") << "close";
    QTest::newRow("Close Selected Catalogs") << "close selected";
    QTest::newRow("Delete Catalog") << "delete";
    QTest::newRow("Open Selected Catalog") << "open selected";
    QTest::newRow("Open All Catalogs") << "open all";
    QTest::newRow("Catalog New Disk") << "new disk";
    QTest::newRow("a reload that does not show the disks") << "reload";
  }

  void treeAndListAgreeAfterEveryCommand() {
    QFETCH(QString, command);
    QString disk = freshFolder("volume");
    QFile(disk + "/new.txt").open(QIODevice::WriteOnly);
    VolumeTable table({disk + "\tBACKUP\tremovable"});
    PaneFixture f;
    QVERIFY(QTest::qWaitForWindowExposed(f.app->frame()));
    BoxLog boxes(true);
    CatalogCommands &commands = *f.app->frame()->commands();
    std::string backupFile = QFile::encodeName(f.catalogs + "/BACKUP.zar").toStdString();
    CatalogCommands::setFileChooser(
        [&](QWidget *, const QString &) { return QStringList({f.catalogs + "/BACKUP.zar"}); });
    // The disk itself is highlighted for the closing commands, a folder inside it for
    // the ones that replace it.
    bool closing = command.startsWith("close") || command == "delete";
    f.select(closing ? f.disk("BACKUP") : f.folder("BACKUP", "docs"));

    if (command == "close") {
      commands.closeCatalog(f.disk("BACKUP"));
    } else if (command == "close selected") {
      f.select(f.model().root());
      f.list().view()->selectionModel()->select(f.rows().index(f.rowNamed("BACKUP"), 0),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      f.list().closeSelectedCatalogs();
    } else if (command == "delete") {
      commands.deleteCatalog(f.disk("BACKUP"));
    } else if (command == "open selected") {
      commands.openSelectedCatalog();
    } else if (command == "open all") {
      commands.openAllCatalogs();
    } else if (command == "new disk") {
      DialogScript script;
      script.then(chooseDrive(disk));
      runCatalogNewDisk(f);
    } else {
      commands.loadCatalog(backupFile, false);
    }
    CatalogCommands::setFileChooser({});
    verifyAgreement(f);
    QCOMPARE(f.tree().currentItem(), command == "reload" ? tavlor::kNoItem : f.model().root());

    // Every item shows its content when clicked, the highlighted one included.
    for (tavlor::ItemId item :
         {f.tree().currentItem(), f.disk("SMALL"), f.disk("SMALL"), f.model().root(), f.disk("BACKUP")}) {
      if (item == tavlor::kNoItem) continue;
      click(f, item);
      QCOMPARE(f.rows().shownItem(), item);
      verifyAgreement(f);
    }
  }

  void aLabelThatCannotNameACatalogFileNeverReachesTheDisk_data() {
    QTest::addColumn<QString>("volume"); // the label the volume has
    QTest::addColumn<QString>("typed");  // the label typed for a volume without one
    QTest::newRow("typed slash") << QString() << "a/b";
    QTest::newRow("typed two dots") << QString() << "..";
    QTest::newRow("typed three dots") << QString() << "...";
    QTest::newRow("volume labelled two dots") << ".." << QString();
  }

  void aLabelThatCannotNameACatalogFileNeverReachesTheDisk() {
    QFETCH(QString, volume);
    QFETCH(QString, typed);
    QString disk = freshFolder("volume");
    VolumeTable table({disk + "\t" + volume + "\tremovable"});
    PaneFixture f;
    BoxLog boxes;
    DialogScript script;
    script.then(chooseDrive(disk));
    // A refused typed label brings the dialog back; the second answer is a usable one.
    if (!typed.isEmpty()) script.then(typeLabel(typed)).then(typeLabel("good"));
    runCatalogNewDisk(f);
    // Table volumes refuse every new label with a "SetVolumeLabel" box, so that box
    // shows each attempt to write one: only a good typed label gets that far.
    QCOMPARE(int(boxes.boxes().size()), typed.isEmpty() ? 1 : 2);
    QVERIFY(boxes.boxes()[0].text.contains("cannot name a catalog file"));
    QCOMPARE(boxes.overWaitWindow(), 0);
    if (typed.isEmpty()) {
      // The volume's own label stops the scan before it starts.
      QCOMPARE(QDir(f.catalogs).entryList({"*.zar"}), QStringList({"BACKUP.zar", "SMALL.zar"}));
      return;
    }
    QCOMPARE(script.seen(), QStringList({"catalogNewDiskDialog", "volumeLabelDialog", "volumeLabelDialog"}));
    QCOMPARE(boxes.boxes()[0].kind, BoxKind::Warning);
    QCOMPARE(boxes.boxes()[1].caption, QString("SetVolumeLabel"));
    QCOMPARE(QDir(f.catalogs).entryList({"*.zar"}), QStringList({"BACKUP.zar", "GOOD.zar", "SMALL.zar"}));
  }

  // The loader's warning comes while catalogs are still being auto-loaded, "No catalogs
  // found." once the window has gone.
  void boxesNeverSitOnAPleaseWaitWindow() {
    for (const bool bad : {true, false}) {
      const QString catalogs = freshFolder("catalogs");
      if (bad) {
        QFile file(catalogs + "/BAD.zar");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a catalog\r\n");
      }
      resetSettings({{"Tavlor", catalogs}, {"AutoLoadCatalogs", 1}});
      BoxLog boxes;
      CTavlor2App app;
      QVERIFY(app.initInstance({}));
      QCOMPARE(int(boxes.boxes().size()), 1);
      QCOMPARE(boxes.overWaitWindow(), 0);
      if (bad) {
        QCOMPARE(boxes.boxes()[0].caption, QString("Please re-catalog this disk"));
        QVERIFY(!waitWindowShowing());
      } else {
        QVERIFY(boxes.boxes()[0].text.startsWith("No catalogs found."));
      }
    }
  }

  void sizeColumnsFitTheLargestSizes() {
    PaneFixture f;
    writeCatalog(f.catalogs, "HUGE.zar", "HUGE", fileLine("huge.img", 6442450944000LL), 6442450944000LL,
                 6442450944000LL);
    f.app->frame()->commands()->loadCatalog(QFile::encodeName(f.catalogs + "/HUGE.zar").toStdString(), true);
    QTreeView *list = f.list().view();
    int text = list->fontMetrics().horizontalAdvance("6,442,450,944,000");
    QCOMPARE(f.rows().index(f.rowNamed("HUGE"), 1).data().toString(), QString("6,442,450,944,000"));
    QVERIFY(list->header()->sectionSize(1) > text);
    QVERIFY(list->header()->sectionSize(2) > text);
    f.select(f.disk("HUGE"));
    QVERIFY(list->header()->sectionSize(1) > text);
  }
};

GUI_SUITE(PaneStateTest);
#include "pane_state_test.moc"
