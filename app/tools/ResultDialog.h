// ResultDialog.h - what the Find Files and Find Duplicate Files dialogs share: the
// modeless, resizable window counted in the document's busy counter, the roots and
// their look-in text, the result list with its context menu, and Save Report.
#ifndef APP_TOOLS_RESULTDIALOG_H
#define APP_TOOLS_RESULTDIALOG_H

#include <QDialog>
#include <QPersistentModelIndex>

#include "ResultListModel.h"
#include "ResultMenu.h"
#include "model/catalog_model.h"

#include <string>
#include <vector>

class CTavlor2Doc;
class QLabel;
class QTreeView;

class ResultDialog : public QDialog {
  Q_OBJECT
public:
  // doc must outlive the dialog (the main window, its parent, goes first). The roots
  // are copied; actions are what the rows offer: their context menu, and with file
  // actions Enter and double-click to open and dragging rows out.
  ResultDialog(CTavlor2Doc &doc, std::vector<tavlor::ItemId> roots, bool sets, std::vector<ResultListColumn> columns,
               ResultEntryActions actions, QWidget *parent);
  ~ResultDialog() override;

  const std::vector<tavlor::ItemId> &roots() const { return roots_; }
  // The roots for a search now: a root whose disk was reloaded since is found again by
  // its path; one that is gone is left out.
  std::vector<tavlor::ItemId> liveRoots();
  const std::string &lookIn() const { return lookIn_; }
  ResultListModel *resultModel() const { return model_; }
  QTreeView *resultView() const { return view_; }
  // The name the next report's save dialog proposes.
  const std::string &reportName() const { return reportName_; }

  // The selected rows' entries in list order (separators and messages left out).
  std::vector<const tavlor::FileData *> selectedEntries() const;
  // The entry of the row whose menu was last opened; null when none (or gone since).
  const tavlor::FileData *contextEntry() const;
  // The menu of a row, which becomes the context row; null for rows without entry.
  std::unique_ptr<QMenu> contextMenu(int row);

  // Enter in the list: opens every selected entry.
  void openSelection();
  // A double-click on a row: opens the entries doubleClickEntries() gives.
  void openOnDoubleClick();

  // Save Report: asks for a file and writes the report of the rows as they stand.
  void saveReport();
  // Writes the report to path (CSV when its extension is csv); false when it cannot.
  bool writeReport(const QString &path);

protected:
  // The report text of the current rows.
  virtual std::string reportText(bool csv) = 0;
  // Reads the controls into the state before a report is written.
  virtual void readControls() {}
  // What a double-click opens: every selected entry.
  virtual std::vector<const tavlor::FileData *> doubleClickEntries() const { return selectedEntries(); }
  // Whether Extract/Copy ... takes a selected entry: anything but a disk.
  virtual bool copies(const tavlor::FileData &entry) const;
  bool eventFilter(QObject *watched, QEvent *event) override;
  // A label showing the look-in text, sunken like a read-only field.
  QLabel *makeLookInLabel();
  tavlor::CatalogModel &catalog();
  void setReportName(std::string name) { reportName_ = std::move(name); }
  // Opens the dialog wide enough for every column and at least minimumHeight tall.
  void fitColumns(int minimumHeight);

  CTavlor2Doc &doc_;

private:
  std::vector<tavlor::ItemId> roots_;
  std::vector<std::string> rootPaths_;
  std::string lookIn_;
  std::string reportName_;
  ResultEntryActions actions_;
  ResultListModel *model_;
  QTreeView *view_;
  QPersistentModelIndex context_;
};

#endif // APP_TOOLS_RESULTDIALOG_H
