// A GUI program has no console, so no Ctrl+C reaches it; at log-off and shut-down Windows asks its
// windows to close, which SDL passes on as SDL_QUIT. Nothing to install.
#include "platform/desktop/desktop.h"

void install_quit_signals() {}

bool quit_signalled() {
  return false;
}
