#include "FrameActions.h"

#include "Icons.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace {

QAction *command(QObject *owner, const char *name, const QString &text, const QString &prompt,
                 const QKeySequence &keys = {}) {
  auto *action = new QAction(text, owner);
  action->setObjectName(name);
  action->setStatusTip(prompt);
  if (!keys.isEmpty()) {
    action->setShortcut(keys);
    // The panes' views would otherwise take Ctrl+A (select all) for themselves.
    action->setShortcutContext(Qt::WindowShortcut);
  }
  return action;
}

} // namespace

FrameActions::FrameActions(QMainWindow *window) : QObject(window) {
  openAll = command(window, "actionOpenAll", tr("Open &All Catalogs"), tr("Open All Catalogs"),
                    QKeySequence(Qt::CTRL | Qt::Key_A));
  openAll->setToolTip(tr("Open All Catalogs"));
  openAll->setIcon(toolbarIcon(ToolbarImage::OpenAll));
  openSelected = command(window, "actionOpenSelected", tr("&Open Selected Catalog..."),
                         tr("Open a single, existing catalog"), QKeySequence(Qt::CTRL | Qt::Key_O));
  openSelected->setToolTip(tr("Open One Catalog"));
  openSelected->setIcon(toolbarIcon(ToolbarImage::OpenSelected));
  catalogNew = command(window, "actionCatalogNew", tr("Catalog &New Disk..."), tr("Catalog a new disk"),
                       QKeySequence(Qt::CTRL | Qt::Key_N));
  catalogNew->setToolTip(tr("New Catalog"));
  catalogNew->setIcon(toolbarIcon(ToolbarImage::CatalogNew));
  findFiles = command(window, "actionFindFiles", tr("&Find Files or Folders ..."), tr("Find Files or Folders"));
  findFiles->setIcon(toolbarIcon(ToolbarImage::FindFiles));
  findFilesButton = command(window, "actionFindFilesButton", tr("Find Files or Folders"), tr("Find Files or Folders"));
  findFilesButton->setToolTip(tr("Find Files"));
  findFilesButton->setIcon(toolbarIcon(ToolbarImage::FindFiles));
  findDuplicates = command(window, "actionFindDuplicates", tr("Find &Duplicate Files ..."), tr("Find Duplicate Files"));
  compareDisk = command(window, "actionCompareDisk", tr("&Compare Disk/Catalog ..."),
                        tr("Compare a disk with its catalog"));
  ejectDisks = command(window, "actionEjectDisks", tr("&Eject Removable Disks"), tr("Eject Removable Disks"));
  ejectDisks->setToolTip(tr("Eject Disks"));
  ejectDisks->setIcon(toolbarIcon(ToolbarImage::Eject));
  viewOptions = command(window, "actionViewOptions", tr("&Options ..."), tr("Change the view options"));
  exit = command(window, "actionExit", tr("E&xit"), tr("Quit the application; prompts to save documents"));
  helpTopics = command(window, "actionHelpTopics", tr("&Help Topics"), tr("Open Help Topics"));
  helpTopics->setToolTip(tr("Help Topics"));
  helpTopics->setIcon(toolbarIcon(ToolbarImage::Help));
  about = command(window, "actionAbout", tr("&About Tavlor ..."),
                  tr("Display program information, version number and copyright"));
  about->setToolTip(tr("About"));
  about->setIcon(toolbarIcon(ToolbarImage::About));
  nextPane = command(window, "actionNextPane", tr("Next Pane"), tr("Switch to the next window pane"),
                     QKeySequence(Qt::Key_F6));
  previousPane = command(window, "actionPreviousPane", tr("Previous Pane"),
                         tr("Switch back to the previous window pane"), QKeySequence(Qt::SHIFT | Qt::Key_F6));
  window->addAction(nextPane);
  window->addAction(previousPane);

  toolbar = new QToolBar(tr("Toolbar"), window);
  toolbar->setObjectName("toolbar");
  toolbar->setIconSize(QSize(16, 16));
  toolbar->setAllowedAreas(Qt::AllToolBarAreas);
  toolbar->setMovable(true);
  window->addToolBar(Qt::TopToolBarArea, toolbar);
  toolbar->addAction(openAll);
  toolbar->addAction(catalogNew);
  toolbar->addAction(openSelected);
  toolbarGap = toolbar->addSeparator();
  toolbar->addAction(findFilesButton);
  toolbar->addAction(ejectDisks);
  toolbar->addAction(helpTopics);
  toolbar->addAction(about);

  QMenuBar *bar = window->menuBar();
  fileMenu = bar->addMenu(tr("&File"));
  fileMenu->setObjectName("fileMenu");
  fileMenu->addAction(openAll);
  fileMenu->addAction(openSelected);
  fileMenu->addAction(catalogNew);
  fileMenuEnd = fileMenu->addSeparator();
  fileMenu->addAction(exit);

  viewMenu = bar->addMenu(tr("&View"));
  viewMenu->setObjectName("viewMenu");
  showToolbar = toolbar->toggleViewAction();
  showToolbar->setText(tr("&Toolbar"));
  showToolbar->setObjectName("actionShowToolbar");
  showToolbar->setStatusTip(tr("Show or hide the toolbar"));
  viewMenu->addAction(showToolbar);
  showStatusBar = command(window, "actionShowStatusBar", tr("&Status Bar"), tr("Show or hide the status bar"));
  showStatusBar->setCheckable(true);
  showStatusBar->setChecked(true);
  viewMenu->addAction(showStatusBar);
  viewMenu->addSeparator();
  viewMenu->addAction(viewOptions);

  toolsMenu = bar->addMenu(tr("Tools"));
  toolsMenu->setObjectName("toolsMenu");
  toolsMenu->addAction(findFiles);
  toolsMenu->addAction(findDuplicates);
  toolsMenu->addAction(compareDisk);
  toolsMenu->addAction(ejectDisks);

  helpMenu = bar->addMenu(tr("&Help"));
  helpMenu->setObjectName("helpMenu");
  helpMenu->addAction(helpTopics);
  helpMenu->addAction(about);
}
