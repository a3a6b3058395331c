// Windows frames a window as soon as it is made, hidden or not, and SDL reads the frame's size.
#include "platform/desktop/window_frame.h"

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
