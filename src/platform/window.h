// The show's one window with its OpenGL context and viewport: a window or a switched display
// mode on the desktop, the page's canvas in a browser.
#pragma once

#include "platform/virtual_keys.h"

// How opening the window went. When not ready the window is released again, and `error` is the
// failure to show the user; it is null when the player chose to end rather than play without
// full screen, and was told so already.
struct OpenedWindow {
  bool ready = false;
  const char* error = nullptr;
};

// Makes the window (or the full-screen mode, asking to fall back to a window when it is not
// offered), the context, made current, and the viewport. A window, not a full-screen mode, is
// made `scale` times the chosen size where the desktop does not enlarge it itself, and drawn at
// that size.
OpenedWindow open_window(const char* title, int width, int height, int color_bits, bool full_screen,
                         float scale);
// Gives back the display mode and the pointer, then releases context, window and video. Safe in
// any state, and twice. False when the context could not be let go; the rest is released anyway.
bool close_window();
// The viewport for a drawable of this size: all of it. The show's projection keeps its 4:3 in
// any shape.
void resize_view(int width, int height);
struct ViewSize {
  int width = 0, height = 0;
};
// The viewport resize_view set last.
ViewSize current_view();
// Takes every pending event: keys by virtual-key code into `keys`, whether the window is in use
// into `active`. False once a quit was asked for (the window closed, Ctrl+C, SIGTERM), and from
// then on.
bool pump_window_events(bool (&keys)[key_count], bool& active);
void present_frame();
