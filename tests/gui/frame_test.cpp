// The frame: menus and accelerators, toolbar prompts, status bar panes, Help Topics.
#include "gui_suites.h"
#include "gui_support.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QtTest>

#include "CMainFrame.h"
#include "CTavlor2App.h"
#include "FrameActions.h"
#include "FrameStatusBar.h"
#include "HelpTopics.h"
#include "ListPane.h"
#include "TreePane.h"

#include <QTreeView>

using namespace gui_support;

namespace {

QStringList texts(const QList<QAction *> &actions) {
  QStringList out;
  for (QAction *a : actions)
    out << (a->isSeparator() ? QString("-") : a->text());
  return out;
}

} // namespace

class FrameTest : public QObject {
  Q_OBJECT
private slots:
  void init() { resetSettings(); }

  void menusHoldTheirCommandsInOrder() {
    CTavlor2App app;
    QVERIFY(app.initInstance({}));
    FrameActions *actions = app.frame()->actions();
    QCOMPARE(texts(actions->fileMenu->actions()),
             QStringList({"Open &All Catalogs", "&Open Selected Catalog...", "Catalog &New Disk...", "-", "E&xit"}));
    QCOMPARE(texts(actions->viewMenu->actions()), QStringList({"&Toolbar", "&Status Bar", "-", "&Options ..."}));
    QCOMPARE(texts(actions->helpMenu->actions()), QStringList({"&Help Topics", "&About Tavlor ..."}));
    QCOMPARE(actions->openAll->shortcut(), QKeySequence("Ctrl+A"));
    QCOMPARE(actions->openSelected->shortcut(), QKeySequence("Ctrl+O"));
    QCOMPARE(actions->nextPane->shortcut(), QKeySequence("F6"));
    QCOMPARE(actions->previousPane->shortcut(), QKeySequence("Shift+F6"));
    QCOMPARE(actions->openSelected->statusTip(), QString("Open a single, existing catalog"));
    QCOMPARE(actions->openSelected->toolTip(), QString("Open One Catalog"));
    QCOMPARE(actions->catalogNew->toolTip(), QString("New Catalog"));
    QCOMPARE(actions->helpTopics->statusTip(), QString("Open Help Topics"));
    QCOMPARE(texts(actions->toolbar->actions()),
             QStringList({"Open &All Catalogs", "Catalog &New Disk...", "&Open Selected Catalog...", "-",
                          "Find Files or Folders", "&Eject Removable Disks", "&Help Topics", "&About Tavlor ..."}));
    QCOMPARE(actions->findFilesButton->toolTip(), QString("Find Files"));
    QCOMPARE(actions->findFilesButton->statusTip(), QString("Find Files or Folders"));
  }

  void ctrlAOpensAllCatalogsEvenFromTheList() {
    BoxLog boxes;
    CTavlor2App app;
    QVERIFY(app.initInstance({}));
    QVERIFY(QTest::qWaitForWindowExposed(app.frame()));
    app.frame()->activateWindow();
    app.frame()->listPane()->view()->setFocus();
    QTest::keyClick(app.frame()->listPane()->view(), Qt::Key_A, Qt::ControlModifier);
    // The empty default catalogs folder answers with the "No catalogs found" box.
    QCOMPARE(boxes.boxes().size(), size_t(1));
    QCOMPARE(boxes.boxes()[0].caption, QString("Tavlor"));
    QCOMPARE(boxes.boxes()[0].text, QString("No catalogs found.\nUse File->Catalog New Disk ... to create."));
  }

  void f6SwitchesPanes() {
    CTavlor2App app;
    QVERIFY(app.initInstance({}));
    QVERIFY(QTest::qWaitForWindowExposed(app.frame()));
    app.frame()->activateWindow();
    QTreeView *tree = app.frame()->treePane()->view();
    QTreeView *list = app.frame()->listPane()->view();
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_F6);
    QVERIFY(list->hasFocus());
    QTest::keyClick(list, Qt::Key_F6, Qt::ShiftModifier);
    QVERIFY(tree->hasFocus());
  }

  void statusBarShowsReadyLocksDateAndTime() {
    CTavlor2App app;
    QVERIFY(app.initInstance({}));
    FrameStatusBar *bar = app.frame()->frameStatusBar();
    QCOMPARE(bar->findChild<QLabel *>("messagePane")->text(), QString("Ready"));
    QLabel *date = bar->findChild<QLabel *>("datePane");
    QCOMPARE(date->text(), QString("Date"));
    bar->refresh();
    QCOMPARE(date->text(), FrameStatusBar::dateText(std::time(nullptr)));
    QVERIFY(date->width() >= date->fontMetrics().horizontalAdvance(date->text()));
    QVERIFY(bar->findChild<QLabel *>("capsPane") && bar->findChild<QLabel *>("numPane") &&
            bar->findChild<QLabel *>("scrollPane"));
  }

  void helpPageFollowsTheCatalogsSetting() {
    QCOMPARE(helpFilePath(std::string("/opt/Tavlor/Catalogs/"), "/usr/share/tavlor/"),
             QString("/opt/Tavlor/Help/Tavlor_help.htm"));
    // No "Catalogs" in the setting: the page is looked for in the current folder.
    QCOMPARE(helpFilePath(std::string("/data/cat"), "/usr/share/tavlor/"), QString("Help/Tavlor_help.htm"));
    QCOMPARE(helpFilePath(std::nullopt, "/usr/share/tavlor/"), QString("/usr/share/tavlor/Help/Tavlor_help.htm"));
  }

  void missingHelpPageShowsTheWarning() {
    QString folder = freshFolder("nohelp/Catalogs");
    resetSettings({{"Tavlor", folder}});
    BoxLog boxes;
    showHelpTopics(nullptr);
    QCOMPARE(boxes.boxes().size(), size_t(1));
    QCOMPARE(boxes.boxes()[0].caption, QString("Could not launch help file"));
    QCOMPARE(boxes.boxes()[0].text, "Cannot find or launch help file:\n" + testHome() + "/nohelp/Help/Tavlor_help.htm");
    QCOMPARE(boxes.boxes()[0].kind, BoxKind::Warning);
  }
};

GUI_SUITE(FrameTest);
#include "frame_test.moc"
