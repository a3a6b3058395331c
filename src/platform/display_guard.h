// A changed display mode is given back on every way out, crashes included: a user must never be
// left with the show's resolution on the desktop.
#pragma once

struct SDL_Window;

// The window now holds the display in its own mode.
void guard_display_mode(SDL_Window* window);
// Gives the desktop its mode back; does nothing when the mode was not changed, or twice.
void restore_display_mode();
