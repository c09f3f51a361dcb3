// CDescription.h - the "Disk Description" dialog: edits the description of one disk.
#ifndef APP_COLLECTION_CDESCRIPTION_H
#define APP_COLLECTION_CDESCRIPTION_H

#include <QDialog>

class QLineEdit;

class CDescription : public QDialog {
  Q_OBJECT
public:
  // diskName is shown in the prompt; text is the current description.
  CDescription(const QString &diskName, const QString &text, QWidget *parent);
  QString text() const;

private:
  QLineEdit *edit_;
};

#endif // APP_COLLECTION_CDESCRIPTION_H
