#include "CProperties.h"

#include "TextCodec.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>

namespace {

constexpr int kWidth = 340;
constexpr int kHeight = 280;
constexpr int kValueLeft = 89;
constexpr int kRowHeight = 20;

} // namespace

CProperties::CProperties(const tavlor::PropertiesValues &values, QWidget *parent) : QDialog(parent) {
  setObjectName("propertiesDialog");
  setWindowTitle(tr("Properties"));
  setSizeGripEnabled(true);

  // The geometry below is drawn for a font whose lines fit rows of 20 pixels. A taller
  // desktop font stretches every distance alike; wider captions move the values to
  // the right, and a wider value (a large "Contains:" count) widens the dialog, so no
  // text is ever cut off.
  const QFontMetrics metrics = fontMetrics();
  scale_ = std::max(1.0, (metrics.height() + 4) / double(kRowHeight));
  int captions = 0;
  for (const char *caption : {"Name:", "Type:", "Location:", "Size:", "Contains:", "Date:"})
    captions = std::max(captions, metrics.horizontalAdvance(tr(caption)));
  valueLeft_ = std::max(scaled(kValueLeft), scaled(20) + captions + 6);
  int widestValue = 0;
  for (const std::string *value : {&values.name, &values.type, &values.size, &values.contains, &values.date})
    widestValue = std::max(widestValue, metrics.horizontalAdvance(displayText(*value)));
  int note = metrics.horizontalAdvance(displayText(values.note));
  const int w = std::max({scaled(kWidth), valueLeft_ + widestValue + scaled(24), scaled(20) + note + scaled(10)});
  const int h = scaled(kHeight);
  openingHeight_ = h;
  resize(w, h);

  frame_ = new QFrame(this);
  frame_->setObjectName("propertiesFrame");
  frame_->setFrameShape(QFrame::Box);
  frame_->setFrameShadow(QFrame::Sunken);
  frame_->lower();

  addLine("Name:", values.name, "nameValue", scaled(14), w);
  addLine("Type:", values.type, "typeValue", h / 7 + scaled(12), w);
  location_ = addLine("Location:", values.location, "locationValue", static_cast<int>(h * 0.29), w);
  addLine("Size:", values.size, "sizeValue", h / 7 + scaled(66), w);
  addLine("Contains:", values.contains, "containsValue", h / 7 + scaled(90), w);
  addLine("Date:", values.date, "dateValue", h / 7 + scaled(114), w);

  auto *noteText = new QLabel(displayText(values.note), this);
  noteText->setObjectName("noteText");
  noteText->setGeometry(scaled(20), h / 7 + h / 2 + scaled(8), w - scaled(30), scaled(kRowHeight));
  hint_ = new QLabel(displayText(values.hint), this);
  hint_->setObjectName("hintText");
  hint_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QFont small = hint_->font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  hint_->setFont(small);
  int hintWidth = std::max(scaled(112), QFontMetrics(small).horizontalAdvance(hint_->text()) + 4);
  hint_->setGeometry(w - scaled(18) - hintWidth, h - scaled(20), hintWidth, scaled(16));

  cancel_ = new QPushButton(tr("Cancel"), this);
  cancel_->setObjectName("cancelButton");
  cancel_->setDefault(true);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  // Lays everything out for the opening size without clearing the hint.
  place(w);
}

int CProperties::scaled(int pixels) const {
  return static_cast<int>(pixels * scale_ + 0.5);
}

QLabel *CProperties::addLine(const char *caption, const std::string &value, const char *objectName, int y, int w) {
  auto *label = new QLabel(tr(caption), this);
  label->setGeometry(scaled(20), y, valueLeft_ - scaled(20) - 2, scaled(kRowHeight));
  auto *text = new QLabel(displayText(value), this);
  text->setObjectName(objectName);
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  text->setGeometry(valueLeft_, y, w - valueLeft_ - scaled(14), scaled(kRowHeight));
  return text;
}

void CProperties::place(int w) {
  const int h = openingHeight_;
  frame_->setGeometry(scaled(10), h / 7, w - scaled(20), static_cast<int>(h * 0.5));
  location_->setGeometry(valueLeft_, static_cast<int>(h * 0.29), w - valueLeft_, scaled(kRowHeight));
  QSize button(std::max(scaled(75), cancel_->sizeHint().width()), std::max(scaled(23), cancel_->sizeHint().height()));
  cancel_->setGeometry(w - button.width() - scaled(15), static_cast<int>(h * 0.85), button.width(), button.height());
}

QString CProperties::valueText(const char *objectName) const {
  auto *label = findChild<QLabel *>(objectName);
  return label ? label->text() : QString();
}

void CProperties::resizeEvent(QResizeEvent *event) {
  QDialog::resizeEvent(event);
  if (event->oldSize().isEmpty() || event->oldSize() == event->size()) return;
  hint_->clear();
  place(width());
}
