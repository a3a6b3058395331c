// A hidden window with an OpenGL context for rendering tests, and pixel read-back.
#pragma once

#include <cstdint>
#include <vector>

struct SDL_Window;

struct Rgb {
  int r, g, b;
};

class GlContext {
 public:
  // Same pixel format as the show's window (double-buffered, 8-8-8, 16-bit depth), compatibility
  // profile; the fixed projection is set with resize_view.
  GlContext(int width, int height);
  ~GlContext();
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

  bool ok() const { return context_ != nullptr; }
  int width() const { return width_; }
  int height() const { return height_; }

  // The back buffer, after glFinish; row 0 is the bottom row.
  std::vector<std::uint8_t> read_pixels() const;
  Rgb pixel(const std::vector<std::uint8_t>& pixels, int x, int y) const;

 private:
  int width_, height_;
  SDL_Window* window_ = nullptr;
  void* context_ = nullptr;
};
