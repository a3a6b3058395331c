// Messages for tests that run the show's code in their own process: the stderr line only, since a
// message box on the test's X server would wait for a click that never comes.
#include "platform/backend.h"

void show_message(const char* text, const char* caption, MessageIcon) {
  print_message_line(text, caption);
}

bool ask_yes_no(const char* text, const char* caption) {
  print_message_line(text, caption);
  return false;
}
