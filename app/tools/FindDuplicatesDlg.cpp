#include "FindDuplicatesDlg.h"

#include "AppSettings.h"
#include "CTavlor2Doc.h"
#include "Icons.h"
#include "MessageBoxes.h"
#include "TextCodec.h"
#include "WaitCursor.h"
#include "tools/find_duplicates.h"
#include "tools/match_mask.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

#include <climits>

using tavlor::ResultColumn;

namespace {

std::vector<ResultListColumn> duplicateColumns() {
  return {{QObject::tr("Name"), 160, Qt::AlignLeft, ResultColumn::Name},
          {QObject::tr("Size"), 70, Qt::AlignRight, ResultColumn::Size},
          {QObject::tr("Date"), 140, Qt::AlignLeft, ResultColumn::Date},
          {QObject::tr("In Folder"), 180, Qt::AlignLeft, ResultColumn::InFolder}};
}

} // namespace

FindDuplicatesDlg::FindDuplicatesDlg(CTavlor2Doc &doc, std::vector<tavlor::ItemId> roots, ResultEntryActions actions,
                                     QWidget *parent)
    : ResultDialog(doc, std::move(roots), true, duplicateColumns(), std::move(actions), parent) {
  setObjectName("findDuplicatesDlg");
  setWindowTitle(tr(tavlor::kFindDuplicatesTitle));
  setReportName(tavlor::kDuplicatesReportName);

  ignoreSmaller_ = new QLineEdit("0", this);
  ignoreSmaller_->setObjectName("ignoreSmallerEdit");
  ignoreSmaller_->setAlignment(Qt::AlignRight);
  ignoreSmaller_->setMaximumWidth(ignoreSmaller_->fontMetrics().horizontalAdvance("-2147483648") + 12);
  unit_ = new QLabel(QString::fromStdString(tavlor::unitLabel(doc.model().sizeUnit())), this);
  unit_->setObjectName("unitLabel");
  all_ = new QRadioButton(tr("Find all duplicates"), this);
  all_->setObjectName("allButton");
  named_ = new QRadioButton(tr("Find duplicates named:"), this);
  named_->setObjectName("namedButton");
  mask_ = new QLineEdit("*", this);
  mask_->setObjectName("maskEdit");
  mask_->setMinimumWidth(mask_->fontMetrics().horizontalAdvance("*.jpeg.backup"));
  names_ = new QCheckBox(tr("Names"), this);
  names_->setObjectName("namesBox");
  sizes_ = new QCheckBox(tr("Sizes"), this);
  sizes_->setObjectName("sizesBox");
  dates_ = new QCheckBox(tr("Date/Time"), this);
  dates_->setObjectName("datesBox");
  for (QCheckBox *box : {names_, sizes_, dates_})
    box->setChecked(true);
  auto *find = new QPushButton(tr("Find Now"), this);
  find->setObjectName("findNowButton");
  find->setDefault(true);
  auto *save = new QPushButton(tr("Save Report ..."), this);
  save->setObjectName("saveReportButton");
  save->setAutoDefault(false);
  auto *cancel = new QPushButton(tr("Cancel"), this);
  cancel->setObjectName("cancelButton");
  cancel->setAutoDefault(false);

  auto *grid = new QGridLayout(this);
  auto *top = new QHBoxLayout;
  top->addWidget(new QLabel(tr("Look in:"), this));
  top->addWidget(makeLookInLabel(), 1);
  top->addSpacing(8);
  top->addWidget(new QLabel(tr("Ignore if smaller than"), this));
  top->addWidget(ignoreSmaller_);
  top->addWidget(unit_);
  grid->addLayout(top, 0, 0, 1, 2);
  auto *mode = new QHBoxLayout;
  mode->addWidget(all_);
  mode->addWidget(named_);
  mode->addWidget(mask_);
  mode->addStretch(1);
  grid->addLayout(mode, 1, 0, 1, 2);
  auto *criteria = new QHBoxLayout;
  criteria->addWidget(new QLabel(tr("Compare Files Using"), this));
  criteria->addWidget(names_);
  criteria->addWidget(sizes_);
  criteria->addWidget(dates_);
  criteria->addStretch(1);
  criteria->addWidget(find);
  criteria->addWidget(save);
  criteria->addWidget(cancel);
  grid->addLayout(criteria, 2, 0, 1, 2);
  grid->addWidget(resultView(), 3, 0, 1, 2);
  grid->setRowStretch(3, 1);
  resultView()->header()->setSectionsClickable(false);

  connect(all_, &QRadioButton::toggled, this, [this](bool on) { mask_->setEnabled(!on); });
  all_->setChecked(true);
  mask_->setEnabled(false);
  connect(find, &QPushButton::clicked, this, &FindDuplicatesDlg::findNow);
  connect(save, &QPushButton::clicked, this, &ResultDialog::saveReport);
  connect(cancel, &QPushButton::clicked, this, &QDialog::close);
  fitColumns(360);
}

void FindDuplicatesDlg::readControls() {
  bool ok = false;
  const qlonglong value = ignoreSmaller_->text().trimmed().toLongLong(&ok);
  if (!ok || value < INT_MIN || value > INT_MAX) {
    showBox(this, QString(), tr("Please enter an integer."), BoxKind::Plain);
    ignoreSmaller_->setText(QString::number(ignoreSmallerValue_));
  } else {
    ignoreSmallerValue_ = static_cast<std::int32_t>(value);
  }
}

void FindDuplicatesDlg::findNow() {
  readControls();
  WaitCursor wait;
  const bool systemIcons = tavlor::settingSwitch("UseSystemIcons", true);
  resultModel()->setUseSystemIcons(systemIcons);
  QIcon folder = systemIcons ? systemIconForName("folder", true) : QIcon();
  resultModel()->setSeparatorIcon(folder.isNull() ? stripIcon(1) : folder);
  tavlor::DuplicatesQuery query;
  query.roots = liveRoots();
  // Every root gone with its disk: nothing to search (no roots at all would mean every
  // disk), so a stale handle stands in for them.
  if (query.roots.empty()) query.roots.push_back(tavlor::kNoItem);
  query.names = names_->isChecked();
  query.sizes = sizes_->isChecked();
  query.dates = dates_->isChecked();
  query.named = named_->isChecked();
  query.mask = tavlor::upperCased(storedText(mask_->text()));
  query.ignoreSmaller = ignoreSmallerValue_;
  tavlor::DuplicatesResult result = tavlor::findDuplicates(catalog(), query);
  switch (result.outcome) {
  case tavlor::DuplicatesOutcome::CriteriaDisabled:
    resultModel()->setRows({}, tr(tavlor::kCriteriaDisabled), stripIcon(9));
    break;
  case tavlor::DuplicatesOutcome::NoneFound:
    resultModel()->setRows({}, tr(tavlor::kNoDuplicatesFound));
    break;
  case tavlor::DuplicatesOutcome::Found:
    resultModel()->setRows(std::move(result.rows));
    break;
  }
  mask_->setText(displayText(query.mask));
}

std::string FindDuplicatesDlg::reportText(bool csv) {
  return tavlor::duplicatesReport(catalog(), lookIn(), resultModel()->results().rows(), csv);
}

std::vector<const tavlor::FileData *> FindDuplicatesDlg::doubleClickEntries() const {
  std::vector<const tavlor::FileData *> selected = selectedEntries();
  if (selected.size() > 1) selected.resize(1);
  return selected;
}

bool FindDuplicatesDlg::copies(const tavlor::FileData &entry) const {
  return !entry.isContainer() || entry.isZipFolder();
}
