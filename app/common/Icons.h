// Icons.h - the program's built-in images.
#ifndef APP_COMMON_ICONS_H
#define APP_COMMON_ICONS_H

#include <QIcon>

// Image index of the built-in icon strip (the entry kinds, 4 the root, 11 and 12 the
// open folder and open Zip Folder). An index outside the strip gives a null icon.
QIcon stripIcon(int index);

// The number of images in the strip.
int stripIconCount();

// Button index of the toolbar strip, in toolbar order: Open All Catalogs, Catalog New
// Disk, Open Selected Catalog, Find Files, Eject Removable Disks, Help Topics, About.
enum class ToolbarImage { OpenAll, CatalogNew, OpenSelected, FindFiles, Eject, Help, About };
QIcon toolbarIcon(ToolbarImage image);

// The program's icon (windows, the About box, the please-wait window).
QIcon programIcon();

// The desktop theme's icon for a name by its type (matched by name only, no file is
// opened); folder for a folder. Null when the theme has none.
QIcon systemIconForName(const QString &name, bool folder);

#endif // APP_COMMON_ICONS_H
