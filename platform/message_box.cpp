#include "message_box.h"

#include <cstdio>

namespace platform {
namespace {

void writeToStderr(const char *caption, const char *text, int /*icon*/, void * /*context*/) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
}

MessageBoxHandler g_handler = &writeToStderr;
void *g_context = nullptr;

} // namespace

void setMessageBoxHandler(MessageBoxHandler handler, void *context) {
  g_handler = handler ? handler : &writeToStderr;
  g_context = handler ? context : nullptr;
}

void showMessageBox(const std::string &caption, const std::string &text, BoxIcon icon) {
  g_handler(caption.c_str(), text.c_str(), static_cast<int>(icon), g_context);
}

} // namespace platform
