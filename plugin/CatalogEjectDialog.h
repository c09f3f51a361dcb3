// CatalogEjectDialog.h - the plug-in's one dialog: catalog this disk, eject it or not,
// and what to do with the new catalog when finished.
#ifndef PLUGIN_CATALOGEJECTDIALOG_H
#define PLUGIN_CATALOGEJECTDIALOG_H

#include <QDialog>

#include <functional>

#include "catalog_job.h"

class QCheckBox;
class QRadioButton;

class CatalogEjectDialog : public QDialog {
  Q_OBJECT
public:
  using Runner = std::function<void(const tavplugin::CatalogJob &)>;

  // The controls start from job (a launchMode other than 1 or 2 selects "Do not
  // launch catalog"); OK hands the chosen job to run while the dialog is still shown.
  CatalogEjectDialog(const tavplugin::CatalogJob &job, const QString &prompt, Runner run, QWidget *parent = nullptr);

  // The job as the controls stand now.
  const tavplugin::CatalogJob &job() const { return job_; }

  void accept() override;

private:
  tavplugin::CatalogJob job_;
  Runner run_;
  QCheckBox *eject_;
};

#endif // PLUGIN_CATALOGEJECTDIALOG_H
