// CInstertDisk.h - the insert-disk prompt "Insert Removable Disk": asks for the disk a
// command needs, can eject the disks in the drives, and answers Retry or Cancel.
#ifndef APP_COLLECTION_CINSTERTDISK_H
#define APP_COLLECTION_CINSTERTDISK_H

#include <QDialog>

class QLabel;

class CInstertDisk : public QDialog {
  Q_OBJECT
public:
  // text is the prompt's first line, e.g. "Disk labeled BACKUP1 was not found.".
  CInstertDisk(const QString &text, QWidget *parent);

  QString text() const;

  // Shows the prompt modally at the mouse pointer; true for Retry (the caller looks
  // for the disk again), false for Cancel.
  static bool prompt(const QString &text, QWidget *parent);

protected:
  void showEvent(QShowEvent *event) override;

private:
  QLabel *text_;
};

#endif // APP_COLLECTION_CINSTERTDISK_H
