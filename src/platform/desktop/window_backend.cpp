// The desktop's window: an X11 or Wayland window through SDL, or the whole primary monitor
// switched to exactly the chosen mode, with the guard that gives the mode back however the show
// ends, and the question when the mode is not to be had.
#include "platform/backend.h"

#include "platform/desktop/desktop.h"
#include "platform/desktop/display_guard.h"
#include "platform/desktop/fltk_display.h"
#include "platform/desktop/full_screen_check.h"
#include "platform/desktop/icon.h"
#include "platform/desktop/window_frame.h"
#include "platform/full_screen_question.h"
#include "platform/window.h"

namespace {

SDL_DisplayMode mode{};
bool full_screen = false;  // asked for, and not given up for a window
bool unseen = false;       // keep_window_unseen

// A driver that draws nowhere is fine when asked for (tools, tests), but as SDL's own fallback
// it would play the whole show unseen.
bool draws_nowhere_unasked() {
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  if (driver == nullptr || (asked != nullptr && *asked != '\0')) return false;
  return SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0;
}

// SDL quietly gives another size when asked for a mode the display lacks, so look for an exact
// match first, preferring the requested depth.
bool find_display_mode(int width, int height, int color_bits, SDL_DisplayMode& found) {
  bool any = false;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode candidate;
    if (SDL_GetDisplayMode(0, i, &candidate) != 0 || candidate.w != width ||
        candidate.h != height) {
      continue;
    }
    const bool same_depth = static_cast<int>(SDL_BITSPERPIXEL(candidate.format)) == color_bits ||
                            (color_bits == 32 && SDL_BITSPERPIXEL(candidate.format) == 24);
    if (!any || same_depth) found = candidate;
    any = true;
    if (same_depth) break;
  }
  return any;
}

// Marks the hidden window for the mode; the switch itself happens when it is shown. False leaves
// the desktop as it was.
bool prepare_full_screen(SDL_Window* window) {
  if (SDL_SetWindowDisplayMode(window, &mode) != 0 ||
      SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0) {
    SDL_SetWindowFullscreen(window, 0);
    return false;
  }
  return true;
}

// X11 and Windows windows are scaled here (on Windows the manifest declares the program aware of
// each monitor's scale, so Windows does not stretch it): SDL's Wayland windows are measured in the
// desktop's own units already, and its compositor enlarges them.
bool scaled_here(const window_backend::Request& request) {
  const char* driver = SDL_GetCurrentVideoDriver();
  return request.scale > 1 && driver != nullptr &&
         (SDL_strcmp(driver, "x11") == 0 || SDL_strcmp(driver, "windows") == 0);
}

SDL_Rect usable_bounds() {
  SDL_Rect usable{0, 0, 0, 0};
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0) SDL_GetDisplayBounds(0, &usable);
  return usable;
}

// The window's size on this desktop, before its frame is known.
WindowSize window_size(const window_backend::Request& request) {
  if (!scaled_here(request)) return request.window;
  const SDL_Rect usable = usable_bounds();
  return scaled_window_size(request.window, request.scale, {usable.w, usable.h});
}

// A scaled window made small enough that its frame fits the usable area too.
void fit_with_frame(SDL_Window* window, window_backend::Request& request, FrameExtents frame) {
  const SDL_Rect usable = usable_bounds();
  const WindowSize fitted = scaled_window_size({request.width, request.height}, request.scale,
                                               {usable.w, usable.h}, frame);
  if (fitted.width == request.window.width && fitted.height == request.window.height) return;
  request.window = fitted;
  SDL_SetWindowSize(window, fitted.width, fitted.height);
}

// A window made for a full-screen mode gets the size of a window, where that is another.
void resize_for_window(SDL_Window* window, const window_backend::Request& request) {
  if (request.window.width != request.width || request.window.height != request.height) {
    SDL_SetWindowSize(window, request.window.width, request.window.height);
  }
  SDL_SetWindowResizable(window, SDL_TRUE);
}

bool ask_for_window_instead(window_backend::Request& request) {
  if (ask_yes_no(full_screen_question, full_screen_caption)) {
    full_screen = false;
    request.full_screen = false;
    return true;
  }
  show_message(closing_notice, full_screen_caption, MessageIcon::stop);
  return false;
}

}  // namespace

void keep_window_unseen() {
  unseen = true;
}

float window_scale() {
  return unseen ? 1.0f : desktop_scale();
}

namespace window_backend {

bool video_usable() {
  if (!draws_nowhere_unasked()) return true;
  SDL_Log("video: no display to show the window on");
  return false;
}

bool before_window(Request& request) {
  request.window = window_size(request);
  full_screen = request.full_screen;
  if (full_screen && !find_display_mode(request.width, request.height, request.color_bits, mode)) {
    if (!ask_for_window_instead(request)) return false;
  }
  if (full_screen) start_display_guard(mode);
  return true;
}

void request_pixel_format(int color_bits) {
  const bool five_six_five = color_bits <= 16;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, five_six_five ? 5 : 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, five_six_five ? 6 : 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, five_six_five ? 5 : 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, 0);
}

SDL_Window* make_window(const char* title, const Request& request) {
  const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI |
                       (request.full_screen ? 0 : SDL_WINDOW_RESIZABLE);
  // Full screen takes the monitor the window is on: the primary one, SDL's display 0, whose
  // corner need not be the screen's origin.
  SDL_Rect primary{0, 0, 0, 0};
  SDL_GetDisplayBounds(0, &primary);
  // A scaled window is fitted to the usable area, so its frame's corner goes to that area's (the
  // window manager places the frame's corner where a window asks to be).
  if (!request.full_screen && scaled_here(request)) primary = usable_bounds();
  const WindowSize size =
      request.full_screen ? WindowSize{request.width, request.height} : request.window;
  return SDL_CreateWindow(title, primary.x, primary.y, size.width, size.height, flags);
}

bool after_window(SDL_Window* window, Request& request) {
  set_window_icon(window);
  if (request.full_screen && !prepare_full_screen(window)) {
    stop_display_guard();
    if (!ask_for_window_instead(request)) return false;
    resize_for_window(window, request);
  }
  if (!request.full_screen && scaled_here(request)) {
    if (const std::optional<FrameExtents> frame = frame_before_mapping(window)) {
      fit_with_frame(window, request, *frame);
    }
  }
  if (!request.full_screen) keep_frame_on_screen(window);
  return true;
}

bool after_context(SDL_Window* window, Request& request) {
  // The show paces itself to 10 ms frames; a 60 Hz vsync would slow every animation.
  SDL_GL_SetSwapInterval(0);
  if (request.full_screen) guard_display_mode(window);
  if (unseen) return true;
  SDL_ShowWindow(window);
  // A display may list a mode and still refuse it when the window is shown. The same question
  // as for a mode it lacks; the pointer is hidden only once the mode holds.
  if (request.full_screen) {
    if (full_screen_holds(window, request.width, request.height)) {
      SDL_ShowCursor(SDL_DISABLE);
    } else {
      restore_display_mode();
      if (!ask_for_window_instead(request)) return false;
      resize_for_window(window, request);
    }
  }
  // Where the window manager would not tell the frame beforehand, it has framed the window now.
  if (!request.full_screen && scaled_here(request)) {
    if (const std::optional<FrameExtents> frame = frame_of_mapped(window)) {
      fit_with_frame(window, request, *frame);
    }
  }
  SDL_RaiseWindow(window);
  return true;
}

void before_release() {
  if (full_screen) {
    restore_display_mode();
    SDL_ShowCursor(SDL_ENABLE);
  }
}

void window_event(SDL_Window* window, const SDL_WindowEvent& event, bool& active) {
  switch (event.event) {
    case SDL_WINDOWEVENT_MINIMIZED:
      active = false;
      break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_MAXIMIZED:
      active = true;
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      int width = 0, height = 0;
      SDL_GL_GetDrawableSize(window, &width, &height);
      resize_view(width, height);
      break;
    }
    default:
      break;
  }
}

bool quit_asked() {
  return quit_signalled();
}

void present(SDL_Window* window) {
  SDL_GL_SwapWindow(window);
}

}  // namespace window_backend
