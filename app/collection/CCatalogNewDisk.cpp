#include "CCatalogNewDisk.h"

#include "AppSettings.h"
#include "CCatalogNewDiskProgress.h"
#include "CTavlor2Doc.h"
#include "CVolumeLabel.h"
#include "CatalogCommands.h"
#include "DialogRunner.h"
#include "MessageBoxes.h"
#include "TextCodec.h"
#include "WaitCursor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

CCatalogNewDisk::CCatalogNewDisk(const tavlor::DriveOffer &offer, QWidget *parent) : QDialog(parent), offer_(offer) {
  setObjectName("catalogNewDiskDialog");
  setWindowTitle(tr("Catalog New Disk"));
  auto *layout = new QVBoxLayout(this);
  drives_ = new QComboBox(this);
  drives_->setObjectName("driveList");
  for (size_t i = 0; i < offer.drives.size(); ++i)
    drives_->addItem(displayText(offer.drives[i].text), int(i));
  drives_->setCurrentIndex(offer.preselected >= 0 ? offer.preselected : (offer.drives.empty() ? -1 : 0));
  layout->addWidget(drives_);
  layout->addWidget(new QLabel(tr("Information on inaccessible drives:"), this));
  inaccessible_ = new QListWidget(this);
  inaccessible_->setObjectName("inaccessibleList");
  int widest = 0;
  for (const std::string &text : offer.inaccessible) {
    inaccessible_->addItem(displayText(text));
    widest = std::max(widest, inaccessible_->fontMetrics().horizontalAdvance(displayText(text)));
  }
  // Long mount points and error texts are read whole; only a text wider than the
  // screen leaves the rest to the scroll bar.
  int room = screen() ? screen()->availableGeometry().width() * 9 / 10 : 1200;
  inaccessible_->setMinimumWidth(std::min(room, widest + 2 * inaccessible_->frameWidth() + 16));
  drives_->setMinimumContentsLength(0);
  drives_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  layout->addWidget(inaccessible_);
  eject_ = new QCheckBox(tr("If possible, eject disk when finished"), this);
  eject_->setObjectName("ejectCheck");
  layout->addWidget(eject_);
  setLabel_ = new QCheckBox(tr("Set the disk label before cataloging"), this);
  setLabel_->setObjectName("setLabelCheck");
  layout->addWidget(setLabel_);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setEnabled(!offer.drives.empty());
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

const tavlor::DriveEntry *CCatalogNewDisk::chosenDrive() const {
  bool ok = false;
  int index = drives_->currentData().toInt(&ok);
  if (!ok || index < 0 || index >= int(offer_.drives.size())) return nullptr;
  return &offer_.drives[size_t(index)];
}

bool CCatalogNewDisk::ejectWhenFinished() const {
  return eject_->isChecked();
}

bool CCatalogNewDisk::setLabelFirst() const {
  return setLabel_->isChecked();
}

void catalogNewDiskCommand(CTavlor2Doc &doc, CatalogCommands &commands, QWidget *window) {
  tavlor::DriveOffer offer = tavlor::offerDrives();
  CCatalogNewDisk dialog(offer, window);
  if (runDialog(dialog) != QDialog::Accepted) return;
  const tavlor::DriveEntry *drive = dialog.chosenDrive();
  if (!drive) return;
  std::string label = drive->label;
  if (label.empty() || dialog.setLabelFirst()) {
    label = CVolumeLabel::ask(drive->volume, drive->text, drive->label, window);
    // The label dialog itself told the user that a disk needs a label.
    if (label.empty()) return;
  }
  // A volume may carry a label no file can be named after; nothing is scanned then.
  if (std::string refusal = tavlor::labelRefusal(label); !refusal.empty()) {
    showBox(window, "Tavlor", displayText(refusal), BoxKind::Warning);
    return;
  }
  WaitCursor wait;
  tavlor::NewDiskResult result;
  {
    CCatalogNewDiskProgress progress(displayText(label), window);
    result =
        tavlor::catalogNewDisk(tavlor::catalogsFolder(), drive->volume, label, dialog.ejectWhenFinished(), progress);
  }
  if (result.status != tavlor::NewDiskStatus::Cataloged) return;
  tavlor::CatalogModel &model = doc.model();
  model.removeEntry(model.root(), result.label);
  commands.loadCatalog(result.catalogPath, true);
}
