// What each platform adds to the window code they share (platform/window.cpp): the display mode
// or the page around the canvas, and what the context needs before the show draws. Each
// platform's window_backend.cpp defines these.
#pragma once

#include <SDL.h>

#include "platform/display_scale.h"

namespace window_backend {

struct Request {
  int width;
  int height;
  int color_bits;
  bool full_screen;   // cleared where the player takes a window instead
  float scale;        // the window's scale, as open_window was given it
  WindowSize window;  // the size a window gets; before_window scales it where it must
};

// False when the platform has no video to offer (the show must not play unseen).
bool video_usable();
// Before the window: settles the full-screen mode. False when the player chose to end instead.
bool before_window(Request& request);
void request_pixel_format(int color_bits);
SDL_Window* make_window(const char* title, const Request& request);
// With the window made but hidden: false when the player chose to end instead.
bool after_window(SDL_Window* window, Request& request);
// With the context current: shows the window or the canvas. False as above.
bool after_context(SDL_Window* window, Request& request);
// Before the context and the window go: gives back what before_window took.
void before_release();
// Every window event but the close request; `active` follows whether the show can be seen.
void window_event(SDL_Window* window, const SDL_WindowEvent& event, bool& active);
// A quit asked for from outside the window (signals on the desktop).
bool quit_asked();
void present(SDL_Window* window);

}  // namespace window_backend
