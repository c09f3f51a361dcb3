#include "CCatalogNewDiskProgress.h"

#include "Icons.h"
#include "MessageBoxes.h"
#include "TextCodec.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

CCatalogNewDiskProgress::CCatalogNewDiskProgress(const QString &label, QWidget *parent) : QDialog(parent) {
  setObjectName("scanProgress");
  setWindowTitle("Tavlor 6.0");
  setWindowModality(Qt::ApplicationModal);
  markAsWaitWindow(this);
  auto *layout = new QGridLayout(this);
  auto *icon = new QLabel(this);
  icon->setPixmap(programIcon().pixmap(32, 32));
  layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
  layout->addWidget(new QLabel(tr("Cataloging %1 ... please wait").arg(label), this), 0, 1);
  count_ = new QLabel(this);
  count_->setObjectName("scanCount");
  layout->addWidget(count_, 1, 1);
  folder_ = new QLabel(this);
  folder_->setObjectName("scanFolder");
  folder_->setMinimumWidth(360);
  layout->addWidget(folder_, 2, 1);
  auto *cancel = new QPushButton(tr("Cancel"), this);
  cancel->setObjectName("scanCancel");
  connect(cancel, &QPushButton::clicked, this, [this] { cancelled_ = true; });
  layout->addWidget(cancel, 3, 1, Qt::AlignRight);
  show();
  raise();
  QApplication::processEvents();
}

bool CCatalogNewDiskProgress::progress(uint64_t entries, const std::string &folder) {
  count_->setText(tr("%1 entries scanned").arg(entries));
  // Long paths are cut in the middle so the window keeps its size.
  folder_->setText(folder_->fontMetrics().elidedText(displayText(folder), Qt::ElideMiddle, folder_->width()));
  QApplication::processEvents();
  return !cancelled_;
}

void CCatalogNewDiskProgress::box(const std::string &caption, const std::string &text) {
  showBox(parentWidget(), displayText(caption), displayText(text), BoxKind::Information);
}
