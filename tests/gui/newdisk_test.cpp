// Catalog New Disk, Eject Removable Disks and the insert-disk prompt, over folders that
// a volume table presents as removable disks and CD-ROMs.
#include "gui_suites.h"
#include "newdisk_support.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <cstring>

#include "CInstertDisk.h"
#include "DialogRunner.h"
#include "collection/new_disk.h"

using namespace gui_support;

namespace {

QString makeDisk(const QString &name, const QStringList &files) {
  QString root = freshFolder(name);
  for (const QString &file : files) {
    QString path = root + "/" + file;
    QDir().mkpath(QFileInfo(path).path());
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    out.write("data");
  }
  return root;
}

QByteArray fileBytes(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int rootEntriesNamed(PaneFixture &f, const char *name) {
  int n = 0;
  for (const tavlor::FileData *entry : f.model().entriesOf(f.model().root()))
    if (entry->name() == name) ++n;
  return n;
}

} // namespace

class NewDiskTest : public QObject {
  Q_OBJECT
private slots:
  void theDriveSelectionOffersReadableDrivesAndExplainsTheOthers() {
    QString floppy = makeDisk("floppy", {"a.txt"});
    QString cd = makeDisk("cd", {"b.txt"});
    QString broken = makeDisk("broken", {});
    // Roots that are gone or are no folder cannot be chosen, however removable.
    QString notAFolder = floppy + "/a.txt";
    VolumeTable table({floppy + "\tFLOPPY1\tremovable", broken + "\t\tremovable\tEIO", cd + "\tCD1\tcdrom",
                       floppy + "2\tFIX\tfixed", notAFolder + "\tFILE\tremovable", "/nowhere/gone\tGONE\tremovable"});
    PaneFixture f;
    QStringList items, bad;
    QString current;
    DialogScript script;
    script.then([&](QDialog &dialog) {
      auto *drives = dialog.findChild<QComboBox *>("driveList");
      for (int i = 0; i < drives->count(); ++i)
        items << drives->itemText(i);
      current = drives->currentText();
      auto *list = dialog.findChild<QListWidget *>("inaccessibleList");
      for (int i = 0; i < list->count(); ++i)
        bad << list->item(i)->text();
      return int(QDialog::Rejected);
    });
    runCatalogNewDisk(f);
    QCOMPARE(items, QStringList({floppy + "  FLOPPY1", cd + "  CD1"}));
    QCOMPARE(current, floppy + "  FLOPPY1"); // the last removable one, not the CD-ROM
    QCOMPARE(bad, QStringList({broken + ": Input/output error", floppy + "2: No such file or directory",
                               notAFolder + ": Not a directory", "/nowhere/gone: No such file or directory"}));
    QCOMPARE(script.seen(), QStringList({"catalogNewDiskDialog"}));
    QCOMPARE(diskLabels(f), QStringList({"BACKUP", "SMALL"}));
  }

  void aDiskIsCatalogedLoadedAndReplacedWhenCatalogedAgain() {
    QString disk = makeDisk("disk", {"one.txt", "sub/two.txt"});
    VolumeTable table({disk + "\tFLOPPY1\tremovable"});
    PaneFixture f;
    BoxLog boxes;
    {
      DialogScript script;
      script.then(chooseDrive(disk, true));
      runCatalogNewDisk(f);
      QCOMPARE(script.seen(), QStringList({"catalogNewDiskDialog"}));
    }
    QVERIFY(QFile::exists(f.catalogs + "/FLOPPY1.zar"));
    QCOMPARE(diskLabels(f), QStringList({"BACKUP", "FLOPPY1", "SMALL"}));
    QVERIFY(f.model().findChild(f.disk("FLOPPY1"), "sub", false) != tavlor::kNoItem);

    makeDisk("disk/later", {"three.txt"});
    {
      DialogScript script;
      script.then(chooseDrive(disk));
      runCatalogNewDisk(f);
    }
    QCOMPARE(diskLabels(f), QStringList({"BACKUP", "FLOPPY1", "SMALL"}));
    QCOMPARE(rootEntriesNamed(f, "FLOPPY1"), 1);
    QVERIFY(f.model().findChild(f.disk("FLOPPY1"), "later", false) != tavlor::kNoItem);
    // Folder volumes are flushed but never ejected, so the eject flag raised no box.
    QCOMPARE(int(boxes.boxes().size()), 0);
  }

  void aDiskWithoutLabelAsksForOneAndCancelWritesNothing() {
    QString disk = makeDisk("nolabel", {"x.txt"});
    VolumeTable table({disk + "\t\tremovable"});
    PaneFixture f;
    BoxLog boxes;
    DialogScript script;
    script.then(chooseDrive(disk)).then(cancelDialog());
    runCatalogNewDisk(f);
    QCOMPARE(script.seen(), QStringList({"catalogNewDiskDialog", "volumeLabelDialog"}));
    QCOMPARE(QDir(f.catalogs).entryList({"*.zar"}), QStringList({"BACKUP.zar", "SMALL.zar"}));
    QCOMPARE(diskLabels(f), QStringList({"BACKUP", "SMALL"}));
    QCOMPARE(int(boxes.boxes().size()), 0);
  }

  void aTypedLabelIsUpperCasedAndUsedWhenTheVolumeRefusesIt() {
    QString disk = makeDisk("labelled", {"x.txt"});
    VolumeTable table({disk + "\tOLD\tremovable"});
    PaneFixture f;
    BoxLog boxes;
    DialogScript script;
    script.then(chooseDrive(disk, false, true)).then(typeLabel("my disk"));
    runCatalogNewDisk(f);
    // Table volumes have no device to write a label to: the refusal is shown and
    // cataloguing goes on with the typed label.
    QCOMPARE(int(boxes.boxes().size()), 1);
    QCOMPARE(boxes.boxes()[0].caption, QString("SetVolumeLabel"));
    QVERIFY(QFile::exists(f.catalogs + "/MY DISK.zar"));
    QCOMPARE(diskLabels(f), QStringList({"BACKUP", "MY DISK", "SMALL"}));
  }

  void aLabelThatCannotNameACatalogFileIsRefused() {
    QString disk = makeDisk("slash", {"x.txt"});
    VolumeTable table({disk + "\t\tremovable"});
    PaneFixture f;
    BoxLog boxes;
    DialogScript script;
    script.then(chooseDrive(disk)).then(typeLabel("../.."));
    runCatalogNewDisk(f);
    QCOMPARE(QDir(f.catalogs).entryList({"*.zar"}), QStringList({"BACKUP.zar", "SMALL.zar"}));
    QVERIFY(QDir(testHome()).entryList({"*.zar"}).isEmpty());
    QVERIFY(!boxes.boxes().empty());
    QVERIFY(boxes.boxes().back().text.contains("cannot name a catalog file"));
  }

  void aCatalogFileThatCannotBeWrittenIsReportedWithItsCause() {
    QString disk = makeDisk("unwritable", {"x.txt"});
    VolumeTable table({disk + "\tFLOPPY1\tremovable"});
    PaneFixture f;
    // A folder where the catalog file belongs cannot be replaced by it, not even by root.
    QVERIFY(QDir().mkpath(f.catalogs + "/FLOPPY1.zar/inside"));
    BoxLog boxes;
    DialogScript script;
    script.then(chooseDrive(disk));
    runCatalogNewDisk(f);
    QCOMPARE(int(boxes.boxes().size()), 1);
    QCOMPARE(boxes.boxes()[0].text, "Unable to write the catalog file " + f.catalogs +
                                        "/FLOPPY1.zar: " + QString::fromLocal8Bit(strerror(EISDIR)));
    QVERIFY(QFileInfo(f.catalogs + "/FLOPPY1.zar/inside").isDir());
    QCOMPARE(diskLabels(f), QStringList({"BACKUP", "SMALL"}));
  }

  void cancellingTheScanKeepsTheOldCatalogAndLoadsNothing() {
    QStringList files;
    for (int i = 0; i < 300; ++i)
      files << QString("f%1.txt").arg(i);
    QString disk = makeDisk("big", files);
    VolumeTable table({disk + "\tSMALL\tremovable"});
    PaneFixture f;
    QByteArray before = fileBytes(f.catalogs + "/SMALL.zar");
    bool clicked = false;
    // The scan lets events through to its window; Cancel is pressed once it counts
    // entries, so it stops a scan under way.
    QTimer poll;
    poll.setInterval(0);
    connect(&poll, &QTimer::timeout, [&] {
      for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *count = w->objectName() == "scanProgress" ? w->findChild<QLabel *>("scanCount") : nullptr;
        if (!clicked && count && !count->text().isEmpty() && !count->text().startsWith("0 ")) {
          w->findChild<QPushButton *>("scanCancel")->click();
          clicked = true;
        }
      }
    });
    poll.start();
    DialogScript script;
    script.then(chooseDrive(disk));
    runCatalogNewDisk(f);
    QVERIFY(clicked);
    QCOMPARE(fileBytes(f.catalogs + "/SMALL.zar"), before);
    // Nothing else is left behind, no half-written temporary file either.
    QCOMPARE(QDir(f.catalogs).entryList(QDir::Files), QStringList({"BACKUP.zar", "descr_disks.txt", "SMALL.zar"}));
    QCOMPARE(int(f.model().entriesOf(f.disk("SMALL")).size()), 1); // only.txt, as loaded
  }

  void ejectTriesOnlyRemovableVolumesAndShowsNothing() {
    QString disk = makeDisk("ejectme", {"x.txt"});
    BoxLog boxes;
    {
      VolumeTable table({disk + "\tFIX\tfixed", disk + "2\tCD\tcdrom"});
      QCOMPARE(tavlor::ejectRemovableDisks(), 0);
    }
    {
      // A vanished removable disk makes flushdisk fail with a message, released unshown.
      VolumeTable table({disk + "\tREM\tremovable", "/nowhere/gone\tGONE\tremovable"});
      QCOMPARE(tavlor::ejectRemovableDisks(), 2);
    }
    QCOMPARE(int(boxes.boxes().size()), 0);
  }

  void theInsertDiskPromptAnswersRetryOrCancelAndStaysOpenOnEject() {
    VolumeTable table({});
    QStringList texts;
    bool stillOpen = false;
    QPoint at;
    QCursor::setPos(210, 140);
    DialogScript script;
    script
        .then([&](QDialog &dialog) {
          dialog.show();
          at = dialog.pos();
          for (QLabel *label : dialog.findChildren<QLabel *>())
            texts << label->text();
          dialog.findChild<QPushButton *>("ejectButton")->click();
          stillOpen = dialog.isVisible() && dialog.result() == 0;
          return int(QDialog::Accepted);
        })
        .then(cancelDialog());
    QVERIFY(CInstertDisk::prompt("Disk labeled BACKUP1 was not found.", nullptr));
    QVERIFY(!CInstertDisk::prompt("Disk labeled BACKUP1 was not found.", nullptr));
    QCOMPARE(script.seen(), QStringList({"insertDiskDialog", "insertDiskDialog"}));
    QCOMPARE(texts,
             QStringList({"Disk labeled BACKUP1 was not found.", "If there is a disk in the drive, click here to eject",
                          "When ready, insert the disk and press RETRY."}));
    QVERIFY(stillOpen);
    QCOMPARE(at, QCursor::pos()); // it opens where the user is looking
  }
};

GUI_SUITE(NewDiskTest);
#include "newdisk_test.moc"
