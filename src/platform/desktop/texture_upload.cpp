// Mesa's GLU builds the mipmap levels.
#include "platform/backend.h"

#include <GL/gl.h>
#include <GL/glu.h>

bool upload_mipmapped(const JpegPicture& picture, TextureSize& largest) {
  // Rows are packed with no padding; the default alignment of 4 would shear any picture whose
  // width is not a multiple of 4.
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  // The base level may be refused for sides OpenGL does not take; the mipmap build rescales.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, picture.width, picture.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
               picture.rgb.data());
  if (gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, picture.width, picture.height, GL_RGB,
                        GL_UNSIGNED_BYTE, picture.rgb.data()) != 0)
    return false;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &largest.width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &largest.height);
  return true;
}

int clamped_wrap_mode() {
  return GL_CLAMP;
}
