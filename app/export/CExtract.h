// CExtract.h - the "Extract Files" dialog: extracts a whole Zip Folder (extract-all
// mode) or copies a list of entries (copy mode) into a folder the user picks, with a
// progress bar.
#ifndef APP_EXPORT_CEXTRACT_H
#define APP_EXPORT_CEXTRACT_H

#include <QDialog>

#include "export/file_actions.h"

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QProgressBar;

// The folder picker: a folder of the file system, starting at a path; empty when
// cancelled. Replaceable for tests.
class CFolderDialog {
public:
  using Chooser = std::function<QString(QWidget *parent, const QString &title, const QString &start)>;
  static QString choose(QWidget *parent, const QString &title, const QString &start);
  // An empty chooser restores the file dialog.
  static void setChooser(Chooser chooser);
};

class CExtract : public QDialog, private tavlor::ProgressSink {
  Q_OBJECT
public:
  // Extract-all mode for one Zip Folder. model and the entries must outlive the dialog.
  CExtract(const tavlor::CatalogModel &model, const tavlor::FileData &zipFolder, tavlor::FileActionUi &ui,
           QWidget *parent);
  // Copy mode for a list of entries, in order.
  CExtract(const tavlor::CatalogModel &model, std::vector<const tavlor::FileData *> entries, tavlor::FileActionUi &ui,
           QWidget *parent);

  bool extractAllMode() const { return zipFolder_ != nullptr; }
  tavlor::ExtractSettings values() const;
  void setValues(const tavlor::ExtractSettings &values);
  QProgressBar *progressBar() const { return progress_; }

public slots:
  // "Browse ...": the folder picker, starting at the destination.
  void browse();
  // "Extract": does the work, stores the destination in ZipFileExtract and closes.
  void extract();

private:
  void build(const QString &title);
  void step() override;

  const tavlor::CatalogModel &model_;
  const tavlor::FileData *zipFolder_ = nullptr;
  std::vector<const tavlor::FileData *> entries_;
  tavlor::FileActionUi &ui_;
  QComboBox *destination_;
  QCheckBox *useFolderNames_;
  QCheckBox *overwriteNewer_;
  QCheckBox *overwriteOlder_;
  QProgressBar *progress_;
  int stepSize_ = 5;
};

#endif // APP_EXPORT_CEXTRACT_H
