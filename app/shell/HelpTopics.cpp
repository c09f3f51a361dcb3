#include "HelpTopics.h"

#include "AppSettings.h"
#include "MessageBoxes.h"
#include "TextCodec.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

QString helpFilePath(const std::optional<std::string> &catalogsSetting, const QString &installedFolder) {
  QString folder = installedFolder;
  if (catalogsSetting) {
    size_t at = catalogsSetting->find("Catalogs");
    folder = at == std::string::npos ? QString() : displayText(std::string_view(*catalogsSetting).substr(0, at));
  }
  return folder + "Help/Tavlor_help.htm";
}

QString installedProgramFolder() {
  return QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/tavlor") + "/";
}

void showHelpTopics(QWidget *parent) {
  QString path = helpFilePath(tavlor::settingText("Tavlor"), installedProgramFolder());
  QFileInfo page(path);
  // The desktop's opener reports success as soon as it started, even for a file that
  // is not there, so a missing page is caught here.
  bool opened =
      page.isFile() && page.isReadable() && QDesktopServices::openUrl(QUrl::fromLocalFile(page.absoluteFilePath()));
  if (!opened)
    showBox(parent, QObject::tr("Could not launch help file"), QObject::tr("Cannot find or launch help file:\n") + path,
            BoxKind::Warning);
}
