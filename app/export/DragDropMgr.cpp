#include "DragDropMgr.h"

#include <QDrag>
#include <QFile>
#include <QUrl>
#include <QWidget>

#include "WaitCursor.h"

namespace {

const QString kUriList = QStringLiteral("text/uri-list");

DragDropMgr::DragRunner &dragRunner() {
  static DragDropMgr::DragRunner runner;
  return runner;
}

} // namespace

DropHandler::DropHandler(const tavlor::CatalogModel &model, std::vector<const tavlor::FileData *> set,
                         tavlor::FileActionUi &ui)
    : model_(model), set_(std::move(set)), ui_(ui) {}

QStringList DropHandler::formats() const {
  return {kUriList};
}

bool DropHandler::hasFormat(const QString &mimeType) const {
  return mimeType == kUriList;
}

void DropHandler::prepare() const {
  if (prepared_) return;
  prepared_ = true;
  WaitCursor wait;
  drag_ = tavlor::prepareDrag(model_, set_, ui_);
}

QVariant DropHandler::retrieveData(const QString &mimeType, QMetaType type) const {
  if (mimeType != kUriList) return {};
  prepare();
  QList<QUrl> urls;
  for (const std::string &path : drag_.paths)
    urls.push_back(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
  if (type.id() == QMetaType::QByteArray || type.id() == QMetaType::QString) {
    QByteArray text;
    for (const QUrl &url : urls)
      text += url.toEncoded() + "\r\n";
    return type.id() == QMetaType::QString ? QVariant(QString::fromUtf8(text)) : QVariant(text);
  }
  QVariantList list;
  for (const QUrl &url : urls)
    list.push_back(url);
  return list;
}

DragDropMgr::DragDropMgr(const tavlor::CatalogModel &model, tavlor::FileActionUi &ui, QObject *parent)
    : QObject(parent), model_(model), ui_(ui) {}

void DragDropMgr::setDragRunner(DragRunner runner) {
  dragRunner() = std::move(runner);
}

Qt::DropAction DragDropMgr::drag(const std::vector<const tavlor::FileData *> &entries, QWidget *source) {
  std::vector<const tavlor::FileData *> set = tavlor::dragSet(entries);
  if (set.empty()) return Qt::IgnoreAction;
  // The drag owns its data. Qt deletes a drag that ran exec itself, possibly long after
  // it returned: a target on another display connection fetches the data after the drop.
  auto *drag = new QDrag(source);
  drag->setMimeData(new DropHandler(model_, std::move(set), ui_));
  // Only a move: the target takes the prepared files out of the temporary folder.
  const Qt::DropActions moveOnly = Qt::MoveAction;
  Qt::DropAction result;
  if (dragRunner()) {
    result = dragRunner()(*drag, moveOnly);
    drag->deleteLater();
  } else {
    result = drag->exec(moveOnly, Qt::MoveAction);
  }
  if (source) source->activateWindow();
  return result;
}
