#include "ResultDialog.h"

#include "CTavlor2Doc.h"
#include "FileActions.h"
#include "ReportFileDialog.h"
#include "ReportList.h"
#include "TextCodec.h"
#include "tools/find_files.h"
#include "tools/report_text.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QScrollBar>
#include <QTreeView>

#include <algorithm>

using tavlor::FileData;

ResultDialog::ResultDialog(CTavlor2Doc &doc, std::vector<tavlor::ItemId> roots, bool sets,
                           std::vector<ResultListColumn> columns, ResultEntryActions actions, QWidget *parent)
    : QDialog(parent), doc_(doc), roots_(std::move(roots)), actions_(std::move(actions)) {
  doc_.beginBusy();
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setSizeGripEnabled(true);
  setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  lookIn_ = tavlor::lookInText(doc_.model(), roots_);
  for (tavlor::ItemId root : roots_)
    rootPaths_.push_back(doc_.model().itemPath(root));

  model_ = new ResultListModel(doc_.model(), sets, std::move(columns), this);
  view_ = new QTreeView(this);
  view_->setObjectName("resultList");
  setUpReportList(view_, model_);
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  applyResultColumnWidths(view_, *model_);
  connect(view_, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
    const QModelIndex index = view_->indexAt(at);
    context_ = QPersistentModelIndex();
    if (!index.isValid()) return;
    if (std::unique_ptr<QMenu> menu = contextMenu(index.row())) menu->exec(view_->viewport()->mapToGlobal(at));
  });
  if (actions_.files) {
    connect(view_, &QAbstractItemView::doubleClicked, this, &ResultDialog::openOnDoubleClick);
    // Enter in the list opens its rows rather than pressing Find Now.
    view_->installEventFilter(this);
    actions_.files->enableDrag(view_, [this] { return selectedEntries(); });
  }
}

ResultDialog::~ResultDialog() {
  doc_.endBusy();
}

std::vector<tavlor::ItemId> ResultDialog::liveRoots() {
  tavlor::CatalogModel &model = doc_.model();
  std::vector<tavlor::ItemId> live;
  for (size_t i = 0; i < roots_.size(); ++i) {
    if (!model.isValid(roots_[i])) roots_[i] = model.findItemByPath(rootPaths_[i]);
    if (roots_[i] != tavlor::kNoItem) live.push_back(roots_[i]);
  }
  return live;
}

tavlor::CatalogModel &ResultDialog::catalog() {
  return doc_.model();
}

QLabel *ResultDialog::makeLookInLabel() {
  auto *label = new QLabel(displayText(lookIn_), this);
  label->setObjectName("lookInText");
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setMinimumWidth(60);
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  label->setToolTip(label->text());
  return label;
}

void ResultDialog::fitColumns(int minimumHeight) {
  const QMargins margins = layout() ? layout()->contentsMargins() : QMargins();
  const int columns = view_->header()->length() + 2 * view_->frameWidth() +
                      view_->verticalScrollBar()->sizeHint().width() + margins.left() + margins.right();
  const QSize hint = sizeHint();
  resize(std::max(hint.width(), columns), std::max(hint.height(), minimumHeight));
}

std::vector<const FileData *> ResultDialog::selectedEntries() const {
  return selectedRowEntries(view_, *model_);
}

const FileData *ResultDialog::contextEntry() const {
  return context_.isValid() ? model_->entryAt(context_.row()) : nullptr;
}

std::unique_ptr<QMenu> ResultDialog::contextMenu(int row) {
  const FileData *entry = model_->entryAt(row);
  context_ = entry ? QPersistentModelIndex(model_->index(row, 0)) : QPersistentModelIndex();
  if (!entry) return nullptr;
  ResultEntryActions guarded;
  if (actions_.properties) {
    // The rows may have gone with their disk while the menu was open.
    guarded.properties = [this](const FileData &, QWidget *over) {
      if (const FileData *still = contextEntry()) actions_.properties(*still, over);
    };
  }
  guarded.files = actions_.files;
  return resultContextMenu(
      *entry, [this] { return selectedEntries(); },
      [this] {
        std::vector<const FileData *> taken;
        for (const FileData *selected : selectedEntries())
          if (copies(*selected)) taken.push_back(selected);
        return taken;
      },
      guarded, this);
}

bool ResultDialog::copies(const FileData &entry) const {
  return !entry.isDisk();
}

void ResultDialog::openSelection() {
  if (!actions_.files) return;
  const std::vector<const FileData *> entries = selectedEntries();
  if (!entries.empty()) actions_.files->open(entries);
}

void ResultDialog::openOnDoubleClick() {
  if (!actions_.files) return;
  const std::vector<const FileData *> entries = doubleClickEntries();
  if (!entries.empty()) actions_.files->open(entries);
}

bool ResultDialog::eventFilter(QObject *watched, QEvent *event) {
  if (watched == view_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      openSelection();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

bool ResultDialog::writeReport(const QString &path) {
  const std::string file = path.toStdString();
  reportName_ = tavlor::reportBaseName(file);
  return tavlor::writeReportFile(file, reportText(tavlor::isCsvReportPath(file)));
}

void ResultDialog::saveReport() {
  const QString proposed = QString::fromStdString(reportName_);
  const QString path = askReportFile(this, proposed);
  if (path.isEmpty()) return;
  readControls();
  // A file that cannot be written is left alone without a message, like the
  // catalogs' other reports.
  writeReport(path);
}
