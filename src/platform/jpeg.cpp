#include "platform/jpeg.h"

#include <GL/gl.h>

#include <map>

#include "platform/backend.h"
#include "platform/jpeg_decode.h"

namespace {

std::map<std::uint32_t, TextureSize>& texture_sizes() {
  static std::map<std::uint32_t, TextureSize> sizes;
  return sizes;
}

// Into the texture bound to GL_TEXTURE_2D.
bool upload(const JpegPicture& picture, bool repeat, TextureSize& size) {
  if (!upload_mipmapped(picture, size)) return false;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  const GLint wrap = repeat ? GL_REPEAT : clamped_wrap_mode();
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
  return true;
}

}  // namespace

std::uint32_t load_jpeg(const char* file_name, bool repeat) {
  JpegPicture picture;
  if (!decode_jpeg_file(file_name, picture)) return 0;

  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  TextureSize size;
  if (!upload(picture, repeat, size)) {
    glDeleteTextures(1, &texture);
    return 0;
  }
  texture_sizes()[texture] = size;
  return texture;
}

bool reload_jpeg(std::uint32_t texture, const char* file_name, bool repeat) {
  JpegPicture picture;
  if (!decode_jpeg_file(file_name, picture)) return false;
  glBindTexture(GL_TEXTURE_2D, texture);
  TextureSize size;
  if (!upload(picture, repeat, size)) return false;
  texture_sizes()[texture] = size;
  return true;
}

TextureSize texture_size(std::uint32_t texture) {
  const auto found = texture_sizes().find(texture);
  return found != texture_sizes().end() ? found->second : TextureSize{};
}
