#include "ListPane.h"

#include "AppSettings.h"
#include "CDescription.h"
#include "CProperties.h"
#include "CTavlor2Doc.h"
#include "CatalogCommands.h"
#include "DialogRunner.h"
#include "EntryListModel.h"
#include "FileActions.h"
#include "PaneMenus.h"
#include "ReportList.h"
#include "TextCodec.h"
#include "ToolDialogs.h"
#include "TreePane.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <ctime>

using tavlor::FileData;
using tavlor::ItemId;

ListPane::ListPane(CTavlor2Doc &doc, CatalogCommands &commands, TreePane &tree, QWidget *parent)
    : QWidget(parent), doc_(doc), commands_(commands), tree_(tree) {
  setObjectName("listPane");
  model_ = new EntryListModel(
      doc.model(),
      [this](const FileData &entry) { return entry.isDisk() ? doc_.getDescription(entry) : std::string(); }, this);
  view_ = new QTreeView(this);
  view_->setObjectName("listView");
  setUpReportList(view_, model_);
  view_->setContextMenuPolicy(Qt::PreventContextMenu);
  view_->header()->setSectionsClickable(true);
  view_->header()->setSortIndicatorShown(true);
  view_->header()->setSortIndicator(0, Qt::AscendingOrder);
  view_->installEventFilter(this);
  view_->viewport()->installEventFilter(this);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  setMinimumWidth(10);
  applyColumnWidths({});

  connect(view_->header(), &QHeaderView::sectionClicked, this, &ListPane::sortByColumn);
  connect(view_, &QTreeView::doubleClicked, this, [this] {
    std::vector<const FileData *> rows = selectedEntries();
    if (!rows.empty()) openRow(model_->rowOf(rows.front()));
  });
  connect(&doc_, &CTavlor2Doc::showItemRequested, this, &ListPane::fill);
  connect(&doc_, &CTavlor2Doc::listCleared, model_, &EntryListModel::clear);
  connect(&doc_, &CTavlor2Doc::listRedrawRequested, model_, &EntryListModel::redrawRows);
}

void ListPane::initialUpdate() {
  model_->setUseSystemIcons(tavlor::settingSwitch("UseSystemIcons", true));
  commands_.autoLoad();
}

int ListPane::widestCell(SortKey key) const {
  QStringList samples;
  if (key == SortKey::Size || key == SortKey::FreeSpace) {
    // The biggest disks in bytes with commas, and the same in the other units.
    samples = {"6,442,450,944,000", "6,291,456,000 KB", "6,144,000 MB"};
  } else if (key == SortKey::Date) {
    // Two-digit fields and a late hour give the locale's widest date text.
    std::tm late{};
    late.tm_year = 100;
    late.tm_mon = 11;
    late.tm_mday = 28;
    late.tm_hour = 23;
    late.tm_min = 58;
    late.tm_sec = 58;
    late.tm_isdst = -1;
    samples << QString::fromLocal8Bit(tavlor::CatalogModel::formatDate(std::mktime(&late)));
  }
  int widest = 0;
  for (const QString &sample : samples)
    widest = std::max(widest, view_->fontMetrics().horizontalAdvance(sample));
  if (widest == 0) return 0;
  // The cell's text margins on both sides, and a little air before the next column.
  int margin = view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view_) + 1;
  return widest + 2 * margin + 6;
}

void ListPane::applyColumnWidths(const std::vector<int> &widths) {
  // The widths were chosen for a dialog font whose digits are 6 pixels wide; with a
  // wider desktop font they grow alike. Number and date columns also grow to their
  // widest text and every column to its title with the sort mark, so no digit or
  // title is ever cut off.
  double digit = view_->fontMetrics().horizontalAdvance("0123456789") / 10.0;
  double scale = std::max(1.0, digit / 6.0);
  const auto &columns = model_->columns();
  QHeaderView *header = view_->header();
  for (size_t i = 0; i < columns.size(); ++i) {
    int section = static_cast<int>(i);
    int width = static_cast<int>(columns[i].width * scale + 0.5);
    width = std::max({width, widestCell(columns[i].key), header->sectionSizeHint(section)});
    header->resizeSection(section, i < widths.size() ? widths[i] : width);
  }
}

void ListPane::fill(ItemId item, bool diskMode) {
  // Staying in folder mode keeps the widths the user gave the columns.
  std::vector<int> widths;
  bool keep = !diskMode && !model_->diskMode();
  if (keep)
    for (int i = 0; i < model_->columnCount(); ++i)
      widths.push_back(view_->header()->sectionSize(i));
  model_->showItem(item, diskMode, doc_.diskColumns());
  // A folder opens at its first entry with nothing selected, however far the list
  // was scrolled in the folder shown before; its rows come in name order.
  view_->selectionModel()->clearSelection();
  view_->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  view_->scrollToTop();
  view_->horizontalScrollBar()->setValue(0);
  view_->header()->setSortIndicator(0, Qt::AscendingOrder);
  applyColumnWidths(widths);
}

void ListPane::sortByColumn(int column) {
  const auto &columns = model_->columns();
  if (column < 0 || static_cast<size_t>(column) >= columns.size()) return;
  model_->sortBy(columns[static_cast<size_t>(column)].key, descending_);
  view_->header()->setSortIndicator(column, descending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
  descending_ = !descending_;
}

const FileData *ListPane::contextEntry() const {
  return context_.isValid() ? model_->entryAt(context_.row()) : nullptr;
}

std::vector<const FileData *> ListPane::selectedEntries() const {
  return selectedRowEntries(view_, *model_);
}

std::unique_ptr<QMenu> ListPane::contextMenu(int row) {
  const FileData *entry = model_->entryAt(row);
  if (!entry) return nullptr;
  context_ = model_->index(row, 0);
  // Owned by the caller alone, so it may outlive the pane without a double delete.
  auto menu = std::make_unique<QMenu>();
  menu->setObjectName("listContextMenu");
  if (entry->isContainer()) {
    menu->addAction(tr("Find Files ..."), this, [this] {
      std::vector<ItemId> roots = searchRootsOf(doc_.model(), selectedEntries(), window());
      if (!roots.empty()) startFindFiles(doc_, std::move(roots), window(), fileActions_);
    });
    menu->addAction(tr("Find Duplicate Files ..."), this, [this] {
      std::vector<ItemId> roots = searchRootsOf(doc_.model(), selectedEntries(), window());
      if (!roots.empty()) startFindDuplicates(doc_, std::move(roots), window(), fileActions_);
    });
  }
  if (entry->isDisk()) {
    menu->addSeparator();
    if (doc_.diskColumns().description) menu->addAction(tr("Edit Description ..."), this, &ListPane::editDescription);
    menu->addAction(tr("Close Catalog(s)"), this, &ListPane::closeSelectedCatalogs);
  } else if (fileActions_) {
    fileActions_->addEntryCommands(*menu, *entry, [this] { return selectedEntries(); });
  }
  menu->addSeparator();
  menu->addAction(tr("Properties"), this, &ListPane::showProperties);
  return menu;
}

bool ListPane::eventFilter(QObject *watched, QEvent *event) {
  QModelIndex index;
  QPoint at;
  if (contextMenuRequest(this, view_, watched, event, index, at)) {
    if (index.isValid()) {
      if (std::unique_ptr<QMenu> menu = contextMenu(index.row())) menu->exec(at);
    }
    return true;
  }
  if (event->type() == QEvent::KeyPress && watched == view_) {
    int key = static_cast<QKeyEvent *>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      openSelection();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void ListPane::setFileActions(FileActions *actions) {
  fileActions_ = actions;
  if (actions) actions->enableDrag(view_, [this] { return selectedEntries(); });
}

void ListPane::openRow(int row) {
  const FileData *entry = model_->entryAt(row);
  if (!entry) return;
  if (entry->isContainer())
    tree_.openFolder(*entry);
  else if (fileActions_)
    fileActions_->open({entry});
}

void ListPane::openSelection() {
  std::vector<const FileData *> rows = selectedEntries();
  if (rows.empty()) return;
  if (rows.front()->isContainer())
    openRow(model_->rowOf(rows.front()));
  else if (fileActions_)
    fileActions_->open(rows);
}

void ListPane::editDescription() {
  const FileData *disk = contextEntry();
  if (!disk || !disk->isDisk()) return;
  CDescription dialog(displayText(disk->name()), displayText(doc_.getDescription(*disk)), window());
  if (runDialog(dialog) != QDialog::Accepted) return;
  // The dialog ran an event loop: the disk may have been closed meanwhile.
  disk = contextEntry();
  if (disk) doc_.setDescription(*disk, storedText(dialog.text()));
}

void ListPane::closeSelectedCatalogs() {
  commands_.closeSelectedCatalogs(selectedEntries());
}

void ListPane::showProperties() {
  const FileData *entry = contextEntry();
  if (!entry) return;
  CProperties dialog(tavlor::propertiesOf(doc_.model(), *entry), window());
  runDialog(dialog);
}
