// DragDropMgr.h - dragging entries out of the program onto any drop target that takes
// files: a QDrag offering text/uri-list with the move action only, whose files are
// prepared (copied from their disks, extracted from their ZIP files) when the target
// first asks for the data, that is, at the drop.
//
// The target asks through the X selection, and the answer must come without running
// an event loop: a dialog opened there re-enters the X event processing under the drag
// and corrupts it. So everything that needs the user happens outside the request: a
// missing disk is asked for before the drag starts, and what failed in the preparation
// is shown once the drag is over.
#ifndef APP_EXPORT_DRAGDROPMGR_H
#define APP_EXPORT_DRAGDROPMGR_H

#include <QMimeData>
#include <QObject>

#include "export/drag_files.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDrag;

// What one drag's preparation left to tell the user: shared by the drag's data, which
// may be asked for after the drag loop has returned, and the manager that shows it.
struct DragReport {
  bool prepared = false;
  bool dragOver = false; // the drag loop has returned
  bool shown = false;
  struct Box {
    std::string caption, text;
    bool warning = false;
  };
  std::vector<Box> boxes;            // the library's boxes, held back during the preparation
  std::vector<std::string> failures; // one line per entry not prepared
};

// The data of one drag. On X the target asks for it after the drop, usually once
// QDrag::exec has already returned. It holds the dragged entries as values taken when
// the drag started, never references into the catalogs, so a catalog closed or reloaded
// before the target asks changes nothing. Preparation runs once, on the first request
// for the list of files; later requests get the same list. A drag cancelled with Escape
// never asks, so nothing is copied.
class DropHandler : public QMimeData {
  Q_OBJECT
public:
  // whenLate runs (queued) when the preparation happens after the drag loop returned.
  DropHandler(std::vector<tavlor::EntrySource> sources, std::shared_ptr<DragReport> report,
              std::function<void()> whenLate);

  QStringList formats() const override;
  bool hasFormat(const QString &mimeType) const override;
  bool prepared() const { return report_->prepared; }
  const tavlor::PreparedDrag &preparation() const { return drag_; }

protected:
  QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
  void prepare() const;

  std::vector<tavlor::EntrySource> sources_;
  std::shared_ptr<DragReport> report_;
  std::function<void()> whenLate_;
  mutable tavlor::PreparedDrag drag_;
};

class DragDropMgr : public QObject {
  Q_OBJECT
public:
  // Runs a drag offering the actions to its end (QDrag::exec); replaceable so tests
  // can drop the data on a target of their own.
  using DragRunner = std::function<Qt::DropAction(QDrag &drag, Qt::DropActions actions)>;

  DragDropMgr(const tavlor::CatalogModel &model, tavlor::FileActionUi &ui, QObject *parent);

  // Drags the entries (disks left out, each once) from source and returns when the
  // drag is over; nothing happens for an empty set. Each disk that is not mounted is
  // asked for first with the insert-disk prompt; a disk cancelled there leaves its
  // entries out, and when none is left no drag starts.
  Qt::DropAction drag(const std::vector<const tavlor::FileData *> &entries, QWidget *source);

  static void setDragRunner(DragRunner runner);

private:
  bool askForDisks(std::vector<tavlor::EntrySource> &sources);
  void showWhenNoDrag(const std::shared_ptr<DragReport> &report);
  void showReport(DragReport &report);

  const tavlor::CatalogModel &model_;
  tavlor::FileActionUi &ui_;
  bool dragging_ = false;                         // inside QDrag::exec
  std::vector<std::shared_ptr<DragReport>> held_; // reports of earlier drags that came during it
};

#endif // APP_EXPORT_DRAGDROPMGR_H
