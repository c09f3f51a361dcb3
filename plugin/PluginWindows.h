// PluginWindows.h - the windows of TavlorCatalog: message boxes, the scan's progress
// window with Cancel, and the dialog, behind tavplugin::PluginUi.
#ifndef PLUGIN_PLUGINWINDOWS_H
#define PLUGIN_PLUGINWINDOWS_H

#include <QDialog>
#include <QIcon>

#include <memory>

#include "catalog_job.h"

class QLabel;

// The program's icon (the installed theme icon, else the built-in image).
QIcon pluginIcon();

// The small window shown while a disk is scanned: the entries scanned, the folder
// being read, and Cancel (Escape and the close button too).
class CatalogProgress : public QDialog {
  Q_OBJECT
public:
  explicit CatalogProgress(const QString &label, QWidget *parent = nullptr);
  // Shows the counts and lets a click on Cancel through; false once cancelled.
  bool update(uint64_t entries, const QString &folder);
  bool cancelled() const { return cancelled_; }

protected:
  // The window stays until the scan has stopped.
  void reject() override { cancelled_ = true; }

private:
  QLabel *count_;
  QLabel *folder_;
  bool cancelled_ = false;
};

class PluginWindows : public tavplugin::PluginUi {
public:
  PluginWindows();
  ~PluginWindows() override;
  bool progress(uint64_t entries, const std::string &folder) override;
  void box(const std::string &caption, const std::string &text) override;
  bool ask(const std::string &caption, const std::string &text) override;
  void scanStarting(const std::string &label) override;
  void scanFinished() override;
  void runDialog(const tavplugin::CatalogJob &job, const std::string &prompt,
                 const std::function<void(const tavplugin::CatalogJob &)> &run) override;

private:
  QWidget *owner() const;
  std::unique_ptr<CatalogProgress> progress_;
  QWidget *dialog_ = nullptr;
  std::string label_;
};

// Names are bytes: UTF-8 when valid, else each byte as Windows-1252.
QString pluginText(const std::string &bytes);

#endif // PLUGIN_PLUGINWINDOWS_H
