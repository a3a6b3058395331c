// The pictures as textures in WebGL, which has no GLU: the mipmaps are built here, level by level
// as GLU builds them natively, and clamped edges are clamped to the edge, as WebGL has no other.
#include "platform/jpeg.h"

#include <GL/gl.h>

#include <cstdlib>

#include "app/report_fatal.h"
#include "platform/jpeg_decode.h"
#include "platform/mipmaps.h"
#include "platform/texture_size.h"

namespace {

[[noreturn]] void fail() {
  report_fatal("load_jpeg():\nUnable to load a texture from a JPEG file!", "Error");
  std::exit(fatal_exit_code);
}

}  // namespace

std::uint32_t load_jpeg(const char* file_name, bool repeat) {
  JpegPicture picture;
  if (!decode_jpeg_file(file_name, picture)) fail();

  GLint largest_side = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest_side);
  const std::vector<MipmapLevel> levels =
      build_mipmaps(picture.rgb.data(), picture.width, picture.height, largest_side);
  if (levels.empty()) fail();

  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  upload_mipmaps(levels);
  remember_texture_size(texture, {levels[0].width, levels[0].height});
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  const GLint wrap = repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
  return texture;
}
