// CSaveAsHTML.h - the dialog "Save As HTML File(s)": where and how a folder of the
// catalogs is published as HTML.
#ifndef APP_EXPORT_CSAVEASHTML_H
#define APP_EXPORT_CSAVEASHTML_H

#include <QDialog>

#include "export/html_export.h"
#include "model/catalog_model.h"

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QRadioButton;

class CSaveAsHTML : public QDialog {
  Q_OBJECT
public:
  // Exports from start (a folder item of model, the root included). The totals of
  // everything below start are counted here, once. model must outlive the dialog.
  CSaveAsHTML(tavlor::CatalogModel &model, tavlor::ItemId start, QWidget *parent);

  // The values as the fields show them.
  tavlor::HtmlExportOptions values() const;
  const tavlor::HtmlTotals &totals() const { return totals_; }

  // "Browse ...": the save-file dialog for the output path.
  void browse();
  // "Save": the export; the dialog closes unless the user declines the large-set
  // question, which leaves it open with nothing written. Files that could not be
  // written are named with the reason; when the output itself was not written the
  // dialog stays open and the path is not stored.
  void save();

private:
  void chooseSingleFile(bool single);

  tavlor::CatalogModel &model_;
  tavlor::ItemId start_;
  tavlor::HtmlTotals totals_;
  QLineEdit *path_;
  QCheckBox *recurse_;
  QRadioButton *singleFile_;
  QRadioButton *webSite_;
  QLineEdit *description_;
  QProgressBar *progress_;
};

#endif // APP_EXPORT_CSAVEASHTML_H
