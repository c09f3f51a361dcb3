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

// A drop target of this program that takes files, as a folder window would. Every drag
// is dropped on it unless escape is set; it counts the drags and keeps the actions offered.
class DragLog : public QWidget {
public:
  DragLog() {
    setAcceptDrops(true);
    DragDropMgr::setDragRunner([this](QDrag &drag, Qt::DropActions actions) -> Qt::DropAction {
      ++drags;
      offered = actions;
      if (escape) return Qt::IgnoreAction;
      QDragEnterEvent enter(QPoint(1, 1), Qt::MoveAction, drag.mimeData(), Qt::LeftButton, {});
      QApplication::sendEvent(this, &enter);
      QDropEvent drop(QPointF(1, 1), Qt::MoveAction, drag.mimeData(), Qt::LeftButton, {});
      QApplication::sendEvent(this, &drop);
      return drop.dropAction();
    });
  }
  ~DragLog() override { DragDropMgr::setDragRunner({}); }
  QString dropped(int i) const { return received[i].toLocalFile(); }
  QList<QUrl> received;
  int drags = 0;
  Qt::DropActions offered;
  bool escape = false;

protected:
  void dragEnterEvent(QDragEnterEvent *event) override {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
  }
  void dropEvent(QDropEvent *event) override {
    received = event->mimeData()->urls();
    event->acceptProposedAction();
  }
};

// Answers each Extract/Copy dialog: notes its title, lets fill set the destination and
// presses Extract, or cancels when fill refuses.
void answerExtracts(QStringList &titles, std::function<bool(CExtract &)> fill) {
  setDialogRunner([&titles, fill](QDialog &dialog) {
    auto *extract = qobject_cast<CExtract *>(&dialog);
    if (!extract) return int(QDialog::Rejected);
    titles << extract->windowTitle();
    if (!fill(*extract)) return int(QDialog::Rejected);
    extract->findChild<QPushButton *>("extractButton")->click();
    return extract->result();
  });
}

QStringList entries(const QString &folder) {
  return QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
}

// Each file holds the bytes given with it.
void verifyContents(const QList<QPair<QString, QByteArray>> &files) {
  for (const auto &[path, bytes] : files) {
    QFile file(path);
    const QByteArray read = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    QVERIFY2(read == bytes, qPrintable(path + ": " + read));
  }
}

// The menu of a file row, on the disk or in a ZIP file.
const QStringList kFileMenu{"Open", "Send To Notepad", "-", "Extract/Copy ...", "-", "Properties"};

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
    // The old table goes first: its end unsets the variable the new one sets.
    table.reset();
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

  // Runs a drag from the row of view at index as the mouse does: press, move by, and
  // release when asked.
  static void dragRow(QAbstractItemView *view, const QModelIndex &index, QPoint by = {40, 0}, bool release = false) {
    view->scrollTo(index);
    const QPoint from = view->visualRect(index).center(), to = from + by;
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
      QMouseEvent event(type, at, view->viewport()->mapToGlobal(at), button, held, {});
      QApplication::sendEvent(view->viewport(), &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    if (release) send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
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
    verifyContents({{extracted, "read me"}});
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
    answerExtracts(titles, [&](CExtract &extract) {
      // Browse ... starts the picker at the field's folder and puts the choice there.
      QString pickerStart;
      CFolderDialog::setChooser([&](QWidget *, const QString &title, const QString &start) {
        pickerStart = start;
        return title == "Select root folder for zip file extraction:" ? out : QString();
      });
      extract.findChild<QComboBox *>("destination")->setEditText(f.temp);
      extract.findChild<QPushButton *>("browseButton")->click();
      CFolderDialog::setChooser({});
      return pickerStart == f.temp;
    });
    f.selectRows("DATA", {"arch.zip", "second.zip", "docs"});
    f.actions().extractCopy(f.list().selectedEntries());
    QCOMPARE(titles, QStringList({"Extract/Copy - from arch.zip", "Extract/Copy - from second.zip",
                                  "Extract/Copy - selected file(s)"}));
    verifyContents({{out + "/src/readme.txt", "read me"}, {out + "/x.txt", "ex"}, {out + "/docs/a.txt", "alpha"}});
    QCOMPARE(storedSetting("ZipFileExtract").toString(), out);

    // A file gone from the disk since it was cataloged is named when the copy is done.
    QFile::remove(f.disk + "/docs/top.txt");
    const QString again = freshFolder("again");
    answerExtracts(titles, [&](CExtract &extract) {
      extract.findChild<QComboBox *>("destination")->setEditText(again);
      return true;
    });
    BoxLog boxes;
    f.selectRows("DATA/docs", {"a.txt", "top.txt"});
    f.actions().extractCopy(f.list().selectedEntries());
    verifyContents({{again + "/a.txt", "alpha"}});
    QCOMPARE(boxes.boxes().size(), std::size_t(1));
    QCOMPARE(boxes.boxes()[0].caption, QString("Extract/Copy"));
    QVERIFY2(boxes.boxes()[0].text.startsWith("Not written:\nDATA/docs/top.txt: it cannot be found on the disk"),
             qPrintable(boxes.boxes()[0].text));
  }

  void aDragFromTheListPreparesExactlyTheDraggedFilesAtTheDrop() {
    DiskFixture f;
    DragLog log;
    f.selectRows("DATA/arch.zip", {"top.txt", "src"});
    QTreeView *view = f.list().view();
    DiskFixture::dragRow(view, f.list().listModel()->index(0, 0));
    QCOMPARE(log.drags, 1);
    QCOMPARE(log.offered, Qt::DropActions(Qt::MoveAction));
    QCOMPARE(log.received.size(), 2);
    QString folder = QFileInfo(log.dropped(0)).path();
    QVERIFY(folder.startsWith(f.temp + "/TV60_dd_tmp/drag-"));
    QCOMPARE(QFileInfo(log.dropped(0)).fileName(), QString("src"));
    verifyContents({{folder + "/src/readme.txt", "read me"}, {log.dropped(1), "top"}});
    QCOMPARE(entries(folder), QStringList({"src", "top.txt"}));

    // Escape: the target never asked, nothing is prepared.
    log.escape = true;
    QDir(f.temp + "/TV60_dd_tmp").removeRecursively();
    f.actions().startDrag(f.list().selectedEntries(), view);
    QCOMPARE(log.drags, 2);
    QVERIFY(QDir(f.temp + "/TV60_dd_tmp").isEmpty());
    // A disk is never dragged.
    f.actions().startDrag({f.model().findEntryByPath("DATA")}, view);
    QCOMPARE(log.drags, 2);

    // From the tree: the folder pressed on, and never a disk.
    log.escape = false;
    for (const auto &[path, drags] : {std::pair{"DATA", 2}, {"DATA/docs", 3}}) {
      QTreeView *tree = f.app->frame()->treePane()->view();
      DiskFixture::dragRow(tree, f.app->frame()->treePane()->treeModel()->indexOf(f.model().findItemByPath(path)),
                           {0, 40}, true);
      QVERIFY2(log.drags == drags, path);
    }
    QCOMPARE(log.received.size(), 1);
    verifyContents({{log.dropped(0) + "/a.txt", "alpha"}});
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
        {"a.txt", "DATA/docs", kFileMenu},
        {"readme.txt", "DATA/arch.zip/src", kFileMenu},
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
    verifyContents({{f.temp + "/readme.txt", "read me"}});

    // Extract/Copy: the Zip Folder's own dialog, then one for the rest, the disk left out.
    const QString out = freshFolder("found-out");
    QStringList titles;
    answerExtracts(titles, [&](CExtract &extract) {
      extract.findChild<QComboBox *>("destination")->setEditText(out);
      return true;
    });
    selectResults(*find,
                  {{"DATA", ""}, {"a.txt", "DATA/docs"}, {"second.zip", "DATA"}, {"readme.txt", "DATA/arch.zip/src"}});
    std::unique_ptr<QMenu> menu = find->contextMenu(resultRow(rows, "a.txt", "DATA/docs"));
    QAction *extract = menu->actions().value(3);
    QCOMPARE(extract->text(), QString("Extract/Copy ..."));
    extract->trigger();
    QCOMPARE(titles, QStringList({"Extract/Copy - from second.zip", "Extract/Copy - selected file(s)"}));
    QCOMPARE(entries(out), QStringList({"a.txt", "readme.txt", "x.txt"}));
    verifyContents({{out + "/a.txt", "alpha"}, {out + "/readme.txt", "read me"}});

    // Dragging selected rows hands the target exactly those files (the disk stays),
    // prepared at the drop and offered to be moved.
    DragLog log;
    selectResults(*find, {{"DATA", ""}, {"a.txt", "DATA/docs"}, {"top.txt", "DATA/arch.zip"}});
    DiskFixture::dragRow(view, rows.index(resultRow(rows, "top.txt", "DATA/arch.zip"), 0));
    QCOMPARE(log.drags, 1);
    QCOMPARE(log.offered, Qt::DropActions(Qt::MoveAction));
    QCOMPARE(log.received.size(), 2);
    const QString folder = QFileInfo(log.dropped(0)).path();
    QVERIFY(folder.startsWith(f.temp + "/TV60_dd_tmp/drag-"));
    QCOMPARE(entries(folder), QStringList({"a.txt", "top.txt"}));
    verifyContents({{log.dropped(0), "alpha"}, {log.dropped(1), "top"}});
    // Only a disk selected: nothing to drag.
    selectResults(*find, {{"DATA", ""}});
    DiskFixture::dragRow(view, rows.index(resultRow(rows, "DATA", ""), 0));
    QCOMPARE(log.drags, 1);

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
    QCOMPARE(menuLayout(*dupes->contextMenu(1)), kFileMenu);
  }
};

GUI_SUITE(FileActionsTest);
#include "fileactions_test.moc"
