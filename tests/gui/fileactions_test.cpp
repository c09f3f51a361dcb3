// Open, Extract/Copy and dragging out from the panes and the Find result lists, over a
// disk cataloged from a folder that a volume table offers under its label.
#include "gui_suites.h"
#include "newdisk_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QtTest>

#include "CExtract.h"
#include "CInstertDisk.h"
#include "DialogRunner.h"
#include "DragDropMgr.h"
#include "FileActions.h"
#include "FindDuplicatesDlg.h"
#include "FindFilesDlg.h"
#include "FrameActions.h"
#include "Tavscan60.h"
#include "export/file_action_ui.h"
#include "zip_builder.h"

using namespace gui_support;

namespace {

class RecordingDesktop : public tavlor::Desktop {
public:
  int launch(const std::string &program, const std::string &path) override {
    launches << QString::fromStdString(program + "|" + path);
    return tavlor::kLaunchStarted;
  }
  QStringList launches;
};

QByteArray fileBytes(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A drop target of this program that takes files, as a folder window would.
class DropTarget : public QWidget {
public:
  DropTarget() { setAcceptDrops(true); }
  QList<QUrl> received;

protected:
  void dragEnterEvent(QDragEnterEvent *event) override {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
  }
  void dropEvent(QDropEvent *event) override {
    received = event->mimeData()->urls();
    event->acceptProposedAction();
  }
};

void writeFile(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write(bytes);
}

// The disk DATA (docs/a.txt, docs/top.txt, arch.zip with src/readme.txt and top.txt,
// second.zip) cataloged into the fixture's catalogs folder and offered by a volume table.
struct DiskFixture {
  DiskFixture() {
    disk = freshFolder("media") + "/DATA";
    QDir().mkpath(disk + "/docs");
    writeFile(disk + "/docs/a.txt", "alpha");
    writeFile(disk + "/docs/top.txt", "top");
    const std::string root = QFile::encodeName(disk).toStdString();
    testing_support::ZipBuilder().add("src/readme.txt", "read me").add("top.txt", "top").writeTo(root + "/arch.zip");
    testing_support::ZipBuilder().add("x.txt", "ex").writeTo(root + "/second.zip");
    const QString catalogs = freshFolder("diskcatalogs");
    catalogVolume(root.c_str(), "DATA", QFile::encodeName(catalogs + "/DATA.zar").constData(), 1, 1, 2020, 0, 0, 0,
                  nullptr, nullptr);
    temp = freshFolder("temp");
    qputenv("TEMP", QFile::encodeName(temp));
    offer(true);
    resetSettings({{"Tavlor", catalogs}, {"AutoLoadCatalogs", 1}, {"UseSystemIcons", 0}});
    app = std::make_unique<CTavlor2App>();
    app->initInstance({});
    FileActions::setDesktop(&desktop);
  }
  ~DiskFixture() {
    FileActions::setDesktop(nullptr);
    FileActions::setDialogObserver({});
    DragDropMgr::setDragRunner({});
    setDialogRunner({});
    qunsetenv("TEMP");
  }

  void offer(bool present) {
    table = std::make_unique<VolumeTable>(present ? QStringList{disk + "\tDATA\tremovable"} : QStringList{});
  }
  tavlor::CatalogModel &model() { return app->document()->model(); }
  ListPane &list() { return *app->frame()->listPane(); }
  FileActions &actions() { return *app->frame()->fileActions(); }
  const tavlor::FileData &entry(const char *path) { return *model().findEntryByPath(path); }

  // Shows a folder in the list and selects the rows named so.
  void selectRows(const char *folder, const QStringList &names) {
    app->frame()->treePane()->view()->selectionModel()->setCurrentIndex(
        app->frame()->treePane()->treeModel()->indexOf(model().findItemByPath(folder)),
        QItemSelectionModel::ClearAndSelect);
    QTreeView *view = list().view();
    view->selectionModel()->clearSelection();
    for (int r = 0; r < list().listModel()->rowCount(); ++r) {
      if (names.contains(list().listModel()->index(r, 0).data().toString()))
        view->selectionModel()->select(list().listModel()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  }

  // Runs a drag from the row of view at index as the mouse does: press, then move.
  static void dragRow(QAbstractItemView *view, const QModelIndex &index) {
    QPoint from = view->visualRect(index).center();
    QPoint to = from + QPoint(40, 0);
    QMouseEvent press(QEvent::MouseButtonPress, from, view->viewport()->mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, {});
    QApplication::sendEvent(view->viewport(), &press);
    QMouseEvent move(QEvent::MouseMove, to, view->viewport()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(view->viewport(), &move);
  }

  QString disk, temp;
  std::unique_ptr<VolumeTable> table;
  RecordingDesktop desktop;
  std::unique_ptr<CTavlor2App> app;
};

// Every entry of a menu, "-" for a separator.
QStringList menuLayout(const QMenu &menu) {
  QStringList out;
  for (QAction *action : menu.actions())
    out << (action->isSeparator() ? QString("-") : action->text());
  return out;
}

// The row of a Find Files result list showing name in folder; -1 when there is none.
int resultRow(const ResultListModel &rows, const QString &name, const QString &folder) {
  for (int r = 0; r < rows.rowCount(); ++r)
    if (rows.index(r, 0).data().toString() == name && rows.index(r, 1).data().toString() == folder) return r;
  return -1;
}

void selectResults(ResultDialog &dialog, const QList<QPair<QString, QString>> &rows) {
  QItemSelectionModel *selection = dialog.resultView()->selectionModel();
  selection->clearSelection();
  for (const auto &[name, folder] : rows) {
    const int r = resultRow(*dialog.resultModel(), name, folder);
    QVERIFY2(r >= 0, qPrintable(folder + "/" + name));
    selection->select(dialog.resultModel()->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
}

} // namespace

class FileActionsTest : public QObject {
  Q_OBJECT
private slots:
  void enterOpensFilesAndMembersOfZipFilesWithTheirPrograms() {
    DiskFixture f;
    f.selectRows("DATA/docs", {"a.txt"});
    f.list().view()->setFocus();
    QTest::keyClick(f.list().view(), Qt::Key_Return);
    f.selectRows("DATA/arch.zip/src", {"readme.txt"});
    f.list().contextMenu(0)->actions().at(1)->trigger(); // Send To Notepad
    QString extracted = f.temp + "/readme.txt";
    QCOMPARE(f.desktop.launches, QStringList({"|" + f.disk + "/docs/a.txt", "notepad.exe|" + extracted}));
    QCOMPARE(fileBytes(extracted), QByteArray("read me"));
    // Open All Catalogs clears the catalogs and with them the extracted files.
    f.app->frame()->commands()->openAllCatalogs();
    QVERIFY(!QFile::exists(extracted));
  }

  void aMissingDiskIsAskedForAndCancelLeavesIt() {
    DiskFixture f;
    f.offer(false);
    QStringList prompts;
    setDialogRunner([&](QDialog &dialog) {
      if (auto *insert = qobject_cast<CInstertDisk *>(&dialog)) prompts << insert->text();
      return int(QDialog::Rejected);
    });
    f.selectRows("DATA/docs", {"a.txt"});
    f.list().openSelection();
    QCOMPARE(prompts, QStringList({"Disk labeled DATA was not found."}));
    QVERIFY(f.desktop.launches.isEmpty());
  }

  void extractCopyOpensOneDialogPerZipFolderAndOneForTheRest() {
    DiskFixture f;
    QString out = freshFolder("out");
    QStringList titles;
    setDialogRunner([&](QDialog &dialog) {
      auto *extract = qobject_cast<CExtract *>(&dialog);
      if (!extract) return int(QDialog::Rejected);
      titles << extract->windowTitle();
      // Browse ... starts the picker at the field's folder and puts the choice there.
      QString pickerStart;
      CFolderDialog::setChooser([&](QWidget *, const QString &title, const QString &start) {
        pickerStart = start;
        return title == "Select root folder for zip file extraction:" ? out : QString();
      });
      extract->findChild<QComboBox *>("destination")->setEditText(f.temp);
      extract->findChild<QPushButton *>("browseButton")->click();
      CFolderDialog::setChooser({});
      if (pickerStart != f.temp) return int(QDialog::Rejected);
      extract->findChild<QPushButton *>("extractButton")->click();
      return extract->result();
    });
    f.selectRows("DATA", {"arch.zip", "second.zip", "docs"});
    f.actions().extractCopy(f.list().selectedEntries());
    QCOMPARE(titles, QStringList({"Extract/Copy - from arch.zip", "Extract/Copy - from second.zip",
                                  "Extract/Copy - selected file(s)"}));
    QCOMPARE(fileBytes(out + "/src/readme.txt"), QByteArray("read me"));
    QCOMPARE(fileBytes(out + "/x.txt"), QByteArray("ex"));
    QCOMPARE(fileBytes(out + "/docs/a.txt"), QByteArray("alpha"));
    QCOMPARE(storedSetting("ZipFileExtract").toString(), out);
  }

  void aDragFromTheListPreparesExactlyTheDraggedFilesAtTheDrop() {
    DiskFixture f;
    DropTarget target;
    bool escape = false;
    int drags = 0;
    Qt::DropActions offered;
    DragDropMgr::setDragRunner([&](QDrag &drag, Qt::DropActions actions) -> Qt::DropAction {
      ++drags;
      offered = actions;
      if (escape) return Qt::IgnoreAction;
      QDragEnterEvent enter(QPoint(1, 1), Qt::MoveAction, drag.mimeData(), Qt::LeftButton, {});
      QApplication::sendEvent(&target, &enter);
      QDropEvent drop(QPointF(1, 1), Qt::MoveAction, drag.mimeData(), Qt::LeftButton, {});
      QApplication::sendEvent(&target, &drop);
      return drop.dropAction();
    });
    f.selectRows("DATA/arch.zip", {"top.txt", "src"});
    QTreeView *view = f.list().view();
    QPoint from = view->visualRect(f.list().listModel()->index(0, 0)).center();
    QPoint to = from + QPoint(40, 0);
    QMouseEvent press(QEvent::MouseButtonPress, from, view->viewport()->mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, {});
    QApplication::sendEvent(view->viewport(), &press);
    QMouseEvent move(QEvent::MouseMove, to, view->viewport()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(view->viewport(), &move);
    QCOMPARE(drags, 1);
    QCOMPARE(offered, Qt::DropActions(Qt::MoveAction));
    QCOMPARE(target.received.size(), 2);
    QString folder = QFileInfo(target.received[0].toLocalFile()).path();
    QVERIFY(folder.startsWith(f.temp + "/TV60_dd_tmp/drag-"));
    QCOMPARE(QFileInfo(target.received[0].toLocalFile()).fileName(), QString("src"));
    QCOMPARE(fileBytes(folder + "/src/readme.txt"), QByteArray("read me"));
    QCOMPARE(fileBytes(target.received[1].toLocalFile()), QByteArray("top"));
    QCOMPARE(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList({"src", "top.txt"}));

    // Escape: the target never asked, nothing is prepared.
    escape = true;
    QDir(f.temp + "/TV60_dd_tmp").removeRecursively();
    f.actions().startDrag(f.list().selectedEntries(), view);
    QCOMPARE(drags, 2);
    QVERIFY(QDir(f.temp + "/TV60_dd_tmp").isEmpty());
    // A disk is never dragged.
    f.actions().startDrag({f.model().findEntryByPath("DATA")}, view);
    QCOMPARE(drags, 2);

    // From the tree: the folder pressed on, and never a disk.
    escape = false;
    QTreeView *tree = f.app->frame()->treePane()->view();
    auto dragTreeRow = [&](const char *path) {
      QModelIndex index = f.app->frame()->treePane()->treeModel()->indexOf(f.model().findItemByPath(path));
      tree->scrollTo(index);
      QPoint at = tree->visualRect(index).center();
      QMouseEvent down(QEvent::MouseButtonPress, at, tree->viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                       {});
      QApplication::sendEvent(tree->viewport(), &down);
      QPoint away = at + QPoint(0, 40);
      QMouseEvent drag(QEvent::MouseMove, away, tree->viewport()->mapToGlobal(away), Qt::NoButton, Qt::LeftButton, {});
      QApplication::sendEvent(tree->viewport(), &drag);
      QMouseEvent up(QEvent::MouseButtonRelease, away, tree->viewport()->mapToGlobal(away), Qt::LeftButton,
                     Qt::NoButton, {});
      QApplication::sendEvent(tree->viewport(), &up);
    };
    dragTreeRow("DATA");
    QCOMPARE(drags, 2);
    dragTreeRow("DATA/docs");
    QCOMPARE(drags, 3);
    QCOMPARE(target.received.size(), 1);
    QCOMPARE(fileBytes(target.received[0].toLocalFile() + "/a.txt"), QByteArray("alpha"));
  }

  void findResultsAreOpenedCopiedAndDraggedOut() {
    DiskFixture f;
    f.app->frame()->actions()->findFiles->trigger();
    FindFilesDlg *find = f.app->frame()->findChildren<FindFilesDlg *>().value(0);
    QVERIFY(find);
    find->maskEdit()->clear();
    find->findNow();
    const ResultListModel &rows = *find->resultModel();

    // The menu follows the kind of the row clicked.
    const struct {
      const char *name, *folder;
      QStringList menu;
    } kinds[] = {
        {"a.txt", "DATA/docs", {"Open", "Send To Notepad", "-", "Extract/Copy ...", "-", "Properties"}},
        {"readme.txt", "DATA/arch.zip/src", {"Open", "Send To Notepad", "-", "Extract/Copy ...", "-", "Properties"}},
        {"docs", "DATA", {"Open", "-", "Extract/Copy ...", "-", "Properties"}},
        {"arch.zip", "DATA", {"Open", "-", "Extract All Files ...", "-", "Properties"}},
        {"DATA", "", {"-", "Properties"}},
    };
    for (const auto &kind : kinds) {
      const int r = resultRow(rows, kind.name, kind.folder);
      QVERIFY2(r >= 0, kind.name);
      QCOMPARE(menuLayout(*find->contextMenu(r)), kind.menu);
    }

    // A double-click opens the file, Enter every selected row (a ZIP member extracted
    // first, a folder as itself) and leaves the search alone.
    QTreeView *view = find->resultView();
    const QModelIndex a = rows.index(resultRow(rows, "a.txt", "DATA/docs"), 0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(a).center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(a).center());
    selectResults(*find, {{"readme.txt", "DATA/arch.zip/src"}, {"docs", "DATA"}});
    const int found = rows.rowCount();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(rows.rowCount(), found);
    QCOMPARE(f.desktop.launches,
             QStringList({"|" + f.disk + "/docs/a.txt", "|" + f.disk + "/docs", "|" + f.temp + "/readme.txt"}));
    QCOMPARE(fileBytes(f.temp + "/readme.txt"), QByteArray("read me"));

    // Extract/Copy: the Zip Folder's own dialog, then one for the rest, the disk left out.
    const QString out = freshFolder("found-out");
    QStringList titles;
    setDialogRunner([&](QDialog &dialog) {
      auto *extract = qobject_cast<CExtract *>(&dialog);
      if (!extract) return int(QDialog::Rejected);
      titles << extract->windowTitle();
      extract->findChild<QComboBox *>("destination")->setEditText(out);
      extract->findChild<QPushButton *>("extractButton")->click();
      return extract->result();
    });
    selectResults(*find,
                  {{"DATA", ""}, {"a.txt", "DATA/docs"}, {"second.zip", "DATA"}, {"readme.txt", "DATA/arch.zip/src"}});
    std::unique_ptr<QMenu> menu = find->contextMenu(resultRow(rows, "a.txt", "DATA/docs"));
    QAction *extract = menu->actions().value(3);
    QCOMPARE(extract->text(), QString("Extract/Copy ..."));
    extract->trigger();
    QCOMPARE(titles, QStringList({"Extract/Copy - from second.zip", "Extract/Copy - selected file(s)"}));
    QCOMPARE(QDir(out).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList({"a.txt", "readme.txt", "x.txt"}));
    QCOMPARE(fileBytes(out + "/a.txt"), QByteArray("alpha"));
    QCOMPARE(fileBytes(out + "/readme.txt"), QByteArray("read me"));

    // Dragging selected rows hands the target exactly those files (the disk stays),
    // prepared at the drop and offered to be moved.
    DropTarget target;
    int drags = 0;
    Qt::DropActions offered;
    DragDropMgr::setDragRunner([&](QDrag &drag, Qt::DropActions actions) -> Qt::DropAction {
      ++drags;
      offered = actions;
      QDragEnterEvent enter(QPoint(1, 1), Qt::MoveAction, drag.mimeData(), Qt::LeftButton, {});
      QApplication::sendEvent(&target, &enter);
      QDropEvent drop(QPointF(1, 1), Qt::MoveAction, drag.mimeData(), Qt::LeftButton, {});
      QApplication::sendEvent(&target, &drop);
      return drop.dropAction();
    });
    selectResults(*find, {{"DATA", ""}, {"a.txt", "DATA/docs"}, {"top.txt", "DATA/arch.zip"}});
    DiskFixture::dragRow(view, rows.index(resultRow(rows, "top.txt", "DATA/arch.zip"), 0));
    QCOMPARE(drags, 1);
    QCOMPARE(offered, Qt::DropActions(Qt::MoveAction));
    QCOMPARE(target.received.size(), 2);
    const QString folder = QFileInfo(target.received[0].toLocalFile()).path();
    QVERIFY(folder.startsWith(f.temp + "/TV60_dd_tmp/drag-"));
    QCOMPARE(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList({"a.txt", "top.txt"}));
    QCOMPARE(fileBytes(target.received[0].toLocalFile()), QByteArray("alpha"));
    QCOMPARE(fileBytes(target.received[1].toLocalFile()), QByteArray("top"));
    // Only a disk selected: nothing to drag.
    selectResults(*find, {{"DATA", ""}});
    DiskFixture::dragRow(view, rows.index(resultRow(rows, "DATA", ""), 0));
    QCOMPARE(drags, 1);

    // Find Duplicate Files: a double-click opens the first selected file only, Enter all.
    f.desktop.launches.clear();
    f.app->frame()->actions()->findDuplicates->trigger();
    FindDuplicatesDlg *dupes = f.app->frame()->findChildren<FindDuplicatesDlg *>().value(0);
    QVERIFY(dupes);
    dupes->datesBox()->setChecked(false);
    dupes->findNow();
    QCOMPARE(dupes->resultModel()->rowCount(), 3); // top.txt on the disk and in arch.zip
    dupes->resultView()->selectAll();
    dupes->openOnDoubleClick();
    QCOMPARE(f.desktop.launches.size(), 1);
    dupes->resultView()->setFocus();
    QTest::keyClick(dupes->resultView(), Qt::Key_Enter);
    QCOMPARE(f.desktop.launches.size(), 3);
    QCOMPARE(menuLayout(*dupes->contextMenu(1)),
             QStringList({"Open", "Send To Notepad", "-", "Extract/Copy ...", "-", "Properties"}));
  }
};

GUI_SUITE(FileActionsTest);
#include "fileactions_test.moc"
