#include "catalogs_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace cli {

std::string defaultCatalogsFolder() {
  const char *home = std::getenv("HOME");
  std::string base;
  if (home && *home) {
    base = home;
  } else if (const struct passwd *pw = getpwuid(getuid())) {
    base = pw->pw_dir;
  } else {
    base = "/tmp";
  }
  return base + "/Tavlor";
}

} // namespace cli
