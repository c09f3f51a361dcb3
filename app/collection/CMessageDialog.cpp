#include "CMessageDialog.h"

#include "Icons.h"
#include "MessageBoxes.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>

CMessageDialog::CMessageDialog(const QString &text, QWidget *parent) : QDialog(parent) {
  setObjectName("messageDialog");
  setWindowTitle("Tavlor 6.0");
  setModal(false);
  markAsWaitWindow(this);
  auto *icon = new QLabel(this);
  icon->setPixmap(programIcon().pixmap(32, 32));
  text_ = new QLabel(text, this);
  text_->setObjectName("messageText");
  auto *layout = new QHBoxLayout(this);
  layout->addWidget(icon);
  layout->addSpacing(10);
  layout->addWidget(text_, 1);
  setFixedSize(sizeHint().expandedTo(QSize(300, 70)));
  show();
  // The work that follows blocks the event loop: paint the window now or it stays blank.
  raise();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  repaint();
}

QString CMessageDialog::text() const {
  return text_->text();
}
