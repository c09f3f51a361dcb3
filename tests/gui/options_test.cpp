// The "View Options" sheet: what marks it modified, what OK stores and applies at
// once, and what survives a restart.
#include "gui_suites.h"
#include "newdisk_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "CViewOptions.h"

using namespace gui_support;

namespace {

template <typename T> T *child(QDialog &dialog, const char *name) {
  T *found = dialog.findChild<T *>(name);
  if (!found) qFatal("no control %s", name);
  return found;
}

void pressOk(QDialog &dialog) {
  dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
}

} // namespace

class OptionsTest : public QObject {
  Q_OBJECT
private slots:
  void onlyTheAutoLoadBoxLeavesApplyOffButOkStoresIt() {
    PaneFixture f; // AutoLoadCatalogs is 1
    CViewOptions sheet(f.doc(), f.app->frame());
    bool applyAfterAutoLoad = true, applyAfterComma = false;
    DialogScript script;
    script.then([&](QDialog &dialog) {
      child<QCheckBox>(dialog, "autoLoadCheck")->click();
      applyAfterAutoLoad = sheet.applyButton()->isEnabled();
      pressOk(dialog);
      return dialog.result();
    });
    script.then([&](QDialog &dialog) {
      child<QCheckBox>(dialog, "sizeCommaCheck")->click();
      applyAfterComma = sheet.applyButton()->isEnabled();
      child<QCheckBox>(dialog, "sizeCommaCheck")->click();
      return int(QDialog::Rejected);
    });
    sheet.showSheet();
    QVERIFY(!applyAfterAutoLoad);
    QCOMPARE(storedSetting("AutoLoadCatalogs").toInt(), 0);
    sheet.showSheet();
    QVERIFY(applyAfterComma);
  }

  void unitAndDiskColumnsApplyAtOnceAndSurviveARestart() {
    PaneFixture f;
    f.select(f.model().root());
    QCOMPARE(f.rows().index(0, 1).data().toString(), QString("8,000,000"));
    {
      CViewOptions &sheet = *f.tree().viewOptions();
      DialogScript script;
      script.then([&](QDialog &dialog) {
        auto *unit = child<QComboBox>(dialog, "unitList");
        unit->setCurrentIndex(unit->findText("KB"));
        emit unit->activated(unit->currentIndex());
        child<QCheckBox>(dialog, "freeSpaceCheck")->click();
        child<QCheckBox>(dialog, "systemIconsCheck")->click();
        pressOk(dialog);
        return dialog.result();
      });
      sheet.showSheet();
    }
    QVERIFY(f.rows().useSystemIcons()); // the fixture starts without them
    QCOMPARE(f.headers(), QStringList({"Disk", "Total Size", "Date Cataloged", "Description"}));
    QVERIFY2(f.rows().index(0, 1).data().toString().startsWith("7,813"),
             qPrintable(f.rows().index(0, 1).data().toString()));

    // The column switches are stored when the document goes at exit.
    f.app.reset();
    f.app = std::make_unique<CTavlor2App>();
    f.app->initInstance({});
    f.select(f.model().root());
    QCOMPARE(f.headers(), QStringList({"Disk", "Total Size", "Date Cataloged", "Description"}));
    QVERIFY(f.rows().index(0, 1).data().toString().startsWith("7,813"));
  }

  void anUnknownLaunchValueIsKeptUnlessARadioButtonIsClicked() {
    PaneFixture f({{"TavlorCatalog_Launch", 7}, {"TavlorCatalog_Eject", 0}});
    CViewOptions sheet(f.doc(), f.app->frame());
    bool shownAsNoLaunch = false, ejectOff = false;
    DialogScript script;
    script.then([&](QDialog &dialog) {
      shownAsNoLaunch = child<QRadioButton>(dialog, "noLaunchRadio")->isChecked();
      ejectOff = !child<QCheckBox>(dialog, "ejectDiskCheck")->isChecked();
      pressOk(dialog);
      return dialog.result();
    });
    script.then([&](QDialog &dialog) {
      child<QRadioButton>(dialog, "noLaunchRadio")->click();
      pressOk(dialog);
      return dialog.result();
    });
    sheet.showSheet();
    QVERIFY(shownAsNoLaunch);
    QVERIFY(ejectOff);
    QCOMPARE(storedSetting("TavlorCatalog_Launch").toInt(), 7);
    QCOMPARE(storedSetting("TavlorCatalog_Eject").toInt(), 0);
    sheet.showSheet();
    QCOMPARE(storedSetting("TavlorCatalog_Launch").toInt(), 0);
  }
};

GUI_SUITE(OptionsTest);
#include "options_test.moc"
