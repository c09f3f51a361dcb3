// FindFilesDlg.h - the modeless "Find Files or Folders" dialog.
#ifndef APP_TOOLS_FINDFILESDLG_H
#define APP_TOOLS_FINDFILESDLG_H

#include "ResultDialog.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

class FindFilesDlg : public ResultDialog {
  Q_OBJECT
public:
  // Searches below roots (in their order). Deletes itself when closed.
  FindFilesDlg(CTavlor2Doc &doc, std::vector<tavlor::ItemId> roots, ResultEntryActions actions, QWidget *parent);

  // Find Now: reads the mask and the check box, asks before an empty mask over more
  // than 5000 entries, and lists the matches in name order.
  void findNow();
  // A column click: sorts by it with the dialog's shared direction.
  void sortByColumn(int column);

  QLineEdit *maskEdit() const { return mask_; }
  QCheckBox *subfoldersBox() const { return subfolders_; }

protected:
  std::string reportText(bool csv) override;
  void readControls() override;

private:
  QLineEdit *mask_;
  QCheckBox *subfolders_;
  QPushButton *findButton_;
  std::string maskText_;
  bool lookInSubfolders_ = true;
};

#endif // APP_TOOLS_FINDFILESDLG_H
