#include "platform/desktop/icon.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>

#include "icon_16.xpm"
#include "icon_32.xpm"

IconImage parse_xpm(const char* const* xpm, int line_count) {
  IconImage image;
  int width = 0, height = 0, colours = 0, chars_per_pixel = 0;
  if (line_count < 1 ||
      std::sscanf(xpm[0], "%d %d %d %d", &width, &height, &colours, &chars_per_pixel) != 4 ||
      chars_per_pixel != 1 || width <= 0 || height <= 0 || line_count < 1 + colours + height) {
    return image;
  }
  std::map<char, std::uint32_t> palette;
  for (int i = 0; i < colours; ++i) {
    unsigned rgb = 0;
    if (std::sscanf(xpm[1 + i] + 1, " c #%6x", &rgb) != 1) return image;
    palette[xpm[1 + i][0]] = 0xFF000000u | rgb;
  }
  image.argb.reserve(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const char* row = xpm[1 + colours + y];
    if (static_cast<int>(std::strlen(row)) != width) return IconImage{};
    for (int x = 0; x < width; ++x) {
      const auto colour = palette.find(row[x]);
      if (colour == palette.end()) return IconImage{};
      image.argb.push_back(colour->second);
    }
  }
  image.width = width;
  image.height = height;
  return image;
}

void mark_x11_window(Display* display, unsigned long window) {
  const IconImage large = parse_xpm(icon_32_xpm, static_cast<int>(std::size(icon_32_xpm)));
  const IconImage small = parse_xpm(icon_16_xpm, static_cast<int>(std::size(icon_16_xpm)));
  // X11 window managers pick the size they need from _NET_WM_ICON, which may hold several.
  std::vector<long> data;  // Xlib wants 32-bit values in longs
  for (const IconImage* image : {&large, &small}) {
    if (image->width == 0) continue;
    data.push_back(image->width);
    data.push_back(image->height);
    data.insert(data.end(), image->argb.begin(), image->argb.end());
  }
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<unsigned char*>(data.data()),
                  static_cast<int>(data.size()));
  XClassHint hint{const_cast<char*>(window_class), const_cast<char*>(window_class)};
  XSetClassHint(display, window, &hint);
  XFlush(display);
}

void set_window_icon(SDL_Window* window) {
  const IconImage large = parse_xpm(icon_32_xpm, static_cast<int>(std::size(icon_32_xpm)));
  if (large.width == 0) return;
  std::vector<std::uint32_t> pixels = large.argb;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      pixels.data(), large.width, large.height, 32, large.width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (surface != nullptr) {
    SDL_SetWindowIcon(window, surface);
    SDL_FreeSurface(surface);
  }
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    mark_x11_window(info.info.x11.display, info.info.x11.window);
  }
}
