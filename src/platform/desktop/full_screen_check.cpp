#include "platform/desktop/full_screen_check.h"

#include <SDL.h>

// SDL records a display's current mode only once the display has accepted it. On Wayland no
// client may switch the output's mode: SDL offers the listed modes by scaling the window onto the
// output, whose current mode stays the desktop's. XWayland emulates a switch for the show alone,
// and a window manager that knows nothing of that sizes the full-screen window to the output:
// larger than the mode, covering it all the same (the view follows the window's size).
bool full_screen_holds(SDL_Window* window, int width, int height) {
  const int display = SDL_GetWindowDisplayIndex(window);
  SDL_DisplayMode current;
  if (display < 0 || SDL_GetCurrentDisplayMode(display, &current) != 0) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  const bool scaled = driver != nullptr && SDL_strcmp(driver, "wayland") == 0;
  int window_width = 0, window_height = 0;
  SDL_GetWindowSize(window, &window_width, &window_height);
  return (scaled || (current.w == width && current.h == height)) &&
         (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0 && window_width >= width &&
         window_height >= height;
}
