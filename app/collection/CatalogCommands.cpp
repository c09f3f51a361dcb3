#include "CatalogCommands.h"

#include "AppSettings.h"
#include "CMessageDialog.h"
#include "CTavlor2Doc.h"
#include "MessageBoxes.h"
#include "PaintBreaks.h"
#include "TextCodec.h"
#include "WaitCursor.h"
#include "collection/catalog_files.h"
#include "model/catalog_loader.h"
#include "model/catalog_set_loader.h"

#include <QFile>
#include <QFileDialog>

#include <cstdio>

using tavlor::FileData;
using tavlor::ItemId;

namespace {

CatalogCommands::FileChooser &chooser() {
  static CatalogCommands::FileChooser current;
  return current;
}

QStringList fileDialog(QWidget *parent, const QString &folder) {
  QFileDialog dialog(parent, QObject::tr("Open"), folder);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setDefaultSuffix("zar");
  dialog.setNameFilters({"ZIP archive Files (*.zar)", "All Files (*.*)"});
  return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

// The loader's warnings as modal boxes over the main window.
class BoxLoadReporter : public tavlor::LoadReporter {
public:
  explicit BoxLoadReporter(QWidget *window) : window_(window) {}
  void warning(const std::string &caption, const std::string &text) override {
    showBox(window_, displayText(caption), displayText(text), BoxKind::Warning);
  }
  void progress(std::size_t, std::size_t) override { letWindowsPaint(); }

private:
  QWidget *window_;
};

} // namespace

CatalogCommands::CatalogCommands(CTavlor2Doc &doc, QWidget *window) : QObject(window), doc_(doc), window_(window) {}

void CatalogCommands::setFileChooser(FileChooser newChooser) {
  chooser() = std::move(newChooser);
}

bool CatalogCommands::loadCatalog(const std::string &path, bool showRoot) {
  WaitCursor wait;
  BoxLoadReporter reporter(window_);
  tavlor::LoadResult result = tavlor::loadCatalog(doc_.model(), path, reporter);
  if (showRoot) doc_.showItem(doc_.model().root(), tavlor::kNoItem);
  emit rootExpansionRequested();
  return result.status == tavlor::LoadStatus::Loaded;
}

void CatalogCommands::openAllCatalogs() {
  if (!loadAllCatalogs()) reportNoCatalogs();
}

void CatalogCommands::reportNoCatalogs() {
  showBox(window_, "Tavlor", tr("No catalogs found.\nUse File->Catalog New Disk ... to create."), BoxKind::Information);
}

bool CatalogCommands::loadAllCatalogs() {
  WaitCursor wait;
  tavlor::CatalogModel &model = doc_.model();
  doc_.deleteTemporaryFiles();
  doc_.descriptions().writeDescriptions();
  // Disks opened from elsewhere go too: the command shows what the folder holds. One
  // at a time, the last first, with a paint between: taking millions of entries apart
  // takes a while.
  for (std::size_t disks = model.childrenOf(model.root()).size(); disks > 0 && !model.childrenOf(model.root()).empty();
       --disks) {
    model.closeChildFolder(model.root(), model.label(model.childrenOf(model.root()).back()));
    letWindowsPaint(true);
  }
  model.clear();
  doc_.descriptions().readDescriptions(false);
  doc_.clearList();
  std::string folder = tavlor::catalogsFolder();
  std::vector<std::string> files = tavlor::listCatalogFiles(folder);
  for (std::string &name : files)
    name = folder + "/" + name;
  loadCatalogFiles(files);
  emit rootExpansionRequested();
  return !files.empty();
}

void CatalogCommands::loadCatalogFiles(const std::vector<std::string> &paths) {
  WaitCursor wait;
  // The emptied panes, and then each disk as it comes, are painted while the rest load.
  letWindowsPaint(true);
  BoxLoadReporter reporter(window_);
  tavlor::loadCatalogs(doc_.model(), paths, reporter, tavlor::catalogLoadThreads(),
                       [this](std::size_t, const tavlor::LoadResult &) {
                         doc_.showItem(doc_.model().root(), tavlor::kNoItem);
                         emit rootExpansionRequested();
                         letWindowsPaint(true);
                       });
}

void CatalogCommands::openSelectedCatalog() {
  QString folder = displayText(tavlor::catalogsFolder());
  QStringList paths = chooser() ? chooser()(window_, folder) : fileDialog(window_, folder);
  if (paths.isEmpty()) return;
  std::vector<std::string> files;
  for (const QString &path : paths)
    files.push_back(QFile::encodeName(path).toStdString());
  loadCatalogFiles(files);
}

void CatalogCommands::autoLoad() {
  if (autoLoaded_) return;
  autoLoaded_ = true;
  if (tavlor::settingNumber("AutoLoadCatalogs").value_or(0) != 1) return;
  bool found = false;
  {
    CMessageDialog wait(tr("Auto-loading catalogs ... please wait"), window_);
    found = loadAllCatalogs();
  }
  // The box comes once the please-wait window is gone: the work it announced is over.
  if (!found) reportNoCatalogs();
}

void CatalogCommands::closeCatalog(ItemId item) {
  tavlor::CatalogModel &model = doc_.model();
  if (!model.isValid(item) || model.parentOf(item) != model.root()) return;
  std::string label = tavlor::upperCaseAscii(model.label(item));
  model.closeChildFolder(model.root(), label);
  doc_.showItem(model.root(), tavlor::kNoItem);
}

void CatalogCommands::closeSelectedCatalogs(const std::vector<const FileData *> &entries) {
  // The names are taken first: each close destroys entries the list still holds.
  std::vector<std::pair<ItemId, std::string>> disks;
  for (const FileData *entry : entries)
    if (entry && entry->isDisk()) disks.emplace_back(entry->parentItem(), tavlor::upperCaseAscii(entry->name()));
  tavlor::CatalogModel &model = doc_.model();
  for (const auto &[parent, name] : disks) {
    model.closeChildFolder(parent, name);
    letWindowsPaint(true);
  }
  doc_.showItem(model.root(), tavlor::kNoItem);
}

void CatalogCommands::deleteCatalog(ItemId item) {
  tavlor::CatalogModel &model = doc_.model();
  if (!model.isValid(item) || model.parentOf(item) != model.root()) return;
  std::string label = model.label(item);
  QString shown = displayText(label);
  if (!showBox(window_, "Tavlor",
               tr("Are you sure you want to permanently delete the ") + shown + tr(" catalog file?\n") +
                   tr("(Catalogs cannot be recreated without the original disk)"),
               BoxKind::Question))
    return;
  std::string folder = tavlor::catalogsFolder();
  std::optional<std::string> path = tavlor::catalogFilePath(folder, label);
  if (!path || std::remove(path->c_str()) != 0) {
    QString named = path ? displayText(*path) : displayText(folder + "/" + label + ".zar");
    showBox(window_, "Tavlor",
            tr("Unable to delete the file ") + named + tr("\nCheck file protection") +
                tr("\nDelete operation cancelled (safely !)"),
            BoxKind::Plain);
    return;
  }
  model.closeChildFolder(model.root(), label);
  model.removeEntry(model.root(), label);
  doc_.showItem(model.root(), tavlor::kNoItem);
}
