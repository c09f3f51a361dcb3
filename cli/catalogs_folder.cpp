#include "catalogs_folder.h"

#include "settings/settings_values.h"

namespace cli {

std::string defaultCatalogsFolder() {
  return settings::catalogsFolder();
}

} // namespace cli
