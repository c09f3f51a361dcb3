// Catalog New Disk on a real volume: a loop-mounted ext4 image without a label. The
// outer suite makes the image and the loop device and runs this program again under
// "unshare -m", where NewDiskLoopInner mounts the device in its private namespace and
// catalogs it through the dialogs. Skipped without root and loop devices.
#include "gui_suites.h"
#include "newdisk_support.h"

#include <sys/mount.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

using namespace gui_support;

namespace {

const char kDeviceVariable[] = "TAVLOR_TEST_LOOP_DEVICE";

QString tool(const char *name) {
  for (const char *folder : {"/usr/sbin/", "/sbin/", "/usr/bin/", "/bin/"})
    if (::access((std::string(folder) + name).c_str(), X_OK) == 0) return QString(folder) + name;
  return name;
}

struct Run {
  int status = -1;
  QString out;
};

Run run(const QString &program, const QStringList &args, const QProcessEnvironment &env = {}) {
  QProcess process;
  if (!env.isEmpty()) process.setProcessEnvironment(env);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, args);
  Run result;
  if (!process.waitForFinished(100000)) return result;
  result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.out = QString::fromLocal8Bit(process.readAll()).trimmed();
  return result;
}

QString whyNoLoopMounts() {
  if (geteuid() != 0) return "needs root (loop devices and mount namespaces)";
  if (::access("/dev/loop-control", R_OK | W_OK) != 0) return "no /dev/loop-control";
  if (run(tool("mkfs.ext4"), {"-V"}).status != 0) return "mkfs.ext4 is not installed";
  if (run(tool("unshare"), {"-m", "/bin/true"}).status != 0) return "cannot create a private mount namespace";
  return {};
}

void writeFile(const QString &path) {
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write("contents");
}

} // namespace

class NewDiskLoopTest : public QObject {
  Q_OBJECT
private slots:
  void aRealVolumeIsLabelledCatalogedAndReplaced() {
    QString why = whyNoLoopMounts();
    if (!why.isEmpty()) QSKIP(qPrintable("real-volume test skipped: " + why));
    QString folder = freshFolder("loop");
    QString image = folder + "/disk.img";
    QVERIFY(run(tool("truncate"), {"-s", "16M", image}).status == 0);
    QCOMPARE(run(tool("mkfs.ext4"), {"-q", "-F", image}).status, 0);
    Run attached = run(tool("losetup"), {"-f", "--show", image});
    QCOMPARE(attached.status, 0);
    QString device = attached.out;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kDeviceVariable, device);
    env.remove("TAVLOR_VOLUME_TABLE"); // the real mount table
    env.insert("QT_QPA_PLATFORM", "offscreen");
    Run inner = run(tool("unshare"), {"-m", QCoreApplication::applicationFilePath(), "NewDiskLoopInner"}, env);
    Run label = run(tool("e2label"), {device});
    run(tool("losetup"), {"-d", device});
    QVERIFY2(inner.status == 0, qPrintable(inner.out));
    QVERIFY2(!inner.out.contains("SKIP"), qPrintable(inner.out));
    QCOMPARE(label.out, QString("LOOPDISK"));
  }
};

// Runs only inside the namespace the outer suite made.
class NewDiskLoopInner : public QObject {
  Q_OBJECT
private slots:
  void catalogInsideTheNamespace() {
    QByteArray device = qgetenv(kDeviceVariable);
    if (device.isEmpty()) QSKIP("runs only under NewDiskLoopTest");
    QString mountPoint = freshFolder("mnt");
    QVERIFY2(::mount(device.constData(), QFile::encodeName(mountPoint).constData(), "ext4", 0, nullptr) == 0,
             strerror(errno));
    writeFile(mountPoint + "/one.txt");
    PaneFixture f;
    BoxLog boxes;
    {
      // No label: the label dialog comes up although its check box is off.
      DialogScript script;
      script.then(chooseDrive(mountPoint)).then(typeLabel("loopdisk"));
      runCatalogNewDisk(f);
      QCOMPARE(script.seen(), QStringList({"catalogNewDiskDialog", "volumeLabelDialog"}));
    }
    QCOMPARE(int(boxes.boxes().size()), 0);
    QVERIFY(QFile::exists(f.catalogs + "/LOOPDISK.zar"));
    QCOMPARE(diskLabels(f), QStringList({"BACKUP", "LOOPDISK", "SMALL"}));

    // The label is on the volume now: the second run needs no label dialog.
    writeFile(mountPoint + "/two.txt");
    {
      DialogScript script;
      script.then(chooseDrive(mountPoint));
      runCatalogNewDisk(f);
      QCOMPARE(script.seen(), QStringList({"catalogNewDiskDialog"}));
    }
    QCOMPARE(diskLabels(f), QStringList({"BACKUP", "LOOPDISK", "SMALL"}));
    QVERIFY(f.model().lookupEntry(f.disk("LOOPDISK"), "two.txt") != nullptr);
    f.app.reset();
    ::umount2(QFile::encodeName(mountPoint).constData(), MNT_DETACH);
  }
};

GUI_SUITE(NewDiskLoopTest);
GUI_SUITE(NewDiskLoopInner);
#include "newdisk_loop_test.moc"
