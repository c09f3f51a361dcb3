// CViewOptionsExplorer.h - the "File Manager Plug-In" page: the three settings the
// plug-in reads each time it runs.
#ifndef APP_OPTIONS_CVIEWOPTIONSEXPLORER_H
#define APP_OPTIONS_CVIEWOPTIONSEXPLORER_H

#include "CViewOptionsPage.h"

#include <cstdint>

class QCheckBox;
class QRadioButton;

class CViewOptionsExplorer : public CViewOptionsPage {
  Q_OBJECT
public:
  // Reads TavlorCatalog_Dialog, TavlorCatalog_Eject and TavlorCatalog_Launch.
  explicit CViewOptionsExplorer(QWidget *parent);

  void load() override;
  // Writes the three values. The launch value is the stored one unless a radio button
  // was clicked, so a value this version does not know survives an OK.
  void apply() override;

  int32_t launchValue() const { return launch_; }

private:
  bool dialog_ = true;
  bool eject_ = true;
  int32_t launch_ = 0;
  int32_t pickedLaunch_ = 0;
  QCheckBox *dialogCheck_, *ejectCheck_;
  QRadioButton *launch_1_, *launch_0_, *launch_2_;
};

#endif // APP_OPTIONS_CVIEWOPTIONSEXPLORER_H
