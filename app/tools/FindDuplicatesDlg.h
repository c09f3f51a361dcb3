// FindDuplicatesDlg.h - the modeless "Find Duplicates" dialog.
#ifndef APP_TOOLS_FINDDUPLICATESDLG_H
#define APP_TOOLS_FINDDUPLICATESDLG_H

#include "ResultDialog.h"

#include <cstdint>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

class FindDuplicatesDlg : public ResultDialog {
  Q_OBJECT
public:
  // Groups the files below roots. The unit label is the size unit's now. Deletes
  // itself when closed.
  FindDuplicatesDlg(CTavlor2Doc &doc, std::vector<tavlor::ItemId> roots, ResultEntryActions actions, QWidget *parent);

  // Find Now: reads the controls (refusing a threshold that is no integer, which then
  // keeps its last valid value) and lists every set of duplicates.
  void findNow();

  QCheckBox *namesBox() const { return names_; }
  QCheckBox *sizesBox() const { return sizes_; }
  QCheckBox *datesBox() const { return dates_; }
  QRadioButton *namedButton() const { return named_; }
  QRadioButton *allButton() const { return all_; }
  QLineEdit *maskEdit() const { return mask_; }
  QLineEdit *ignoreSmallerEdit() const { return ignoreSmaller_; }
  QLabel *unitLabel() const { return unit_; }

protected:
  std::string reportText(bool csv) override;
  void readControls() override;
  // A double-click opens only the first selected file.
  std::vector<const tavlor::FileData *> doubleClickEntries() const override;
  // Only files are copied (Zip Folders get their extract-all dialogs).
  bool copies(const tavlor::FileData &entry) const override;

private:
  QCheckBox *names_;
  QCheckBox *sizes_;
  QCheckBox *dates_;
  QRadioButton *all_;
  QRadioButton *named_;
  QLineEdit *mask_;
  QLineEdit *ignoreSmaller_;
  QLabel *unit_;
  std::int32_t ignoreSmallerValue_ = 0;
};

#endif // APP_TOOLS_FINDDUPLICATESDLG_H
