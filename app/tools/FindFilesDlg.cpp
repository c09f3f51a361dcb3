#include "FindFilesDlg.h"

#include "AppSettings.h"
#include "CTavlor2Doc.h"
#include "Icons.h"
#include "MessageBoxes.h"
#include "PaintBreaks.h"
#include "TextCodec.h"
#include "WaitCursor.h"
#include "tools/find_files.h"
#include "tools/match_mask.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include <utility>

using tavlor::ResultColumn;

namespace {

std::vector<ResultListColumn> findColumns() {
  return {{QObject::tr("Name"), 160, Qt::AlignLeft, ResultColumn::Name},
          {QObject::tr("In Folder"), 180, Qt::AlignLeft, ResultColumn::InFolder},
          {QObject::tr("Size"), 70, Qt::AlignRight, ResultColumn::Size},
          {QObject::tr("Date"), 140, Qt::AlignLeft, ResultColumn::Date}};
}

} // namespace

FindFilesDlg::FindFilesDlg(CTavlor2Doc &doc, std::vector<tavlor::ItemId> roots, ResultEntryActions actions,
                           QWidget *parent)
    : ResultDialog(doc, std::move(roots), false, findColumns(), std::move(actions), parent) {
  setObjectName("findFilesDlg");
  setWindowTitle(tr(tavlor::kFindFilesTitle));
  setReportName(tavlor::kFindFilesReportName);

  mask_ = new QLineEdit(this);
  mask_->setObjectName("maskEdit");
  subfolders_ = new QCheckBox(tr("Look in subfolders"), this);
  subfolders_->setObjectName("subfoldersBox");
  subfolders_->setChecked(true);
  findButton_ = new QPushButton(tr("Find Now"), this);
  findButton_->setObjectName("findNowButton");
  findButton_->setDefault(true);
  auto *save = new QPushButton(tr("Save Report ..."), this);
  save->setObjectName("saveReportButton");
  auto *cancel = new QPushButton(tr("Cancel"), this);
  cancel->setObjectName("cancelButton");
  cancel->setAutoDefault(false);
  save->setAutoDefault(false);

  auto *grid = new QGridLayout(this);
  grid->addWidget(new QLabel(tr("Look in:"), this), 0, 0);
  grid->addWidget(makeLookInLabel(), 0, 1, 1, 5);
  grid->addWidget(new QLabel(tr("Find file(s):"), this), 1, 0);
  grid->addWidget(mask_, 1, 1);
  grid->addWidget(subfolders_, 1, 2);
  grid->addWidget(findButton_, 1, 3);
  grid->addWidget(save, 1, 4);
  grid->addWidget(cancel, 1, 5);
  grid->addWidget(resultView(), 2, 0, 1, 6);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(2, 1);
  mask_->setMinimumWidth(mask_->fontMetrics().horizontalAdvance("*.jpeg.backup"));

  resultView()->header()->setSectionsClickable(true);
  connect(resultView()->header(), &QHeaderView::sectionClicked, this, &FindFilesDlg::sortByColumn);
  connect(findButton_, &QPushButton::clicked, this, &FindFilesDlg::findNow);
  connect(save, &QPushButton::clicked, this, &ResultDialog::saveReport);
  connect(cancel, &QPushButton::clicked, this, &QDialog::close);
  fitColumns(340);
  mask_->setFocus();
}

void FindFilesDlg::readControls() {
  maskText_ = storedText(mask_->text());
  lookInSubfolders_ = subfolders_->isChecked();
}

void FindFilesDlg::findNow() {
  readControls();
  const std::vector<tavlor::ItemId> roots = liveRoots();
  if (tavlor::emptyMaskNeedsWarning(catalog(), roots, maskText_, lookInSubfolders_) &&
      !showBox(this, tr(tavlor::kEmptyMaskCaption), tr(tavlor::kEmptyMaskText), BoxKind::InformationOkCancel))
    return;
  WaitCursor wait;
  resultModel()->setUseSystemIcons(tavlor::settingSwitch("UseSystemIcons", true));
  setWindowTitle(tr(tavlor::kFindFilesTitle));
  maskText_ = tavlor::upperCased(maskText_);
  // A search of millions of entries takes a while: the windows keep painting meanwhile.
  std::vector<tavlor::ResultRow> rows;
  tavlor::FoundCounts counts;
  runWhileWindowsPaint([&, &model = std::as_const(catalog())] {
    rows = tavlor::findFiles(model, roots, maskText_, lookInSubfolders_);
    tavlor::sortByName(rows);
    counts = tavlor::countFound(rows);
  });
  const bool found = !rows.empty();
  resultModel()->setRows(std::move(rows), tr(tavlor::kNoFilesFound), stripIcon(9));
  if (found) setWindowTitle(QString::fromStdString(tavlor::foundTitle(counts)));
  mask_->setText(displayText(maskText_));
}

void FindFilesDlg::sortByColumn(int column) {
  WaitCursor wait;
  resultModel()->sortByColumn(column);
}

std::string FindFilesDlg::reportText(bool csv) {
  return tavlor::findFilesReport(catalog(), {lookIn(), maskText_, lookInSubfolders_}, resultModel()->results().rows(),
                                 csv);
}
