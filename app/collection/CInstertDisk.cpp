#include "CInstertDisk.h"

#include "DialogRunner.h"
#include "WaitCursor.h"
#include "collection/new_disk.h"

#include <QCursor>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CInstertDisk::CInstertDisk(const QString &text, QWidget *parent) : QDialog(parent) {
  setObjectName("insertDiskDialog");
  setWindowTitle(tr("Insert Removable Disk"));
  auto *layout = new QVBoxLayout(this);
  text_ = new QLabel(text, this);
  text_->setObjectName("insertText");
  layout->addWidget(text_);
  layout->addWidget(new QLabel(tr("If there is a disk in the drive, click here to eject"), this));
  auto *eject = new QPushButton(tr("Eject Removable Disk"), this);
  eject->setObjectName("ejectButton");
  // The prompt stays open: the user swaps the disk and then presses Retry.
  connect(eject, &QPushButton::clicked, this, [] {
    WaitCursor wait;
    tavlor::ejectRemovableDisks();
  });
  layout->addWidget(eject, 0, Qt::AlignLeft);
  layout->addWidget(new QLabel(tr("When ready, insert the disk and press RETRY."), this));
  auto *buttons = new QDialogButtonBox(this);
  buttons->addButton(QDialogButtonBox::Retry)->setDefault(true);
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::clicked, this, [this, buttons](QAbstractButton *button) {
    if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
      accept();
    else
      reject();
  });
  layout->addWidget(buttons);
}

QString CInstertDisk::text() const {
  return text_->text();
}

bool CInstertDisk::prompt(const QString &text, QWidget *parent) {
  CInstertDisk dialog(text, parent);
  return runDialog(dialog) == QDialog::Accepted;
}

void CInstertDisk::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  move(QCursor::pos());
}
