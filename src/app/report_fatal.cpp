#include "app/report_fatal.h"

#include "app/show_window.h"
#include "platform/backend.h"

void report_fatal(const char* text, const char* caption) {
  shutdown();
  show_message(text, caption, MessageIcon::exclamation);
}
