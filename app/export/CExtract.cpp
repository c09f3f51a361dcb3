#include "CExtract.h"

#include "AppSettings.h"
#include "TextCodec.h"
#include "WaitCursor.h"
#include "settings/settings_values.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

CFolderDialog::Chooser &folderChooser() {
  static CFolderDialog::Chooser chooser;
  return chooser;
}

} // namespace

QString CFolderDialog::choose(QWidget *parent, const QString &title, const QString &start) {
  if (folderChooser()) return folderChooser()(parent, title, start);
  // Qt's own dialog: its path field under the folder view shows the chosen folder
  // whatever the desktop's dialog would offer.
  QFileDialog dialog(parent, title, start);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

void CFolderDialog::setChooser(Chooser chooser) {
  folderChooser() = std::move(chooser);
}

CExtract::CExtract(const tavlor::CatalogModel &model, const tavlor::FileData &zipFolder, tavlor::FileActionUi &ui,
                   QWidget *parent)
    : QDialog(parent), model_(model), zipFolder_(&zipFolder), ui_(ui) {
  build(tr("Extract/Copy") + tr(" - from ") + displayText(zipFolder.name()));
}

CExtract::CExtract(const tavlor::CatalogModel &model, std::vector<const tavlor::FileData *> entries,
                   tavlor::FileActionUi &ui, QWidget *parent)
    : QDialog(parent), model_(model), entries_(std::move(entries)), ui_(ui) {
  build(tr("Extract/Copy") + tr(" - selected file(s)"));
}

void CExtract::build(const QString &title) {
  setObjectName("extractDialog");
  setWindowTitle(title);
  auto *layout = new QVBoxLayout(this);
  auto *grid = new QGridLayout;
  grid->addWidget(new QLabel(tr("Extract To:"), this), 0, 0);
  destination_ = new QComboBox(this);
  destination_->setObjectName("destination");
  destination_->setEditable(true);
  destination_->setMinimumContentsLength(40);
  destination_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  destination_->setEditText(displayText(settings::zipFileExtract()));
  grid->addWidget(destination_, 0, 1);
  auto *browse = new QPushButton(tr("Browse ..."), this);
  browse->setObjectName("browseButton");
  browse->setAutoDefault(false);
  connect(browse, &QPushButton::clicked, this, &CExtract::browse);
  grid->addWidget(browse, 0, 2);
  layout->addLayout(grid);
  useFolderNames_ = new QCheckBox(tr("Use Folder Names in Zip files"), this);
  useFolderNames_->setObjectName("useFolderNames");
  useFolderNames_->setChecked(true);
  overwriteNewer_ = new QCheckBox(tr("Overwrite Newer, Existing Files"), this);
  overwriteNewer_->setObjectName("overwriteNewer");
  overwriteOlder_ = new QCheckBox(tr("Overwrite Older, Existing Files"), this);
  overwriteOlder_->setObjectName("overwriteOlder");
  layout->addWidget(useFolderNames_);
  layout->addWidget(overwriteNewer_);
  layout->addWidget(overwriteOlder_);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("progress");
  progress_->setTextVisible(false);
  progress_->setValue(0);
  layout->addWidget(progress_);
  auto *buttons = new QDialogButtonBox(this);
  QPushButton *extract = buttons->addButton(tr("Extract"), QDialogButtonBox::AcceptRole);
  extract->setObjectName("extractButton");
  extract->setDefault(true);
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &CExtract::extract);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

tavlor::ExtractSettings CExtract::values() const {
  tavlor::ExtractSettings values;
  values.destination = QFile::encodeName(destination_->currentText()).toStdString();
  values.useFolderNames = useFolderNames_->isChecked();
  values.overwriteNewer = overwriteNewer_->isChecked();
  values.overwriteOlder = overwriteOlder_->isChecked();
  return values;
}

void CExtract::setValues(const tavlor::ExtractSettings &values) {
  destination_->setEditText(QFile::decodeName(values.destination.c_str()));
  useFolderNames_->setChecked(values.useFolderNames);
  overwriteNewer_->setChecked(values.overwriteNewer);
  overwriteOlder_->setChecked(values.overwriteOlder);
}

void CExtract::browse() {
  QString chosen =
      CFolderDialog::choose(this, tr("Select root folder for zip file extraction:"), destination_->currentText());
  if (!chosen.isEmpty()) destination_->setEditText(chosen);
}

void CExtract::step() {
  progress_->setValue(std::min(progress_->maximum(), progress_->value() + stepSize_));
  progress_->repaint();
}

void CExtract::extract() {
  const tavlor::ExtractSettings settings = values();
  std::vector<tavlor::CopyFailure> failures;
  {
    WaitCursor wait;
    if (extractAllMode()) {
      progress_->setRange(0, 100);
      stepSize_ = 5;
      tavlor::extractZipFolder(model_, *zipFolder_, settings, ui_, this, &failures);
    } else {
      progress_->setRange(0, static_cast<int>(entries_.size()));
      stepSize_ = 1;
      failures = tavlor::copyEntries(model_, entries_, settings, ui_, this);
    }
  }
  // A copy that silently wrote nothing would pass for one that worked.
  if (!failures.empty()) ui_.message("Extract/Copy", tavlor::failureText(failures), true);
  tavlor::storeSettingText(settings::kZipFileExtractName, settings.destination);
  accept();
}
