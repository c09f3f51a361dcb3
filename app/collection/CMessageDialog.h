// CMessageDialog.h - the modeless "please wait" window shown while work blocks the
// program (auto-loading catalogs, copying).
#ifndef APP_COLLECTION_CMESSAGEDIALOG_H
#define APP_COLLECTION_CMESSAGEDIALOG_H

#include <QDialog>

class CMessageDialog : public QDialog {
  Q_OBJECT
public:
  // Shows the window over parent at once, painted, with text as its one line. The
  // caller deletes it when the work is done.
  CMessageDialog(const QString &text, QWidget *parent);
  QString text() const;

private:
  class QLabel *text_;
};

#endif // APP_COLLECTION_CMESSAGEDIALOG_H
