// No guard process: SDL switches the mode for full screen with CDS_FULLSCREEN, which Windows
// undoes itself when the process ends, however it ends.
#include "platform/desktop/display_guard.h"

void start_display_guard(const SDL_DisplayMode&) {}

void stop_display_guard() {}

void guard_display_mode(SDL_Window*) {}

// SDL gives the mode back itself when the full-screen window goes.
void restore_display_mode() {}
