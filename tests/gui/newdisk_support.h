// newdisk_support.h - helpers of the Catalog New Disk tests: a script of answers for
// the dialogs that come up in turn, a volume table, and the command run over a frame.
#ifndef TESTS_GUI_NEWDISK_SUPPORT_H
#define TESTS_GUI_NEWDISK_SUPPORT_H

#include <QDialog>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

#include "pane_fixture.h"

// Answers the program's modal dialogs in order, one step each; a dialog beyond the
// script is cancelled. seen() lists the object names of the dialogs that came up.
class DialogScript {
public:
  using Step = std::function<int(QDialog &)>;
  DialogScript();
  ~DialogScript();
  DialogScript &then(Step step);
  const QStringList &seen() const { return seen_; }

private:
  std::deque<Step> steps_;
  QStringList seen_;
};

// Chooses the drive shown as a text starting with mountPoint, sets the two check boxes
// and presses OK.
DialogScript::Step chooseDrive(const QString &mountPoint, bool eject = false, bool setLabel = false);
// Types label into the label dialog and presses OK.
DialogScript::Step typeLabel(const QString &label);
DialogScript::Step cancelDialog();

// Points TAVLOR_VOLUME_TABLE at a table with the given lines for its lifetime.
class VolumeTable {
public:
  explicit VolumeTable(const QStringList &lines);
  ~VolumeTable();
};

// Runs Catalog New Disk over the fixture's frame.
void runCatalogNewDisk(PaneFixture &f);

// The names of the disks below the root of the tree, in tree order.
QStringList diskLabels(PaneFixture &f);

#endif // TESTS_GUI_NEWDISK_SUPPORT_H
