// CProperties.h - the Properties dialog of an entry or of the root.
//
// The values are computed once, when the dialog is made; the dialog does not follow
// later changes of the model. Only its width follows the user: a long location
// becomes readable by widening the dialog.
#ifndef APP_PANES_CPROPERTIES_H
#define APP_PANES_CPROPERTIES_H

#include <QDialog>

#include "model/properties.h"

class QFrame;
class QLabel;
class QPushButton;

class CProperties : public QDialog {
  Q_OBJECT
public:
  CProperties(const tavlor::PropertiesValues &values, QWidget *parent);

  // The shown text of a value by its object name ("nameValue", "typeValue",
  // "locationValue", "sizeValue", "containsValue", "dateValue", "noteText", "hintText").
  QString valueText(const char *objectName) const;

protected:
  void resizeEvent(QResizeEvent *event) override;

private:
  QLabel *addLine(const char *caption, const std::string &value, const char *objectName, int y, int w);
  // Places the frame, the location and Cancel for the width w.
  void place(int w);
  int scaled(int pixels) const;

  QFrame *frame_;
  QLabel *location_;
  QLabel *hint_;
  QPushButton *cancel_;
  int openingHeight_;
  double scale_ = 1.0;
  int valueLeft_;
};

#endif // APP_PANES_CPROPERTIES_H
