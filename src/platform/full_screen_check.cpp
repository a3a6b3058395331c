#include "platform/full_screen_check.h"

#include <SDL.h>

// SDL records a display's current mode only once the display has accepted it.
bool full_screen_holds(SDL_Window* window, int width, int height) {
  const int display = SDL_GetWindowDisplayIndex(window);
  SDL_DisplayMode current;
  if (display < 0 || SDL_GetCurrentDisplayMode(display, &current) != 0) return false;
  int window_width = 0, window_height = 0;
  SDL_GetWindowSize(window, &window_width, &window_height);
  return current.w == width && current.h == height &&
         (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0 && window_width == width &&
         window_height == height;
}
