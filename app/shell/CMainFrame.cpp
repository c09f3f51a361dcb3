#include "CMainFrame.h"

#include "AboutBox.h"
#include "CCatalogNewDisk.h"
#include "CProperties.h"
#include "CTavlor2Doc.h"
#include "CViewOptions.h"
#include "CatalogCommands.h"
#include "DialogRunner.h"
#include "DriveCompare.h"
#include "EntryListModel.h"
#include "FileActions.h"
#include "FrameActions.h"
#include "FrameStatusBar.h"
#include "HelpTopics.h"
#include "Icons.h"
#include "ListPane.h"
#include "ToolDialogs.h"
#include "TreePane.h"
#include "WaitCursor.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>

CMainFrame::CMainFrame(CTavlor2Doc &doc) : doc_(doc) {
  setObjectName("mainFrame");
  setWindowIcon(programIcon());
  if (std::optional<QRect> saved = readWindowPlacement()) {
    move(saved->topLeft());
    resize(saved->size());
    normalRect_ = *saved;
  } else {
    resize(900, 600);
  }

  actions_ = new FrameActions(this);
  status_ = new FrameStatusBar(this);
  setStatusBar(status_);
  commands_ = new CatalogCommands(doc_, this);

  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setObjectName("splitter");
  splitter_->setChildrenCollapsible(false);
  tree_ = new TreePane(doc_, *commands_, splitter_);
  list_ = new ListPane(doc_, *commands_, *tree_, splitter_);
  fileActions_ = new FileActions(doc_, this);
  tree_->setFileActions(fileActions_);
  list_->setFileActions(fileActions_);
  splitter_->addWidget(tree_);
  splitter_->addWidget(list_);
  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({210, 500});
  setCentralWidget(splitter_);

  connect(actions_->openAll, &QAction::triggered, commands_, &CatalogCommands::openAllCatalogs);
  connect(actions_->openSelected, &QAction::triggered, commands_, &CatalogCommands::openSelectedCatalog);
  connect(actions_->catalogNew, &QAction::triggered, this, [this] { catalogNewDiskCommand(doc_, *commands_, this); });
  connect(actions_->ejectDisks, &QAction::triggered, this, [] {
    WaitCursor wait;
    tavlor::ejectRemovableDisks();
  });
  connect(actions_->findFiles, &QAction::triggered, this,
          [this] { startFindFiles(doc_, {doc_.model().root()}, this, fileActions_); });
  connect(actions_->findFilesButton, &QAction::triggered, this, [this] {
    const tavlor::ItemId context = tree_->contextItem();
    startFindFiles(doc_, {context != tavlor::kNoItem ? context : doc_.model().root()}, this, fileActions_);
  });
  connect(actions_->findDuplicates, &QAction::triggered, this,
          [this] { startFindDuplicates(doc_, {doc_.model().root()}, this, fileActions_); });
  connect(actions_->compareDisk, &QAction::triggered, this, &CMainFrame::openDriveCompare);
  connect(actions_->viewOptions, &QAction::triggered, tree_, &TreePane::showViewOptions);
  connect(tree_->viewOptions(), &CViewOptions::systemIconsChanged, list_->listModel(),
          &EntryListModel::setUseSystemIcons);
  connect(actions_->exit, &QAction::triggered, this, &QWidget::close);
  connect(actions_->showStatusBar, &QAction::toggled, status_, &QWidget::setVisible);
  connect(actions_->helpTopics, &QAction::triggered, this, [this] { showHelpTopics(this); });
  connect(actions_->about, &QAction::triggered, this, [this] {
    AboutBox about(this);
    runDialog(about);
  });
  connect(actions_->nextPane, &QAction::triggered, this, [this] { switchPane(true); });
  connect(actions_->previousPane, &QAction::triggered, this, [this] { switchPane(false); });
  connect(&doc_, &CTavlor2Doc::titleChanged, this, &CMainFrame::updateTitle);
  updateTitle();
}

CMainFrame::~CMainFrame() {
  if (placementChanged_) writeWindowPlacement(normalRect_);
}

void CMainFrame::initialUpdate(const std::string &commandLineCatalog) {
  tree_->initialUpdate(commandLineCatalog);
  list_->initialUpdate();
}

void CMainFrame::updateTitle() {
  setWindowTitle(doc_.title() + " - Tavlor");
}

void CMainFrame::showEvent(QShowEvent *event) {
  QMainWindow::showEvent(event);
  // Placing the window on the screen is not a move by the user; tracking starts once
  // it settled.
  QTimer::singleShot(0, this, [this] { shown_ = true; });
}

void CMainFrame::notePlacement() {
  if (!shown_ || isMinimized() || isMaximized() || isFullScreen()) return;
  QRect now(pos(), size());
  if (now == normalRect_) return;
  normalRect_ = now;
  placementChanged_ = true;
}

void CMainFrame::moveEvent(QMoveEvent *event) {
  QMainWindow::moveEvent(event);
  notePlacement();
}

void CMainFrame::resizeEvent(QResizeEvent *event) {
  QMainWindow::resizeEvent(event);
  notePlacement();
}

DriveCompare *CMainFrame::openDriveCompare() {
  auto *dialog = new DriveCompare(doc_, this); // deletes itself when closed
  connect(dialog, &DriveCompare::propertiesRequested, dialog, [dialog](const tavlor::PropertiesValues &values) {
    CProperties properties(values, dialog);
    runDialog(properties);
  });
  dialog->show();
  return dialog;
}

void CMainFrame::switchPane(bool forward) {
  // With two panes the next and the previous pane are the same: the other one.
  Q_UNUSED(forward);
  QWidget *target = tree_->view()->hasFocus() ? static_cast<QWidget *>(list_->view()) : tree_->view();
  target->setFocus(Qt::ShortcutFocusReason);
}
