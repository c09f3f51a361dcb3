// The Find Files and Find Duplicate Files dialogs over a running program.
#include "gui_suites.h"
#include "pane_fixture.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>

#include "DialogRunner.h"
#include "FindDuplicatesDlg.h"
#include "FindFilesDlg.h"
#include "FrameActions.h"
#include "PaintBreaks.h"
#include "ToolDialogs.h"

using namespace gui_support;

namespace {

template <typename Dialog> Dialog *openDialog(PaneFixture &f) {
  QList<Dialog *> open = f.app->frame()->findChildren<Dialog *>();
  return open.isEmpty() ? nullptr : open.back();
}

// The texts of column c of a dialog's results, the names by default.
QStringList column(const ResultDialog *dialog, int c = 0) {
  QStringList out;
  for (int r = 0; r < dialog->resultModel()->rowCount(); ++r)
    out << dialog->resultModel()->index(r, c).data().toString();
  return out;
}

// Searches again and gives the names found.
template <typename Dialog> QStringList found(Dialog *dialog) {
  dialog->findNow();
  return column(dialog);
}

FindFilesDlg *findFilesIn(PaneFixture &f, tavlor::ItemId root) {
  return startFindFiles(f.doc(), {root}, f.app->frame(), f.app->frame()->fileActions());
}

void loadCatalog(PaneFixture &f, const char *file) {
  f.app->frame()->commands()->loadCatalog((f.catalogs + "/" + file).toStdString(), false);
}

} // namespace

class ToolsTest : public QObject {
  Q_OBJECT
private slots:
  void findFilesListsSortsAndSavesItsReport() {
    PaneFixture f;
    f.app->frame()->actions()->findFiles->trigger();
    FindFilesDlg *dialog = openDialog<FindFilesDlg>(f);
    QVERIFY(dialog);
    QCOMPARE(f.doc().busy(), 1);
    QCOMPARE(dialog->findChild<QLabel *>("lookInText")->text(), QString("My Removable Disk Drive"));
    QAbstractItemModelTester tester(dialog->resultModel());
    dialog->maskEdit()->setText("*.txt");
    QCOMPARE(found(dialog), QStringList({"a.txt", "b.txt", "only.txt", "x.txt", "y.txt"}));
    QCOMPARE(column(dialog, 1), QStringList({"BACKUP", "BACKUP", "SMALL", "BACKUP/docs", "BACKUP/docs"}));
    QCOMPARE(dialog->maskEdit()->text(), QString("*.TXT"));
    QCOMPARE(dialog->windowTitle(), QString("Find Files or Folders: 5 File(s), 0 Folder(s), 0 Zip Folder(s) Found"));
    // The shared toggle: Size largest first, then Date oldest first.
    dialog->resultView()->selectionModel()->select(dialog->resultModel()->index(0, 0),
                                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    dialog->sortByColumn(2);
    QCOMPARE(column(dialog).first(), QString("b.txt"));
    QCOMPARE(dialog->selectedEntries().front()->name(), std::string_view("a.txt")); // the selection follows
    dialog->sortByColumn(3);
    QCOMPARE(column(dialog).first(), QString("a.txt"));

    // Save Report proposes FindFiles.txt; a .csv name writes CSV and is proposed next.
    const QString path = freshFolder("reports") + "/found.csv";
    QString proposed;
    setDialogRunner([&](QDialog &d) {
      auto &files = static_cast<QFileDialog &>(d);
      proposed = files.selectedFiles().value(0);
      files.selectFile(path);
      return int(QDialog::Accepted);
    });
    dialog->saveReport();
    setDialogRunner({});
    QVERIFY(proposed.endsWith("/FindFiles.txt"));
    QCOMPARE(dialog->reportName(), std::string("found"));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const std::string report = saved.readAll().toStdString();
    QVERIFY(report.find(" Search mask        : *.TXT\r\n") != std::string::npos);
    QVERIFY(report.find("\r\n\r\n time, size, name, path \r\n 01/01/01 12:00:00, 100, a.txt, BACKUP\r\n") !=
            std::string::npos);
    QVERIFY(report.ends_with(" 5 Files found.\r\n"));
    // The name order is made beside the window's thread; the selection still follows.
    dialog->sortByColumn(0);
    QCOMPARE(column(dialog), QStringList({"y.txt", "x.txt", "only.txt", "b.txt", "a.txt"}));
    QCOMPARE(dialog->selectedEntries().front()->name(), std::string_view("a.txt"));
    QCOMPARE(dialog->resultView()->selectionModel()->selectedRows().value(0).row(), 4);
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(f.doc().busy(), 0);
  }

  void longWorkRunsOnASecondThreadWhileTimersFire() {
    std::atomic<bool> ticked = false;
    QTimer::singleShot(0, [&] { ticked = true; });
    std::thread::id worker;
    runWhileWindowsPaint([&] {
      worker = std::this_thread::get_id();
      for (int i = 0; i < 1000 && !ticked; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    QVERIFY(ticked);
    QVERIFY(worker != std::this_thread::get_id());
    QVERIFY_THROWS_EXCEPTION(std::bad_alloc, runWhileWindowsPaint([] { throw std::bad_alloc(); }));
  }

  void nothingFoundAndTheEmptyMaskWarning() {
    PaneFixture f;
    FindFilesDlg *dialog = findFilesIn(f, f.disk("BACKUP"));
    dialog->maskEdit()->setText("zz*");
    QCOMPARE(found(dialog), QStringList({"No files found"}));
    QVERIFY(!dialog->resultModel()->entryAt(0));
    QVERIFY(!dialog->contextMenu(0));
    QCOMPARE(dialog->windowTitle(), QString("Find Files or Folders"));
    // Few entries: an empty mask finds everything without asking.
    BoxLog boxes;
    dialog->maskEdit()->clear();
    dialog->findNow();
    QVERIFY(boxes.boxes().empty());
    QCOMPARE(dialog->resultModel()->rowCount(), 9);
    auto menu = dialog->contextMenu(0);
    QCOMPARE(menuTexts(menu.get()), QStringList({"Open", "Send To Notepad", "Extract/Copy ...", "Properties"}));
  }

  void rowsLeaveWhenTheirDiskIsReloadedOrAllCatalogsReopen() {
    PaneFixture f;
    FindFilesDlg *dialog = findFilesIn(f, f.model().root());
    QAbstractItemModelTester tester(dialog->resultModel());
    dialog->maskEdit()->setText("*");
    dialog->findNow();
    QCOMPARE(dialog->resultModel()->rowCount(), 12);
    writeCatalog(f.catalogs, "SMALL.zar", "SMALL", fileLine("new.txt", 7));
    loadCatalog(f, "SMALL.zar");
    QCOMPARE(dialog->resultModel()->rowCount(), 10); // SMALL and only.txt went
    QVERIFY(!column(dialog).contains("only.txt"));
    f.app->frame()->commands()->openAllCatalogs();
    QCOMPARE(dialog->resultModel()->rowCount(), 0);
    // A dialog rooted at a disk searches the disk as reloaded; a closed one finds nothing.
    FindFilesDlg *small = findFilesIn(f, f.disk("SMALL"));
    loadCatalog(f, "SMALL.zar");
    QCOMPARE(found(small), QStringList({"new.txt"}));
    f.app->frame()->commands()->closeCatalog(f.disk("SMALL"));
    QCOMPARE(found(small), QStringList({"No files found"}));
  }

  void findDuplicatesGroupsAndRefusesABadThreshold() {
    PaneFixture f;
    writeCatalog(f.catalogs, "COPY.zar", "COPY", fileLine("a.txt", 100, 1, 1, 2001) + fileLine("ONLY.TXT", 9));
    loadCatalog(f, "COPY.zar");
    f.app->frame()->actions()->findDuplicates->trigger();
    FindDuplicatesDlg *dialog = openDialog<FindDuplicatesDlg>(f);
    QVERIFY(dialog);
    QAbstractItemModelTester tester(dialog->resultModel());
    QCOMPARE(dialog->unitLabel()->text(), QString("bytes"));
    QVERIFY(!dialog->maskEdit()->isEnabled());
    QCOMPARE(found(dialog), QStringList({"---", "a.txt", "a.txt"}));
    QCOMPARE(column(dialog, 3), QStringList({"", "BACKUP", "COPY"}));
    dialog->sizesBox()->setChecked(false);
    dialog->datesBox()->setChecked(false);
    QCOMPARE(found(dialog), QStringList({"---", "a.txt", "a.txt", "---", "ONLY.TXT", "only.txt"}));
    {
      BoxLog boxes;
      dialog->ignoreSmallerEdit()->setText("50");
      dialog->findNow();
      dialog->ignoreSmallerEdit()->setText("lots");
      dialog->findNow();
      QCOMPARE(boxes.boxes().size(), size_t(1));
      QCOMPARE(boxes.boxes()[0].text, QString("Please enter an integer."));
      QCOMPARE(dialog->ignoreSmallerEdit()->text(), QString("50"));
      QCOMPARE(column(dialog), QStringList({"---", "a.txt", "a.txt"}));
    }
    dialog->namedButton()->setChecked(true);
    QVERIFY(dialog->maskEdit()->isEnabled());
    dialog->maskEdit()->setText("o*");
    dialog->ignoreSmallerEdit()->setText("0");
    QCOMPARE(found(dialog), QStringList({"---", "ONLY.TXT", "only.txt"}));
    QCOMPARE(dialog->maskEdit()->text(), QString("O*"));
    dialog->namesBox()->setChecked(false);
    QCOMPARE(found(dialog), QStringList({"Error: All file comparison criteria disabled, please enable at least one."}));
    // A set that loses a member to a reload goes as a whole.
    dialog->namesBox()->setChecked(true);
    dialog->findNow();
    f.app->frame()->commands()->closeCatalog(f.disk("COPY"));
    QCOMPARE(dialog->resultModel()->rowCount(), 0);
  }

  void panesStartTheDialogsOnTheirFolders() {
    PaneFixture f;
    {
      BoxLog boxes;
      f.select(f.disk("BACKUP"));
      f.list().view()->selectionModel()->select(f.rows().index(f.rowNamed("a.txt"), 0),
                                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      auto menu = f.list().contextMenu(f.rowNamed("docs"));
      menu->actions().value(0)->trigger();
      QCOMPARE(boxes.boxes().size(), size_t(1));
      QCOMPARE(boxes.boxes()[0].text, QString("Please select one or more folders to search in"));
      QVERIFY(!openDialog<FindFilesDlg>(f));
    }
    f.list().view()->selectAll();
    f.list().contextMenu(f.rowNamed("docs"))->actions().value(1)->trigger();
    FindDuplicatesDlg *dupes = openDialog<FindDuplicatesDlg>(f);
    QVERIFY(dupes);
    QCOMPARE(dupes->findChild<QLabel *>("lookInText")->text(), QString("BACKUP/docs; BACKUP/pics.zip"));
    // While a dialog is open a disk cannot be closed from the tree.
    QVERIFY(!menuTexts(f.tree().contextMenu(f.disk("SMALL")).get()).contains("Close Catalog"));
    f.tree().contextMenu(f.disk("SMALL"))->actions().value(0)->trigger();
    QCOMPARE(openDialog<FindFilesDlg>(f)->findChild<QLabel *>("lookInText")->text(), QString("SMALL"));
    QCOMPARE(f.doc().busy(), 2);
    // The toolbar's button searches the tree's context item.
    f.app->frame()->actions()->findFilesButton->trigger();
    QCOMPARE(openDialog<FindFilesDlg>(f)->roots(), std::vector<tavlor::ItemId>{f.disk("SMALL")});
  }
};

GUI_SUITE(ToolsTest);
#include "tools_test.moc"
