#include "platform/window.h"

#include <GL/gl.h>
#include <SDL.h>

#include <string>

#include "app/keys.h"
#include "app/scene.h"
#include "app/settings.h"
#include "app/sound_handles.h"
#include "platform/display_guard.h"
#include "platform/event_pump.h"
#include "platform/full_screen_check.h"
#include "platform/full_screen_question.h"
#include "platform/icon.h"
#include "platform/message.h"
#include "platform/quit_signal.h"
#include "platform/sound.h"

namespace {

SDL_Window* window = nullptr;
SDL_GLContext render_context = nullptr;
bool video_started = false;
bool quit_posted = false;

constexpr const char* error_caption = "ERROR";
constexpr const char* shutdown_caption = "SHUTDOWN ERROR";

void window_error(const char* text) {
  show_message(text, error_caption, MessageIcon::exclamation);
}

// A driver that draws nowhere is fine when asked for (tools, tests), but as SDL's own fallback
// it would play the whole show unseen.
bool draws_nowhere_unasked() {
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  if (driver == nullptr || (asked != nullptr && *asked != '\0')) return false;
  return SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0;
}

// Mesa's software rasteriser, llvmpipe, runs one thread per core by default; one more keeps the
// cores busy while the show's own thread prepares the next draw (12-20 % more frames a second
// on 2 cores, the same pixels). Only llvmpipe reads the variable, only when its context is made,
// and a user's own choice stays.
void tune_software_rendering() {
  const int cores = SDL_GetCPUCount();
  if (cores < 2) return;  // measured on 2 cores only; one core is left as Mesa has it
  SDL_setenv("LP_NUM_THREADS", std::to_string(cores + 1).c_str(), 0);
}

bool start_video() {
  if (video_started) return true;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    SDL_Log("video: %s", SDL_GetError());
    return false;
  }
  if (draws_nowhere_unasked()) {
    SDL_Log("video: no display to show the window on");
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  video_started = true;
  return true;
}

// SDL quietly gives another size when asked for a mode the display lacks, so look for an exact
// match first, preferring the requested depth.
bool find_display_mode(int width, int height, int color_bits, SDL_DisplayMode& found) {
  bool any = false;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(0, i, &mode) != 0 || mode.w != width || mode.h != height) continue;
    const bool same_depth = static_cast<int>(SDL_BITSPERPIXEL(mode.format)) == color_bits ||
                            (color_bits == 32 && SDL_BITSPERPIXEL(mode.format) == 24);
    if (!any || same_depth) found = mode;
    any = true;
    if (same_depth) break;
  }
  return any;
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

// Marks the hidden window for the mode; the switch itself happens when it is shown. False leaves
// the desktop as it was.
bool prepare_full_screen(const SDL_DisplayMode& mode) {
  if (SDL_SetWindowDisplayMode(window, &mode) != 0 ||
      SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0) {
    SDL_SetWindowFullscreen(window, 0);
    return false;
  }
  return true;
}

bool ask_for_window_instead() {
  if (ask_yes_no(full_screen_question, full_screen_caption)) {
    settings.fullscreen = 0;
    return true;
  }
  show_message(closing_notice, full_screen_caption, MessageIcon::stop);
  return false;
}

// Context, then window; the sound and the video subsystem stay.
void release_window() {
  if (render_context != nullptr) {
    if (SDL_GL_MakeCurrent(window, nullptr) != 0) {
      show_message("Release Of DC And RC Failed.", shutdown_caption, MessageIcon::information);
    }
    SDL_GL_DeleteContext(render_context);
    render_context = nullptr;
  }
  if (window != nullptr) {
    SDL_DestroyWindow(window);
    window = nullptr;
  }
}

// A display may list a mode and still refuse it when the window is shown. The same question as
// for a mode it lacks; the pointer is hidden only once the mode holds.
bool full_screen_taken(int width, int height) {
  if (full_screen_holds(window, width, height)) {
    SDL_ShowCursor(SDL_DISABLE);
    return true;
  }
  restore_display_mode();
  if (!ask_for_window_instead()) {
    release_window();
    return false;
  }
  SDL_SetWindowResizable(window, SDL_TRUE);
  return true;
}

void handle_window_event(const SDL_WindowEvent& event) {
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
    case SDL_WINDOWEVENT_CLOSE:
      quit_posted = true;  // the window itself stays until shutdown
      break;
    default:
      break;
  }
}

}  // namespace

bool create_window(const char* title, int width, int height, int color_bits, bool fullscreen) {
  settings.fullscreen = fullscreen ? 1 : 0;
  tune_software_rendering();
  if (!start_video()) {
    window_error("Failed To Register The Window Class.");
    return false;
  }

  SDL_DisplayMode mode{};
  bool full_screen = fullscreen;
  if (full_screen && !find_display_mode(width, height, color_bits, mode)) {
    if (!ask_for_window_instead()) return false;
    full_screen = false;
  }
  if (full_screen) start_display_guard(mode);

  request_pixel_format(color_bits);
  const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI |
                       (full_screen ? 0 : SDL_WINDOW_RESIZABLE);
  // Full screen takes the monitor the window is on: the primary one, SDL's display 0, whose
  // corner need not be the screen's origin.
  SDL_Rect primary{0, 0, 0, 0};
  SDL_GetDisplayBounds(0, &primary);
  window = SDL_CreateWindow(title, primary.x, primary.y, width, height, flags);
  if (window == nullptr) {
    shutdown();
    window_error("Window Creation Error.");
    return false;
  }
  set_window_icon(window);
  if (full_screen && !prepare_full_screen(mode)) {
    stop_display_guard();
    if (!ask_for_window_instead()) {
      release_window();
      return false;
    }
    full_screen = false;
    SDL_SetWindowResizable(window, SDL_TRUE);
  }

  render_context = SDL_GL_CreateContext(window);
  if (render_context == nullptr) {
    shutdown();
    window_error("Can't Create A GL Rendering Context.");
    return false;
  }
  if (SDL_GL_MakeCurrent(window, render_context) != 0) {
    shutdown();
    window_error("Can't Activate The GL Rendering Context.");
    return false;
  }
  // The show paces itself to 10 ms frames; a 60 Hz vsync would slow every animation.
  SDL_GL_SetSwapInterval(0);

  if (full_screen) guard_display_mode(window);
  SDL_ShowWindow(window);
  if (full_screen && !full_screen_taken(width, height)) return false;
  SDL_RaiseWindow(window);
  resize_view(width, height);
  if (!set_up_scene()) {
    shutdown();
    window_error("Initialization Failed.");
    return false;
  }
  return true;
}

void shutdown() {
  close_sound(song);
  if (settings.fullscreen) {
    restore_display_mode();
    SDL_ShowCursor(SDL_ENABLE);
  }
  release_window();
  if (video_started) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    video_started = false;
  }
}

bool pump_messages(int& quit_code) {
  pump_events(handle_window_event, quit_posted);
  if (quit_signalled()) quit_posted = true;
  if (!quit_posted) return true;
  quit_code = 0;
  return false;
}

void present_frame() {
  SDL_GL_SwapWindow(window);
}
