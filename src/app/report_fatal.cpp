#include "app/report_fatal.h"

#include "platform/message.h"
#include "platform/window.h"

void report_fatal(const char* text, const char* caption) {
  shutdown();
  show_message(text, caption, MessageIcon::exclamation);
}
