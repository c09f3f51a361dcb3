// CViewOptions.h - the "View Options" sheet with the pages "View" and "File Manager
// Plug-In". The tree pane owns one sheet for its whole life, so the pages keep their
// values between showings.
#ifndef APP_OPTIONS_CVIEWOPTIONS_H
#define APP_OPTIONS_CVIEWOPTIONS_H

#include <QDialog>

class CTavlor2Doc;
class CViewOptionsColumns;
class CViewOptionsExplorer;
class CViewOptionsPage;
class QPushButton;

class CViewOptions : public QDialog {
  Q_OBJECT
public:
  // Reads the pages' initial values from the settings store now. doc must outlive
  // the sheet.
  CViewOptions(CTavlor2Doc &doc, QWidget *parent);

  // Shows the sheet modally. Afterwards, when the disk columns or the commas changed,
  // the document takes the six display switches and the list is rebuilt with its
  // sizes redrawn; when only auto-backup changed, the document takes that.
  void showSheet();

  CViewOptionsColumns *columnsPage() const { return columns_; }
  CViewOptionsExplorer *explorerPage() const { return explorer_; }
  // The apply button, enabled while a page has changes not yet applied.
  QPushButton *applyButton() const { return apply_; }

signals:
  // The list should show system icons (or not) from now on.
  void systemIconsChanged(bool on);

private:
  void applyPages();
  void updateApplyButton();

  CTavlor2Doc &doc_;
  CViewOptionsColumns *columns_;
  CViewOptionsExplorer *explorer_;
  QPushButton *apply_;
};

#endif // APP_OPTIONS_CVIEWOPTIONS_H
