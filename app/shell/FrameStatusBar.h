// FrameStatusBar.h - the main window's status bar: the message pane, the lock-key
// indicators and the date and time panes refreshed every second.
#ifndef APP_SHELL_FRAMESTATUSBAR_H
#define APP_SHELL_FRAMESTATUSBAR_H

#include <QStatusBar>

class QLabel;
class QTimer;

class FrameStatusBar : public QStatusBar {
  Q_OBJECT
public:
  explicit FrameStatusBar(QWidget *parent = nullptr);

  // Sets the date and time panes from the clock now (the timer calls it every second).
  void refresh();

  // The date pane's text for a moment, by the locale's "%x" and "%X".
  static QString dateText(time_t when);
  static QString timeText(time_t when);

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void showLocks();
  static void setFitted(QLabel *pane, const QString &text);

  QLabel *message_;
  QLabel *caps_;
  QLabel *num_;
  QLabel *scroll_;
  QLabel *date_;
  QLabel *time_;
  QTimer *timer_;
};

#endif // APP_SHELL_FRAMESTATUSBAR_H
