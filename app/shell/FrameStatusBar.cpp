#include "FrameStatusBar.h"

#include "LockKeys.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

#include <ctime>

namespace {

QString formatLocal(time_t when, const char *format) {
  std::tm local{};
  localtime_r(&when, &local);
  char buffer[128];
  size_t n = std::strftime(buffer, sizeof buffer, format, &local);
  return QString::fromLocal8Bit(buffer, static_cast<qsizetype>(n));
}

QLabel *indicator(QWidget *parent, const QString &name, const QString &text) {
  auto *label = new QLabel(parent);
  label->setObjectName(name);
  label->setAlignment(Qt::AlignCenter);
  // The pane keeps the width of its text while the lock is off, so the panes to
  // its right do not move when a lock key is pressed.
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance(text) + 8);
  label->setProperty("indicatorText", text);
  return label;
}

} // namespace

FrameStatusBar::FrameStatusBar(QWidget *parent) : QStatusBar(parent) {
  setObjectName("statusBar");
  message_ = new QLabel(tr("Ready"), this);
  message_->setObjectName("messagePane");
  addWidget(message_, 1);
  caps_ = indicator(this, "capsPane", "CAP");
  num_ = indicator(this, "numPane", "NUM");
  scroll_ = indicator(this, "scrollPane", "SCRL");
  date_ = new QLabel(this);
  date_->setObjectName("datePane");
  time_ = new QLabel(this);
  time_->setObjectName("timePane");
  for (QLabel *pane : {caps_, num_, scroll_, date_, time_})
    addPermanentWidget(pane);
  setFitted(date_, "Date");
  setFitted(time_, "Time");
  showLocks();

  timer_ = new QTimer(this);
  timer_->setInterval(1000);
  connect(timer_, &QTimer::timeout, this, &FrameStatusBar::refresh);
  timer_->start();
  qApp->installEventFilter(this);
}

void FrameStatusBar::refresh() {
  time_t now = std::time(nullptr);
  setFitted(date_, dateText(now));
  setFitted(time_, timeText(now));
  showLocks();
}

QString FrameStatusBar::dateText(time_t when) {
  return formatLocal(when, "%x");
}

QString FrameStatusBar::timeText(time_t when) {
  return formatLocal(when, "%X");
}

void FrameStatusBar::setFitted(QLabel *pane, const QString &text) {
  if (pane->text() == text) return;
  // Resized before the text changes, so a longer date never shows cut off.
  pane->setFixedWidth(pane->fontMetrics().horizontalAdvance(text) + 12);
  pane->setText(text);
}

void FrameStatusBar::showLocks() {
  LockKeys locks = currentLockKeys();
  auto show = [](QLabel *pane, bool on) { pane->setText(on ? pane->property("indicatorText").toString() : QString()); };
  show(caps_, locks.caps);
  show(num_, locks.num);
  show(scroll_, locks.scroll);
}

bool FrameStatusBar::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::KeyRelease) {
    int key = static_cast<QKeyEvent *>(event)->key();
    if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock) showLocks();
  }
  return QStatusBar::eventFilter(watched, event);
}
