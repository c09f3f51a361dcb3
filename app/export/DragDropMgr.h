// DragDropMgr.h - dragging entries out of the program onto any drop target that takes
// files: a QDrag offering text/uri-list with the move action only, whose files are
// prepared (copied from their disks, extracted from their ZIP files) when the target
// first asks for the data, that is, at the drop.
#ifndef APP_EXPORT_DRAGDROPMGR_H
#define APP_EXPORT_DRAGDROPMGR_H

#include <QMimeData>
#include <QObject>

#include "export/drag_files.h"

#include <functional>
#include <vector>

class QDrag;

// The data of one drag. Preparation runs once, on the first request for the list of
// files; later requests get the same list. A drag cancelled with Escape never asks,
// so nothing is copied.
class DropHandler : public QMimeData {
  Q_OBJECT
public:
  // model and the entries must stay alive while the drag runs.
  DropHandler(const tavlor::CatalogModel &model, std::vector<const tavlor::FileData *> set, tavlor::FileActionUi &ui);

  QStringList formats() const override;
  bool hasFormat(const QString &mimeType) const override;
  bool prepared() const { return prepared_; }
  const tavlor::PreparedDrag &preparation() const { return drag_; }

protected:
  QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
  void prepare() const;

  const tavlor::CatalogModel &model_;
  std::vector<const tavlor::FileData *> set_;
  tavlor::FileActionUi &ui_;
  mutable bool prepared_ = false;
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
  // drag is over; nothing happens for an empty set.
  Qt::DropAction drag(const std::vector<const tavlor::FileData *> &entries, QWidget *source);

  static void setDragRunner(DragRunner runner);

private:
  const tavlor::CatalogModel &model_;
  tavlor::FileActionUi &ui_;
};

#endif // APP_EXPORT_DRAGDROPMGR_H
