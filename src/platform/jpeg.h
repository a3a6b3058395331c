// The show's pictures as mipmapped OpenGL textures.
#pragma once

#include <cstdint>

// Decodes a JPEG file into a new mipmapped texture with linear filtering, repeating edges when
// `repeat` is set, clamped edges otherwise, and returns its name; the texture stays bound to
// GL_TEXTURE_2D. Needs the rendering context current. 0 when the picture cannot be loaded: there
// is no fallback texture.
std::uint32_t load_jpeg(const char* file_name, bool repeat);
// The same picture again into a texture load_jpeg made, after its GL context lost it (a page's
// WebGL can lose it). False when it cannot be loaded.
bool reload_jpeg(std::uint32_t texture, const char* file_name, bool repeat);

struct TextureSize {
  int width = 0, height = 0;  // of the largest level, in texels
};
// The size of a texture load_jpeg made (the picture's sides as the mipmap build rounded them),
// for drawing that must know how large a picture lands on screen; zeros for any other name.
TextureSize texture_size(std::uint32_t texture);
