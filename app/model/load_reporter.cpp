#include "model/load_reporter.h"

#include "platform/message_box.h"

namespace tavlor {

void PlatformLoadReporter::warning(const std::string &caption, const std::string &text) {
  platform::showMessageBox(caption, text, platform::BoxIcon::Warning);
}

} // namespace tavlor
