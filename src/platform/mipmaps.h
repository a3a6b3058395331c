// Mipmap chains for pictures, built as Mesa's GLU 9.0.2 builds them, for GLs that have no GLU.
#pragma once

#include <cstdint>
#include <vector>

struct MipmapLevel {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // packed rows, 3 bytes a pixel
};

// The levels, largest first and down to 1 x 1, that gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB,
// width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb) uploads with an unpack alignment of 1, byte for
// byte: sides rounded to a near power of two, halved together while either is above `max_side`
// (GL_MAX_TEXTURE_SIZE), the picture box-filtered to them, then halved level by level. `rgb` holds
// `height` packed rows of `width` pixels. Empty when a side or `max_side` is below 1.
std::vector<MipmapLevel> build_mipmaps(const std::uint8_t* rgb, int width, int height,
                                       int max_side);

// Uploads `levels` as levels 0, 1, ... of the texture bound to GL_TEXTURE_2D (GL_RGB, unsigned
// bytes), leaving GL_UNPACK_ALIGNMENT at 1.
void upload_mipmaps(const std::vector<MipmapLevel>& levels);
