#include "CatalogProgress.h"

#include "PluginWindows.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

CatalogProgress::CatalogProgress(const QString &label, QWidget *parent) : QDialog(parent) {
  setObjectName("catalogProgress");
  setWindowTitle("Tavlor Catalog");
  setWindowIcon(pluginIcon());
  setWindowModality(Qt::ApplicationModal);
  auto *layout = new QGridLayout(this);
  auto *icon = new QLabel(this);
  icon->setPixmap(pluginIcon().pixmap(32, 32));
  layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
  layout->addWidget(new QLabel(tr("Cataloging %1 ... please wait").arg(label), this), 0, 1);
  count_ = new QLabel(this);
  count_->setObjectName("count");
  layout->addWidget(count_, 1, 1);
  folder_ = new QLabel(this);
  folder_->setObjectName("folder");
  folder_->setMinimumWidth(360);
  layout->addWidget(folder_, 2, 1);
  auto *cancel = new QPushButton(tr("Cancel"), this);
  cancel->setObjectName("cancel");
  connect(cancel, &QPushButton::clicked, this, [this] { cancelled_ = true; });
  layout->addWidget(cancel, 3, 1, Qt::AlignRight);
  show();
  raise();
  QApplication::processEvents();
}

bool CatalogProgress::update(uint64_t entries, const QString &folder) {
  count_->setText(tr("%1 entries scanned").arg(entries));
  // Long paths are cut in the middle so the window keeps its size.
  folder_->setText(folder_->fontMetrics().elidedText(folder, Qt::ElideMiddle, folder_->width()));
  QApplication::processEvents();
  return !cancelled_;
}
