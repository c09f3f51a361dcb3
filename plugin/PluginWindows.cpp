#include "PluginWindows.h"

#include "CatalogEjectDialog.h"
#include "CatalogProgress.h"

#include <QApplication>
#include <QMessageBox>
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
