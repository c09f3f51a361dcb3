// HelpTopics.h - finding and opening the help page.
#ifndef APP_SHELL_HELPTOPICS_H
#define APP_SHELL_HELPTOPICS_H

#include <QString>

#include <optional>
#include <string>

class QWidget;

// The help page for a catalogs-folder setting: the program folder is the setting up
// to its first "Catalogs" (empty, that is the current folder, when it has none), or
// installedFolder when the setting could not be read; the page is program folder +
// "Help/Tavlor_help.htm".
QString helpFilePath(const std::optional<std::string> &catalogsSetting, const QString &installedFolder);

// The installed program folder: the data folder beside the program (<prefix>/share/tavlor/).
QString installedProgramFolder();

// Opens the help page of the current settings in the desktop's browser; when it is
// missing or cannot be opened, shows the "Could not launch help file" warning.
void showHelpTopics(QWidget *parent);

#endif // APP_SHELL_HELPTOPICS_H
