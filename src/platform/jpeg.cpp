#include "platform/jpeg.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>

#include "app/report_fatal.h"
#include "platform/jpeg_decode.h"
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

  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  // Rows are packed with no padding; the default alignment of 4 would shear any picture whose
  // width is not a multiple of 4.
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  // The base level may be refused for sides OpenGL does not take; the mipmap build rescales.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, picture.width, picture.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
               picture.rgb.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  const GLint wrap = repeat ? GL_REPEAT : GL_CLAMP;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
  // A failed build would leave an incomplete texture that draws as plain white.
  if (gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, picture.width, picture.height, GL_RGB,
                        GL_UNSIGNED_BYTE, picture.rgb.data()) != 0) {
    fail();
  }
  GLint width = 0, height = 0;  // GLU's rescaled sides, not the picture's
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  remember_texture_size(texture, {width, height});
  return texture;
}
