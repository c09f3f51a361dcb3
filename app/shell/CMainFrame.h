// CMainFrame.h - the main window: menus and toolbar (FrameActions), the status bar
// (FrameStatusBar), the splitter with the tree pane and the list pane, and the
// window placement kept in the settings.
#ifndef APP_SHELL_CMAINFRAME_H
#define APP_SHELL_CMAINFRAME_H

#include <QMainWindow>

#include <string>

class CTavlor2Doc;
class CatalogCommands;
class FileActions;
class DriveCompare;
class FrameActions;
class FrameStatusBar;
class ListPane;
class QSplitter;
class TreePane;

class CMainFrame : public QMainWindow {
  Q_OBJECT
public:
  // Builds the window for doc (which must outlive it) and places it at the saved
  // rectangle when all four values can be read.
  explicit CMainFrame(CTavlor2Doc &doc);
  // Writes the placement when the window was moved or resized.
  ~CMainFrame() override;

  // The panes' first update: the tree (size unit, command-line catalog), then the
  // list (system icons, auto-load).
  void initialUpdate(const std::string &commandLineCatalog);

  // Tools -> Compare Disk/Catalog: opens a new modeless compare dialog and returns it.
  DriveCompare *openDriveCompare();

  TreePane *treePane() const { return tree_; }
  ListPane *listPane() const { return list_; }
  FrameActions *actions() const { return actions_; }
  FrameStatusBar *frameStatusBar() const { return status_; }
  CatalogCommands *commands() const { return commands_; }
  FileActions *fileActions() const { return fileActions_; }
  QSplitter *splitter() const { return splitter_; }
  bool placementChanged() const { return placementChanged_; }
  QRect normalRect() const { return normalRect_; }

protected:
  void moveEvent(QMoveEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void showEvent(QShowEvent *event) override;

private:
  void notePlacement();
  void switchPane(bool forward);
  void updateTitle();

  CTavlor2Doc &doc_;
  FrameActions *actions_;
  FrameStatusBar *status_;
  CatalogCommands *commands_;
  FileActions *fileActions_;
  QSplitter *splitter_;
  TreePane *tree_;
  ListPane *list_;
  QRect normalRect_{70, 70, 430, 330};
  bool placementChanged_ = false;
  bool shown_ = false;
};

#endif // APP_SHELL_CMAINFRAME_H
