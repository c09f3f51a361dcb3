#include "CViewOptionsColumns.h"

#include "AppSettings.h"
#include "CTavlor2Doc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QCheckBox *box(const QString &text, const char *name, QWidget *parent, QLayout *layout) {
  auto *check = new QCheckBox(text, parent);
  check->setObjectName(name);
  layout->addWidget(check);
  return check;
}

} // namespace

CViewOptionsColumns::CViewOptionsColumns(CTavlor2Doc *doc, QWidget *parent) : CViewOptionsPage(parent), doc_(doc) {
  setObjectName("viewOptionsColumns");
  values_.sizeUnit = QString::fromStdString(tavlor::settingText("FileSizeUnit").value_or("byte"));
  values_.systemIcons = tavlor::settingSwitch("UseSystemIcons", true);
  values_.sizeComma = tavlor::settingSwitch("UseSizeComma", true);
  values_.totalSize = tavlor::settingSwitch("ShowTotalSize", true);
  values_.freeSpace = tavlor::settingSwitch("ShowFreeSpace", true);
  values_.dateCataloged = tavlor::settingSwitch("ShowDateCataloged", true);
  values_.description = tavlor::settingSwitch("ShowDescription", true);
  values_.autoLoad = tavlor::settingSwitch("AutoLoadCatalogs", false);
  values_.autoBackup = tavlor::settingSwitch("AutoBackupDescription", true);

  auto *layout = new QVBoxLayout(this);
  auto *unitRow = new QHBoxLayout;
  unitRow->addWidget(new QLabel(tr("Show file sizes in"), this));
  unit_ = new QComboBox(this);
  unit_->setObjectName("unitList");
  unit_->addItems({"byte", "KB", "MB"});
  unitRow->addWidget(unit_);
  unitRow->addWidget(new QLabel(tr("units"), this));
  unitRow->addStretch();
  layout->addLayout(unitRow);
  systemIcons_ = box(tr("Use system icons associated with file types"), "systemIconsCheck", this, layout);
  sizeComma_ = box(tr("Present file sizes with commas"), "sizeCommaCheck", this, layout);
  auto *group = new QGroupBox(tr("Show Disk Columns"), this);
  auto *columns = new QVBoxLayout(group);
  totalSize_ = box(tr("Total Size"), "totalSizeCheck", group, columns);
  freeSpace_ = box(tr("Free Space"), "freeSpaceCheck", group, columns);
  dateCataloged_ = box(tr("Date Cataloged"), "dateCatalogedCheck", group, columns);
  description_ = box(tr("Description"), "descriptionCheck", group, columns);
  layout->addWidget(group);
  autoLoad_ = box(tr("Enable auto-load of catalogs at startup"), "autoLoadCheck", this, layout);
  autoBackup_ = box(tr("Enable auto-backup of descriptions file"), "autoBackupCheck", this, layout);
  layout->addStretch();

  // The auto-load box only takes effect at the next start, so it does not count as a
  // change to apply.
  connect(unit_, &QComboBox::activated, this, [this] { setModified(true); });
  for (QCheckBox *check : {systemIcons_, sizeComma_, totalSize_, freeSpace_, dateCataloged_, description_, autoBackup_})
    connect(check, &QCheckBox::clicked, this, [this] { setModified(true); });
  load();
}

void CViewOptionsColumns::load() {
  int unit = unit_->findText(values_.sizeUnit);
  unit_->setCurrentIndex(unit >= 0 ? unit : 0);
  systemIcons_->setChecked(values_.systemIcons);
  sizeComma_->setChecked(values_.sizeComma);
  totalSize_->setChecked(values_.totalSize);
  freeSpace_->setChecked(values_.freeSpace);
  dateCataloged_->setChecked(values_.dateCataloged);
  description_->setChecked(values_.description);
  autoLoad_->setChecked(values_.autoLoad);
  autoBackup_->setChecked(values_.autoBackup);
  setModified(false);
}

void CViewOptionsColumns::apply() {
  values_.sizeUnit = unit_->currentText();
  values_.systemIcons = systemIcons_->isChecked();
  values_.sizeComma = sizeComma_->isChecked();
  values_.totalSize = totalSize_->isChecked();
  values_.freeSpace = freeSpace_->isChecked();
  values_.dateCataloged = dateCataloged_->isChecked();
  values_.description = description_->isChecked();
  values_.autoLoad = autoLoad_->isChecked();
  values_.autoBackup = autoBackup_->isChecked();

  tavlor::storeSettingText("FileSizeUnit", values_.sizeUnit.toStdString());
  tavlor::storeSettingNumber("UseSystemIcons", values_.systemIcons ? 1 : 0);
  if (doc_) {
    if (doc_->model().setSizeUnit(values_.sizeUnit.toStdString())) {
      doc_->model().refreshSizeTexts();
      emit doc_->listRedrawRequested();
    }
  }
  emit systemIconsChanged(values_.systemIcons);
  tavlor::storeSettingNumber("AutoLoadCatalogs", values_.autoLoad ? 1 : 0);
  setModified(false);
}
