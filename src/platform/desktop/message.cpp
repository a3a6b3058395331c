#include "platform/backend.h"

#include <cstdio>

#include "platform/desktop/message_box.h"

void show_message(const char* text, const char* caption, MessageIcon icon) {
  print_message_line(text, caption);
  run_message_box(text, caption, icon, BoxButtons::ok);
}

bool ask_yes_no(const char* text, const char* caption) {
  print_message_line(text, caption);
  const BoxAnswer answer =
      run_message_box(text, caption, MessageIcon::question, BoxButtons::yes_no);
  if (answer == BoxAnswer::not_shown) return false;
  std::fprintf(stderr, "swirlbeam: answered %s\n", answer == BoxAnswer::yes ? "Yes" : "No");
  return answer == BoxAnswer::yes;
}
