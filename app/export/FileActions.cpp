#include "FileActions.h"

#include "CExtract.h"
#include "CInstertDisk.h"
#include "CMessageDialog.h"
#include "CTavlor2Doc.h"
#include "DialogRunner.h"
#include "DragDropMgr.h"
#include "MessageBoxes.h"
#include "TextCodec.h"
#include "WaitCursor.h"
#include "export/file_actions.h"
#include "export/platform_desktop.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QMenu>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QTimer>

using tavlor::FileData;
using tavlor::ItemId;

namespace {

tavlor::Desktop *replacementDesktop = nullptr;

std::function<void(QDialog &)> &dialogObserver() {
  static std::function<void(QDialog &)> observer;
  return observer;
}

// The file actions' questions as the program's dialogs.
class GuiFileActionUi : public tavlor::FileActionUi {
public:
  explicit GuiFileActionUi(QWidget *window) : window_(window) {}

  bool insertDisk(const std::string &text) override {
    // A drag or a press may hold the mouse; the prompt needs it.
    if (QWidget *grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    // The prompt waits for the user, not for the program: no wait cursor over it.
    int cursors = 0;
    while (QApplication::overrideCursor()) {
      QApplication::restoreOverrideCursor();
      ++cursors;
    }
    bool retry = CInstertDisk::prompt(displayText(text), window_);
    while (cursors-- > 0)
      QApplication::setOverrideCursor(Qt::WaitCursor);
    return retry;
  }

  void message(const std::string &caption, const std::string &text, bool warning) override {
    showBox(window_, displayText(caption), displayText(text), warning ? BoxKind::Warning : BoxKind::Plain);
  }

  bool askYesNo(const std::string &caption, const std::string &text) override {
    return showBox(window_, displayText(caption), displayText(text), BoxKind::Question);
  }

  void beginWait(const std::string &text) override {
    wait_ = std::make_unique<CMessageDialog>(displayText(text), window_);
  }

  void endWait() override { wait_.reset(); }

  void pause(int milliseconds) override {
    // Windows keep painting while the drive settles; input waits.
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }

private:
  QWidget *window_;
  std::unique_ptr<CMessageDialog> wait_;
};

// Starts a drag from a view once the pointer has moved far enough with the left
// button held over a row. Moves in between are kept from the view, so pressing on a
// selection and dragging carries the whole selection instead of changing it.
class DragStarter : public QObject {
public:
  DragStarter(QAbstractItemView *view, FileActions &actions, FileActions::Selection selection)
      : QObject(view), view_(view), actions_(actions), selection_(std::move(selection)) {}

  bool eventFilter(QObject *, QEvent *event) override {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto *mouse = static_cast<QMouseEvent *>(event);
      pressed_ = mouse->button() == Qt::LeftButton && view_->indexAt(mouse->position().toPoint()).isValid();
      from_ = mouse->position().toPoint();
      return false;
    }
    case QEvent::MouseMove: {
      auto *mouse = static_cast<QMouseEvent *>(event);
      if (!pressed_ || !(mouse->buttons() & Qt::LeftButton)) {
        pressed_ = false;
        return false;
      }
      if ((mouse->position().toPoint() - from_).manhattanLength() < QApplication::startDragDistance()) return true;
      pressed_ = false;
      actions_.startDrag(selection_(), view_);
      return true;
    }
    case QEvent::MouseButtonRelease:
      pressed_ = false;
      return false;
    default:
      return false;
    }
  }

private:
  QAbstractItemView *view_;
  FileActions &actions_;
  FileActions::Selection selection_;
  bool pressed_ = false;
  QPoint from_;
};

} // namespace

FileActions::FileActions(CTavlor2Doc &doc, QWidget *window)
    : QObject(window), doc_(doc), window_(window), ui_(std::make_unique<GuiFileActionUi>(window)),
      desktop_(std::make_unique<tavlor::PlatformDesktop>([](const std::string &path) {
        return QMimeDatabase().mimeTypeForFile(QFile::decodeName(path.c_str())).name().toStdString();
      })) {
  drag_ = new DragDropMgr(doc.model(), *ui_, this);
}

FileActions::~FileActions() = default;

void FileActions::setDesktop(tavlor::Desktop *desktop) {
  replacementDesktop = desktop;
}

void FileActions::setDialogObserver(std::function<void(QDialog &)> observer) {
  dialogObserver() = std::move(observer);
}

tavlor::Desktop &FileActions::desktop() {
  return replacementDesktop ? *replacementDesktop : *desktop_;
}

void FileActions::open(const Entries &entries) {
  WaitCursor wait;
  for (const FileData *entry : entries)
    if (entry) tavlor::launchEntry(doc_.model(), *entry, {}, *ui_, desktop(), doc_.extractedFiles());
}

void FileActions::sendToNotepad(const Entries &entries) {
  WaitCursor wait;
  for (const FileData *entry : entries)
    if (entry)
      tavlor::launchEntry(doc_.model(), *entry, tavlor::kTextEditorProgram, *ui_, desktop(), doc_.extractedFiles());
}

void FileActions::runExtract(QDialog &dialog) {
  if (dialogObserver()) dialogObserver()(dialog);
  runDialog(dialog);
}

void FileActions::extractCopy(const Entries &entries) {
  const tavlor::ExtractPlan plan = tavlor::planExtract(doc_.model(), entries);
  for (const FileData *zipFolder : plan.zipFolders) {
    CExtract dialog(doc_.model(), *zipFolder, *ui_, window_);
    runExtract(dialog);
  }
  if (!plan.copyList.empty()) {
    CExtract dialog(doc_.model(), plan.copyList, *ui_, window_);
    runExtract(dialog);
  }
}

void FileActions::startDrag(const Entries &entries, QWidget *source) {
  drag_->drag(entries, source);
}

void FileActions::openFolderItem(ItemId item) {
  tavlor::CatalogModel &model = doc_.model();
  if (!model.isValid(item)) return;
  const FileData *entry = model.lookupEntry(model.parentOf(item), model.label(item));
  if (!entry) return;
  WaitCursor wait;
  std::string zip;
  if (model.zipFilePath(*entry, zip))
    tavlor::launchPath(zip, {}, true, *ui_, desktop());
  else
    tavlor::launchEntry(model, *entry, {}, *ui_, desktop(), doc_.extractedFiles());
}

void FileActions::extractFolderItem(ItemId item) {
  tavlor::CatalogModel &model = doc_.model();
  if (!model.isValid(item)) return;
  const FileData *entry = model.lookupEntry(model.parentOf(item), model.label(item));
  if (!entry) return;
  if (entry->isZipFolder()) {
    CExtract dialog(model, *entry, *ui_, window_);
    runExtract(dialog);
  } else {
    CExtract dialog(model, Entries{entry}, *ui_, window_);
    runExtract(dialog);
  }
}

void FileActions::addEntryCommands(QMenu &menu, const FileData &entry, Selection selection,
                                   Selection extractSelection) {
  menu.addAction(tr("Open"), this, [this, selection] { open(selection()); });
  if (entry.isFile()) menu.addAction(tr("Send To Notepad"), this, [this, selection] { sendToNotepad(selection()); });
  menu.addSeparator();
  if (!extractSelection) extractSelection = selection;
  menu.addAction(entry.isZipFolder() ? tr("Extract All Files ...") : tr("Extract/Copy ..."), this,
                 [this, extractSelection] { extractCopy(extractSelection()); });
}

void FileActions::enableDrag(QAbstractItemView *view, Selection selection) {
  // A press on a row of a selection keeps the selection, so all of it can be dragged.
  view->setDragEnabled(true);
  view->viewport()->installEventFilter(new DragStarter(view, *this, std::move(selection)));
}
