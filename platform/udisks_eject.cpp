#include "platform/eject_paths.h"

namespace platform {

std::optional<EjectStatus> ejectWithUDisks(const Volume &) {
  return std::nullopt;
}

} // namespace platform
