#include "replay/frame_pixels.h"

#include <GL/gl.h>

#include <algorithm>

std::vector<std::uint8_t> read_frame_pixels(int width, int height) {
  const std::size_t row = static_cast<std::size_t>(width) * 3;
  std::vector<std::uint8_t> bottom_first(row * height);
  glFinish();
  glReadBuffer(GL_BACK);  // before any swap: the front buffer may hold nothing
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottom_first.data());
  std::vector<std::uint8_t> top_first(bottom_first.size());
  for (int y = 0; y < height; ++y) {
    const auto from = bottom_first.begin() + static_cast<std::ptrdiff_t>(row * (height - 1 - y));
    std::copy(from, from + static_cast<std::ptrdiff_t>(row),
              top_first.begin() + static_cast<std::ptrdiff_t>(row * y));
  }
  return top_first;
}

void fast_forward(bool on) {
  if (on) {
    glScissor(0, 0, 1, 1);
    glEnable(GL_SCISSOR_TEST);
  } else {
    glDisable(GL_SCISSOR_TEST);
  }
}
