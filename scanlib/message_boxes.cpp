#include "Tavscan60.h"
#include "platform/message_box.h"

void tavscanSetMessageBoxHandler(TavscanMessageBoxHandler handler, void *context) {
  platform::setMessageBoxHandler(handler, context);
}
