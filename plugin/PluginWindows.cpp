#include "PluginWindows.h"

#include "CatalogEjectDialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStringDecoder>

QIcon pluginIcon() {
  static const QIcon icon = [] {
    Q_INIT_RESOURCE(plugin);
    return QIcon::fromTheme("tavlor", QIcon(":/plugin/tavlor.png"));
  }();
  return icon;
}

QString pluginText(const std::string &bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  return utf8.hasError() ? QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())) : text;
}

CatalogProgress::CatalogProgress(const QString &label, QWidget *parent) : QDialog(parent) {
  setObjectName("catalogProgress");
  setWindowTitle("Tavlor Catalog");
  setWindowIcon(pluginIcon());
  setWindowModality(Qt::ApplicationModal);
  auto *layout = new QGridLayout(this);
  auto *icon = new QLabel(this);
  icon->setPixmap(pluginIcon().pixmap(32, 32));
  layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
  layout->addWidget(new QLabel(tr("Cataloging %1 ... please wait").arg(label), this), 0, 1);
  count_ = new QLabel(this);
  count_->setObjectName("count");
  layout->addWidget(count_, 1, 1);
  folder_ = new QLabel(this);
  folder_->setObjectName("folder");
  folder_->setMinimumWidth(360);
  layout->addWidget(folder_, 2, 1);
  auto *cancel = new QPushButton(tr("Cancel"), this);
  cancel->setObjectName("cancel");
  connect(cancel, &QPushButton::clicked, this, [this] { cancelled_ = true; });
  layout->addWidget(cancel, 3, 1, Qt::AlignRight);
  show();
  raise();
  QApplication::processEvents();
}

bool CatalogProgress::update(uint64_t entries, const QString &folder) {
  count_->setText(tr("%1 entries scanned").arg(entries));
  // Long paths are cut in the middle so the window keeps its size.
  folder_->setText(folder_->fontMetrics().elidedText(folder, Qt::ElideMiddle, folder_->width()));
  QApplication::processEvents();
  return !cancelled_;
}

PluginWindows::PluginWindows() = default;

PluginWindows::~PluginWindows() {
  scanFinished();
}

QWidget *PluginWindows::owner() const {
  if (progress_) return progress_.get();
  return dialog_;
}

bool PluginWindows::progress(uint64_t entries, const std::string &folder) {
  if (!progress_) {
    progress_ = std::make_unique<CatalogProgress>(pluginText(label_), dialog_);
    QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  return progress_->update(entries, pluginText(folder));
}

void PluginWindows::scanStarting(const std::string &label) {
  label_ = label;
}

void PluginWindows::scanFinished() {
  if (!progress_) return;
  QApplication::restoreOverrideCursor();
  progress_.reset();
}

void PluginWindows::box(const std::string &caption, const std::string &text) {
  QMessageBox::warning(owner(), pluginText(caption), pluginText(text));
}

bool PluginWindows::ask(const std::string &caption, const std::string &text) {
  return QMessageBox::question(owner(), pluginText(caption), pluginText(text), QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::Yes) == QMessageBox::Yes;
}

void PluginWindows::runDialog(const tavplugin::CatalogJob &job, const std::string &prompt,
                              const std::function<void(const tavplugin::CatalogJob &)> &run) {
  CatalogEjectDialog dialog(job, pluginText(prompt), run);
  dialog_ = &dialog;
  dialog.exec();
  dialog_ = nullptr;
}
