// The window and context code the desktop and the page share; window_backend.cpp of each adds
// its own display mode or page.
#include "platform/window.h"

#include <string>

#include "platform/backend.h"
#include "platform/event_pump.h"

namespace {

SDL_Window* window = nullptr;
SDL_GLContext render_context = nullptr;
bool video_started = false;
bool quit_posted = false;
bool* active_flag = nullptr;  // the caller's, for the event handler during a pump

// Mesa's software rasteriser, llvmpipe, runs one thread per core by default; one more keeps the
// cores busy while the show's own thread prepares the next draw (12-20 % more frames a second
// on 2 cores, the same pixels). Only llvmpipe reads the variable, when its context is made (the
// page's WebGL never), and a user's own choice stays.
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
  if (!window_backend::video_usable()) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  video_started = true;
  return true;
}

// Context, then window; the video subsystem stays. False when the context would not let go.
bool release_window() {
  bool released = true;
  if (render_context != nullptr) {
    released = SDL_GL_MakeCurrent(window, nullptr) == 0;
    SDL_GL_DeleteContext(render_context);
    render_context = nullptr;
  }
  if (window != nullptr) {
    SDL_DestroyWindow(window);
    window = nullptr;
  }
  return released;
}

OpenedWindow failed(const char* error) {
  close_window();
  return OpenedWindow{false, error};
}

void handle_window_event(const SDL_WindowEvent& event) {
  if (event.event == SDL_WINDOWEVENT_CLOSE) {
    quit_posted = true;  // the window itself stays until it is closed
    return;
  }
  window_backend::window_event(window, event, *active_flag);
}

}  // namespace

OpenedWindow open_window(const char* title, int width, int height, int color_bits, bool full_screen,
                         float scale) {
  tune_software_rendering();
  if (!start_video()) return OpenedWindow{false, "Failed To Register The Window Class."};
  window_backend::Request request{width, height, color_bits, full_screen, scale, {width, height}};
  if (!window_backend::before_window(request)) return failed(nullptr);

  window_backend::request_pixel_format(color_bits);
  window = window_backend::make_window(title, request);
  if (window == nullptr) return failed("Window Creation Error.");
  if (!window_backend::after_window(window, request)) return failed(nullptr);

  render_context = SDL_GL_CreateContext(window);
  if (render_context == nullptr) return failed("Can't Create A GL Rendering Context.");
  if (SDL_GL_MakeCurrent(window, render_context) != 0) {
    return failed("Can't Activate The GL Rendering Context.");
  }
  if (!window_backend::after_context(window, request)) return failed(nullptr);
  if (request.full_screen) {
    resize_view(width, height);
  } else {
    resize_view(request.window.width, request.window.height);
  }
  return OpenedWindow{true, nullptr};
}

bool close_window() {
  window_backend::before_release();
  const bool released = release_window();
  if (video_started) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    video_started = false;
  }
  return released;
}

bool pump_window_events(bool (&keys)[key_count], bool& active) {
  active_flag = &active;
  pump_events(keys, handle_window_event, quit_posted);
  if (window_backend::quit_asked()) quit_posted = true;
  return !quit_posted;
}

void present_frame() {
  window_backend::present(window);
}
