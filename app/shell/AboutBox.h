// AboutBox.h - the modal "About Tavlor" dialog.
#ifndef APP_SHELL_ABOUTBOX_H
#define APP_SHELL_ABOUTBOX_H

#include <QDialog>

class AboutBox : public QDialog {
  Q_OBJECT
public:
  explicit AboutBox(QWidget *parent = nullptr);
};

#endif // APP_SHELL_ABOUTBOX_H
