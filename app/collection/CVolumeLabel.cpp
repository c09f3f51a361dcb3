#include "CVolumeLabel.h"

#include "DialogRunner.h"
#include "MessageBoxes.h"
#include "TextCodec.h"
#include "collection/new_disk.h"
#include "platform/volume_label_set.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
constexpr int kMaxLabel = 11;
}

CVolumeLabel::CVolumeLabel(const std::string &label, QWidget *parent) : QDialog(parent) {
  setObjectName("volumeLabelDialog");
  setWindowTitle(tr("Set/Change the volume label for this disk"));
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(tr("The disk must have a non-blank label to be cataloged"), this));
  layout->addWidget(new QLabel(tr("New label (max 11 characters):"), this));
  edit_ = new QLineEdit(this);
  edit_->setObjectName("labelEdit");
  edit_->setMaxLength(kMaxLabel);
  edit_->setText(displayText(label));
  layout->addWidget(edit_);
  auto *note = new QLabel(tr("If you change label on an already cataloged disk, you may want to delete the old "
                             "catalog, as it no longer corresponds to a disk."),
                          this);
  note->setWordWrap(true);
  layout->addWidget(note);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

QString CVolumeLabel::typedLabel() const {
  return edit_->text();
}

void CVolumeLabel::setTypedLabel(const QString &label) {
  edit_->setText(label);
}

std::string CVolumeLabel::ask(const platform::Volume &drive, const std::string &entryText, const std::string &label,
                              QWidget *parent) {
  CVolumeLabel dialog(label, parent);
  std::string typed;
  for (;;) {
    if (runDialog(dialog) != QDialog::Accepted) return {};
    // The edit field limits typing, but a runner or a paste may still hand over more.
    typed = storedText(dialog.typedLabel().left(kMaxLabel).toUpper());
    if (typed.empty()) return typed;
    // A label that cannot name the catalog file is refused before it reaches the disk;
    // the dialog comes back with it for correction.
    std::string refusal = tavlor::labelRefusal(typed);
    if (refusal.empty()) break;
    showBox(parent, "Tavlor", displayText(refusal), BoxKind::Warning);
  }
  if (entryText.empty()) return typed;
  platform::LabelSetResult set = platform::setVolumeLabel(drive, typed);
  if (!set.ok) showBox(parent, "SetVolumeLabel", displayText(set.message), BoxKind::Information);
  return typed;
}
