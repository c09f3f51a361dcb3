// CViewOptionsColumns.h - the "View" page: size unit, system icons, commas, the disk
// columns, auto-load and auto-backup.
#ifndef APP_OPTIONS_CVIEWOPTIONSCOLUMNS_H
#define APP_OPTIONS_CVIEWOPTIONSCOLUMNS_H

#include "CViewOptionsPage.h"

#include <QString>

class CTavlor2Doc;
class QCheckBox;
class QComboBox;

// The values of the page.
struct ViewValues {
  QString sizeUnit = "byte";
  bool systemIcons = true;
  bool sizeComma = true;
  bool totalSize = true;
  bool freeSpace = true;
  bool dateCataloged = true;
  bool description = true;
  bool autoLoad = false;
  bool autoBackup = true;
};

class CViewOptionsColumns : public CViewOptionsPage {
  Q_OBJECT
public:
  // Reads the initial values from the settings store. doc, when given, must outlive
  // the page; OK applies the unit and the system-icon flag to it.
  CViewOptionsColumns(CTavlor2Doc *doc, QWidget *parent);

  void load() override;
  // Writes FileSizeUnit, UseSystemIcons and AutoLoadCatalogs and applies the unit
  // (sizes redrawn when it changed) and the system-icon flag at once. The disk
  // columns, commas and auto-backup are the sheet's to apply (CViewOptions).
  void apply() override;

  const ViewValues &values() const { return values_; }

signals:
  // The list should show system icons (or not) from now on.
  void systemIconsChanged(bool on);

private:
  CTavlor2Doc *doc_;
  ViewValues values_;
  QComboBox *unit_;
  QCheckBox *systemIcons_, *sizeComma_, *totalSize_, *freeSpace_, *dateCataloged_, *description_, *autoLoad_,
      *autoBackup_;
};

#endif // APP_OPTIONS_CVIEWOPTIONSCOLUMNS_H
