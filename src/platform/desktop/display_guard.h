// A changed display mode is given back on every way out, crashes included: a user must never be
// left with the show's resolution on the desktop.
#pragma once

#include <SDL_video.h>

// Before the switch to `mode`: starts the guard process that puts the desktop's mode back should
// this process end without doing so (SIGKILL, a cut X connection). Only where the switch is real
// (X11, a mode other than the desktop's); a guard that cannot start costs one stderr line.
void start_display_guard(const SDL_DisplayMode& mode);
// No switch after all: the guard leaves without touching anything.
void stop_display_guard();
// The window is about to hold the display in its own mode; waits (briefly) until the guard
// process has recorded the desktop's.
void guard_display_mode(SDL_Window* window);
// Gives the desktop its mode back and lets the guard go (after it has put back what the display
// refused to); does nothing when the mode was not changed, or twice.
void restore_display_mode();
