#include "CSaveAsHTML.h"

#include "AppSettings.h"
#include "DialogRunner.h"
#include "MessageBoxes.h"
#include "TextCodec.h"
#include "WaitCursor.h"
#include "platform/errors.h"
#include "settings/settings_values.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <ctime>

CSaveAsHTML::CSaveAsHTML(tavlor::CatalogModel &model, tavlor::ItemId start, QWidget *parent)
    : QDialog(parent), model_(model), start_(start), totals_(tavlor::htmlTotals(model, start)) {
  setObjectName("saveAsHtmlDialog");
  setWindowTitle(tr("Save As HTML File(s)"));
  auto *layout = new QVBoxLayout(this);

  layout->addWidget(new QLabel(tr("Save to file:"), this));
  auto *pathRow = new QHBoxLayout;
  path_ = new QLineEdit(displayText(settings::htmlFile()), this);
  path_->setObjectName("pathEdit");
  path_->setMinimumWidth(fontMetrics().averageCharWidth() * 50);
  auto *browse = new QPushButton(tr("Browse ..."), this);
  browse->setObjectName("browseButton");
  browse->setAutoDefault(false);
  pathRow->addWidget(path_, 1);
  pathRow->addWidget(browse);
  layout->addLayout(pathRow);

  recurse_ = new QCheckBox(tr("Recurse Folders"), this);
  recurse_->setObjectName("recurseCheck");
  recurse_->setChecked(true);
  layout->addWidget(recurse_);
  singleFile_ = new QRadioButton(tr("Create one HTML file: All folders to same HTML"), this);
  singleFile_->setObjectName("singleFileRadio");
  webSite_ = new QRadioButton(tr("Create Web site: Each folder to separate HTML file"), this);
  webSite_->setObjectName("webSiteRadio");
  layout->addWidget(singleFile_);
  layout->addWidget(webSite_);
  chooseSingleFile(false);

  layout->addWidget(new QLabel(tr("Short descriptive text to appear on each page:"), this));
  description_ = new QLineEdit(displayText(tavlor::defaultHtmlDescription(std::time(nullptr))), this);
  description_->setObjectName("descriptionEdit");
  layout->addWidget(description_);

  progress_ = new QProgressBar(this);
  progress_->setObjectName("progressBar");
  progress_->setRange(0, static_cast<int>(std::min<std::int64_t>(totals_.folders + totals_.zipFolders, INT32_MAX)));
  progress_->setValue(0);
  progress_->setTextVisible(false);
  layout->addWidget(progress_);

  auto *buttons = new QDialogButtonBox(this);
  QPushButton *saveButton = buttons->addButton(tr("Save"), QDialogButtonBox::AcceptRole);
  saveButton->setObjectName("saveButton");
  saveButton->setDefault(true);
  QPushButton *cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
  cancel->setObjectName("cancelButton");
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetMinimumSize);

  connect(browse, &QPushButton::clicked, this, &CSaveAsHTML::browse);
  connect(singleFile_, &QRadioButton::clicked, this, [this] { chooseSingleFile(true); });
  connect(webSite_, &QRadioButton::clicked, this, [this] { chooseSingleFile(false); });
  connect(saveButton, &QPushButton::clicked, this, &CSaveAsHTML::save);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

tavlor::HtmlExportOptions CSaveAsHTML::values() const {
  tavlor::HtmlExportOptions v;
  v.outputPath = storedText(path_->text());
  v.description = storedText(description_->text());
  v.recurse = recurse_->isChecked();
  v.singleFile = singleFile_->isChecked();
  return v;
}

void CSaveAsHTML::chooseSingleFile(bool single) {
  // Exactly one of the two is checked, whatever was clicked.
  singleFile_->setChecked(single);
  webSite_->setChecked(!single);
}

void CSaveAsHTML::browse() {
  QFileDialog dialog(this, tr("Save As HTML File(s)"), path_->text());
  dialog.setObjectName("saveAsHtmlFileDialog");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix("htm");
  dialog.setNameFilters({tr("HTML File (*.htm)"), tr("All Files (*.*)")});
  dialog.selectFile(path_->text());
  if (runDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  path_->setText(dialog.selectedFiles().first());
}

void CSaveAsHTML::save() {
  const tavlor::HtmlExportOptions options = values();
  if (tavlor::isLargeHtmlFileSet(options, totals_) &&
      !showBox(this, "Tavlor", tr(tavlor::kLargeHtmlFileSetQuestion), BoxKind::Question)) {
    tavlor::storeSettingText(settings::kHtmlFileName, options.outputPath);
    return;
  }
  tavlor::HtmlExportResult result;
  {
    WaitCursor wait;
    progress_->setValue(0);
    tavlor::HtmlExport exporter(model_, start_, options, totals_);
    result = exporter.run([this] {
      // The start folder takes a step of its own, so the bar may be full early.
      progress_->setValue(std::min(progress_->value() + 1, progress_->maximum()));
      progress_->repaint();
    });
  }
  if (!result.unwritten.empty()) {
    QString text = result.outputWritten ? tr("Some files of the export could not be written:")
                                        : tr("The export could not be written:");
    for (const tavlor::HtmlUnwritten &file : result.unwritten)
      text += "\n" + displayText(file.path) + ": " + displayText(platform::errorText(file.error));
    showBox(this, tr("Save As HTML File(s)"), text, BoxKind::Warning);
  }
  // An export that wrote nothing leaves the dialog open for another path, and the
  // path that failed is not offered again next time.
  if (!result.outputWritten) return;
  tavlor::storeSettingText(settings::kHtmlFileName, options.outputPath);
  accept();
}
