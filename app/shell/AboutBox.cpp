#include "AboutBox.h"

#include "Icons.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

AboutBox::AboutBox(QWidget *parent) : QDialog(parent) {
  setObjectName("aboutBox");
  setWindowTitle(tr("About Tavlor"));
  auto *icon = new QLabel(this);
  icon->setPixmap(programIcon().pixmap(32, 32));
  auto *text = new QLabel(tr("Tavlor, version 6.0"), this);
  text->setObjectName("aboutText");
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto *row = new QHBoxLayout;
  row->addWidget(icon);
  row->addSpacing(12);
  row->addWidget(text, 1);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
  setFixedSize(sizeHint());
}
