#include "CDescription.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CDescription::CDescription(const QString &diskName, const QString &text, QWidget *parent) : QDialog(parent) {
  setObjectName("descriptionDialog");
  setWindowTitle(tr("Disk Description"));
  auto *prompt = new QLabel(tr("Please enter a short descriptive text for ") + diskName, this);
  prompt->setObjectName("descriptionPrompt");
  edit_ = new QLineEdit(text, this);
  edit_->setObjectName("descriptionEdit");
  edit_->setMinimumWidth(360);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(prompt);
  layout->addWidget(edit_);
  layout->addWidget(buttons);
}

QString CDescription::text() const {
  return edit_->text();
}
