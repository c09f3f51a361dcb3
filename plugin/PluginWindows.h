// PluginWindows.h - the windows of TavlorCatalog behind tavplugin::PluginUi: message
// boxes, the scan's progress window and CatalogEjectDialog.
#ifndef PLUGIN_PLUGINWINDOWS_H
#define PLUGIN_PLUGINWINDOWS_H

#include <QIcon>

#include <memory>

#include "catalog_job.h"

class CatalogProgress;
class QWidget;

// The program's icon (the installed theme icon, else the built-in image).
QIcon pluginIcon();

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
