// FileActions.h - the file commands on cataloged entries, shared by every list that
// shows entries (the list pane, the tree pane, the Find result lists): Open, Send To
// Notepad, Extract/Copy ... (Extract All Files ...) and dragging entries out.
//
// A list wires itself with addEntryCommands (its context menu), open (Enter and
// double-click on files) and enableDrag (its view); each takes the list's selected
// entries in list order when the command runs.
#ifndef APP_EXPORT_FILEACTIONS_H
#define APP_EXPORT_FILEACTIONS_H

#include <QObject>

#include "export/file_action_ui.h"
#include "model/catalog_model.h"

#include <functional>
#include <memory>
#include <vector>

class CTavlor2Doc;
class DragDropMgr;
class QAbstractItemView;
class QDialog;
class QMenu;
class QWidget;

class FileActions : public QObject {
  Q_OBJECT
public:
  using Entries = std::vector<const tavlor::FileData *>;
  using Selection = std::function<Entries()>;

  // doc must outlive the object; boxes and dialogs appear over window.
  FileActions(CTavlor2Doc &doc, QWidget *window);
  ~FileActions() override;

  // Open: each entry with its associated program, in order (members of ZIP files are
  // extracted into the temporary folder first).
  void open(const Entries &entries);
  // Send To Notepad: each entry in the desktop's text editor.
  void sendToNotepad(const Entries &entries);
  // Extract/Copy ...: an extract-all dialog for each Zip Folder (in order), then one
  // copy-mode dialog for everything else.
  void extractCopy(const Entries &entries);
  // Drags the entries out (disks are never dragged) and returns when the drag is over.
  void startDrag(const Entries &entries, QWidget *source);

  // The tree pane's Open on a folder item: the ZIP file that holds it, else the folder
  // or Zip Folder itself.
  void openFolderItem(tavlor::ItemId item);
  // The tree pane's Extract: extract-all for a Zip Folder, else a copy of the folder.
  void extractFolderItem(tavlor::ItemId item);

  // Appends the entry's commands to a list's context menu: "Open", "Send To Notepad"
  // (files only), a separator and "Extract All Files ..." (Zip Folder) or
  // "Extract/Copy ...". They act on selection() when chosen; the extract command acts
  // on extractSelection() instead when one is given (the Find lists copy no disks).
  void addEntryCommands(QMenu &menu, const tavlor::FileData &entry, Selection selection,
                        Selection extractSelection = {});

  // Starts a drag when the mouse moves with the left button held from a row of view;
  // the drag carries selection() at that moment.
  void enableDrag(QAbstractItemView *view, Selection selection);

  // Replaces the desktop that launches files (tests); null restores the real one.
  static void setDesktop(tavlor::Desktop *desktop);
  // Called with every Extract/Copy dialog before it runs (tests look at them).
  static void setDialogObserver(std::function<void(QDialog &)> observer);

  tavlor::FileActionUi &ui() { return *ui_; }
  DragDropMgr &dragDrop() { return *drag_; }

private:
  tavlor::Desktop &desktop();
  void runExtract(QDialog &dialog);

  CTavlor2Doc &doc_;
  QWidget *window_;
  std::unique_ptr<tavlor::FileActionUi> ui_;
  std::unique_ptr<tavlor::Desktop> desktop_;
  DragDropMgr *drag_;
};

#endif // APP_EXPORT_FILEACTIONS_H
