// Properties, the description dialog and the please-wait window.
#include "gui_suites.h"
#include "pane_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "CDescription.h"
#include "CMessageDialog.h"
#include "CProperties.h"
#include "DialogRunner.h"

using namespace gui_support;

namespace {

// Runs the next dialog with `act`, then restores the real runner.
struct NextDialog {
  explicit NextDialog(std::function<int(QDialog &)> act) {
    setDialogRunner([this, act](QDialog &dialog) {
      seen = dialog.objectName();
      return act(dialog);
    });
  }
  ~NextDialog() { setDialogRunner({}); }
  QString seen;
};

} // namespace

class DialogTest : public QObject {
  Q_OBJECT
private slots:
  void propertiesOfADiskCountWhatLiesBelowIt() {
    PaneFixture f;
    QString contains, size, type;
    NextDialog next([&](QDialog &dialog) {
      auto &properties = static_cast<CProperties &>(dialog);
      contains = properties.valueText("containsValue");
      size = properties.valueText("sizeValue");
      type = properties.valueText("typeValue");
      return int(QDialog::Rejected);
    });
    f.tree().setContextItem(f.disk("BACKUP"));
    f.tree().showProperties();
    QCOMPARE(next.seen, QString("propertiesDialog"));
    QCOMPARE(contains, QString("7 Files, 1 Folders, 1 Zip Folders"));
    QCOMPARE(size, QString("1,020"));
    QCOMPARE(type, QString("Fixed Hard Disk"));
  }

  void propertiesOfAFileAndOfTheRoot() {
    PaneFixture f;
    QStringList seen;
    NextDialog next([&](QDialog &dialog) {
      auto &p = static_cast<CProperties &>(dialog);
      seen << p.valueText("typeValue") << p.valueText("containsValue") << p.valueText("noteText")
           << p.valueText("locationValue");
      return int(QDialog::Rejected);
    });
    f.select(f.folder("BACKUP", "docs"));
    f.list().contextMenu(0);
    f.list().showProperties();
    QCOMPARE(seen, QStringList({"File", "File Data", "", "BACKUP/docs"}));
    seen.clear();
    f.tree().setContextItem(f.model().root());
    f.tree().showProperties();
    // Each disk is one folder besides the folders it holds.
    QCOMPARE(seen, QStringList({"Disk Drive", "8 Files, 3 Folders, 1 Zip Folders",
                                "Count includes files and folders in Zip Folders", ""}));
  }

  void widenedPropertiesDropTheHintAndWidenTheLocation() {
    tavlor::PropertiesValues values;
    values.location = "BACKUP/a/very/long/location/that/does/not/fit";
    values.hint = "Resize here -->";
    CProperties dialog(values, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.valueText("hintText"), QString("Resize here -->"));
    auto *location = dialog.findChild<QLabel *>("locationValue");
    int before = location->width();
    int heightBefore = location->y();
    dialog.resize(dialog.width() + 200, dialog.height() + 100);
    QTRY_COMPARE(dialog.valueText("hintText"), QString());
    QCOMPARE(location->width(), dialog.width() - 89);
    QVERIFY(location->width() > before);
    QCOMPARE(location->y(), heightBefore); // only the width follows the user
  }

  void descriptionEditsAreWrittenAndReadBack() {
    QString catalogs;
    {
      PaneFixture f;
      catalogs = f.catalogs;
      f.select(f.model().root());
      NextDialog next([](QDialog &dialog) {
        auto *edit = dialog.findChild<QLineEdit *>("descriptionEdit");
        edit->setText(QString::fromUtf8("Tax  files 1998 \u00e9"));
        return int(QDialog::Accepted);
      });
      f.list().contextMenu(0);
      f.list().editDescription();
      QCOMPARE(next.seen, QString("descriptionDialog"));
      QCOMPARE(f.rows().index(0, 4).data().toString(), QString::fromUtf8("Tax  files 1998 \u00e9"));
    }
    QFile file(catalogs + "/descr_disks.txt");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains(" <disk> BACKUP </disk> "));
    // A new run reads it back (whitespace runs become one blank on reading).
    PaneFixture again({}, true);
    again.select(again.model().root());
    QCOMPARE(again.rows().index(0, 4).data().toString(), QString::fromUtf8("Tax files 1998 \u00e9"));
  }

  void cancelledDescriptionChangesNothing() {
    PaneFixture f;
    f.select(f.model().root());
    NextDialog next([](QDialog &dialog) {
      dialog.findChild<QLineEdit *>("descriptionEdit")->setText("ignored");
      return int(QDialog::Rejected);
    });
    f.list().contextMenu(1);
    f.list().editDescription();
    QCOMPARE(f.rows().index(1, 4).data().toString(), QString());
  }

  void pleaseWaitWindowShowsItsLine() {
    CMessageDialog wait("Auto-loading catalogs ... please wait", nullptr);
    QVERIFY(wait.isVisible());
    QCOMPARE(wait.windowTitle(), QString("Tavlor 6.0"));
    QCOMPARE(wait.text(), QString("Auto-loading catalogs ... please wait"));
  }
};

GUI_SUITE(DialogTest);
#include "dialog_test.moc"
