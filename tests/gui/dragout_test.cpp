// Dragging out of the list onto a drop target in another process, on a real X server:
// the drag runs Qt's own loop, the target asks for the data through the X selection as
// a file manager does, and xdotool moves the pointer and holds the button. Skipped
// without an X display or xdotool (the test command runs it under xvfb-run).
#include "gui_suites.h"
#include "gui_support.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QDrag>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include "CInstertDisk.h"
#include "CMainFrame.h"
#include "CTavlor2App.h"
#include "CatalogCommands.h"
#include "DialogRunner.h"
#include "EntryListModel.h"
#include "FolderTreeModel.h"
#include "ListPane.h"
#include "Tavscan60.h"
#include "TreePane.h"
#include "zip_builder.h"

using namespace gui_support;

namespace {

void writeFile(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QByteArray readFile(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// Every file below folder, as relative path and contents.
QStringList tree(const QString &folder) {
  QStringList out;
  QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    out << QDir(folder).relativeFilePath(path) + "=" + readFile(path);
  }
  out.sort();
  return out;
}

const QPoint kTarget(1050, 250); // the middle of the drop target's window

struct DragCase {
  const char *name;
  const char *folder; // shown in the list
  QStringList rows;   // selected and dragged, the first pressed on
  bool diskIn;        // at the start of the drag
  const char *answer; // to the insert-disk prompt: "Retry" (after putting the disk in) or "Cancel"
  // What happens between the drop and the target's request for the data.
  enum { Nothing, CloseCatalog, TakeDiskOut } atDrop;
  QString moved; // the target's report; empty when no drop reaches it
  QStringList received;
  QStringList boxes; // shown after the drag
};

} // namespace

class DragOutTest : public QObject {
  Q_OBJECT
private slots:
  void dragsReachATargetInAnotherProcess() {
    if (QGuiApplication::platformName() != "xcb" || QStandardPaths::findExecutable("xdotool").isEmpty())
      QSKIP("needs an X display (the test command runs this under xvfb-run) and xdotool");

    // The disk DATA, cataloged, offered by a volume table rewritten to put it in or out.
    const QString disk = freshFolder("dragmedia") + "/DATA";
    QDir().mkpath(disk + "/docs");
    writeFile(disk + "/docs/a.txt", "alpha");
    const std::string root = QFile::encodeName(disk).toStdString();
    testing_support::ZipBuilder().add("src/readme.txt", "read me").add("top.txt", "top").writeTo(root + "/arch.zip");
    const QString catalogs = freshFolder("dragcatalogs");
    catalogVolume(root.c_str(), "DATA", QFile::encodeName(catalogs + "/DATA.zar").constData(), 1, 1, 2020, 0, 0, 0,
                  nullptr, nullptr);
    const QString table = freshFolder("dragvolumes") + "/table";
    auto offer = [&](bool in) { writeFile(table, in ? (disk + "\tDATA\tremovable\n").toUtf8() : QByteArray()); };
    qputenv("TAVLOR_VOLUME_TABLE", QFile::encodeName(table));
    const QString temp = freshFolder("dragtemp");
    qputenv("TEMP", QFile::encodeName(temp));
    resetSettings({{"Tavlor", catalogs}, {"AutoLoadCatalogs", 1}, {"UseSystemIcons", 0}});
    CTavlor2App app;
    app.initInstance({});
    CMainFrame &frame = *app.frame();
    frame.setGeometry(20, 40, 800, 600);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));

    // The target, to the right of the frame; it waits before asking for the data.
    const QString out = freshFolder("dragout");
    QProcess target;
    QStringList said;
    connect(&target, &QProcess::readyReadStandardOutput, &target, [&] {
      while (target.canReadLine())
        said << QString::fromLocal8Bit(target.readLine()).trimmed();
    });
    target.start(QCoreApplication::applicationDirPath() + "/drop_target",
                 {out, QString::number(kTarget.x() - 150), QString::number(kTarget.y() - 150), "600"});
    QTRY_VERIFY_WITH_TIMEOUT(said.contains("ready"), 10000);

    BoxLog boxes;
    // The prompt is the real dialog with its own event loop, answered by a timer.
    QStringList prompts;
    QString answer;
    setDialogRunner([&](QDialog &dialog) {
      auto *insert = qobject_cast<CInstertDisk *>(&dialog);
      if (!insert) return int(QDialog::Rejected);
      prompts << insert->text();
      QTimer::singleShot(300, insert, [&, insert] {
        if (answer == "Retry") offer(true);
        auto *buttons = insert->findChild<QDialogButtonBox *>();
        buttons->button(answer == "Retry" ? QDialogButtonBox::Retry : QDialogButtonBox::Cancel)->click();
      });
      return dialog.exec();
    });

    // clang-format off
    const DragCase cases[] = {
        {"disk missing, Cancel", "DATA/docs", {"a.txt"}, false, "Cancel", DragCase::Nothing, "", {}, {}},
        {"disk missing, Retry with it in", "DATA/docs", {"a.txt"}, false, "Retry", DragCase::Nothing,
         "moved a.txt", {"a.txt=alpha"}, {}},
        {"member of a ZIP file", "DATA/arch.zip/src", {"readme.txt"}, true, "", DragCase::Nothing,
         "moved readme.txt", {"readme.txt=read me"}, {}},
        {"disk taken out before the target asks", "DATA/docs", {"a.txt"}, true, "", DragCase::TakeDiskOut,
         "moved missing:a.txt", {},
         {"These entries could not be prepared for the drop:\n\nDATA/docs/a.txt: Disk labeled DATA was not found."}},
        {"catalog closed before the target asks", "DATA/arch.zip", {"src", "top.txt"}, true, "",
         DragCase::CloseCatalog, "moved src top.txt", {"src/readme.txt=read me", "top.txt=top"}, {}},
    };
    // clang-format on
    tavlor::CatalogModel &model = app.document()->model();
    for (const DragCase &c : cases) {
      qInfo("case: %s", c.name);
      offer(c.diskIn);
      prompts.clear();
      said.clear();
      answer = c.answer;
      QDir(out).removeRecursively();
      QDir().mkpath(out);

      TreePane &treePane = *frame.treePane();
      treePane.view()->selectionModel()->setCurrentIndex(treePane.treeModel()->indexOf(model.findItemByPath(c.folder)),
                                                         QItemSelectionModel::ClearAndSelect);
      ListPane &list = *frame.listPane();
      QTreeView *view = list.view();
      view->selectionModel()->clearSelection();
      QModelIndex first;
      for (int r = 0; r < list.listModel()->rowCount(); ++r) {
        const QModelIndex index = list.listModel()->index(r, 0);
        if (!c.rows.contains(index.data().toString())) continue;
        view->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (index.data().toString() == c.rows.first()) first = index;
      }
      QVERIFY2(first.isValid(), c.name);
      view->scrollTo(first);
      QTest::qWait(100);
      const QPoint from = view->viewport()->mapToGlobal(view->visualRect(first).center());

      bool changed = false;
      const QMetaObject::Connection atDrop = connect(&target, &QProcess::readyReadStandardOutput, this, [&] {
        if (changed || !said.contains("drop")) return;
        changed = true;
        if (c.atDrop == DragCase::CloseCatalog) frame.commands()->closeCatalog(model.findItemByPath("DATA"));
        if (c.atDrop == DragCase::TakeDiskOut) offer(false);
      });
      const std::size_t boxesBefore = boxes.boxes().size();

      // Press and move past the drag distance; once the drag runs (or, when none starts,
      // a while after any prompt), move onto the target and release. The second half is
      // started from a timer, which also runs inside the prompt's and the drag's loops.
      auto at = [](QPoint p) { return QStringList{"mousemove", QString::number(p.x()), QString::number(p.y())}; };
      QProcess press, release;
      press.start("xdotool", at(from) + QStringList{"sleep", "0.2", "mousedown", "1", "sleep", "0.2"} +
                                 at(from + QPoint(15, 0)) + QStringList{"sleep", "0.1"} + at(from + QPoint(40, 0)));
      QElapsedTimer idle;
      QTimer watch;
      connect(&watch, &QTimer::timeout, this, [&] {
        const bool promptUp = QApplication::activeModalWidget() != nullptr;
        if (press.state() != QProcess::NotRunning || promptUp)
          idle.invalidate();
        else if (!idle.isValid())
          idle.start();
        bool dragging = false;
        for (QDrag *drag : view->findChildren<QDrag *>())
          if (drag->objectName().isEmpty()) {
            drag->setObjectName("seen");
            dragging = true;
          }
        if (!dragging && !(idle.isValid() && idle.elapsed() > 1500)) return;
        watch.stop();
        release.start("xdotool", at(kTarget - QPoint(20, 20)) + QStringList{"sleep", "0.3"} + at(kTarget) +
                                     QStringList{"sleep", "0.4", "mouseup", "1"});
      });
      watch.start(50);
      QTRY_VERIFY_WITH_TIMEOUT(!watch.isActive() && release.state() == QProcess::NotRunning, 30000);
      if (c.moved.isEmpty())
        QTest::qWait(1000);
      else
        QTRY_VERIFY_WITH_TIMEOUT(said.size() >= 2, 10000);
      disconnect(atDrop);
      QTest::qWait(100); // a report of a request answered after the drag loop comes queued

      QCOMPARE(prompts, c.answer[0] ? QStringList{"Disk labeled DATA was not found."} : QStringList());
      QCOMPARE(said, c.moved.isEmpty() ? QStringList() : QStringList({"drop", c.moved}));
      QCOMPARE(tree(out), c.received);
      QStringList shown;
      for (std::size_t i = boxesBefore; i < boxes.boxes().size(); ++i)
        shown << boxes.boxes()[i].text;
      QCOMPARE(shown, c.boxes);
      // The target moved everything out; nothing was prepared for a drag that never started.
      QCOMPARE(tree(temp), QStringList());
      QCOMPARE(changed, !c.moved.isEmpty());
      if (c.atDrop == DragCase::CloseCatalog) frame.commands()->openAllCatalogs();
    }
    setDialogRunner({});
    target.terminate();
    target.waitForFinished(3000);
    qunsetenv("TAVLOR_VOLUME_TABLE");
    qunsetenv("TEMP");
  }
};

GUI_SUITE(DragOutTest);
#include "dragout_test.moc"
