// The new-disk, eject and options commands in the main window's menus and toolbar.
#include "gui_suites.h"
#include "newdisk_support.h"

#include <QAction>
#include <QtTest>

#include "FrameActions.h"

using namespace gui_support;

class NewDiskFrameTest : public QObject {
  Q_OBJECT
private slots:
  void theCommandsCarryTheirShortcutAndTexts() {
    PaneFixture f;
    FrameActions &actions = *f.app->frame()->actions();
    QCOMPARE(actions.catalogNew->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    QCOMPARE(menuTexts(actions.toolsMenu),
             QStringList({"&Find Files or Folders ...", "Find &Duplicate Files ...", "&Compare Disk/Catalog ...", "&Eject Removable Disks"}));
    QVERIFY(actions.toolsMenu->menuAction()->isVisible());
    QCOMPARE(actions.ejectDisks->statusTip(), QString("Eject Removable Disks"));
    QCOMPARE(actions.ejectDisks->toolTip(), QString("Eject Disks"));
  }

  void ctrlNOpensTheDriveSelectionAndOptionsOpensTheSheet() {
    VolumeTable table({});
    PaneFixture f;
    DialogScript script;
    f.app->frame()->actions()->catalogNew->trigger();
    f.app->frame()->actions()->viewOptions->trigger();
    f.app->frame()->actions()->ejectDisks->trigger(); // no removable disk: nothing happens
    QCOMPARE(script.seen(), QStringList({"catalogNewDiskDialog", "viewOptions"}));
  }
};

GUI_SUITE(NewDiskFrameTest);
#include "newdisk_frame_test.moc"
