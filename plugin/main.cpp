// TavlorCatalog: catalogs the disk a file manager names on its command line into the
// catalogs folder, then opens the catalog and flushes or ejects the disk as configured.
#include <QApplication>

#include <Tavscan60.h>

#include <QMessageBox>

#include "PluginWindows.h"
#include "settings/settings_store.h"

namespace {

// The library's own boxes (unreadable archives, invalid dates) as Qt boxes.
void showLibraryBox(const char *caption, const char *text, int icon, void *) {
  QMessageBox box(icon == kTavscanBoxWarning       ? QMessageBox::Warning
                  : icon == kTavscanBoxInformation ? QMessageBox::Information
                                                   : QMessageBox::NoIcon,
                  pluginText(caption), pluginText(text), QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

} // namespace

int main(int argc, char **argv) {
  QApplication qt(argc, argv);
  // The settings key of Tavlor40, only ever read here.
  QApplication::setOrganizationName("Quorvale");
  QApplication::setApplicationName("Tavlor");
  QApplication::setWindowIcon(pluginIcon());
  tavscanSetMessageBoxHandler(showLibraryBox, nullptr);
  std::vector<std::string> arguments;
  for (const QString &argument : QApplication::arguments().mid(1))
    arguments.push_back(argument.toStdString());
  PluginWindows windows;
  // All the work happens here; no event loop follows.
  return tavplugin::runTavlorCatalog(arguments, windows);
}
