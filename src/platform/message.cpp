#include "platform/message.h"

#include <SDL.h>

#include <cstdio>

namespace {

Uint32 box_flags(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::stop:
      return SDL_MESSAGEBOX_ERROR;
    case MessageIcon::exclamation:
      return SDL_MESSAGEBOX_WARNING;
    case MessageIcon::question:
    case MessageIcon::information:
      break;
  }
  return SDL_MESSAGEBOX_INFORMATION;
}

}  // namespace

void show_message(const char* text, const char* caption, MessageIcon icon) {
  print_message_line(text, caption);
  SDL_ShowSimpleMessageBox(box_flags(icon), caption, text, nullptr);
}

bool ask_yes_no(const char* text, const char* caption) {
  print_message_line(text, caption);
  constexpr int yes = 1, no = 0;
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, no, "No"},
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, yes, "Yes"},
  };
  const SDL_MessageBoxData box = {box_flags(MessageIcon::question), nullptr, caption, text,
                                  SDL_arraysize(buttons),           buttons, nullptr};
  int pressed = no;
  if (SDL_ShowMessageBox(&box, &pressed) != 0) return false;
  const bool answer = pressed == yes;
  std::fprintf(stderr, "swirlbeam: answered %s\n", answer ? "Yes" : "No");
  return answer;
}
