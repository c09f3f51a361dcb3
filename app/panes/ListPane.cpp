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
#include "TextCodec.h"
#include "TreePane.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

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
  view_->setModel(model_);
  view_->setRootIsDecorated(false);
  view_->setItemsExpandable(false);
  view_->setUniformRowHeights(true);
  view_->setAllColumnsShowFocus(true);
  view_->setIconSize(QSize(16, 16));
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setContextMenuPolicy(Qt::PreventContextMenu);
  view_->header()->setSectionsClickable(true);
  view_->header()->setSectionsMovable(false);
  view_->header()->setStretchLastSection(false);
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

void ListPane::applyColumnWidths(const std::vector<int> &widths) {
  // The widths were chosen for a dialog font whose digits are 6 pixels wide; with a
  // wider desktop font they grow alike, so sizes such as 270,553,174,016 still fit.
  double digit = view_->fontMetrics().horizontalAdvance("0123456789") / 10.0;
  double scale = std::max(1.0, digit / 6.0);
  const auto &columns = model_->columns();
  for (size_t i = 0; i < columns.size(); ++i)
    view_->header()->resizeSection(static_cast<int>(i),
                                   i < widths.size() ? widths[i] : static_cast<int>(columns[i].width * scale + 0.5));
}

void ListPane::fill(ItemId item, bool diskMode) {
  // Staying in folder mode keeps the widths the user gave the columns.
  std::vector<int> widths;
  bool keep = !diskMode && !model_->diskMode();
  if (keep)
    for (int i = 0; i < model_->columnCount(); ++i)
      widths.push_back(view_->header()->sectionSize(i));
  model_->showItem(item, diskMode, doc_.diskColumns());
  applyColumnWidths(widths);
}

void ListPane::sortByColumn(int column) {
  const auto &columns = model_->columns();
  if (column < 0 || static_cast<size_t>(column) >= columns.size()) return;
  model_->sortBy(columns[static_cast<size_t>(column)].key, descending_);
  descending_ = !descending_;
}

const FileData *ListPane::contextEntry() const {
  return context_.isValid() ? model_->entryAt(context_.row()) : nullptr;
}

std::vector<const FileData *> ListPane::selectedEntries() const {
  QModelIndexList rows = view_->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
  std::vector<const FileData *> entries;
  for (const QModelIndex &index : rows)
    if (const FileData *entry = model_->entryAt(index.row())) entries.push_back(entry);
  return entries;
}

std::unique_ptr<QMenu> ListPane::contextMenu(int row) {
  const FileData *entry = model_->entryAt(row);
  if (!entry) return nullptr;
  context_ = model_->index(row, 0);
  // Owned by the caller alone, so it may outlive the pane without a double delete.
  auto menu = std::make_unique<QMenu>();
  menu->setObjectName("listContextMenu");
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
