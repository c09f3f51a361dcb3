#include "DriveCompare.h"

#include "CTavlor2Doc.h"
#include "CompareResultModel.h"
#include "DialogRunner.h"
#include "MessageBoxes.h"
#include "TextCodec.h"
#include "WaitCursor.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <string>
#include <vector>

#include "ReportList.h"
#include "platform/volumes.h"
#include "tools/disk_compare.h"

namespace {

// What a drive-list item carries, so nothing parses the shown text.
constexpr int kRootRole = Qt::UserRole;
constexpr int kLabelRole = Qt::UserRole + 1;

// Widths of the columns in dialog units.
constexpr int kColumnUnits[tavlor::kCompareColumnCount] = {70, 120, 140, 60, 60, 120, 120};

} // namespace

DriveCompare::DriveCompare(CTavlor2Doc &doc, QWidget *parent) : QDialog(parent), doc_(doc) {
  setObjectName("driveCompare");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(tr("Compare Disk vs. Catalog"));
  setModal(false);
  doc_.beginBusy();

  drives_ = new QComboBox(this);
  drives_->setObjectName("driveList");
  drives_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  drives_->setMinimumWidth(dialogUnitsX(108));
  compare_ = new QPushButton(tr("Compare Now"), this);
  compare_->setObjectName("compareNow");
  compare_->setDefault(true);
  save_ = new QPushButton(tr("Save Report ..."), this);
  save_->setObjectName("saveReport");
  cancel_ = new QPushButton(tr("Cancel"), this);
  cancel_->setObjectName("cancel");

  results_ = new CompareResultModel(doc_.model(), this);
  list_ = new QTreeView(this);
  list_->setObjectName("resultList");
  setUpReportList(list_, results_, QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  // Kept grouped by status; the headers only name the columns.
  list_->header()->setSectionsClickable(false);
  // Each column as wide as the dialog units say, and never narrower than its header
  // or, for the status, its longest text beside its icon.
  const int margin = 2 * list_->style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
  const QFontMetrics header = list_->header()->fontMetrics();
  for (int c = 0; c < tavlor::kCompareColumnCount; ++c) {
    int needed = header.horizontalAdvance(results_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    if (c == 0) {
      const int icon = list_->style()->pixelMetric(QStyle::PM_SmallIconSize);
      needed = std::max(
          needed, list_->fontMetrics().horizontalAdvance(tavlor::statusText(tavlor::CompareStatus::DeletedDirectory)) +
                      icon + 6);
    }
    list_->setColumnWidth(c, std::max(dialogUnitsX(kColumnUnits[c]), needed + margin));
  }

  auto *top = new QHBoxLayout;
  top->addWidget(drives_);
  top->addSpacing(6);
  top->addWidget(compare_);
  top->addSpacing(6);
  top->addWidget(save_);
  top->addSpacing(6);
  top->addWidget(cancel_);
  top->addStretch(1);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(list_, 1);

  connect(compare_, &QPushButton::clicked, this, &DriveCompare::compareNow);
  connect(save_, &QPushButton::clicked, this, &DriveCompare::saveReport);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(list_, &QWidget::customContextMenuRequested, this, &DriveCompare::showRowMenu);

  fillDriveList();
  // Wide enough for every column where the screen allows; the list scrolls otherwise.
  int columns = 0;
  for (int c = 0; c < tavlor::kCompareColumnCount; ++c)
    columns += list_->columnWidth(c);
  int width = std::max(dialogUnitsX(466), columns + 2 * list_->frameWidth() + layout->contentsMargins().left() +
                                              layout->contentsMargins().right() + 4);
  if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
    width = std::min(width, screen->availableGeometry().width() * 9 / 10);
  width = std::max(width, sizeHint().width());
  resize(width, std::max(182 * fontMetrics().height() / 8, 300));
}

DriveCompare::~DriveCompare() {
  doc_.endBusy();
}

int DriveCompare::dialogUnitsX(int units) const {
  return units * fontMetrics().averageCharWidth() / 4;
}

void DriveCompare::fillDriveList() {
  // Every volume whose label can be read, sorted by text; the last removable one in
  // mount-table order is chosen, as the disk most likely just put in.
  struct Choice {
    QString text;
    QString root;
    QByteArray label;
    bool removable;
  };
  std::vector<Choice> choices;
  int preselected = -1;
  for (const platform::Volume &volume : platform::offeredVolumes()) {
    const platform::LabelResult label = platform::volumeLabel(volume);
    if (!label.ok) continue;
    const QString root = QFile::decodeName(QByteArray::fromStdString(volume.mountPoint));
    const bool removable = volume.type == platform::DriveType::Removable;
    if (removable) preselected = static_cast<int>(choices.size());
    choices.push_back(
        {root + "  " + displayText(label.label), root, QByteArray::fromStdString(label.label), removable});
  }
  QString chosen = preselected >= 0 ? choices[static_cast<std::size_t>(preselected)].text : QString();
  std::stable_sort(choices.begin(), choices.end(),
                   [](const Choice &a, const Choice &b) { return a.text.compare(b.text, Qt::CaseInsensitive) < 0; });
  for (const Choice &c : choices) {
    drives_->addItem(c.text);
    drives_->setItemData(drives_->count() - 1, c.root, kRootRole);
    drives_->setItemData(drives_->count() - 1, c.label, kLabelRole);
  }
  drives_->setCurrentIndex(chosen.isEmpty() ? -1 : drives_->findText(chosen));
}

void DriveCompare::compareNow() {
  const int chosen = drives_->currentIndex();
  const std::string root =
      chosen >= 0 ? QFile::encodeName(drives_->itemData(chosen, kRootRole).toString()).toStdString() : std::string();
  const std::string label = chosen >= 0 ? drives_->itemData(chosen, kLabelRole).toByteArray().toStdString() : "";
  bool found;
  {
    WaitCursor wait;
    found = results_->compare(root, label);
  }
  if (!found) showBox(this, "Tavlor", tr("Catalog for this disk is not loaded"), BoxKind::Stop);
}

void DriveCompare::saveReport() {
  QFileDialog box(this, tr("Save As"), reportName_, tr("Text File (*.txt);;All Files (*)"));
  box.setObjectName("saveReportBox");
  box.setAcceptMode(QFileDialog::AcceptSave);
  box.setDefaultSuffix("txt");
  box.selectFile(reportName_);
  if (runDialog(box) != QDialog::Accepted || box.selectedFiles().isEmpty()) return;
  reportName_ = box.selectedFiles().first();
  saveReportTo(reportName_);
}

bool DriveCompare::saveReportTo(const QString &path) {
  const int chosen = drives_->currentIndex();
  std::string choice;
  if (chosen >= 0) {
    choice = QFile::encodeName(drives_->itemData(chosen, kRootRole).toString()).toStdString() + "  " +
             drives_->itemData(chosen, kLabelRole).toByteArray().toStdString();
  }
  const std::string report = tavlor::compareReport(choice, results_->results());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(report.data(), static_cast<qint64>(report.size())) == static_cast<qint64>(report.size());
}

void DriveCompare::showRowMenu(const QPoint &at) {
  const QModelIndex index = list_->indexAt(at);
  // Only a row with a catalog side has something to show; the disk side is no entry.
  if (!index.isValid() || !results_->entryAt(index.row())) return;
  const int row = index.row();
  QMenu menu(this);
  menu.addAction(tr("Properties"), this, [this, row] { showProperties(row); });
  menu.exec(list_->viewport()->mapToGlobal(at));
}

void DriveCompare::showProperties(int row) {
  const tavlor::FileData *entry = results_->entryAt(row);
  if (!entry) return;
  emit propertiesRequested(tavlor::propertiesOf(doc_.model(), *entry));
}
