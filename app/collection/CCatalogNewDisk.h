// CCatalogNewDisk.h - the drive selection dialog "Catalog New Disk" and the command
// that catalogs the chosen drive and loads its catalog.
#ifndef APP_COLLECTION_CCATALOGNEWDISK_H
#define APP_COLLECTION_CCATALOGNEWDISK_H

#include <QDialog>

#include "collection/new_disk.h"

class CatalogCommands;
class CTavlor2Doc;
class QCheckBox;
class QComboBox;
class QListWidget;

class CCatalogNewDisk : public QDialog {
  Q_OBJECT
public:
  // Lists the drives of offer: the readable ones in the drop-down (the last removable
  // one selected), the others with their error below. OK needs a drive.
  CCatalogNewDisk(const tavlor::DriveOffer &offer, QWidget *parent);

  // The chosen drive; null when none is selected.
  const tavlor::DriveEntry *chosenDrive() const;
  bool ejectWhenFinished() const;
  bool setLabelFirst() const;

private:
  const tavlor::DriveOffer &offer_;
  QComboBox *drives_;
  QListWidget *inaccessible_;
  QCheckBox *eject_;
  QCheckBox *setLabel_;
};

// The whole Catalog New Disk command: the drive selection, the label dialog when the
// disk has no label or the user asked for it, the scan under a window that shows its
// progress and can cancel it, the flush or eject, and the load that replaces a disk
// of the same label. A cancelled scan keeps the old catalog and loads nothing.
void catalogNewDiskCommand(CTavlor2Doc &doc, CatalogCommands &commands, QWidget *window);

#endif // APP_COLLECTION_CCATALOGNEWDISK_H
