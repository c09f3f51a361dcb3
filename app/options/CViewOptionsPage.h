// CViewOptionsPage.h - a page of the "View Options" sheet: it holds its values between
// showings, loads them into its controls when the sheet opens, takes them back and
// applies them on OK, and tells the sheet when the user changed something.
#ifndef APP_OPTIONS_CVIEWOPTIONSPAGE_H
#define APP_OPTIONS_CVIEWOPTIONSPAGE_H

#include <QWidget>

class CViewOptionsPage : public QWidget {
  Q_OBJECT
public:
  using QWidget::QWidget;

  // Puts the page's values into its controls and clears the modified mark.
  virtual void load() = 0;
  // Takes the controls' values, writes and applies them, and clears the modified mark.
  virtual void apply() = 0;

  bool isModified() const { return modified_; }

signals:
  void modifiedChanged(bool modified);

protected:
  // Sets the mark; modifiedChanged only when it changes.
  void setModified(bool modified);

private:
  bool modified_ = false;
};

#endif // APP_OPTIONS_CVIEWOPTIONSPAGE_H
