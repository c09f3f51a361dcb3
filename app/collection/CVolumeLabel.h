// CVolumeLabel.h - the dialog "Set/Change the volume label for this disk".
#ifndef APP_COLLECTION_CVOLUMELABEL_H
#define APP_COLLECTION_CVOLUMELABEL_H

#include <QDialog>

#include <string>

#include "platform/volumes.h"

class QLineEdit;

class CVolumeLabel : public QDialog {
  Q_OBJECT
public:
  // Offers label (bytes of the volume's current label) for editing, 11 characters at
  // most.
  CVolumeLabel(const std::string &label, QWidget *parent);

  // The text in the edit field.
  QString typedLabel() const;
  void setTypedLabel(const QString &label);

  // Runs the dialog for the drive shown as entryText. On OK the typed label is
  // upper-cased; one that cannot name a catalog file is refused with a box and the
  // dialog shown again. An accepted label is written to the volume when both
  // entryText and the label are non-empty; the volume's refusal is shown in the
  // "SetVolumeLabel" box and the typed label is still returned. Returns the accepted
  // label (bytes), or "" on Cancel.
  static std::string ask(const platform::Volume &drive, const std::string &entryText, const std::string &label,
                         QWidget *parent);

private:
  QLineEdit *edit_;
};

#endif // APP_COLLECTION_CVOLUMELABEL_H
