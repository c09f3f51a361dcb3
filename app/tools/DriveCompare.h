// DriveCompare.h - the Compare Disk vs. Catalog dialog: pick a volume, compare it
// with the loaded catalog of the same label, list and save what changed.
//
// Modeless: it deletes itself when closed, and counts in the document's busy counter
// while it exists, so no catalog is closed or deleted from the tree meanwhile (a
// reload may still destroy entries; the rows keep their texts, see
// CompareResultModel).
#ifndef APP_TOOLS_DRIVECOMPARE_H
#define APP_TOOLS_DRIVECOMPARE_H

#include <QDialog>

#include "model/properties.h"

class CTavlor2Doc;
class CompareResultModel;
class QComboBox;
class QPushButton;
class QTreeView;

class DriveCompare : public QDialog {
  Q_OBJECT
public:
  DriveCompare(CTavlor2Doc &doc, QWidget *parent);
  ~DriveCompare() override;

  QComboBox *driveList() const { return drives_; }
  QTreeView *resultList() const { return list_; }
  CompareResultModel *results() const { return results_; }
  // The name the save box proposes: "CompareDisk.txt", then the last path saved to.
  const QString &reportName() const { return reportName_; }

  // Compare Now: the chosen volume against the loaded disk of its label.
  void compareNow();
  // Writes the report of the rows shown to path (truncating it); false, silently,
  // when the file cannot be written.
  bool saveReportTo(const QString &path);
  // Asks for the Properties dialog of the catalog entry of a result row, if it has
  // a live one (propertiesRequested).
  void showProperties(int row);

signals:
  // The window above shows the Properties dialog over this one.
  void propertiesRequested(const tavlor::PropertiesValues &values);

private:
  void fillDriveList();
  void saveReport();
  void showRowMenu(const QPoint &at);
  int dialogUnitsX(int units) const;

  CTavlor2Doc &doc_;
  QComboBox *drives_;
  QPushButton *compare_;
  QPushButton *save_;
  QPushButton *cancel_;
  QTreeView *list_;
  CompareResultModel *results_;
  QString reportName_ = QStringLiteral("CompareDisk.txt");
};

#endif // APP_TOOLS_DRIVECOMPARE_H
