// The sizes of the pictures load_jpeg made into textures, for drawing code that must know how
// large a picture lands on screen (a GL 1.1 query the page's WebGL lacks).
#pragma once

#include <cstdint>

struct TextureSize {
  int width = 0, height = 0;  // of the largest level, in texels
};

void remember_texture_size(std::uint32_t texture, TextureSize size);
// Zeros for a name load_jpeg did not make.
TextureSize texture_size(std::uint32_t texture);
