#include "DragDropMgr.h"

#include <QDrag>
#include <QFile>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <set>
#include <utility>

#include "MessageBoxes.h"
#include "Tavscan60.h"
#include "WaitCursor.h"
#include "export/disk_locator.h"

namespace {

const QString kUriList = QStringLiteral("text/uri-list");

DragDropMgr::DragRunner &dragRunner() {
  static DragDropMgr::DragRunner runner;
  return runner;
}

void addFailure(DragReport &report, const std::string &line) {
  if (std::find(report.failures.begin(), report.failures.end(), line) == report.failures.end())
    report.failures.push_back(line);
}

// The file actions' questions answered without the user, for the preparation inside
// the target's request: a disk gone since the drag started is not asked for again (its
// entries are left out), boxes are kept for later, and nothing waits.
class SilentUi : public tavlor::FileActionUi {
public:
  explicit SilentUi(DragReport &report) : report_(report) {}

  bool insertDisk(const std::string &text) override {
    asked.insert(text);
    return false;
  }
  void message(const std::string &caption, const std::string &text, bool warning) override {
    report_.boxes.push_back({caption, text, warning});
  }
  bool askYesNo(const std::string &caption, const std::string &text) override {
    report_.boxes.push_back({caption, text, true});
    return false;
  }
  void beginWait(const std::string &) override {}
  void endWait() override {}
  void pause(int) override {}

  std::set<std::string> asked; // the prompts' texts, one per disk that was not there

private:
  DragReport &report_;
};

// Holds the library's boxes (an archive that cannot be read ...) while the files are
// prepared, and puts the program's own handler back afterwards.
class HeldLibraryBoxes {
public:
  explicit HeldLibraryBoxes(DragReport &report) { tavscanSetMessageBoxHandler(&hold, &report); }
  ~HeldLibraryBoxes() { installLibraryBoxes(); }
  HeldLibraryBoxes(const HeldLibraryBoxes &) = delete;
  HeldLibraryBoxes &operator=(const HeldLibraryBoxes &) = delete;

private:
  static void hold(const char *caption, const char *text, int icon, void *context) {
    static_cast<DragReport *>(context)->boxes.push_back({caption, text, icon == kTavscanBoxWarning});
  }
};

} // namespace

DropHandler::DropHandler(std::vector<tavlor::EntrySource> sources, std::shared_ptr<DragReport> report,
                         std::function<void()> whenLate)
    : sources_(std::move(sources)), report_(std::move(report)), whenLate_(std::move(whenLate)) {}

QStringList DropHandler::formats() const {
  return {kUriList};
}

bool DropHandler::hasFormat(const QString &mimeType) const {
  return mimeType == kUriList;
}

void DropHandler::prepare() const {
  if (report_->prepared) return;
  report_->prepared = true;
  // No dialog, box, please-wait window or event processing from here on: this runs
  // inside the target's request for the data.
  WaitCursor wait;
  SilentUi ui(*report_);
  {
    HeldLibraryBoxes held(*report_);
    drag_ = tavlor::prepareDrag(sources_, ui);
  }
  // Every entry of a disk that was asked for was left out.
  for (const tavlor::EntrySource &source : sources_) {
    const std::string text = tavlor::diskNotFoundText(source.label());
    if (ui.asked.count(text)) addFailure(*report_, source.catalogPath + ": " + text);
  }
  for (const tavlor::CopyFailure &failure : drag_.failures)
    addFailure(*report_, failure.path + ": " + failure.reason);
  if (report_->dragOver && whenLate_) whenLate_();
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

bool DragDropMgr::askForDisks(std::vector<tavlor::EntrySource> &sources) {
  for (const std::string &label : tavlor::missingDisks(sources)) {
    auto onDisk = [&label](const tavlor::EntrySource &source) { return source.label() == label; };
    for (;;) {
      std::vector<tavlor::EntrySource> ofDisk;
      std::copy_if(sources.begin(), sources.end(), std::back_inserter(ofDisk), onDisk);
      if (tavlor::missingDisks(ofDisk).empty()) break;
      if (!ui_.insertDisk(tavlor::diskNotFoundText(label))) {
        std::erase_if(sources, onDisk);
        break;
      }
    }
  }
  return !sources.empty();
}

void DragDropMgr::showWhenNoDrag(const std::shared_ptr<DragReport> &report) {
  // A box inside a later drag's loop would fight it for the pointer.
  if (dragging_)
    held_.push_back(report);
  else
    showReport(*report);
}

void DragDropMgr::showReport(DragReport &report) {
  if (!report.prepared || report.shown) return;
  report.shown = true;
  for (const DragReport::Box &box : report.boxes)
    ui_.message(box.caption, box.text, box.warning);
  if (report.failures.empty()) return;
  std::string text = "These entries could not be prepared for the drop:\n";
  for (const std::string &line : report.failures)
    text += "\n" + line;
  ui_.message("Tavlor", text, true);
}

Qt::DropAction DragDropMgr::drag(const std::vector<const tavlor::FileData *> &entries, QWidget *source) {
  const std::vector<const tavlor::FileData *> set = tavlor::dragSet(entries);
  if (set.empty()) return Qt::IgnoreAction;
  // Values, taken before the prompt or the drag loop can let anything change the catalogs.
  std::vector<tavlor::EntrySource> sources = tavlor::dragSources(model_, set);
  if (!askForDisks(sources)) return Qt::IgnoreAction;

  auto report = std::make_shared<DragReport>();
  // A target may ask for the data only after the drag loop returned; what failed then
  // is shown once the request is answered, never inside it.
  QPointer<DragDropMgr> self(this);
  auto whenLate = [self, report] {
    if (self)
      QMetaObject::invokeMethod(
          self.data(), [self, report] { self->showWhenNoDrag(report); }, Qt::QueuedConnection);
  };
  // The drag owns its data. Qt deletes a drag that ran exec itself, possibly long after
  // it returned: a target on another display connection fetches the data after the drop.
  auto *drag = new QDrag(source);
  drag->setMimeData(new DropHandler(std::move(sources), report, whenLate));
  // Only a move: the target takes the prepared files out of the temporary folder.
  const Qt::DropActions moveOnly = Qt::MoveAction;
  Qt::DropAction result;
  if (dragRunner()) {
    result = dragRunner()(*drag, moveOnly);
    drag->deleteLater();
  } else {
    dragging_ = true;
    result = drag->exec(moveOnly, Qt::MoveAction);
    dragging_ = false;
  }
  report->dragOver = true;
  if (source) source->activateWindow();
  showReport(*report);
  for (const std::shared_ptr<DragReport> &late : std::exchange(held_, {}))
    showReport(*late);
  return result;
}
