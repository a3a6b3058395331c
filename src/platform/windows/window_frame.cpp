// Windows frames a window as soon as it is made, hidden or not, and SDL reads the frame's size.
#include "platform/desktop/window_frame.h"

#include <algorithm>

namespace {

std::optional<FrameExtents> borders_of(SDL_Window* window) {
  FrameExtents frame;
  if (SDL_GetWindowBordersSize(window, &frame.top, &frame.left, &frame.bottom, &frame.right) != 0) {
    return std::nullopt;
  }
  return frame;
}

}  // namespace

std::optional<FrameExtents> frame_before_mapping(SDL_Window* window) {
  return borders_of(window);
}

std::optional<FrameExtents> frame_of_mapped(SDL_Window* window) {
  return borders_of(window);
}

// Windows places a window's client area where SDL asks, so a window asked for at the display's
// corner would have its title bar above the screen, out of reach; nor does anything keep it off
// the taskbar.
void keep_frame_on_screen(SDL_Window* window) {
  const std::optional<FrameExtents> frame = borders_of(window);
  SDL_Rect usable{0, 0, 0, 0};
  if (!frame || SDL_GetDisplayUsableBounds(0, &usable) != 0) return;
  int x = 0, y = 0;
  SDL_GetWindowPosition(window, &x, &y);
  SDL_SetWindowPosition(window, std::max(x, usable.x + frame->left),
                        std::max(y, usable.y + frame->top));
}
