// Open, Extract/Copy and dragging out from the panes, over a disk cataloged from a
// folder that a volume table offers under its label.
#include "gui_suites.h"
#include "newdisk_support.h"

#include <QComboBox>
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QtTest>

#include "CExtract.h"
#include "CInstertDisk.h"
#include "DialogRunner.h"
#include "DragDropMgr.h"
#include "FileActions.h"
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

// The disk DATA (docs/a.txt, arch.zip with src/readme.txt and top.txt, second.zip)
// cataloged into the fixture's catalogs folder and offered by a volume table.
struct DiskFixture {
  DiskFixture() {
    disk = freshFolder("media") + "/DATA";
    QDir().mkpath(disk + "/docs");
    QFile a(disk + "/docs/a.txt");
    a.open(QIODevice::WriteOnly);
    a.write("alpha");
    a.close();
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

  QString disk, temp;
  std::unique_ptr<VolumeTable> table;
  RecordingDesktop desktop;
  std::unique_ptr<CTavlor2App> app;
};

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
};

GUI_SUITE(FileActionsTest);
#include "fileactions_test.moc"
