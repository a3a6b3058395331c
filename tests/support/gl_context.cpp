#include "support/gl_context.h"

#include <GL/gl.h>
#include <SDL.h>

#include "platform/window.h"

GlContext::GlContext(int width, int height) : width_(width), height_(height) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  window_ = SDL_CreateWindow("test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window_ == nullptr) return;
  context_ = SDL_GL_CreateContext(window_);
  if (context_ == nullptr) return;
  SDL_GL_MakeCurrent(window_, context_);
  resize_view(width, height);
}

GlContext::~GlContext() {
  if (context_ != nullptr) SDL_GL_DeleteContext(context_);
  if (window_ != nullptr) SDL_DestroyWindow(window_);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

std::vector<std::uint8_t> GlContext::read_pixels() const {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width_) * height_ * 3);
  glFinish();
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

Rgb GlContext::pixel(const std::vector<std::uint8_t>& pixels, int x, int y) const {
  const std::size_t at = (static_cast<std::size_t>(y) * width_ + x) * 3;
  return {pixels[at], pixels[at + 1], pixels[at + 2]};
}
