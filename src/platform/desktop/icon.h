// The program's icon: a swirl of red, green and blue on black, drawn in res/ as XPM pictures.
#pragma once

#include <cstdint>
#include <vector>

struct SDL_Window;
struct _XDisplay;

// The program's name to window managers, panels and docks; the desktop entry's StartupWMClass.
constexpr const char* window_class = "swirlbeam";

struct IconImage {
  int width = 0, height = 0;
  std::vector<std::uint32_t> argb;  // rows top first, 0xAARRGGBB
};

// Reads a one-character-per-pixel XPM with "c #RRGGBB" colours; an empty image when malformed.
IconImage parse_xpm(const char* const* xpm, int line_count);

// Sets the 32 x 32 icon, and both sizes where the window system takes several.
void set_window_icon(SDL_Window* window);
// Marks an X11 window as this program's: both icon sizes (_NET_WM_ICON) and `window_class`
// (WM_CLASS). For every window of the program, the show's and the dialog's and boxes'.
void mark_x11_window(_XDisplay* display, unsigned long window);
