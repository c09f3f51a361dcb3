#include "CProperties.h"

#include "TextCodec.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>

namespace {

constexpr int kWidth = 340;
constexpr int kHeight = 280;
constexpr int kValueLeft = 89;

} // namespace

CProperties::CProperties(const tavlor::PropertiesValues &values, QWidget *parent) : QDialog(parent) {
  setObjectName("propertiesDialog");
  setWindowTitle(tr("Properties"));
  setSizeGripEnabled(true);
  resize(kWidth, kHeight);
  openingHeight_ = kHeight;

  frame_ = new QFrame(this);
  frame_->setObjectName("propertiesFrame");
  frame_->setFrameShape(QFrame::Box);
  frame_->setFrameShadow(QFrame::Sunken);
  frame_->lower();

  const int h = kHeight;
  addLine("Name:", values.name, "nameValue", 14);
  addLine("Type:", values.type, "typeValue", h / 7 + 12);
  location_ = addLine("Location:", values.location, "locationValue", static_cast<int>(h * 0.29));
  addLine("Size:", values.size, "sizeValue", h / 7 + 66);
  addLine("Contains:", values.contains, "containsValue", h / 7 + 90);
  addLine("Date:", values.date, "dateValue", h / 7 + 114);

  auto *note = new QLabel(displayText(values.note), this);
  note->setObjectName("noteText");
  note->setGeometry(20, h / 7 + h / 2 + 8, kWidth - 30, 20);
  hint_ = new QLabel(displayText(values.hint), this);
  hint_->setObjectName("hintText");
  hint_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QFont small = hint_->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  hint_->setFont(small);
  hint_->setGeometry(kWidth - 130, kHeight - 20, 112, 16);

  cancel_ = new QPushButton(tr("Cancel"), this);
  cancel_->setObjectName("cancelButton");
  cancel_->setDefault(true);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  // Lays everything out for the opening size without clearing the hint.
  frame_->setGeometry(10, h / 7, kWidth - 20, static_cast<int>(h * 0.5));
  location_->setGeometry(kValueLeft, static_cast<int>(h * 0.29), kWidth - kValueLeft, 20);
  cancel_->setGeometry(kWidth - 90, static_cast<int>(h * 0.85), 75, 23);
}

QLabel *CProperties::addLine(const char *caption, const std::string &value, const char *objectName, int y) {
  auto *label = new QLabel(tr(caption), this);
  label->setGeometry(20, y, kValueLeft - 22, 20);
  auto *text = new QLabel(displayText(value), this);
  text->setObjectName(objectName);
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  text->setGeometry(kValueLeft, y, kWidth - kValueLeft - 14, 20);
  return text;
}

QString CProperties::valueText(const char *objectName) const {
  auto *label = findChild<QLabel *>(objectName);
  return label ? label->text() : QString();
}

void CProperties::resizeEvent(QResizeEvent *event) {
  QDialog::resizeEvent(event);
  if (event->oldSize().isEmpty() || event->oldSize() == event->size()) return;
  hint_->clear();
  const int w = width();
  const int h = openingHeight_;
  frame_->setGeometry(10, h / 7, w - 20, static_cast<int>(h * 0.5));
  location_->setGeometry(kValueLeft, static_cast<int>(h * 0.29), w - kValueLeft, 20);
  cancel_->setGeometry(w - 90, static_cast<int>(h * 0.85), 75, 23);
}
