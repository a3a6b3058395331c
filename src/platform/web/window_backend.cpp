// The show's window in a web page: SDL's window is the page's canvas, at the chosen size. Full
// screen is the browser's, which the page asks for on Start! and which scales the canvas with
// its aspect kept; the page says before this runs whether it was granted. There is no display
// mode to change, so there is nothing to guard or give back.
#include "platform/backend.h"

#include <GL/gl.h>
#include <emscripten.h>

#include "platform/web/page.h"
#include "platform/window.h"

namespace {

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

// A restored context has none of the objects or state of the lost one. Each texture name gets a
// new, empty texture object, and the GL emulation drops its shader programs and its vertex and
// index buffers, which it then makes again as it draws; its matrices and texture state are its
// own and stay.
EM_JS(void, remake_gl_objects, (), {
  GL.textures.forEach((texture, name) => {
    if (!texture || name === 0) return;
    const remade = GLctx.createTexture();
    remade.name = name;
    GL.textures[name] = remade;
  });
  // The emulation enables each vertex attribute once and remembers it; the new context has none.
  GL.enabledClientAttribIndices.forEach((enabled, index) => {
    if (enabled) GLctx.enableVertexAttribArray(index);
  });
  GL.currentContext.initExtensionsDone = false;
  GL.initExtensions(GL.currentContext);
  GL.generateTempBuffers(true, GL.currentContext);
  GLImmediate.rendererCache = GLImmediate.MapTreeLib.create();
  GLImmediate.currentRenderer = GLImmediate.lastRenderer = null;
  GLImmediate.lastArrayBuffer = GLImmediate.lastProgram = null;
  GLImmediate.lastStride = -1;
  GLImmediate.fixedFunctionProgram = 0;
  GLImmediate.matricesModified = true;
  GL.currProgram = 0;
});
// clang-format on

}  // namespace

void remake_gl_context_objects() {
  remake_gl_objects();
  make_texture_zero_white();
}

// The browser scales the page, and the canvas with it, for the screen itself.
float window_scale() {
  return 1;
}

namespace window_backend {

bool video_usable() {
  return true;
}

bool before_window(Request&) {
  return true;
}

// WebGL's canvas is 8 bits a channel whatever is asked; depth and dither still apply.
void request_pixel_format(int) {
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);  // an opaque canvas, not blended into the page
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

SDL_Window* make_window(const char* title, const Request& request) {
  return SDL_CreateWindow(title, 0, 0, request.width, request.height, SDL_WINDOW_OPENGL);
}

// The show reads no fingers, and SDL cancels a touch's default (scrolling) while it does: a swipe
// over the canvas scrolls the page, and the page itself tells a tap (the end of the show).
bool after_window(SDL_Window*, Request&) {
  SDL_EventState(SDL_FINGERDOWN, SDL_IGNORE);
  SDL_EventState(SDL_FINGERUP, SDL_IGNORE);
  SDL_EventState(SDL_FINGERMOTION, SDL_IGNORE);
  return true;
}

bool after_context(SDL_Window*, Request& request) {
  // The GL emulation applies the texture matrix only when it was chosen before the first
  // textured draw; the smoke's scrolling lives in it.
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  make_texture_zero_white();
  page_playing(request.full_screen);
  return true;
}

void before_release() {}

void window_event(SDL_Window*, const SDL_WindowEvent& event, bool& active) {
  switch (event.event) {
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN:  // the page's tab is in the background
      active = false;
      break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SHOWN:
      active = true;
      break;
    default:
      break;
  }
}

bool quit_asked() {
  return false;
}

// The browser shows the canvas when the page's animation frame returns.
void present(SDL_Window*) {}

}  // namespace window_backend
