// catalogs_folder.h - where catalogs live when the command line names no folder.
#ifndef CLI_CATALOGS_FOLDER_H
#define CLI_CATALOGS_FOLDER_H

#include <string>

namespace cli {

// The catalogs folder: the "Tavlor" setting, else the home folder + "/Tavlor".
std::string defaultCatalogsFolder();

} // namespace cli

#endif // CLI_CATALOGS_FOLDER_H
