#include "CViewOptionsExplorer.h"

#include "AppSettings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

CViewOptionsExplorer::CViewOptionsExplorer(QWidget *parent) : CViewOptionsPage(parent) {
  setObjectName("viewOptionsExplorer");
  dialog_ = tavlor::settingSwitch("TavlorCatalog_Dialog", true);
  eject_ = tavlor::settingSwitch("TavlorCatalog_Eject", true);
  launch_ = tavlor::settingNumber("TavlorCatalog_Launch").value_or(0);

  auto *layout = new QVBoxLayout(this);
  auto *intro = new QLabel(tr("You can create a Tavlor catalog directly from within your file manager. Right-click "
                              "on the disk you want to catalog and select 'Tavlor Catalog'."),
                           this);
  intro->setWordWrap(true);
  layout->addWidget(intro);
  dialogCheck_ = new QCheckBox(tr("Show confirmation dialog before cataloging"), this);
  dialogCheck_->setObjectName("dialogCheck");
  layout->addWidget(dialogCheck_);
  auto *group = new QGroupBox(tr("Default Plug-In actions after creating catalog"), this);
  auto *actions = new QVBoxLayout(group);
  ejectCheck_ = new QCheckBox(tr("Eject disk"), group);
  ejectCheck_->setObjectName("ejectDiskCheck");
  actions->addWidget(ejectCheck_);
  launch_1_ = new QRadioButton(tr("Launch catalog"), group);
  launch_1_->setObjectName("launchRadio");
  launch_0_ = new QRadioButton(tr("Do not launch catalog"), group);
  launch_0_->setObjectName("noLaunchRadio");
  launch_2_ = new QRadioButton(tr("Ask whether catalog should be launched"), group);
  launch_2_->setObjectName("askLaunchRadio");
  for (auto [radio, value] : {std::pair{launch_1_, 1}, std::pair{launch_0_, 0}, std::pair{launch_2_, 2}}) {
    actions->addWidget(radio);
    connect(radio, &QRadioButton::clicked, this, [this, value] {
      pickedLaunch_ = value;
      setModified(true);
    });
  }
  layout->addWidget(group);
  layout->addStretch();
  for (QCheckBox *check : {dialogCheck_, ejectCheck_})
    connect(check, &QCheckBox::clicked, this, [this] { setModified(true); });
  load();
}

void CViewOptionsExplorer::load() {
  dialogCheck_->setChecked(dialog_);
  ejectCheck_->setChecked(eject_);
  pickedLaunch_ = launch_;
  (launch_ == 1 ? launch_1_ : launch_ == 2 ? launch_2_ : launch_0_)->setChecked(true);
  setModified(false);
}

void CViewOptionsExplorer::apply() {
  dialog_ = dialogCheck_->isChecked();
  eject_ = ejectCheck_->isChecked();
  launch_ = pickedLaunch_;
  tavlor::storeSettingNumber("TavlorCatalog_Dialog", dialog_ ? 1 : 0);
  tavlor::storeSettingNumber("TavlorCatalog_Eject", eject_ ? 1 : 0);
  tavlor::storeSettingNumber("TavlorCatalog_Launch", launch_);
  setModified(false);
}
