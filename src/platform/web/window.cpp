// The show's window in a web page: SDL's window is the page's canvas, at the chosen size. Full
// screen is the browser's, which the page asks for on Start! and which scales the canvas with
// its aspect kept; the page says before this runs whether it was granted. There is no display
// mode to change, so there is nothing to guard or give back.
#include "platform/window.h"

#include <GL/gl.h>
#include <SDL.h>
#include <emscripten.h>

#include "app/keys.h"
#include "app/scene.h"
#include "app/settings.h"
#include "app/sound_handles.h"
#include "platform/event_pump.h"
#include "platform/message.h"
#include "platform/sound.h"
#include "platform/web/page.h"

namespace {

SDL_Window* window = nullptr;
SDL_GLContext render_context = nullptr;
bool video_started = false;
bool quit_posted = false;

void window_error(const char* text) {
  show_message(text, "ERROR", MessageIcon::exclamation);
}

// WebGL's canvas is 8 bits a channel whatever is asked; depth and dither still apply.
void request_pixel_format() {
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);  // an opaque canvas, not blended into the page
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

// Desktop GL draws with texture 0 bound as if untextured, which the flash relies on for plain
// white; WebGL samples black there. So name 0 is given a white texel.
// clang-format off
EM_JS(void, make_texture_zero_white, (), {
  const white = GLctx.createTexture();
  GLctx.bindTexture(GLctx.TEXTURE_2D, white);
  GLctx.texImage2D(GLctx.TEXTURE_2D, 0, GLctx.RGBA, 1, 1, 0, GLctx.RGBA, GLctx.UNSIGNED_BYTE,
                   new Uint8Array([255, 255, 255, 255]));
  GLctx.texParameteri(GLctx.TEXTURE_2D, GLctx.TEXTURE_MIN_FILTER, GLctx.NEAREST);
  GL.textures[0] = white;
});
// clang-format on

void handle_window_event(const SDL_WindowEvent& event) {
  switch (event.event) {
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN:  // the page's tab is in the background
      active = false;
      break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SHOWN:
      active = true;
      break;
    case SDL_WINDOWEVENT_CLOSE:
      quit_posted = true;
      break;
    default:
      break;
  }
}

}  // namespace

bool create_window(const char* title, int width, int height, int /*color_bits*/, bool fullscreen) {
  settings.fullscreen = fullscreen ? 1 : 0;
  if (!video_started && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    window_error("Failed To Register The Window Class.");
    return false;
  }
  video_started = true;
  request_pixel_format();
  window = SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_OPENGL);
  if (window == nullptr) {
    shutdown();
    window_error("Window Creation Error.");
    return false;
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
  // The GL emulation applies the texture matrix only when it was chosen before the first
  // textured draw; the smoke's scrolling lives in it.
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  make_texture_zero_white();
  resize_view(width, height);
  page_playing(fullscreen);
  if (!set_up_scene()) {
    shutdown();
    window_error("Initialization Failed.");
    return false;
  }
  return true;
}

void shutdown() {
  close_sound(song);
  if (render_context != nullptr) {
    SDL_GL_DeleteContext(render_context);
    render_context = nullptr;
  }
  if (window != nullptr) {
    SDL_DestroyWindow(window);
    window = nullptr;
  }
  if (video_started) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    video_started = false;
  }
}

bool pump_messages(int& quit_code) {
  pump_events(handle_window_event, quit_posted);
  if (!quit_posted) return true;
  quit_code = 0;
  return false;
}

// The browser shows the canvas when the page's animation frame returns.
void present_frame() {}
