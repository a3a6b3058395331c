#include "platform/backend.h"

#include <cstdio>

#include "platform/web/page.h"

void show_message(const char* text, const char* caption, MessageIcon icon) {
  print_message_line(text, caption);  // the console gets it too
  page_show_message(text, caption, icon);
}

// A page cannot wait for an answer inside a call; the web entry asks through page_ask instead.
bool ask_yes_no(const char* text, const char* caption) {
  print_message_line(text, caption);
  std::fprintf(stderr, "swirlbeam: no question box that waits in a page: taken as No\n");
  return false;
}
