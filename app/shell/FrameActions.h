// FrameActions.h - the main window's commands: menu bar, accelerators and toolbar.
//
// The commands of later features are inserted where they belong through the anchors
// (fileMenuEnd, toolsMenu, toolbarGap ...), so the menu order stays the one users know.
#ifndef APP_SHELL_FRAMEACTIONS_H
#define APP_SHELL_FRAMEACTIONS_H

#include <QObject>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

class FrameActions : public QObject {
  Q_OBJECT
public:
  // Builds the menus and the toolbar into window (which owns them).
  explicit FrameActions(QMainWindow *window);

  QAction *openAll;       // "Open &All Catalogs" Ctrl+A
  QAction *openSelected;  // "&Open Selected Catalog..." Ctrl+O
  QAction *catalogNew;    // "Catalog &New Disk..." Ctrl+N
  QAction *findFiles;     // "&Find Files or Folders ..." (Tools): all loaded disks
  QAction *findFilesButton; // the toolbar's Find Files: the tree's context item
  QAction *findDuplicates; // "Find &Duplicate Files ..." (Tools)
  QAction *compareDisk;   // "&Compare Disk/Catalog ..." (Tools)
  QAction *ejectDisks;    // "&Eject Removable Disks" (Tools)
  QAction *viewOptions;   // "&Options ..." (View)
  QAction *exit;          // "E&xit"
  QAction *showToolbar;   // "&Toolbar"
  QAction *showStatusBar; // "&Status Bar"
  QAction *helpTopics;    // "&Help Topics"
  QAction *about;         // "&About Tavlor ..."
  QAction *nextPane;      // F6
  QAction *previousPane;  // Shift+F6

  QMenu *fileMenu;
  QMenu *viewMenu;
  QMenu *toolsMenu;
  QMenu *helpMenu;
  QAction *fileMenuEnd; // the separator before "E&xit"
  QToolBar *toolbar;
  QAction *toolbarGap; // the gap between the catalog buttons and the tool buttons
};

#endif // APP_SHELL_FRAMEACTIONS_H
