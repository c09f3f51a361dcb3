#include "CInstertDisk.h"

#include "DialogRunner.h"
#include "WaitCursor.h"
#include "collection/new_disk.h"

#include <QCursor>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

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
  // At the pointer, but whole on its screen: a drag started near the bottom or the
  // right edge would otherwise put the buttons out of reach.
  QPoint at = QCursor::pos();
  if (const QScreen *screen = QGuiApplication::screenAt(at)) {
    const QRect room = screen->availableGeometry();
    const QSize size = frameGeometry().size();
    at.setX(std::max(room.left(), std::min(at.x(), room.x() + room.width() - size.width())));
    at.setY(std::max(room.top(), std::min(at.y(), room.y() + room.height() - size.height())));
  }
  move(at);
}
