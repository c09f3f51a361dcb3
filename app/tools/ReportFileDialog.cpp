#include "ReportFileDialog.h"

#include "DialogRunner.h"

#include <QFileDialog>

QString askReportFile(QWidget *parent, const QString &proposedName) {
  QFileDialog dialog(parent, QObject::tr("Save As"));
  dialog.setObjectName("reportFileDialog");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  const QStringList filters{QObject::tr("Text File (*.txt)"), QObject::tr("Comma Separated Values (*.csv)"),
                            QObject::tr("All Files (*)")};
  dialog.setNameFilters(filters);
  dialog.setDefaultSuffix("txt");
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, filters](const QString &filter) {
    dialog.setDefaultSuffix(filter == filters[1] ? "csv" : "txt");
  });
  dialog.selectFile(proposedName + ".txt");
  if (runDialog(dialog) != QDialog::Accepted) return {};
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.front();
}
